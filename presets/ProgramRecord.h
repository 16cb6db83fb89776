// The stored form of one program: the same 56 bytes in memory, in the host chunk, in preset and
// bank files and in the per-user settings.
#pragma once

#include "text/TextBytes.h"

#include <cstdint>
#include <cstring>
#include <string_view>

inline constexpr int kNumPresetPrograms = 6;
inline constexpr int kNumProgramValues = 8;
inline constexpr int kProgramNameLength = 24;

// A parameter value as it may be kept, shown and saved: 0..1 (kept bit for bit), a value beyond
// either end taken to that end. A NaN is no value at all: the value it would replace, `kept`,
// stays (and a `kept` that is no number either becomes 0).
inline float storableValue(float value, float kept)
{
    if (value != value) value = kept;
    if (value >= 0.0f && value <= 1.0f) return value;
    return value > 1.0f ? 1.0f : 0.0f;
}

struct ProgramRecord
{
    // A shorter name ends with a zero byte and zeros fill the rest; a name of exactly 24
    // characters fills the field and has no terminator.
    char name[kProgramNameLength];
    float values[kNumProgramValues];
};
static_assert(sizeof(ProgramRecord) == 56);

// How many bytes of a name to store: all of a name that fits, otherwise at most 24 without
// splitting a character (a UTF-8 sequence; any other byte is a character of its own, so names
// made on Windows are cut at exactly 24). A name of 24 bytes or less is never changed.
inline size_t programNameLength(std::string_view text)
{
    return orv::cutOnCharacterBoundary(text, kProgramNameLength);
}

// Stores text into a name field: a name of 24 bytes fills the field unterminated, a shorter one
// (or a longer one cut before a character that would not fit whole) is followed by zeros.
inline void storeProgramName(ProgramRecord& program, const char* text)
{
    const size_t length = programNameLength(text);
    std::memset(program.name, 0, kProgramNameLength);
    std::memcpy(program.name, text, length);
}

// Reverses the four bytes of a 32-bit value in place: the one byte-order tool of the stored
// formats.
inline void byteSwap32(void* value)
{
    auto* b = static_cast<unsigned char*>(value);
    unsigned char t = b[0];
    b[0] = b[3];
    b[3] = t;
    t = b[1];
    b[1] = b[2];
    b[2] = t;
}

inline uint32_t byteSwapped32(uint32_t value)
{
    byteSwap32(&value);
    return value;
}
