// The line reader exactly as the file format's rules read at face value, kept
// as the baseline that the library's reader is measured against: every byte
// of a delimiter scan is a ReadFile call of its own; counting scans up to the
// delimiter and sets the pointer back; the span is then read in one call and
// the delimiter scanned byte by byte a second time.
#ifndef NAIVE_LINE_READER_H
#define NAIVE_LINE_READER_H

#include <windows.h>

#include <string>

namespace bench
{
class CT_NaiveLineReader
{
public:
    /// Opens the file for reading; throws std::runtime_error if it cannot.
    explicit CT_NaiveLineReader(std::string const &co_path);
    ~CT_NaiveLineReader();
    CT_NaiveLineReader(CT_NaiveLineReader const &) = delete;
    CT_NaiveLineReader &operator=(CT_NaiveLineReader const &) = delete;

    /// The text before the next delimiter, moving past it; 0 (text unchanged)
    /// when the file ends first.
    int b_ReadUntil(std::string &co_text, char const *p_delimiter);

private:
    int b_ReadChar(char &c_char);
    int b_MoveUntil(char const *p_delimiter);
    int b_CountUntil(char const *p_delimiter, unsigned int &n_count);

    HANDLE h_file;
};
} // namespace bench

#endif
