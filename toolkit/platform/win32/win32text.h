#pragma once
// Text conversions between the toolkit's UTF-8 and the UTF-16 of the Windows API.
#include <string>

namespace VSTGUI
{

// UTF-8 to UTF-16 for text that is shown: a byte that does not start a valid UTF-8 sequence
// stands for its Windows-1252 character (names written by Windows programs are in that code
// page), so no byte sequence makes text disappear.
std::wstring displayTextToWide(const char* utf8);

// Strict conversions for names (file paths, font names): empty when the input is not valid.
std::wstring utf8ToWide(const char* utf8);
std::string wideToUtf8(const wchar_t* wide, size_t length);

} // namespace VSTGUI
