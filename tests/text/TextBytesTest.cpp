// Texts of unknown bytes: what is shown for them, where they are cut and what a backspace takes.
#include "text/TextBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace orv;

TEST(TextBytes, ShownAsUtf8WhereValidAndWindows1252Elsewhere)
{
    const struct
    {
        std::string bytes;
        std::string shown;
    } rows[] = {
        {"Caf\xE9 strings", "Caf\xC3\xA9 strings"}, // é from Windows
        {"\x80 \x93q\x94 \x96 \x9F",
         "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93 \xC5\xB8"},
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"}, // undefined: C1
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB8", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB8"},
        {"cut \xE2\x82", "cut \xC3\xA2\xE2\x80\x9A"}, // a sequence cut short
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80",    // overlong, surrogate, beyond U+10FFFF
         "\xC3\x80\xC2\xAF \xC3\xAD\xC2\xA0\xE2\x82\xAC \xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(toDisplayUtf8(row.bytes), row.shown) << row.bytes;
}

TEST(TextBytes, CutsAndBackspacesTakeWholeCharacters)
{
    const std::string ascii23 = "abcdefghijklmnopqrstuvw";
    const struct
    {
        std::string bytes;
        size_t kept;       // of at most 24 bytes
        size_t lastStarts; // where a backspace cuts
    } rows[] = {
        {ascii23 + "\xC3\xA9", 23, 23},      // é would straddle the cut
        {ascii23 + "x\xE2\x82\xAC", 24, 24}, // € starts after the cut
        {ascii23 + "\xE9xyz", 24, 26},       // Windows bytes are one character each
        {ascii23 + "\xC3", 24, 23},          // a name that fills the field stays whole
        {"ab\xF0\x9F\x8E\xB8", 6, 2},        // fits
        {"Caf\xA9", 4, 3},                   // © from Windows: one byte, not a tail
        {"", 0, 0},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(cutOnCharacterBoundary(row.bytes, 24), row.kept) << row.bytes;
        EXPECT_EQ(lastCharacterStart(row.bytes), row.lastStarts) << row.bytes;
    }
}
