// The texts of the parameters' values, as the editor's displays show them, and the reading of
// such texts back into values. Faces use them where a host shows or asks for a value as text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::effecthost
{

// The unit a text with unit ends with: "dB", "%", "c", or nothing (Transpose shows its sign as
// '#' or 'b' and no unit; Bypass shows "on" or "off").
const char* unitSuffix(int32_t parameter);

// Writes the text the editor shows for a normalized value into text (capacity bytes, the NUL
// included), with its unit ("80%", "-12c", "#7", "-3.5dB", "-oo dB", "on") or without it ("80",
// "-12", "#7", "-3.5", "-oo", "on"). Returns false, writing as much as fits, when the text does
// not fit, and for an index outside 0..7.
bool parameterText(int32_t parameter, float normalized, bool withUnit, char* text, size_t capacity);

// Reads a value text back into the normalized value the editor shows as that text. Accepts what
// parameterText writes, with or without unit, in any letter case, with blanks around the number
// and the unit; also a plain or signed number for Transpose ("+7", "-3"), "-inf" and "-oo" for
// silence at Output, and on/off, 1/0, yes/no, true/false for Bypass. Values beyond a parameter's
// range clamp to its ends. Returns false and leaves normalized unchanged for anything else (an
// empty text, a text with other characters after the value, NaN, an index outside 0..7).
bool parseParameterText(int32_t parameter, const char* text, float& normalized);

} // namespace orv::effecthost
