// Conversions between the plug-in's UTF-8 text and the UTF-16 of the Windows API. Both are
// strict: text that is not valid in its encoding converts to nothing, and callers treat that as
// a failure, never as a shorter or altered name.
#pragma once

#include <string>

// False when `utf8` is not valid UTF-8.
bool utf8ToWide(const std::string& utf8, std::wstring& wide);
// False when `wide` is not valid UTF-16 (an unpaired surrogate).
bool wideToUtf8(const std::wstring& wide, std::string& utf8);
