#include "ReadAhead.h"

#include <cstring>

#include "PatternMatcher.h"

namespace
{
// One block: each call costs more than copying this many bytes, and the block
// stays small beside the object's other room.
unsigned int const n_BlockBytes = 4096;
// A scan that runs past its block keeps up to this many of the bytes it
// passed in the next one, so that the count of a line that crosses two blocks
// is set back, and the line read, without a platform call.
unsigned int const n_MostKeptBytes = n_BlockBytes / 2;

// Moves the platform's file pointer and gives where it now stands; 0 when
// the platform cannot, and the pointer is then unchanged.
int b_MovePointer(HANDLE h_file, long long n_distance, DWORD n_method, unsigned long long &n_position)
{
    LARGE_INTEGER so_distance;
    so_distance.QuadPart = n_distance;
    LARGE_INTEGER so_position;
    if (!SetFilePointerEx(h_file, so_distance, &so_position, n_method))
        return 0;
    n_position = static_cast<unsigned long long>(so_position.QuadPart);
    return 1;
}
} // namespace

CT_ReadAhead::CT_ReadAhead() : n_start(0), n_length(0), n_cursor(0)
{
}

int CT_ReadAhead::b_Position(HANDLE h_file, unsigned long long &n_position) const
{
    if (n_length != 0)
    {
        n_position = n_start + n_cursor;
        return 1;
    }
    return b_MovePointer(h_file, 0, FILE_CURRENT, n_position);
}

int CT_ReadAhead::b_Place(HANDLE h_file, unsigned long long n_position)
{
    if (n_length != 0 && n_position >= n_start && n_position - n_start <= n_length)
    {
        n_cursor = static_cast<unsigned int>(n_position - n_start);
        return 1;
    }
    unsigned long long n_now = 0;
    return b_Drop(h_file) && b_MovePointer(h_file, static_cast<long long>(n_position), FILE_BEGIN, n_now);
}

int CT_ReadAhead::b_Drop(HANDLE h_file)
{
    unsigned int const n_ahead = n_length - n_cursor;
    unsigned long long n_back = 0;
    if (n_ahead != 0 && !b_MovePointer(h_file, -static_cast<long long>(n_ahead), FILE_CURRENT, n_back))
        return 0;
    v_Forget();
    return 1;
}

int CT_ReadAhead::b_Take(char *p_buffer, unsigned int n_bytes)
{
    if (n_bytes > n_length - n_cursor)
        return 0;
    std::memcpy(p_buffer, p_block.get() + n_cursor, n_bytes);
    n_cursor += n_bytes;
    return 1;
}

int CT_ReadAhead::b_ScanPast(HANDLE h_file, CT_PatternMatcher &co_scan, unsigned long long n_keep)
{
    while (!co_scan.b_Found())
    {
        if (n_cursor == n_length && !b_Fill(h_file, n_keep))
            return 0;
        n_cursor += co_scan.n_Feed(p_block.get() + n_cursor, n_length - n_cursor);
    }
    return 1;
}

void CT_ReadAhead::v_Forget()
{
    n_length = 0;
    n_cursor = 0;
}

// Reads the next block at the platform's pointer, which stands at the
// position since the block before it is used up; where that block ends is
// known, so only without one is the platform asked. The used-up block's bytes
// from n_keep on come first in the new one, when they are few enough.
int CT_ReadAhead::b_Fill(HANDLE h_file, unsigned long long n_keep)
{
    unsigned long long n_end = n_start + n_length;
    if (n_length == 0 && !b_MovePointer(h_file, 0, FILE_CURRENT, n_end))
        return 0;
    unsigned int const n_kept = n_KeepFrom(n_keep);
    v_Forget();
    if (!p_block)
        p_block.reset(new unsigned char[n_BlockBytes]);
    DWORD n_done = 0;
    if (!ReadFile(h_file, p_block.get() + n_kept, n_BlockBytes - n_kept, &n_done, NULL))
        return 0;
    if (n_done == 0)
    {
        SetLastError(ERROR_HANDLE_EOF); // the reason a scan that runs to the end fails
        return 0;
    }
    n_start = n_end - n_kept;
    n_length = n_kept + n_done;
    n_cursor = n_kept;
    return 1;
}

// Moves the block's bytes from n_keep to its end to its front and gives how
// many; none when the block does not hold that position past its start, or
// more than n_MostKeptBytes would be kept.
unsigned int CT_ReadAhead::n_KeepFrom(unsigned long long n_keep)
{
    if (n_length == 0 || n_keep <= n_start || n_keep - n_start >= n_length)
        return 0;
    unsigned int const n_offset = static_cast<unsigned int>(n_keep - n_start);
    unsigned int const n_kept = n_length - n_offset;
    if (n_kept > n_MostKeptBytes)
        return 0;
    std::memmove(p_block.get(), p_block.get() + n_offset, n_kept);
    return n_kept;
}
