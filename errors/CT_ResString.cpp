#include "CT_ResString.h"

#include <cstring>

#include "CT_Errors.h"

namespace
{
/// The digits with "0" put in front until they are at least the width long.
CT_String co_ZeroPadded(CT_String const &co_digits, unsigned int n_width)
{
    unsigned int const n_length = co_digits.n_GetLength();
    if (n_length >= n_width)
        return co_digits;
    unsigned int const n_zeros = n_width - n_length;
    CT_String co_padded;
    co_padded.v_SetSize(n_width + 1);
    std::memset(static_cast<char *>(co_padded), '0', n_zeros);
    co_padded += co_digits;
    return co_padded;
}
} // namespace

CT_ResString::CT_ResString()
    : h_instance(0), n_id(0)
{
}

CT_ResString::CT_ResString(HINSTANCE h_instance, unsigned int n_id, CT_String const &co_marker)
    : h_instance(0), n_id(0)
{
    v_Set(h_instance, n_id, co_marker);
}

CT_ResString::CT_ResString(CT_ResString const &) = default;
CT_ResString::~CT_ResString() = default;
CT_ResString &CT_ResString::operator=(CT_ResString const &) = default;

void CT_ResString::v_Set(HINSTANCE h_instance, unsigned int n_id, CT_String const &co_marker)
{
    this->h_instance = h_instance;
    this->n_id = n_id;
    this->co_marker = co_marker;
    v_Load();
}

void CT_ResString::v_Set(unsigned int n_id, CT_String const &co_marker)
{
    v_Set(h_instance, n_id, co_marker);
}

// LoadStringA writes straight into the text's buffer, cut to its room, and
// leaves the bytes behind its NUL alone: emptying first keeps the buffer
// zero-filled behind the text, even after a longer string was loaded before.
void CT_ResString::v_Load()
{
    co_text.v_Empty();
    co_fixtext.v_Empty();
    if (h_instance == 0 || n_id == 0)
        return;
    int const n_loaded = LoadStringA(h_instance, n_id, co_text, static_cast<int>(co_text.n_GetSize()));
    if (n_loaded == 0)
        CT_Errors::v_ThrowError(e_Windows, "CT_String::v_Load");
}

CT_String const &CT_ResString::cco_Get() const
{
    if (!co_fixtext.b_IsEmpty())
        return co_fixtext;
    return co_text;
}

CT_String const CT_ResString::cco_Get(CT_String const &co_value) const
{
    return cco_Replace(co_value, co_marker);
}

CT_String const CT_ResString::cco_Get(unsigned int n_number) const
{
    return cco_Get(CT_String() + n_number);
}

void CT_ResString::v_Fix(CT_String co_value, CT_String co_key)
{
    CT_String const co_fullmarker = co_marker + co_key;
    co_fixtext = cco_Replace(co_value, co_fullmarker);
}

void CT_ResString::v_Fix(unsigned int n_number, CT_String co_key, unsigned int n_width)
{
    v_Fix(co_ZeroPadded(CT_String() + n_number, n_width), co_key);
}

int CT_ResString::b_IsValid() const
{
    return h_instance != 0 && n_id != 0;
}

// v_Replace scans only the text as it was, so a value holding the marker is
// inserted unchanged and not searched again.
CT_String const CT_ResString::cco_Replace(CT_String co_value, CT_String co_marker) const
{
    CT_String co_result(cco_Get());
    co_result.v_Replace(co_marker, co_value);
    return co_result;
}
