// How the string's buffer grows. The log reserves room ahead of its appends
// and must stay within what one string can hold.
#ifndef STRING_GROWTH_H
#define STRING_GROWTH_H

#include <climits>
#include <new>

/// An owned buffer never has less room than this, so that short texts can grow in place.
unsigned int const kn_MinCapacity = 256;
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

#endif
