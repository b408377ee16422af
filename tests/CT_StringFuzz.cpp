// Random operation sequences on CT_String, checked after every step against a
// plain model that follows the text and capacity rules step by step: character
// by character growth for co_GetMid, piece by piece appends for v_Replace, a
// naive search, and a walk from the first element for every added element.
#include "CT_String.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
void Check(bool b_ok, char const *p_what)
{
    if (b_ok)
        return;
    std::fprintf(stderr, "CT_String differs from the model: %s\n", p_what);
    std::abort();
}

/// Rooms beyond this end an input: self-appends double the text at each step.
unsigned int const kn_MaxRoom = 40000;
/// Longer texts are not replaced: the model's piece-by-piece appends are quadratic.
unsigned int const kn_MaxReplaced = 3000;
/// Larger rooms are not added to themselves: the model walks the whole list for every element.
unsigned int const kn_MaxSelfListed = 6000;

class Model
{
public:
    /// A copy made by the copy constructor: the new object owns no buffer yet.
    static Model CopyOf(Model const &co_other)
    {
        Model co_copy(0, 0);
        co_copy.bytes.clear();
        co_copy.capacity = 0;
        co_copy.CopyFrom(co_other);
        return co_copy;
    }

    explicit Model(char const *p_text = 0, unsigned int n_size = 0)
    {
        if (p_text == 0)
        {
            SetSize(256);
            return;
        }
        unsigned int const n_length = static_cast<unsigned int>(std::strlen(p_text));
        unsigned int n_request = n_size != 0 ? n_size : n_length;
        if (RoomFor(n_request) <= n_length)
            n_request = n_length;
        SetSize(n_request);
        std::memcpy(&bytes[0], p_text, n_length);
    }

    unsigned int Room() const { return capacity - cursor; }
    unsigned char const *At() const { return &bytes[cursor]; }
    std::string Text() const { return std::string(reinterpret_cast<char const *>(At())); }
    unsigned int Length() const { return static_cast<unsigned int>(Text().size()); }

    void SetSize(unsigned int n_size)
    {
        if (capacity != 0 && n_size < Room())
        {
            Empty();
            return;
        }
        unsigned int const n_kept = capacity != 0 ? cursor : 0;
        Reallocate(n_kept + RoomFor(n_size), n_kept);
    }

    int ReSize(unsigned int n_size)
    {
        if (n_size <= Room())
            return 0;
        unsigned int n_new = n_size + 512;
        if (cursor >= 512)
            n_new += cursor;
        Reallocate(n_new, capacity);
        return 1;
    }

    void Empty() { std::fill(bytes.begin() + cursor, bytes.begin() + capacity, 0); }

    void Assign(std::string const &co_text)
    {
        SetSize(static_cast<unsigned int>(co_text.size()));
        std::memcpy(&bytes[cursor], co_text.c_str(), co_text.size() + 1);
    }

    void CopyFrom(Model const &co_other)
    {
        if (&co_other == this)
            return;
        unsigned int const n_room = co_other.Room();
        SetSize(n_room);
        std::memcpy(&bytes[cursor], co_other.At(), n_room);
    }

    void Append(std::string const &co_text)
    {
        unsigned int const n_current = Length();
        unsigned int const n_added = static_cast<unsigned int>(co_text.size());
        ReSize(n_current + n_added);
        std::memcpy(&bytes[cursor + n_current], co_text.c_str(), n_added + 1);
        for (unsigned int n = n_current + n_added + 1; n < Room(); ++n)
            bytes[cursor + n] = 0;
    }

    Model Plus(std::string const &co_text) const
    {
        Model co_work;
        co_work.Assign(Text());
        co_work.Append(co_text);
        return CopyOf(co_work);
    }

    void PutChar(unsigned int n_position, unsigned char c_char)
    {
        ReSize(cursor + n_position + 2);
        bytes[cursor + n_position] = c_char;
    }

    Model Mid(int i_start, int i_count) const
    {
        Model co_work;
        unsigned int n_stored = 0;
        if (i_start >= 0)
            for (long long i = i_start; i < static_cast<long long>(i_start) + i_count && i < Room(); ++i)
                co_work.PutChar(n_stored++, bytes[cursor + i]);
        co_work.bytes[co_work.cursor + n_stored] = 0;
        return CopyOf(co_work);
    }

    int Search(std::string const &co_pattern, int i_start) const { return SearchIn(Text(), co_pattern, i_start); }

    static int SearchIn(std::string const &co_text, std::string const &co_pattern, int i_start)
    {
        if (co_pattern.empty() || i_start < 0 || static_cast<size_t>(i_start) > co_text.size())
            return -1;
        for (size_t n = i_start; n + co_pattern.size() <= co_text.size(); ++n)
            if (co_text.compare(n, co_pattern.size(), co_pattern) == 0)
                return static_cast<int>(n);
        return -1;
    }

    void Replace(std::string const &co_pattern, std::string const &co_replacement)
    {
        Model co_result;
        std::string const co_text = Text();
        int const i_length = static_cast<int>(co_text.size());
        int i_resume = 0;
        bool b_found = false;
        for (int i_found = SearchIn(co_text, co_pattern, 0); i_found >= 0;
             i_found = SearchIn(co_text, co_pattern, i_resume))
        {
            b_found = true;
            co_result.Append(Mid(i_resume, i_found - i_resume).Text());
            co_result.Append(co_replacement);
            i_resume = i_found + static_cast<int>(co_pattern.size());
        }
        if (!b_found)
            return;
        co_result.Append(Mid(i_resume, i_length - i_resume).Text());
        CopyFrom(co_result);
    }

    void ReplaceChar(unsigned short c_old, unsigned short c_new)
    {
        unsigned int const n_length = Length();
        for (unsigned int n = 0; n < n_length; ++n)
            if (bytes[cursor + n] == c_old)
                bytes[cursor + n] = static_cast<unsigned char>(c_new);
    }

    void SetChar(unsigned int n_position, unsigned char c_char) { bytes[cursor + n_position] = c_char; }
    void Reset() { cursor = 0; }

    int Next()
    {
        unsigned int const n_length = Length();
        if (n_length != 0)
            cursor += n_length < Room() ? n_length + 1 : Room();
        return bytes[cursor] != 0;
    }

    unsigned int Count()
    {
        Reset();
        unsigned int n_count = 0;
        while (Next())
            ++n_count;
        Reset();
        return n_count + (bytes[0] != 0 ? 1 : 0);
    }

    void AddElement(std::string const &co_element)
    {
        Reset();
        while (Next())
        {
        }
        unsigned int const n_length = static_cast<unsigned int>(co_element.size());
        if (n_length != 0)
        {
            if (n_length == Room())
                ReSize(n_length + 1);
            Append(co_element);
            bytes[cursor + n_length + 1] = 0;
        }
        Reset();
    }

    /// The elements of the list that starts at that offset from the cursor,
    /// up to the end of the allocation.
    std::vector<std::string> ListAt(unsigned int n_offset) const
    {
        std::vector<std::string> co_list;
        for (unsigned int n = cursor + n_offset; n <= capacity && bytes[n] != 0;)
        {
            co_list.push_back(std::string(reinterpret_cast<char const *>(&bytes[n])));
            n += static_cast<unsigned int>(co_list.back().size()) + 1;
        }
        return co_list;
    }

    std::vector<unsigned char> CopyOut(unsigned int n_size) const
    {
        std::vector<unsigned char> co_out(n_size, 0);
        if (n_size > 2)
        {
            unsigned int const n_copy = std::min(n_size - 2, Room() + 1);
            std::memcpy(co_out.data(), At(), n_copy);
        }
        return co_out;
    }

private:
    static unsigned int RoomFor(unsigned int n_size) { return n_size < 256 ? 256 : n_size + 256; }

    void Reallocate(unsigned int n_capacity, unsigned int n_keep)
    {
        std::vector<unsigned char> co_new(n_capacity + 1, 0);
        std::copy(bytes.begin(), bytes.begin() + n_keep, co_new.begin());
        bytes.swap(co_new);
        capacity = n_capacity;
    }

    std::vector<unsigned char> bytes;
    unsigned int cursor = 0;
    unsigned int capacity = 0;
};

/// The string's whole allocation from the cursor equals the model's.
void Compare(CT_String const &co_string, Model const &co_model, char const *p_what)
{
    Check(co_string.n_GetSize() == co_model.Room(), p_what);
    Check(std::memcmp(static_cast<char const *>(co_string), co_model.At(), co_model.Room() + 1) == 0, p_what);
    Check(co_string.n_GetLength() == co_model.Length(), p_what);
    Check(co_string.b_IsEmpty() == (co_model.Length() == 0 ? 1 : 0), p_what);
}

/// Short texts over a small alphabet find each other; long ones cross the capacity steps.
std::string Text(FuzzedDataProvider &co_data)
{
    unsigned int const n_length = co_data.ConsumeBool() ? co_data.ConsumeIntegralInRange<unsigned int>(0, 8)
                                                        : co_data.ConsumeIntegralInRange<unsigned int>(0, 1100);
    unsigned char const c_wide = co_data.ConsumeIntegral<unsigned char>();
    std::string co_text;
    for (unsigned int n = 0; n < n_length; ++n)
    {
        unsigned char const c_pick = co_data.ConsumeIntegralInRange<unsigned char>(0, 3);
        co_text += c_pick < 3 ? static_cast<char>('a' + c_pick) : static_cast<char>(c_wide == 0 ? 'z' : c_wide);
    }
    return co_text;
}

std::string ListBytes(std::vector<std::string> const &co_elements)
{
    std::string co_list;
    for (std::string const &co_element : co_elements)
        co_list += co_element + '\0';
    return co_list + '\0';
}

void Step(FuzzedDataProvider &co_data, CT_String &co_string, Model &co_model)
{
    unsigned int const n_room = co_model.Room();
    switch (co_data.ConsumeIntegralInRange<int>(0, 26))
    {
    case 0: {
        std::string const co_text = Text(co_data);
        co_string = co_text.c_str();
        co_model.Assign(co_text);
        break;
    }
    case 1:
        co_string = static_cast<char const *>(0);
        co_model.Empty();
        break;
    case 2: {
        std::string const co_text = Text(co_data);
        co_string += co_text.c_str();
        co_model.Append(co_text);
        break;
    }
    case 3: {
        std::string const co_text = Text(co_data);
        unsigned int const n_size = co_data.ConsumeIntegralInRange<unsigned int>(0, 1500);
        co_string = CT_String(co_text.c_str(), n_size);
        Model co_other(co_text.c_str(), n_size);
        co_model.CopyFrom(co_other);
        break;
    }
    case 4: {
        unsigned int const n_size = co_data.ConsumeIntegralInRange<unsigned int>(0, 2000);
        co_string.v_SetSize(n_size);
        co_model.SetSize(n_size);
        break;
    }
    case 5: {
        unsigned int const n_size = co_data.ConsumeIntegralInRange<unsigned int>(0, 2000);
        Check(co_string.b_ReSize(n_size) == co_model.ReSize(n_size), "b_ReSize result");
        break;
    }
    case 6: {
        std::string co_text = Text(co_data);
        unsigned int const n_size = co_data.ConsumeIntegralInRange<unsigned int>(0, 1500);
        co_string.v_SetPointer(&co_text[0], n_size);
        co_model.CopyFrom(Model(co_text.c_str(), n_size));
        break;
    }
    case 7:
        co_string.v_Empty();
        co_model.Empty();
        break;
    case 8: {
        unsigned short const c_old = co_data.ConsumeIntegralInRange<unsigned short>(0, 300);
        unsigned short const c_new = co_data.ConsumeBool() ? 0 : co_data.ConsumeIntegralInRange<unsigned short>(0, 300);
        co_string.v_ReplaceChar(c_old, c_new);
        co_model.ReplaceChar(c_old, c_new);
        break;
    }
    case 9: {
        if (co_model.Length() > kn_MaxReplaced)
            break;
        unsigned short const c_char = co_data.ConsumeBool() ? 'a' + co_data.ConsumeIntegralInRange<int>(0, 2)
                                                            : co_data.ConsumeIntegralInRange<unsigned short>(0, 400);
        std::string const co_text = Text(co_data);
        bool const b_null = co_data.ConsumeBool() && co_text.empty();
        co_string.v_Replace(c_char, b_null ? 0 : co_text.c_str());
        if (c_char != 0 && c_char <= 255)
            co_model.Replace(std::string(1, static_cast<char>(c_char)), co_text);
        break;
    }
    case 10: {
        if (co_model.Length() > kn_MaxReplaced)
            break;
        std::string const co_pattern = Text(co_data);
        std::string const co_text = Text(co_data);
        co_string.v_Replace(CT_String(co_pattern.c_str()), co_text.c_str());
        co_model.Replace(co_pattern, co_text);
        break;
    }
    case 11: {
        int const i_start = co_data.ConsumeIntegralInRange<int>(-5, static_cast<int>(n_room) + 5);
        int const i_count = co_data.ConsumeBool() ? co_data.ConsumeIntegral<int>()
                                                  : co_data.ConsumeIntegralInRange<int>(-2, 1200);
        Compare(co_string.co_GetMid(i_start, i_count), co_model.Mid(i_start, i_count), "co_GetMid result");
        break;
    }
    case 12: {
        std::string const co_pattern = Text(co_data);
        int const i_start = co_data.ConsumeIntegralInRange<int>(-3, static_cast<int>(co_model.Length()) + 3);
        Check(co_string.i_Search(CT_String(co_pattern.c_str()), i_start) == co_model.Search(co_pattern, i_start),
              "i_Search result");
        break;
    }
    case 13: {
        if (n_room == 0)
            break;
        unsigned int const n_position = co_data.ConsumeIntegralInRange<unsigned int>(0, n_room - 1);
        unsigned short const c_char = co_data.ConsumeIntegral<unsigned short>();
        co_string.v_SetChar(n_position, c_char);
        co_model.SetChar(n_position, static_cast<unsigned char>(c_char));
        break;
    }
    case 14:
        co_string.v_ResetArray();
        co_model.Reset();
        break;
    case 15:
        Check(co_string.b_NextElement() == co_model.Next(), "b_NextElement result");
        break;
    case 16: {
        std::string const co_element = Text(co_data);
        co_string.v_AddElement(CT_String(co_element.c_str()));
        co_model.AddElement(co_element);
        break;
    }
    case 17: {
        std::vector<std::string> co_elements;
        for (int n = co_data.ConsumeIntegralInRange<int>(0, 4); n > 0; --n)
        {
            std::string const co_element = Text(co_data);
            if (!co_element.empty())
                co_elements.push_back(co_element);
        }
        co_string.v_PutArray(ListBytes(co_elements).data());
        for (std::string const &co_element : co_elements)
            co_model.AddElement(co_element);
        co_model.Reset();
        break;
    }
    case 18:
        Check(co_string.n_GetNumberOfElement() == co_model.Count(), "n_GetNumberOfElement result");
        break;
    case 19: {
        unsigned int const n_size = co_data.ConsumeIntegralInRange<unsigned int>(0, n_room + 8);
        std::vector<unsigned char> co_out(n_size + 1, 0xEE);
        co_string.v_Set(reinterpret_cast<char *>(co_out.data()), n_size);
        std::vector<unsigned char> co_expected = co_model.CopyOut(n_size);
        co_expected.push_back(0xEE);
        Check(co_out == co_expected, "v_Set(char *, unsigned int) bytes");
        break;
    }
    case 20: {
        std::string const co_text = Text(co_data);
        Compare(co_string + co_text.c_str(), co_model.Plus(co_text), "operator+ text");
        unsigned int const n_number = co_data.ConsumeIntegral<unsigned int>();
        Compare(co_string + n_number, co_model.Plus(std::to_string(n_number)), "operator+ number");
        break;
    }
    case 21: {
        std::string const co_text = co_data.ConsumeBool() ? co_model.Text() : Text(co_data);
        Check((co_string == CT_String(co_text.c_str())) == (co_text == co_model.Text() ? 1 : 0), "operator==");
        break;
    }
    case 22: {
        unsigned int const n_index = co_data.ConsumeIntegralInRange<unsigned int>(0, n_room);
        Check(co_string[n_index] == co_model.At()[n_index], "operator[]");
        break;
    }
    case 23: {
        // The string's own bytes, from anywhere in its allocation after the cursor.
        unsigned int const n_offset = co_data.ConsumeIntegralInRange<unsigned int>(0, n_room);
        std::string const co_own(reinterpret_cast<char const *>(co_model.At() + n_offset));
        if (co_data.ConsumeBool())
        {
            co_string = static_cast<char const *>(co_string) + n_offset;
            co_model.Assign(co_own);
        }
        else
        {
            co_string += static_cast<char const *>(co_string) + n_offset;
            co_model.Append(co_own);
        }
        break;
    }
    case 24: {
        if (n_room > kn_MaxSelfListed)
            break;
        unsigned int const n_offset = co_data.ConsumeIntegralInRange<unsigned int>(0, n_room);
        std::vector<std::string> const co_elements = co_model.ListAt(n_offset);
        co_string.v_PutArray(static_cast<char const *>(co_string) + n_offset);
        for (std::string const &co_element : co_elements)
            co_model.AddElement(co_element);
        co_model.Reset();
        break;
    }
    case 25: {
        std::string const co_current = co_model.Text();
        co_string.v_AddElement(co_string);
        co_model.AddElement(co_current);
        break;
    }
    default: {
        CT_String co_copy(co_string);
        Model const co_modelcopy = Model::CopyOf(co_model);
        Compare(co_copy, co_modelcopy, "copy constructor");
        co_string = co_copy;
        co_model.CopyFrom(co_modelcopy);
        break;
    }
    }
    Compare(co_string, co_model, "state after a step");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    FuzzedDataProvider co_data(p_data, n_size);
    CT_String co_string;
    Model co_model;
    if (co_data.ConsumeBool())
    {
        std::string const co_text = Text(co_data);
        unsigned int const n_size = co_data.ConsumeIntegralInRange<unsigned int>(0, 1500);
        CT_String co_built(co_text.c_str(), n_size);
        Model co_modelbuilt(co_text.c_str(), n_size);
        Compare(co_built, co_modelbuilt, "construction");
        co_string = co_built;
        co_model.CopyFrom(co_modelbuilt);
    }
    for (int n_step = 0; n_step < 48 && co_data.remaining_bytes() != 0 && co_model.Room() < kn_MaxRoom; ++n_step)
        Step(co_data, co_string, co_model);
    return 0;
}
