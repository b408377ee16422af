// How the string's buffer grows. The log reserves room ahead of its appends
// and must stay within what one string can hold; the string test calls the
// capacity arithmetic with sizes it could never allocate.
#ifndef STRING_GROWTH_H
#define STRING_GROWTH_H

#include <climits>
#include <new>
#include <vector>

/// An owned buffer never has less room than this, so that short texts can grow in place.
unsigned int const kn_MinCapacity = 256;
/// What a string built without a text asks for: room for 511 characters and their terminator.
unsigned int const kn_DefaultRequest = 256;
/// Spare room a sized request gets on top of the size; b_ReSize asks for that much more again.
unsigned int const kn_Spare = 256;
/// The largest size b_ReSize takes for a cursor at the start: it adds twice
/// the spare and a terminator's byte, all in 32 bits.
unsigned int const kn_MaxReSize = UINT_MAX - 2 * kn_Spare - 1;

/// The room a string that must take the size would get, counted wide so
/// that it cannot wrap: for comparing before anything is allocated.
inline unsigned long long n_WideRoomFor(unsigned long long n_size)
{
    return n_size < kn_MinCapacity ? kn_MinCapacity : n_size + kn_Spare;
}

/// The room a string that must take the size gets: what v_SetSize gives, and
/// what a string built from a text of that many bytes has.
inline unsigned int n_RoomFor(unsigned int n_size)
{
    // A wrapped capacity would be smaller than the size it must hold.
    if (n_size > UINT_MAX - kn_Spare - 1)
        throw std::bad_alloc();
    return static_cast<unsigned int>(n_WideRoomFor(n_size));
}

/// The capacity after b_ReSize(n_size) on a string of that capacity whose cursor is at the start.
/// The size is taken wide, so that a sum of sizes past 32 bits raises instead of wrapping to a small room.
inline unsigned int n_GrownCapacity(unsigned int n_capacity, unsigned long long n_size)
{
    if (n_size <= n_capacity)
        return n_capacity;
    if (n_size > UINT_MAX - kn_Spare)
        throw std::bad_alloc();
    return n_RoomFor(static_cast<unsigned int>(n_size) + kn_Spare);
}

/// The capacity that replacing piece by piece gives: a default string to which each stretch of
/// text and each replacement is appended in turn. On a 64-bit build the total may pass 4 GiB:
/// it is counted wide, and raises before the result's buffer is allocated.
inline unsigned int n_ReplacedCapacity(std::vector<unsigned int> const &no_found, unsigned int n_length,
                                       unsigned int n_patternlength, unsigned int n_replacement)
{
    unsigned int n_capacity = n_RoomFor(kn_DefaultRequest);
    unsigned long long n_total = 0;
    unsigned int n_resume = 0;
    for (unsigned int n_position : no_found)
    {
        n_total += n_position - n_resume;
        n_capacity = n_GrownCapacity(n_capacity, n_total);
        n_total += n_replacement;
        n_capacity = n_GrownCapacity(n_capacity, n_total);
        n_resume = n_position + n_patternlength;
    }
    return n_GrownCapacity(n_capacity, n_total + n_length - n_resume);
}

#endif
