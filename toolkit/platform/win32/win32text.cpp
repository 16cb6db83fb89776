#include "win32text.h"
#include "text/TextBytes.h"
#include <windows.h>

namespace VSTGUI
{
std::wstring displayTextToWide(const char* bytes)
{
    return bytes ? utf8ToWide(orv::toDisplayUtf8(bytes).c_str()) : std::wstring();
}

std::wstring utf8ToWide(const char* utf8)
{
    if (!utf8 || !*utf8) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string wideToUtf8(const wchar_t* wide, size_t length)
{
    if (!wide || length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, static_cast<int>(length),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, static_cast<int>(length), out.data(),
                        n, nullptr, nullptr);
    return out;
}

} // namespace VSTGUI
