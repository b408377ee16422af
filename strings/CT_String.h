// CT_String: the library's one string type.
//
// A single-byte ANSI text in an owned, zero-filled heap buffer with spare room,
// or a list of zero-terminated elements in that same buffer, walked by a cursor:
//
//   CT_String co_list("C:\\dir");
//   co_list.v_AddElement(CT_String("a.txt"));     // "C:\dir\0a.txt\0\0"
//   while (co_list.b_NextElement()) use(co_list); // every text operation acts
//                                                 // on the element at the cursor
//
// Sizes are bytes, lengths and positions are characters; characters pass
// through the interface as unsigned 16-bit values of which the low byte counts.
#ifndef CT_STRING_H
#define CT_STRING_H

#include "CT_Export.h"

#if defined(_WIN32)
// The same declaration <windows.h> makes, so this header does not need it.
struct HWND__;
typedef HWND__ *HWND;
#endif

/// @defgroup strings Strings
/// The one string type of every interface of the library.

/// @ingroup strings
/// The library's one string type: a single-byte ANSI text, or a list of texts,
/// in one owned heap buffer.
///
/// **Buffer.** Each string owns its buffer alone; copies never share one. The
/// *capacity* is never below 256 bytes (512 for a default-constructed string)
/// and never shrinks; the allocation is one byte larger than the capacity.
/// Behind the text the buffer is zero-filled, so a size request of n bytes
/// gets room 256 (n below 256) or n + 256, and growth by an append gets the
/// needed size + 512: most appends need no new buffer.
///
/// **Cursor and room.** Every text operation reads and writes the *text at
/// the cursor*: the bytes from the cursor up to the first zero byte. The
/// cursor is the start of the buffer, except while an element list is walked
/// (see Element lists). The *room* is the bytes from the cursor to the end of
/// the capacity (n_GetSize()).
///
/// **Units.** Sizes and capacities count bytes; lengths, indexes and positions
/// count characters. A character is one byte, passed as an unsigned 16-bit
/// value of which only the low byte is stored; byte 0 ends a text.
///
/// **Pointers.** A pointer from a conversion operator stays valid until the
/// next operation that replaces the buffer: v_SetSize() or b_ReSize() when
/// they allocate, an assignment, append, replacement or element operation
/// that needs more room, or destruction.
///
/// **Failures.** The string operations raise no error code, except
/// v_Set(HWND) const. When no buffer can be allocated, or a size would not
/// fit 32 bits, `std::bad_alloc` is thrown. Indexes, positions and sizes
/// given to the operations are not checked: keeping them within the room is
/// the caller's part, as each member says.
///
/// @code
/// CT_String co_list("C:\\dir");
/// co_list.v_AddElement(CT_String("a.txt"));  // "C:\dir", 0, "a.txt", 0, 0
/// co_list.v_ResetArray();
/// do { /* use co_list: the element at the cursor */ } while (co_list.b_NextElement());
/// @endcode
///
/// On 32-bit targets ISO C++ calls `co_text[0]` ambiguous: the member
/// operator ties with the built-in index through the pointer conversions.
/// GCC 12 takes the member operator and warns ("ISO C++ says that these are
/// ambiguous"), which `-Werror` makes an error; other compilers may refuse
/// it. Index with an unsigned value, `co_text[0u]`.
class COMMON_API CT_String
{
public:
    /// @name Storage and conversion
    ///@{

    /// A new string holding a copy of the text.
    /// @param p_text The text; null gives an empty string of room 512.
    /// @param n_size Bytes to make room for instead of the text's size; 0
    ///        takes the text's size. A size too small for the text gives way
    ///        to the text's size, so a terminator always fits.
    /// @storage Capacity 256 for a request below 256 bytes, else the request
    ///          + 256 (a text of 300 bytes gets 556). The cursor is at the
    ///          start; no reference to the caller's text is kept.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    CT_String(char const *p_text = 0, unsigned int n_size = 0);
    /// A deep copy of the other string's whole room from its cursor: its
    /// text, terminator and whatever follows, such as further elements.
    /// @storage Capacity 256 when the other's room is below 256, else that
    ///          room + 256 (a copy of a default string has 768). Cursor at
    ///          the start; the copy owns a buffer of its own.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    CT_String(CT_String const &co_other);
    /// Frees the buffer; pointers from the conversions become invalid.
    ~CT_String();

    /// Makes room for at least the size, then empties the string.
    /// @storage A size below the room empties the room in place: capacity,
    ///          buffer and pointers stay. A size equal to or above the room
    ///          gives a new zero-filled buffer with room 256 (size below 256)
    ///          or size + 256, so `v_SetSize(256)` on a room of 256 gives
    ///          512. With the cursor inside a list the elements before the
    ///          cursor stay and the cursor keeps its offset.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void v_SetSize(unsigned int n_size);
    /// Grows the buffer, keeping its content.
    /// @return 1 if the buffer grew, 0 if the room already held the size
    ///         (then nothing changes).
    /// @storage On growth the new capacity is the size + 512, zero-filled
    ///          behind the old content, which is copied whole; the cursor
    ///          keeps its offset. With the cursor 512 or more bytes into a
    ///          list its offset is added as well, so the room always exceeds
    ///          the size.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    int b_ReSize(unsigned int n_size);
    /// Makes the string a copy of the text: the same as assigning the string
    /// that CT_String(p_text, n_size) would build.
    /// @storage As operator=(CT_String const &). No reference to the
    ///          caller's text remains.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void v_SetPointer(char *p_text, unsigned int n_size);

    /// Assigns a copy of the text; null empties the string.
    /// @storage A text smaller than the room is written in place (capacity
    ///          and pointers stay); otherwise a new buffer with room 256 or
    ///          the text's size + 256. Every byte behind the text, up to the
    ///          end of the room, becomes 0: elements after the cursor are
    ///          erased, those before it stay. The text may lie in this
    ///          string's own buffer; it is copied before the buffer changes.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void operator=(char const *p_text);
    /// Assigns a copy of the other string's whole room from its cursor, as
    /// the copy constructor does. Assigning a string to itself changes nothing.
    /// @storage The other's room is copied in place when it is below this
    ///          room; otherwise into a new buffer with room 256 or the other's
    ///          room + 256.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void operator=(CT_String const &co_other);
    /// Appends the text behind the current text; null appends nothing.
    /// @storage Grows only when both texts together exceed the room, to
    ///          their size + 512, keeping the content. Every byte behind the
    ///          new text becomes 0, which erases elements that followed the
    ///          text. The cursor stays. The text may lie in this string's own
    ///          buffer.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void operator+=(char const *p_text);
    /// A new string: this string's text, then the argument's (null: nothing).
    /// Only the text at the cursor takes part; this string is not changed.
    /// @storage The result has the room of a copy: 768 for up to 511
    ///          characters.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    CT_String operator+(char const *p_text) const;
    /// A new string: this string's text, then the number in decimal, with no
    /// sign and no leading zeros (`CT_String("abc") + 42u` is "abc42").
    /// @storage As operator+(char const *) const.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    CT_String operator+(unsigned int n_number) const;
    /// 1 when both texts are equal byte for byte, else 0: case-sensitive and
    /// free of the locale. Only the texts at both cursors are compared.
    int operator==(CT_String const &co_other) const;
    /// The character at the index from the cursor, zero-extended (0 to 255).
    /// The index equal to the length reads the terminator, 0. There is no
    /// bound check: the caller keeps the index within the room. Use an
    /// unsigned index (see the class notes).
    unsigned short operator[](unsigned int n_index) const;

    /// The cursor, for writing: Windows functions and callers may write a
    /// text there, within the room plus one byte, ending it with a zero byte.
    /// Reserve the room first with v_SetSize().
    /// @storage The string keeps ownership; the pointer is valid until the
    ///          buffer is replaced (see the class notes).
    operator char *();
    /// The cursor, for writing, as operator char *().
    operator unsigned char *();
    /// The cursor, for reading the text.
    operator char const *() const;
    /// The cursor, for reading the text.
    operator unsigned char const *() const;

    /// 1 when the text at the cursor is empty, else 0.
    int b_IsEmpty() const;
    /// Sets every byte of the room to 0.
    /// @storage Capacity, buffer and cursor stay; elements after the cursor
    ///          are erased, those before it stay.
    void v_Empty();
    /// The room: bytes from the cursor to the end of the capacity.
    unsigned int n_GetSize() const;
    /// Bytes of the text (null: this string's text) before its terminator.
    /// The text is walked on every call; no length is stored.
    /// @raises `std::bad_alloc` for a text of 4 GiB or more, which 32 bits
    ///         cannot count.
    unsigned int n_GetStringSize(char const *p_text = 0) const;
    /// Characters of the text (null: this string's text) before its
    /// terminator; with one-byte characters the same as n_GetStringSize().
    unsigned int n_GetLength(char const *p_text = 0) const;
    ///@}

    /// @name Editing and search
    /// Each acts on the text at the cursor; positions count from the cursor.
    ///@{

    /// Replaces every occurrence of one character by another, in place.
    /// The text's length is taken first, so a new character 0 cuts the text
    /// at its first occurrence and leaves the pieces behind it as a list of
    /// elements ("A|*.a||" with '|' by 0 gives the elements "A" and "*.a").
    /// An old character of 0 or above 255 matches nothing.
    /// @storage Capacity and cursor stay; nothing grows.
    void v_ReplaceChar(unsigned short c_old, unsigned short c_new);
    /// Replaces every occurrence of the character by the text (null: empty),
    /// as v_Replace(CT_String const &, char const *) does. A character of 0
    /// or above 255 changes nothing.
    /// @storage As v_Replace(CT_String const &, char const *).
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void v_Replace(unsigned short c_char, char const *p_text);
    /// Replaces every occurrence of the pattern's text by the text (null:
    /// empty). Occurrences are taken from the left and do not overlap ("aa"
    /// by "b" in "aaa" gives "ba"); one that begins inside a broken partial
    /// match is found too ("ab" in "aab"); the inserted text is not searched
    /// again. An empty pattern, or none found, changes nothing.
    /// @storage When something was replaced, the result (room 512 or more)
    ///          is assigned as by operator=(CT_String const &): in place when
    ///          its room is below this room, else into a new buffer with its
    ///          room + 256 ("%" by "" in "%%" on room 256 gives room 768).
    ///          Elements after the text are erased.
    ///          The cursor keeps its offset. The pattern and the text may lie
    ///          in this string's own buffer.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void v_Replace(CT_String const &co_pattern, char const *p_text);
    /// A new string with up to count characters from the start position.
    /// The range is cut to the room, so it never reads outside the buffer;
    /// a negative start or a count of 0 or less gives an empty string, and
    /// start + count is computed without overflow. Zero bytes inside the
    /// range are copied too: `co_GetMid(2, 10)` of "abcd" gives "cd".
    /// @storage The result has room 768 for up to 511 characters; this
    ///          string is not changed.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    CT_String co_GetMid(int i_start, int i_count);
    /// The position of the first occurrence of the pattern's text that
    /// begins at or after the start, or -1. -1 as well for an empty pattern,
    /// a negative start, or a start past the text's length. A match that
    /// begins inside a broken partial match is found: "ab" in "aab" gives 1.
    /// The comparison is byte by byte and case-sensitive. The string is not
    /// changed.
    int i_Search(CT_String const &co_pattern, int i_start);
    /// Stores a character's low byte at a position; nothing is checked,
    /// nothing grows and no terminator is written. Storing 0 cuts the text
    /// there; storing a non-zero byte on the terminator joins the text with
    /// what follows it. The caller keeps the position within the room.
    void v_SetChar(unsigned int n_position, unsigned short c_char);
    ///@}

    /// @name Element lists
    /// Zero-terminated elements one after another, closed by one more zero
    /// byte: the form of the common dialogs' filters and multiple selections.
    /// While the cursor stands on an element, that element is the string's
    /// text for every other operation. None of these is const: even
    /// counting moves the cursor.
    ///@{

    /// Puts the cursor back on the first element.
    void v_ResetArray();
    /// Moves the cursor to the next element.
    /// @return 1 if there is one; 0 on the last element (the cursor then
    ///         stands on the closing zero, where the text is empty), at the
    ///         end of the list or on an empty list (no move).
    int b_NextElement();
    /// Appends the element's text (the text at its cursor) as the new last
    /// element. An empty text changes nothing. The element may be this
    /// string: its current element is added.
    /// @storage Grows when the element does not fit behind the list, also
    ///          when it would fill the room exactly; the elements already
    ///          there stay, a last one that fills the room (its terminator
    ///          in the extra byte) too. The cursor ends on the first element.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void v_AddElement(CT_String const &co_element);
    /// Appends every element of a zero-separated list closed by an empty
    /// element. Null or an empty list adds nothing. The caller's list is only
    /// read, and may be this string's own buffer.
    /// @storage As v_AddElement(); the cursor ends on the first element.
    /// @raises `std::bad_alloc` when no buffer can be allocated.
    void v_PutArray(char const *p_list);
    /// The number of elements; 0 for an empty string.
    /// @storage The cursor ends on the first element.
    unsigned int n_GetNumberOfElement();
    ///@}

    /// @name Window text and copies into a caller's buffer
    ///@{
#if defined(_WIN32)
    /// Sets the window's text (title or control text) to the text at the
    /// cursor. The string is not changed.
    /// @raises et_ErrorCode 2 (e_Windows) with the parameter "SetWindowText"
    ///         when SetWindowTextA fails, for example for a handle that is no
    ///         window; its message ends with the system's text of the error.
    void v_Set(HWND h_window) const;
    /// Takes the window's text into the room at the cursor, cut to the room
    /// minus one characters (255 on a string built from a short text, 511 on
    /// a default-constructed one). Nothing is raised, also when the window
    /// has no text or is no window.
    /// @storage Nothing grows: reserve room with v_SetSize() for a long
    ///          text. Bytes behind the new terminator are not cleared.
    void operator=(HWND const h_window);
#endif
    /// Copies the buffer from the cursor into the caller's buffer of the
    /// given size: all of it set to 0, then up to size - 2 bytes copied (the
    /// text, its terminator and whatever follows, such as further elements),
    /// never more than the room plus one byte. The last two bytes stay 0, so
    /// the destination holds a terminated text, or a whole list if it fits.
    /// Sizes 0 to 2 copy nothing; nothing is written past the size.
    void v_Set(char *p_destination, unsigned int n_size) const;
    ///@}

private:
    void v_DisposeBuffer();
    void v_Copy(char const *p_text);
    void v_CopyBuffer(CT_String const &co_other);

    unsigned int n_Offset() const;
    int b_Holds(char const *p_text) const;
    void v_Reallocate(unsigned int n_newcapacity, unsigned int n_keep);
    void v_Append(char const *p_text, unsigned int n_length);
    void v_MoveToEnd();
    void v_PutElement(char const *p_element, unsigned int n_length);

    char *p_buffer;
    char *p_cursor;
    unsigned int n_capacity;
};

#endif
