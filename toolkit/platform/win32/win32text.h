#pragma once
// Text conversions between the toolkit's UTF-8 and the UTF-16 of the Windows API.
#include <string>

namespace VSTGUI
{

// Bytes to UTF-16 for text that is shown, read as the toolkit reads every text (UTF-8 where it
// is valid, Windows-1252 elsewhere; text/TextBytes.h), so no byte sequence makes text disappear.
std::wstring displayTextToWide(const char* bytes);

// Strict conversions for names (file paths, font names): empty when the input is not valid.
std::wstring utf8ToWide(const char* utf8);
std::string wideToUtf8(const wchar_t* wide, size_t length);

} // namespace VSTGUI
