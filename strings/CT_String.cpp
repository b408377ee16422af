#include "CT_String.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "PatternMatcher.h"
#include "StringGrowth.h"

#if defined(_WIN32)
#include <windows.h>

#include "CT_Errors.h"
#endif

namespace
{
/// Digits of the largest unsigned 32-bit number, 4294967295.
unsigned int const kn_MaxDigits = 10;

/// The capacity of co_GetMid's working string after that many characters were
/// stored one by one. Storing at position j first asks b_ReSize for j + 2 bytes
/// (the character and a terminator), which exceeds the capacity c first at j = c - 1.
unsigned int n_MidCapacity(unsigned int n_count)
{
    unsigned int n_capacity = n_RoomFor(kn_DefaultRequest);
    while (n_count >= n_capacity)
        n_capacity = n_GrownCapacity(n_capacity, n_capacity + 1);
    return n_capacity;
}

/// Bytes of an element list before its closing zero, or up to the limit when the
/// list is not closed before it (a last text that fills the room of a buffer).
unsigned int n_ListSize(char const *p_list, char const *p_limit)
{
    char const *p_element = p_list;
    while (p_element < p_limit && *p_element != 0)
        p_element += std::strlen(p_element) + 1;
    return static_cast<unsigned int>((p_element < p_limit ? p_element : p_limit) - p_list);
}

/// The bytes of a text, as the matcher reads them.
unsigned char const *p_Bytes(char const *p_text)
{
    return reinterpret_cast<unsigned char const *>(p_text);
}

/// The positions of the pattern's non-overlapping occurrences, from the left.
std::vector<unsigned int> no_FindAll(char const *p_pattern, unsigned int n_patternlength, char const *p_text,
                                     unsigned int n_length)
{
    CT_PatternMatcher co_matcher(p_Bytes(p_pattern), n_patternlength);
    std::vector<unsigned int> no_found;
    unsigned int n_found = 0;
    for (unsigned int n_resume = 0; co_matcher.b_Find(p_Bytes(p_text), n_length, n_resume, &n_found);
         n_resume = n_found + n_patternlength)
        no_found.push_back(n_found);
    return no_found;
}
} // namespace

// Storage.

CT_String::CT_String(char const *p_text, unsigned int n_size) : p_buffer(0), p_cursor(0), n_capacity(0)
{
    if (p_text == 0)
    {
        v_SetSize(kn_DefaultRequest);
        return;
    }
    unsigned int const n_textsize = n_GetStringSize(p_text);
    unsigned int n_request = n_size != 0 ? n_size : n_textsize;
    // A size too small for the text would leave it no terminator inside the
    // room, or no room at all: the text's own size decides then.
    if (n_RoomFor(n_request) <= n_textsize)
        n_request = n_textsize;
    v_SetSize(n_request);
    std::memcpy(p_cursor, p_text, n_textsize);
}

CT_String::CT_String(CT_String const &co_other) : p_buffer(0), p_cursor(0), n_capacity(0)
{
    v_CopyBuffer(co_other);
}

CT_String::~CT_String()
{
    v_DisposeBuffer();
}

// While the cursor stands inside a list, the size is measured against the room
// at the cursor, not against the capacity: a smaller size empties the room (the
// elements before the cursor stay), a larger one grows the buffer keeping the
// elements before the cursor and gives the cursor the room a fresh string would
// get. With the cursor at the start both measures agree.
void CT_String::v_SetSize(unsigned int n_size)
{
    if (n_capacity != 0 && n_size < n_GetSize())
    {
        v_Empty();
        return;
    }
    unsigned int const n_kept = n_capacity != 0 ? n_Offset() : 0;
    unsigned int const n_room = n_RoomFor(n_size);
    if (n_room > UINT_MAX - 1 - n_kept)
        throw std::bad_alloc();
    v_Reallocate(n_kept + n_room, n_kept);
}

int CT_String::b_ReSize(unsigned int n_size)
{
    if (n_size <= n_GetSize())
        return 0;
    unsigned int const n_offset = n_Offset();
    unsigned int n_newcapacity = n_GrownCapacity(0, n_size);
    // Deep inside a list, n + 512 bytes from the start would leave the cursor
    // no room for a terminator, or not even hold the old content. The cursor
    // then gets the room that growth gives a string whose cursor is at the start.
    if (n_newcapacity - n_size <= n_offset)
    {
        if (n_newcapacity > UINT_MAX - 1 - n_offset)
            throw std::bad_alloc();
        n_newcapacity += n_offset;
    }
    v_Reallocate(n_newcapacity, n_capacity);
    return 1;
}

void CT_String::v_SetPointer(char *p_text, unsigned int n_size)
{
    v_CopyBuffer(CT_String(p_text, n_size));
}

void CT_String::v_DisposeBuffer()
{
    if (n_capacity == 0)
        return;
    delete[] p_buffer;
    p_buffer = 0;
    n_capacity = 0;
}

unsigned int CT_String::n_Offset() const
{
    return static_cast<unsigned int>(p_cursor - p_buffer);
}

int CT_String::b_Holds(char const *p_text) const
{
    std::uintptr_t const n_text = reinterpret_cast<std::uintptr_t>(p_text);
    std::uintptr_t const n_start = reinterpret_cast<std::uintptr_t>(p_buffer);
    return n_capacity != 0 && n_text >= n_start && n_text <= n_start + n_capacity;
}

// The new buffer is zero-filled, its extra byte included, so that a walk that
// reaches the end of the room reads a terminator there. The first bytes of the
// old buffer come along and the cursor keeps its offset.
void CT_String::v_Reallocate(unsigned int n_newcapacity, unsigned int n_keep)
{
    char *p_new = new char[n_newcapacity + 1];
    std::memset(p_new, 0, n_newcapacity + 1);
    unsigned int const n_offset = n_capacity != 0 ? n_Offset() : 0;
    if (n_keep != 0)
        std::memcpy(p_new, p_buffer, n_keep);
    v_DisposeBuffer();
    p_buffer = p_new;
    p_cursor = p_new + n_offset;
    n_capacity = n_newcapacity;
}

// Assignment and append.

void CT_String::v_Copy(char const *p_text)
{
    if (p_text == 0)
    {
        v_Empty();
        return;
    }
    if (b_Holds(p_text))
    {
        // Emptying or replacing the buffer would destroy the source first.
        CT_String const co_source(p_text);
        v_Copy(co_source.p_cursor);
        return;
    }
    unsigned int const n_size = n_GetStringSize(p_text);
    v_SetSize(n_size);
    std::memcpy(p_cursor, p_text, n_size + 1);
}

void CT_String::v_CopyBuffer(CT_String const &co_other)
{
    if (&co_other == this)
        return;
    unsigned int const n_room = co_other.n_GetSize();
    v_SetSize(n_room);
    std::memcpy(p_cursor, co_other.p_cursor, n_room);
}

void CT_String::operator=(char const *p_text)
{
    v_Copy(p_text);
}

void CT_String::operator=(CT_String const &co_other)
{
    v_CopyBuffer(co_other);
}

void CT_String::operator+=(char const *p_text)
{
    if (p_text == 0)
        return;
    if (b_Holds(p_text))
    {
        // Growth would free the source, and the zero fill behind the text may cover it.
        CT_String const co_source(p_text);
        v_Append(co_source.p_cursor, n_GetStringSize(co_source.p_cursor));
        return;
    }
    v_Append(p_text, n_GetStringSize(p_text));
}

void CT_String::v_Append(char const *p_text, unsigned int n_length)
{
    unsigned int const n_current = n_GetStringSize();
    if (n_length > UINT_MAX - n_current)
        throw std::bad_alloc();
    b_ReSize(n_current + n_length);
    std::memcpy(p_cursor + n_current, p_text, n_length);
    p_cursor[n_current + n_length] = 0;
    unsigned int const n_used = n_current + n_length + 1;
    unsigned int const n_room = n_GetSize();
    if (n_used < n_room)
        std::memset(p_cursor + n_used, 0, n_room - n_used);
}

CT_String CT_String::operator+(char const *p_text) const
{
    CT_String co_work;
    co_work = p_cursor;
    co_work += p_text;
    return CT_String(co_work);
}

CT_String CT_String::operator+(unsigned int n_number) const
{
    char s_digits[kn_MaxDigits + 1];
    std::snprintf(s_digits, sizeof s_digits, "%u", n_number);
    return operator+(s_digits);
}

// Comparison, indexing, conversions and sizes.

int CT_String::operator==(CT_String const &co_other) const
{
    unsigned int const n_length = n_GetLength();
    if (n_length != co_other.n_GetLength())
        return 0;
    return std::memcmp(p_cursor, co_other.p_cursor, n_length) == 0;
}

unsigned short CT_String::operator[](unsigned int n_index) const
{
    return static_cast<unsigned char>(p_cursor[n_index]);
}

CT_String::operator char *()
{
    return p_cursor;
}

CT_String::operator unsigned char *()
{
    return reinterpret_cast<unsigned char *>(p_cursor);
}

CT_String::operator char const *() const
{
    return p_cursor;
}

CT_String::operator unsigned char const *() const
{
    return reinterpret_cast<unsigned char const *>(p_cursor);
}

int CT_String::b_IsEmpty() const
{
    return p_cursor[0] == 0;
}

void CT_String::v_Empty()
{
    std::memset(p_cursor, 0, n_GetSize());
}

unsigned int CT_String::n_GetSize() const
{
    if (n_capacity != 0)
        return n_capacity - n_Offset();
    return p_cursor != 0 ? n_GetStringSize() : 0;
}

// A caller's text of 4 GiB or more cannot be counted in 32 bits: cut to them,
// it would be copied short without a word.
unsigned int CT_String::n_GetStringSize(char const *p_text) const
{
    size_t const n_size = std::strlen(p_text != 0 ? p_text : p_cursor);
    if (n_size > UINT_MAX)
        throw std::bad_alloc();
    return static_cast<unsigned int>(n_size);
}

unsigned int CT_String::n_GetLength(char const *p_text) const
{
    // One byte per character: the length is the size.
    return n_GetStringSize(p_text);
}

// Editing and search.

void CT_String::v_ReplaceChar(unsigned short c_old, unsigned short c_new)
{
    // No byte equals a character above 255, and byte 0 never lies inside the text.
    if (c_old > UCHAR_MAX || c_old == 0)
        return;
    char *p_next = p_cursor;
    char *const p_end = p_cursor + n_GetLength();
    while ((p_next = static_cast<char *>(std::memchr(p_next, c_old, p_end - p_next))) != 0)
        *p_next++ = static_cast<char>(c_new);
}

void CT_String::v_Replace(unsigned short c_char, char const *p_text)
{
    // A character above 255 equals no byte of the text; storing only its low
    // byte in the pattern would replace some other character.
    if (c_char > UCHAR_MAX)
        return;
    char s_pattern[2] = {static_cast<char>(c_char), 0};
    v_Replace(CT_String(s_pattern), p_text);
}

// The result is the one that appending piece after piece to a default string
// and assigning that string gives, capacities included; it is built in one
// pass into a buffer of the capacity those appends would have reached.
void CT_String::v_Replace(CT_String const &co_pattern, char const *p_text)
{
    unsigned int const n_patternlength = co_pattern.n_GetLength();
    if (n_patternlength == 0)
        return;
    unsigned int const n_length = n_GetLength();
    std::vector<unsigned int> const no_found = no_FindAll(co_pattern.p_cursor, n_patternlength, p_cursor, n_length);
    if (no_found.empty())
        return;

    char const *const p_replacement = p_text != 0 ? p_text : "";
    unsigned int const n_replacement = n_GetStringSize(p_replacement);
    // Sized before anything is allocated: a result that cannot be held raises here.
    unsigned int const n_resultcapacity = n_ReplacedCapacity(no_found, n_length, n_patternlength, n_replacement);
    CT_String co_result;
    if (n_resultcapacity != co_result.n_capacity)
        co_result.v_Reallocate(n_resultcapacity, 0);
    char *p_out = co_result.p_cursor;
    unsigned int n_resume = 0;
    for (unsigned int n_position : no_found)
    {
        std::memcpy(p_out, p_cursor + n_resume, n_position - n_resume);
        p_out += n_position - n_resume;
        std::memcpy(p_out, p_replacement, n_replacement);
        p_out += n_replacement;
        n_resume = n_position + n_patternlength;
    }
    std::memcpy(p_out, p_cursor + n_resume, n_length - n_resume);
    v_CopyBuffer(co_result);
}

// The working string grows as storing the characters one by one would grow
// it; the range is cut to the room, so no byte outside the allocation is
// read, and a start before the text yields nothing.
CT_String CT_String::co_GetMid(int i_start, int i_count)
{
    long long const i_room = n_GetSize();
    long long i_end = static_cast<long long>(i_start) + i_count;
    if (i_end > i_room)
        i_end = i_room;
    unsigned int const n_count = i_start >= 0 && i_end > i_start ? static_cast<unsigned int>(i_end - i_start) : 0;

    // The result is what copying the working string of the character-by-character
    // rule gives: that string's room plus the copy's spare. Built at once in one
    // buffer, because a second large block alive at the same time costs fresh pages.
    CT_String co_result;
    co_result.v_Reallocate(n_RoomFor(n_MidCapacity(n_count)), 0);
    if (n_count != 0)
        std::memcpy(co_result.p_cursor, p_cursor + i_start, n_count);
    return co_result;
}

int CT_String::i_Search(CT_String const &co_pattern, int i_start)
{
    unsigned int const n_patternlength = co_pattern.n_GetLength();
    unsigned int const n_length = n_GetLength();
    if (n_patternlength == 0 || i_start < 0 || static_cast<unsigned int>(i_start) > n_length)
        return -1;
    CT_PatternMatcher co_matcher(p_Bytes(co_pattern.p_cursor), n_patternlength);
    unsigned int n_found = 0;
    if (!co_matcher.b_Find(p_Bytes(p_cursor), n_length, static_cast<unsigned int>(i_start), &n_found))
        return -1;
    return static_cast<int>(n_found);
}

void CT_String::v_SetChar(unsigned int n_position, unsigned short c_char)
{
    p_cursor[n_position] = static_cast<char>(c_char);
}

// Element lists.

void CT_String::v_ResetArray()
{
    p_cursor = p_buffer;
}

int CT_String::b_NextElement()
{
    unsigned int const n_size = n_GetStringSize();
    if (n_size != 0)
    {
        // An element that fills the room has its terminator in the extra byte:
        // the cursor stops there instead of leaving the allocation.
        unsigned int const n_room = n_GetSize();
        p_cursor += n_size < n_room ? n_size + 1 : n_room;
    }
    return !b_IsEmpty();
}

unsigned int CT_String::n_GetNumberOfElement()
{
    v_ResetArray();
    unsigned int n_count = 0;
    while (b_NextElement())
        ++n_count;
    v_ResetArray();
    return n_count + (b_IsEmpty() ? 0 : 1);
}

void CT_String::v_MoveToEnd()
{
    v_ResetArray();
    while (b_NextElement())
    {
    }
}

// The cursor stands on the zero that closes the list; it ends on the new one.
void CT_String::v_PutElement(char const *p_element, unsigned int n_length)
{
    // A last element that fills the room ends in the extra byte, where the
    // walk stopped: the new element goes behind that terminator, not over it.
    if (n_GetSize() == 0 && p_cursor[-1] != 0)
    {
        b_ReSize(1);
        ++p_cursor;
    }
    // An element that fills the room exactly would put the closing zero one
    // byte behind the allocation: such an element gets a larger buffer.
    if (n_length == n_GetSize())
        b_ReSize(n_length + 1);
    v_Append(p_element, n_length);
    p_cursor[n_length + 1] = 0;
    p_cursor += n_length + 1;
}

void CT_String::v_AddElement(CT_String const &co_element)
{
    if (&co_element == this)
    {
        // Walking to the end of the list moves the element's own cursor.
        CT_String const co_copy(co_element.p_cursor);
        v_AddElement(co_copy);
        return;
    }
    unsigned int const n_length = co_element.n_GetLength();
    v_MoveToEnd();
    if (n_length != 0)
        v_PutElement(co_element.p_cursor, n_length);
    v_ResetArray();
}

void CT_String::v_PutArray(char const *p_list)
{
    if (p_list != 0 && b_Holds(p_list))
    {
        // Growth would free the list while it is read. The copy is closed by
        // two zeros, as the list may end with the buffer's extra byte.
        std::string co_copy(p_list, n_ListSize(p_list, p_buffer + n_capacity + 1));
        co_copy.append(2, '\0');
        v_PutArray(co_copy.data());
        return;
    }
    v_MoveToEnd();
    for (char const *p_element = p_list; p_element != 0 && *p_element != 0;)
    {
        unsigned int const n_length = n_GetStringSize(p_element);
        v_PutElement(p_element, n_length);
        p_element += n_length + 1;
    }
    v_ResetArray();
}

// Window text and copies into a caller's buffer.

#if defined(_WIN32)
void CT_String::v_Set(HWND h_window) const
{
    if (!SetWindowTextA(h_window, p_cursor))
        CT_Errors::v_ThrowError(e_Windows, "SetWindowText");
}

void CT_String::operator=(HWND const h_window)
{
    unsigned int const n_room = n_GetSize();
    int const i_maxcount = n_room > INT_MAX ? INT_MAX : static_cast<int>(n_room);
    // The text is cut to the room; an empty or failed read is not an error here.
    GetWindowTextA(h_window, p_cursor, i_maxcount);
}
#endif

void CT_String::v_Set(char *p_destination, unsigned int n_size) const
{
    if (n_size == 0)
        return;
    std::memset(p_destination, 0, n_size);
    if (n_size <= 2)
        return;
    // The allocation ends one byte behind the room.
    unsigned int const n_readable = n_GetSize() + 1;
    unsigned int const n_copy = n_size - 2 < n_readable ? n_size - 2 : n_readable;
    std::memcpy(p_destination, p_cursor, n_copy);
}
