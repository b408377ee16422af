// CT_ReadAhead: the block that the delimiter scans read ahead. A line is far
// shorter than a block, and one ReadFile costs more than copying a block, so
// reading a file line by line costs a system call a block, not a byte.
//
// The rule it keeps: while the block holds bytes, the platform's file pointer
// stands at the block's end, and the position is the block's start plus its
// cursor. Without bytes the position is the platform's pointer. Whatever
// calls the platform at the position first gives the bytes up (b_Drop), which
// puts the pointer back at the position.
#ifndef READ_AHEAD_H
#define READ_AHEAD_H

#include <windows.h>

#include <memory>

class CT_PatternMatcher;

/// The bytes between a scan's start and the end of the occurrence it found,
/// less the occurrence's own, into n_count; 0 when they pass 4 GiB, as the
/// count is 32 bits wide.
inline int b_CountBefore(unsigned long long n_start, unsigned long long n_after, unsigned int n_found,
                         unsigned int &n_count)
{
    unsigned long long const n_bytes = n_after - n_start - n_found;
    if (n_bytes > 0xFFFFFFFFull)
        return 0;
    n_count = static_cast<unsigned int>(n_bytes);
    return 1;
}

class CT_ReadAhead
{
public:
    CT_ReadAhead();

    /// The position; 0 when the platform cannot tell it.
    int b_Position(HANDLE h_file, unsigned long long &n_position) const;
    /// Sets the position, inside the block without a platform call; 0 when
    /// the platform cannot, and the position is then unchanged.
    int b_Place(HANDLE h_file, unsigned long long n_position);
    /// Gives the bytes up; 0 when the pointer cannot be put back, and the
    /// bytes are then kept, so the position stays what it was.
    int b_Drop(HANDLE h_file);
    /// Copies the next bytes out of the block when it holds them all; else 0.
    int b_Take(char *p_buffer, unsigned int n_bytes);
    /// Reads on to just past the first place where the matcher's pattern
    /// ends; the bytes from n_keep on stay in the next block when they are
    /// few. 0 at the end of the file, where the position then is, or when a
    /// read fails.
    int b_ScanPast(HANDLE h_file, CT_PatternMatcher &co_scan, unsigned long long n_keep);
    /// Forgets the bytes, as when the file is closed.
    void v_Forget();

private:
    int b_Fill(HANDLE h_file, unsigned long long n_keep);
    unsigned int n_KeepFrom(unsigned long long n_keep);

    std::unique_ptr<unsigned char[]> p_block;
    unsigned long long n_start;
    unsigned int n_length;
    unsigned int n_cursor;
};

#endif
