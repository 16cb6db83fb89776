#include "text/TextBytes.h"

#include <cstdint>

namespace orv
{

namespace
{
bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Windows-1252 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
} // namespace

size_t utf8SequenceLength(std::string_view bytes)
{
    if (bytes.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    if (b0 < 0x80) return 1;
    size_t length;
    // The allowed range of the second byte excludes overlong forms, surrogates and code points
    // above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        length = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
    {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    }
    else if (b0 >= 0xF0 && b0 <= 0xF4)
    {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    }
    else
        return 0;
    if (bytes.size() < length) return 0;
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b1 < low || b1 > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(bytes[i]))) return 0;
    return length;
}

size_t characterLength(std::string_view bytes)
{
    if (bytes.empty()) return 0;
    const size_t n = utf8SequenceLength(bytes);
    return n == 0 ? 1 : n;
}

std::string toDisplayUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (size_t i = 0; i < bytes.size();)
    {
        const size_t n = utf8SequenceLength(bytes.substr(i));
        if (n > 0)
        {
            out.append(bytes.substr(i, n));
            i += n;
            continue;
        }
        const auto b = static_cast<unsigned char>(bytes[i++]);
        appendUtf8(out, b < 0xA0 ? kWindows1252High[b - 0x80] : b);
    }
    return out;
}

size_t cutOnCharacterBoundary(std::string_view bytes, size_t maxBytes)
{
    if (bytes.size() <= maxBytes) return bytes.size();
    size_t end = 0;
    while (end < bytes.size())
    {
        const size_t n = characterLength(bytes.substr(end));
        if (end + n > maxBytes) break;
        end += n;
    }
    return end;
}

size_t lastCharacterStart(std::string_view bytes)
{
    size_t start = bytes.size();
    for (size_t i = 0; i < bytes.size(); i += characterLength(bytes.substr(i)))
        start = i;
    return start;
}

} // namespace orv
