// What the stress tests share: an effect's saved chunk through its record, and reading and
// writing the chunk's current program and stored values.
#pragma once

#include "plugin/vst24.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace stress
{
using Bytes = std::vector<unsigned char>;

// Bit for bit, so that a NaN equals itself.
inline bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

inline Bytes chunkOf(AEffect* effect)
{
    void* data = nullptr;
    const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0.0f);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return size > 0 ? Bytes(bytes, bytes + size) : Bytes{};
}

inline VstIntPtr loadChunk(AEffect* effect, Bytes chunk)
{
    return effect->dispatcher(effect, effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()),
                              chunk.data(), 0.0f);
}

inline int32_t currentOf(const Bytes& chunk)
{
    int32_t v;
    std::memcpy(&v, chunk.data() + 12, 4);
    return v;
}

inline void putCurrent(Bytes& chunk, int32_t current)
{
    std::memcpy(chunk.data() + 12, &current, 4);
}

inline float storedValue(const Bytes& chunk, int program, int k)
{
    float v;
    std::memcpy(&v, chunk.data() + 32 + 56 * program + 24 + 4 * k, 4);
    return v;
}

inline void putValue(Bytes& chunk, int program, int k, float v)
{
    std::memcpy(chunk.data() + 32 + 56 * program + 24 + 4 * k, &v, 4);
}

// The same chunk with another program as the current one: how a host's saved session switches
// the plug-in's own programs.
inline Bytes withCurrent(Bytes chunk, int32_t current)
{
    putCurrent(chunk, current);
    return chunk;
}
} // namespace stress
