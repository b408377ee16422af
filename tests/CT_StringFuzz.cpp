// Random operation sequences on CT_String, checked after every step against a
// plain model: the buffer as bytes and a cursor offset, each rule written out
// literally (growth on append, std::string's search, a walk from the start for
// lists, the cursor-in-list rules). The model is where the capacity rules
// live in full; the unit tests show only a few examples of them.
#include "CT_String.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

/// Rooms beyond this end an input: self-appends double the text at each step.
unsigned int const kn_MaxRoom = 20000;

/// A difference between the string and its model ends the run with the input that caused it.
static void Require(bool b_holds) { if (!b_holds) std::abort(); }

struct Model
{
    std::vector<char> ao_bytes = std::vector<char>(513, 0); // the default string's room, then one zero byte
    unsigned int n_cursor = 0;

    unsigned int Room() const { return ao_bytes.size() - 1 - n_cursor; }
    std::string Text(unsigned int n_offset = 0) const { return &ao_bytes[n_cursor + n_offset]; }
    /// Empties the room while the size fits it; else only the bytes before the cursor stay, and the cursor
    /// gets a fresh room: 256 below 256 bytes, else the size + 256 (a copy, an assignment, a new string).
    void SetSize(unsigned int n_size)
    {
        unsigned int const n_room = n_size < Room() ? Room() : n_size < 256 ? 256 : n_size + 256;
        ao_bytes.resize(n_cursor);
        ao_bytes.resize(n_cursor + n_room + 1, 0);
    }
    /// Growth keeps every byte: the size + 512 from the start, plus the cursor's offset 512 or more bytes into a list.
    void ReSize(unsigned int n_size)
    {
        if (n_size > Room())
            ao_bytes.resize(n_size + 512 + (n_cursor >= 512 ? n_cursor : 0) + 1, 0);
    }
    /// Grows when both texts exceed the room, then zero-fills every byte behind the new text.
    void Append(std::string const &co_text)
    {
        ReSize(Text().size() + co_text.size());
        auto const p_end = std::copy(co_text.begin(), co_text.end(), ao_bytes.begin() + n_cursor + Text().size());
        std::fill(p_end, ao_bytes.end(), 0);
    }
    int Search(std::string const &co_pattern, unsigned int n_start) const
    {
        return co_pattern.empty() || n_start > Text().size() ? -1 : static_cast<int>(Text().find(co_pattern, n_start));
    }
    int Next()
    {
        unsigned int const n_length = Text().size();
        n_cursor += n_length == 0 ? 0 : n_length < Room() ? n_length + 1 : Room();
        return ao_bytes[n_cursor] != 0;
    }
    /// Appends the elements of a zero-separated list, up to its first empty one.
    void PutArray(std::string const &co_list)
    {
        for (n_cursor = 0; Next();)
            continue;
        // A last element ending in the extra byte stays whole: the new ones go behind its terminator.
        bool const b_behind = Room() == 0 && ao_bytes[n_cursor - 1] != 0 && co_list[0] != 0;
        ReSize(b_behind ? 1 : 0);
        n_cursor += b_behind;
        for (size_t n = 0, n_length; (n_length = co_list.find('\0', n) - n) != 0; n += n_length + 1)
        {
            ReSize(n_length == Room() ? n_length + 1 : 0); // an element that would fill the room exactly
            Append(co_list.substr(n, n_length));
            n_cursor += n_length + 1;
        }
        n_cursor = 0;
    }
    /// The same room size and every byte of the allocation from the cursor.
    bool Matches(CT_String const &co_string) const
    {
        return co_string.n_GetSize() == Room() &&
               std::equal(ao_bytes.begin() + n_cursor, ao_bytes.end(), static_cast<char const *>(co_string));
    }
};

static void Step(FuzzedDataProvider &co_data, CT_String &co_string, Model &co_model)
{
    // Short texts over a small alphabet find each other; long ones, padded cheaply, cross the capacity steps.
    std::string co_text = co_data.ConsumeBytesAsString(co_data.ConsumeIntegralInRange(0, 8));
    std::transform(co_text.begin(), co_text.end(), co_text.begin(), [](char c_char) { return "abc\xe9"[c_char & 3]; });
    co_text.append(co_data.ConsumeBool() ? co_data.ConsumeIntegralInRange(0, 1100) : 0, 'b');
    // Half the texts are the string's own bytes, from anywhere in its room.
    unsigned int const n_offset = co_data.ConsumeBool() ? co_data.ConsumeIntegralInRange(0u, co_model.Room()) : 0;
    std::string const co_source = n_offset != 0 ? co_model.Text(n_offset) : co_text;
    char const *p_source = n_offset != 0 ? static_cast<char const *>(co_string) + n_offset : co_text.c_str();
    switch (co_data.ConsumeIntegralInRange<int>(0, 5))
    {
    case 0:
        co_string = p_source;
        co_model.SetSize(co_source.size());
        return co_model.Append(co_source);
    case 1:
        co_string += p_source;
        return co_model.Append(co_source);
    case 2:
        return Require(co_string.i_Search(CT_String(co_text.c_str()), n_offset % 9) ==
                       co_model.Search(co_text, n_offset % 9));
    case 3:
        return Require(co_string.b_NextElement() == co_model.Next());
    case 4:
        co_string.v_AddElement(n_offset != 0 ? co_string : static_cast<CT_String const &>(CT_String(p_source)));
        return co_model.PutArray((n_offset != 0 ? co_model.Text() : co_source) + std::string(2, '\0'));
    default:
        co_string.v_PutArray(static_cast<char const *>(co_string) + n_offset); // its own list, read before growth
        return co_model.PutArray(std::string(co_model.ao_bytes.begin() + co_model.n_cursor + n_offset,
                                             co_model.ao_bytes.end()) + '\0');
    }
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    FuzzedDataProvider co_data(p_data, n_size);
    CT_String co_string;
    Model co_model;
    for (int n_step = 0; n_step < 48 && co_data.remaining_bytes() != 0 && co_model.Room() < kn_MaxRoom; ++n_step)
    {
        Step(co_data, co_string, co_model);
        Require(co_model.Matches(co_string));
    }
    return 0;
}
