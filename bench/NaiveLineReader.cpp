#include "NaiveLineReader.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace bench
{
CT_NaiveLineReader::CT_NaiveLineReader(std::string const &co_path)
    : h_file(CreateFileA(co_path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL))
{
    if (h_file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + co_path);
}

CT_NaiveLineReader::~CT_NaiveLineReader()
{
    CloseHandle(h_file);
}

int CT_NaiveLineReader::b_ReadChar(char &c_char)
{
    DWORD n_read = 0;
    c_char = 0;
    return ReadFile(h_file, &c_char, 1, &n_read, NULL) && n_read == 1;
}

// The pattern is the delimiter as 16-bit units; a byte that breaks a partial
// match off sets the count back to 0 and is not compared again.
int CT_NaiveLineReader::b_MoveUntil(char const *p_delimiter)
{
    size_t const n_length = std::strlen(p_delimiter);
    char *p_pattern = new char[2 * n_length + 2];
    std::mbstowcs(reinterpret_cast<wchar_t *>(p_pattern), p_delimiter, n_length);
    size_t n_matched = 0;
    int b_found = 1;
    while (n_matched < 2 * n_length)
    {
        char c_char;
        if (!b_ReadChar(c_char))
        {
            b_found = 0;
            break;
        }
        n_matched = c_char == p_pattern[n_matched] ? n_matched + 1 : 0;
    }
    delete[] p_pattern;
    return b_found;
}

int CT_NaiveLineReader::b_CountUntil(char const *p_delimiter, unsigned int &n_count)
{
    DWORD const n_start = SetFilePointer(h_file, 0, NULL, FILE_CURRENT);
    if (!b_MoveUntil(p_delimiter))
        return 0;
    DWORD const n_end = SetFilePointer(h_file, 0, NULL, FILE_CURRENT);
    SetFilePointer(h_file, static_cast<LONG>(n_start), NULL, FILE_BEGIN);
    n_count = n_end - n_start - 2 * static_cast<unsigned int>(std::strlen(p_delimiter));
    return 1;
}

int CT_NaiveLineReader::b_ReadUntil(std::string &co_text, char const *p_delimiter)
{
    unsigned int n_count = 0;
    if (!b_CountUntil(p_delimiter, n_count))
        return 0;
    char *p_units = new char[n_count + 2];
    DWORD n_read = 0;
    if (n_count > 0)
        ReadFile(h_file, p_units, n_count, &n_read, NULL);
    p_units[n_count] = 0;
    p_units[n_count + 1] = 0;
    char *p_narrow = new char[n_count + 2];
    std::wcstombs(p_narrow, reinterpret_cast<wchar_t *>(p_units), n_count + 2);
    co_text.assign(p_narrow);
    int const b_moved = b_MoveUntil(p_delimiter);
    delete[] p_narrow;
    delete[] p_units;
    return b_moved;
}
} // namespace bench
