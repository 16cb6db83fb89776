// The format's strings are UTF-16; the effect's are UTF-8 (program names) or ASCII.
#pragma once

#include <cstddef>
#include <string>

namespace orv::vst3face
{

// Copies UTF-8 `text` into `to` (capacity units, terminator included), cut at a whole character.
void copyUtf16(char16_t* to, size_t capacity, const std::string& text);

// The UTF-8 form of a terminated UTF-16 string, reading at most `capacity` units.
std::string toUtf8(const char16_t* text, size_t capacity);

} // namespace orv::vst3face
