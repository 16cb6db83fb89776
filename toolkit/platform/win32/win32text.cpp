#include "win32text.h"
#include <windows.h>

namespace VSTGUI
{
namespace
{
// Windows-1252 0x80..0x9F; the five bytes it leaves undefined keep their C1 code points, as
// Windows' own conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendCodePoint(std::wstring& out, uint32_t c)
{
    if (c >= 0x10000)
    {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
    else
        out += static_cast<wchar_t>(c);
}

// Length of the valid UTF-8 sequence at s (1 to 4) and its code point, or 0 when invalid.
int decodeOne(const unsigned char* s, uint32_t& c)
{
    const unsigned char b = s[0];
    int length;
    uint32_t min;
    if (b < 0x80)
    {
        c = b;
        return 1;
    }
    if ((b & 0xE0) == 0xC0)
        length = 2, c = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0)
        length = 3, c = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0)
        length = 4, c = b & 0x07, min = 0x10000;
    else
        return 0;
    for (int i = 1; i < length; ++i)
    {
        if ((s[i] & 0xC0) != 0x80) return 0; // also stops at the terminator
        c = (c << 6) | (s[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}
} // namespace

std::wstring displayTextToWide(const char* utf8)
{
    std::wstring out;
    if (!utf8) return out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    while (*s)
    {
        uint32_t c = 0;
        int n = decodeOne(s, c);
        if (n == 0)
        {
            c = (*s >= 0x80 && *s < 0xA0) ? kCp1252High[*s - 0x80] : *s;
            n = 1;
        }
        appendCodePoint(out, c);
        s += n;
    }
    return out;
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
