// Texts as the plug-in meets them: byte strings without a declared encoding. Names typed on this
// system are UTF-8; names made on Windows (in chunks, preset and bank files, from hosts) carry
// Windows-1252 bytes, and a name cut to a byte limit by an older writer may end inside a UTF-8
// character. One reading serves them all: every well-formed UTF-8 sequence is one character, every
// other byte is one Windows-1252 character. The bytes themselves are never rewritten: only what
// is drawn or measured is converted, and cuts fall between characters of this reading.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orv
{

// Length (1 to 4) of the well-formed UTF-8 sequence that starts `bytes`; 0 when the bytes there
// are not one (a stray continuation byte, an overlong form, a surrogate, a cut-off sequence).
size_t utf8SequenceLength(std::string_view bytes);

// The bytes of one character of the reading above, starting at `bytes`: the UTF-8 sequence's
// length, or 1. 0 for an empty view.
size_t characterLength(std::string_view bytes);

// The text as valid UTF-8: well-formed sequences are kept, every other byte becomes the
// Windows-1252 character it stands for (the five bytes Windows-1252 leaves undefined become the
// control characters of the same number, as Windows maps them). Valid input comes back unchanged.
std::string toDisplayUtf8(std::string_view bytes);

// How many bytes of `bytes` to keep to cut it to at most `maxBytes` without splitting a character:
// all of them when they fit, otherwise the end of the last character that fits whole.
size_t cutOnCharacterBoundary(std::string_view bytes, size_t maxBytes);

// Where the last character starts (the size for an empty text): what a backspace removes.
size_t lastCharacterStart(std::string_view bytes);

} // namespace orv
