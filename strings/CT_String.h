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

class COMMON_API CT_String
{
public:
    /// A copy of the text, with the room v_SetSize gives its size (or a non-zero
    /// size argument); a null text gives an empty string of room 512.
    CT_String(char const *p_text = 0, unsigned int n_size = 0);
    /// A deep copy of the other string's whole room from its cursor.
    CT_String(CT_String const &co_other);
    ~CT_String();

    /// Makes room for at least the size, then empties the string.
    void v_SetSize(unsigned int n_size);
    /// Grows the buffer, keeping its content; 1 if it grew, 0 if the room sufficed.
    int b_ReSize(unsigned int n_size);
    /// Makes the string a copy of the text, as construction from (text, size).
    void v_SetPointer(char *p_text, unsigned int n_size);

    void operator=(char const *p_text);
    void operator=(CT_String const &co_other);
    /// Appends the text behind the current text; bytes after it become 0.
    void operator+=(char const *p_text);
    /// This string's text followed by the argument's.
    CT_String operator+(char const *p_text) const;
    /// This string's text followed by the number in decimal.
    CT_String operator+(unsigned int n_number) const;
    /// 1 when both texts are equal byte for byte, else 0.
    int operator==(CT_String const &co_other) const;
    /// The character at the index from the cursor (no bound check).
    unsigned short const operator[](unsigned int n_index) const;

    /// The cursor, for reading or for writing within the room.
    operator char *();
    operator unsigned char *();
    operator char const *() const;
    operator unsigned char const *() const;

    int b_IsEmpty() const;
    /// Sets every byte of the room to 0; capacity and cursor stay.
    void v_Empty();
    /// The room: bytes from the cursor to the end of the capacity.
    unsigned int n_GetSize() const;
    /// Bytes of the text (null: this string's text) before its terminator.
    unsigned int n_GetStringSize(char const *p_text = 0) const;
    /// Characters of the text (null: this string's text) before its terminator.
    unsigned int n_GetLength(char const *p_text = 0) const;

    // Editing and search.
    /// Replaces every occurrence of one character by another, in place.
    void v_ReplaceChar(unsigned short c_old, unsigned short c_new);
    /// Replaces every occurrence of the character by the text.
    void v_Replace(unsigned short c_char, char const *p_text);
    /// Replaces every occurrence of the pattern's text by the text.
    void v_Replace(CT_String const &co_pattern, char const *p_text);
    /// Up to count characters from the start position.
    CT_String co_GetMid(int i_start, int i_count);
    /// Position of the pattern at or after the start, or -1.
    int i_Search(CT_String const &co_pattern, int i_start);
    /// Stores a character at a position within the room; nothing grows.
    void v_SetChar(unsigned int n_position, unsigned short c_char);

    // Element lists.
    /// Puts the cursor back on the first element.
    void v_ResetArray();
    /// Moves to the next element; 1 if there is one, 0 at the end of the list.
    int b_NextElement();
    /// Appends the element's text as the new last element.
    void v_AddElement(CT_String const &co_element);
    /// Appends every element of a zero-separated, zero-closed list.
    void v_PutArray(char const *p_list);
    /// The number of elements; the cursor ends on the first.
    unsigned int n_GetNumberOfElement();

#if defined(_WIN32)
    /// Sets the window's text; raises code 2 "SetWindowText" on failure.
    void v_Set(HWND h_window) const;
    /// Takes the window's text, cut to the room minus one.
    void operator=(HWND const h_window);
#endif
    /// Copies the buffer from the cursor into the destination, which always
    /// ends with two zero bytes.
    void v_Set(char *p_destination, unsigned int n_size) const;

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
