#include "vst3/Utf16.h"

#include <cstdint>

namespace orv::vst3face
{
namespace
{
// Decodes one UTF-8 character at `at` (advancing it); U+FFFD for a malformed sequence.
char32_t nextCodePoint(const std::string& text, size_t& at)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at++);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4) return 0xFFFD;
    char32_t c = lead & (0x3F >> extra);
    for (; extra > 0; --extra)
    {
        if (at >= text.size() || (byte(at) & 0xC0) != 0x80) return 0xFFFD;
        c = c << 6 | (byte(at++) & 0x3F);
    }
    return c > 0x10FFFF || (c >= 0xD800 && c < 0xE000) ? 0xFFFD : c;
}
} // namespace

void copyUtf16(char16_t* to, size_t capacity, const std::string& text)
{
    if (!to || capacity == 0) return;
    size_t n = 0;
    for (size_t at = 0; at < text.size();)
    {
        const char32_t c = nextCodePoint(text, at);
        const size_t units = c > 0xFFFF ? 2 : 1;
        if (n + units >= capacity) break;
        if (units == 2)
        {
            to[n++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            to[n++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
            to[n++] = static_cast<char16_t>(c);
    }
    to[n] = 0;
}

std::string toUtf8(const char16_t* text, size_t capacity)
{
    std::string out;
    if (!text) return out;
    for (size_t i = 0; i < capacity && text[i]; ++i)
    {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < capacity && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace orv::vst3face
