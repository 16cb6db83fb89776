// The stored form of one program: the same 56 bytes in memory, in the host chunk, in preset and
// bank files and in the per-user settings.
#pragma once

#include <cstdint>
#include <cstring>

inline constexpr int kNumPresetPrograms = 6;
inline constexpr int kNumProgramValues = 8;
inline constexpr int kProgramNameLength = 24;

struct ProgramRecord
{
    // A shorter name ends with a zero byte and zeros fill the rest; a name of exactly 24
    // characters fills the field and has no terminator.
    char name[kProgramNameLength];
    float values[kNumProgramValues];
};
static_assert(sizeof(ProgramRecord) == 56);

// Stores text into a name field: the first 24 bytes of a long text, otherwise the text with
// its terminator on a zeroed field.
inline void storeProgramName(ProgramRecord& program, const char* text)
{
    const size_t length = std::strlen(text);
    if (length >= kProgramNameLength)
    {
        std::memcpy(program.name, text, kProgramNameLength);
        return;
    }
    std::memset(program.name, 0, kProgramNameLength);
    std::memcpy(program.name, text, length + 1);
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
