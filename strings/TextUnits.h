// Texts as the 16-bit units that files hold, one unit a character as the
// current locale reads it; used by the file class, free of the platform.
//
//   std::vector<wchar_t> co_units = co_Widen(co_text, co_text.n_GetStringSize());
//   v_AssignNarrowed(co_line, co_units.data(), n_bytes); // as CT_String(narrow form)
#ifndef TEXT_UNITS_H
#define TEXT_UNITS_H

#include <vector>

class CT_String;

/// The units of the text's first bytes, up to a zero byte. Bytes the locale
/// cannot read become the unit of their own value, so no part is dropped.
std::vector<wchar_t> co_Widen(char const *p_text, unsigned int n_bytes);

/// 1 when the units' bytes can be counted in 32 bits, as one write takes
/// them; 0 for 2 Gi units or more.
inline int b_FitsOneWrite(unsigned long long n_units)
{
    return n_units <= 0x7FFFFFFFull ? 1 : 0;
}

/// Empties the string with room for the units' bytes, then assigns the narrow
/// form of the zero-terminated units, with the room that assigning a string
/// built from that form leaves: the narrow form is written straight into it.
/// Units with no narrow form become '?'.
void v_AssignNarrowed(CT_String &co_text, wchar_t const *p_units, unsigned int n_bytes);

#endif
