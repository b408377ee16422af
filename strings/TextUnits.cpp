#include "TextUnits.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "CT_String.h"
#include "StringGrowth.h"

namespace
{
// What a unit with no narrow form in the current locale reads back as.
char const c_Unconvertible = '?';

// The narrow form of one unit, c_Unconvertible where it has none; returns
// its byte count.
int n_NarrowUnit(wchar_t c_unit, char (&ac_char)[MB_LEN_MAX])
{
    int const n_used = wctomb(ac_char, c_unit);
    if (n_used > 0)
        return n_used;
    ac_char[0] = c_Unconvertible;
    return 1;
}

// Bytes of the narrow form of zero-terminated units.
unsigned int n_NarrowSize(wchar_t const *p_units)
{
    size_t const n_bytes = wcstombs(0, p_units, 0);
    if (n_bytes != static_cast<size_t>(-1))
        return static_cast<unsigned int>(n_bytes);
    unsigned int n_size = 0;
    wctomb(0, 0);
    for (char ac_char[MB_LEN_MAX]; *p_units != 0; ++p_units)
        n_size += n_NarrowUnit(*p_units, ac_char);
    return n_size;
}

// Writes the narrow form of zero-terminated units and its terminator into
// the n_room bytes at p_text, which hold them.
void v_Narrow(wchar_t const *p_units, char *p_text, unsigned int n_room)
{
    if (wcstombs(p_text, p_units, n_room) != static_cast<size_t>(-1))
        return;
    // The failed call may have written a part: all of it is written again.
    wctomb(0, 0);
    for (char ac_char[MB_LEN_MAX]; *p_units != 0; ++p_units)
    {
        int const n_used = n_NarrowUnit(*p_units, ac_char);
        std::memcpy(p_text, ac_char, n_used);
        p_text += n_used;
    }
    *p_text = 0;
}

size_t n_UnitCount(wchar_t const *p_units)
{
    size_t n_count = 0;
    while (p_units[n_count] != 0)
        ++n_count;
    return n_count;
}
} // namespace

std::vector<wchar_t> co_Widen(char const *p_text, unsigned int n_bytes)
{
    std::vector<wchar_t> co_units(n_bytes + 1ull, 0);
    size_t n_units = mbstowcs(co_units.data(), p_text, n_bytes);
    if (n_units == static_cast<size_t>(-1))
    {
        n_units = 0;
        mbtowc(0, 0, 0);
        for (unsigned int n_at = 0; n_at < n_bytes && p_text[n_at] != 0;)
        {
            wchar_t c_unit = 0;
            int n_used = mbtowc(&c_unit, p_text + n_at, n_bytes - n_at);
            if (n_used <= 0)
            {
                c_unit = static_cast<unsigned char>(p_text[n_at]);
                n_used = 1;
                mbtowc(0, 0, 0);
            }
            co_units[n_units++] = c_unit;
            n_at += n_used;
        }
    }
    co_units.resize(n_units);
    return co_units;
}

// Assigning a string of the narrow form keeps the room when that string's
// own room is smaller. The form has at most MB_CUR_MAX bytes a unit: when
// even that many would fit, the units need not be counted.
void v_AssignNarrowed(CT_String &co_text, wchar_t const *p_units, unsigned int n_bytes)
{
    co_text.v_SetSize(n_bytes);
    unsigned long long const n_most = static_cast<unsigned long long>(n_UnitCount(p_units)) * MB_CUR_MAX;
    if (n_WideRoomFor(n_most) >= co_text.n_GetSize())
        co_text.v_SetSize(n_RoomFor(n_NarrowSize(p_units)));
    v_Narrow(p_units, co_text, co_text.n_GetSize());
}
