// The program store as the host reaches it: program names and the 368-byte chunk, in both byte
// orders, with every malformed chunk rejected without a trace.
#include "presets/ProgramRecord.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

const char* const kFactoryNames[6] = {"Default",    "Bright",        "High",
                                      "Low & Dark", "Almost reverb", "Detuned"};

int32_t int32At(const Bytes& b, size_t at)
{
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void putInt32(Bytes& b, size_t at, int32_t v)
{
    std::memcpy(b.data() + at, &v, 4);
}

float valueAt(const Bytes& chunk, int program, int k)
{
    float v;
    std::memcpy(&v, chunk.data() + 32 + 56 * program + 24 + 4 * k, 4);
    return v;
}

void putValue(Bytes& chunk, int program, int k, float v)
{
    std::memcpy(chunk.data() + 32 + 56 * program + 24 + 4 * k, &v, 4);
}

std::string nameAt(const Bytes& chunk, int program)
{
    const char* field = reinterpret_cast<const char*>(chunk.data() + 32 + 56 * program);
    return std::string(field, strnlen(field, 24));
}

// The same chunk as a machine of the other byte order writes it: every 32-bit field and float
// reversed, names unchanged.
Bytes otherByteOrder(Bytes chunk)
{
    for (size_t at = 0; at < 32; at += 4)
        byteSwap32(chunk.data() + at);
    for (int p = 0; p < 6; ++p)
        for (int k = 0; k < 8; ++k)
            byteSwap32(chunk.data() + 32 + 56 * p + 24 + 4 * k);
    return chunk;
}

struct State
{
    Bytes chunk;
    std::array<float, 8> parameters;
    bool operator==(const State&) const = default;
};

State stateOf(const LoadedPlugin& plugin)
{
    State s{plugin.chunk(), {}};
    for (int i = 0; i < 8; ++i)
        s.parameters[static_cast<size_t>(i)] = plugin.getParameter(i);
    return s;
}

VstIntPtr setChunk(const LoadedPlugin& plugin, Bytes data, VstIntPtr size = -2)
{
    if (size == -2) size = static_cast<VstIntPtr>(data.size());
    return plugin.dispatch(effSetChunk, 0, size, data.data());
}
} // namespace

TEST(ProgramChunk, LayoutOfAFreshInstance)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    void* data = nullptr;
    ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &data), 368);
    void* presetData = nullptr;
    // A preset request carries the same whole-bank chunk.
    ASSERT_EQ(plugin.dispatch(effGetChunk, 1, 0, &presetData), 368);
    const Bytes chunk = plugin.chunk();

    const Bytes header(chunk.begin(), chunk.begin() + 8);
    EXPECT_EQ(header, (Bytes{0x00, 0x00, 0x00, 0x01, 0x79, 0x53, 0x72, 0x4F}));
    EXPECT_EQ(int32At(chunk, 8), 6);
    EXPECT_EQ(int32At(chunk, 12), 0);
    for (size_t at = 16; at < 32; ++at)
        EXPECT_EQ(chunk[at], 0) << at;
    for (int p = 0; p < 6; ++p)
    {
        EXPECT_EQ(nameAt(chunk, p), kFactoryNames[p]);
        // No stray bytes after a name's terminator.
        for (size_t at = std::strlen(kFactoryNames[p]); at < 24; ++at)
            EXPECT_EQ(chunk[32 + 56 * p + at], 0) << "program " << p << " byte " << at;
    }
    EXPECT_EQ(valueAt(chunk, 2, 4), 0.75f); // "High" transposes up an octave
    EXPECT_EQ(valueAt(chunk, 5, 6), 1.0f);  // "Detuned" has full detune
}

TEST(ProgramChunk, ProgramNamesThroughTheDispatcher)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    for (int i = 0; i < 6; ++i)
    {
        char name[64] = {};
        EXPECT_EQ(plugin.dispatch(effGetProgramNameIndexed, i, 0, name), 1);
        EXPECT_STREQ(name, kFactoryNames[i]);
    }
    char name[64];
    std::memset(name, 0x5A, sizeof name);
    EXPECT_EQ(plugin.dispatch(effGetProgramNameIndexed, 6, 0, name), 0);
    EXPECT_EQ(plugin.dispatch(effGetProgramNameIndexed, -1, 0, name), 0);
    EXPECT_EQ(name[0], 0x5A);
    // The category (value) is ignored.
    EXPECT_EQ(plugin.dispatch(effGetProgramNameIndexed, 2, 5, name), 1);
    EXPECT_STREQ(name, "High");
}

TEST(ProgramChunk, NamesAreCutToTwentyFourCharacters)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const std::string longName = "A thirty character long name!!";
    ASSERT_EQ(longName.size(), 30u);
    host.clear();
    plugin.dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    // Renaming through the host does not ask the host to refresh.
    EXPECT_TRUE(host.callsWith(audioMasterUpdateDisplay).empty());

    char name[64];
    std::memset(name, 0x5A, sizeof name);
    plugin.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(name), longName.substr(0, 24));
    EXPECT_EQ(name[24], 0);
    EXPECT_EQ(name[25], 0x5A) << "exactly 25 bytes are written";

    // In the chunk the field is full and unterminated.
    const Bytes chunk = plugin.chunk();
    EXPECT_EQ(std::memcmp(chunk.data() + 32, longName.data(), 24), 0);
    EXPECT_EQ(nameAt(chunk, 1), "Bright");

    // A shorter name afterwards zero-fills the rest of the field.
    plugin.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Short"));
    const Bytes after = plugin.chunk();
    EXPECT_EQ(nameAt(after, 0), "Short");
    for (size_t at = 5; at < 24; ++at)
        EXPECT_EQ(after[32 + at], 0);
}

TEST(ProgramChunk, RoundTripRestoresNamesValuesAndTheCurrentProgram)
{
    RecordingHost host;
    LoadedPlugin source(host);
    Bytes saved = source.chunk();
    // Make the saved state distinctive: current program 3, renamed, odd values.
    putInt32(saved, 12, 3);
    std::memcpy(saved.data() + 32 + 56 * 3, "Renamed\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24);
    for (int k = 0; k < 8; ++k)
        putValue(saved, 3, k, 0.1f * static_cast<float>(k + 1));

    LoadedPlugin target(host);
    host.clear();
    EXPECT_EQ(setChunk(target, saved), 0);
    EXPECT_EQ(host.callsWith(audioMasterUpdateDisplay).size(), 1u);
    const Bytes restored = target.chunk();
    EXPECT_EQ(int32At(restored, 12), 3);
    EXPECT_EQ(nameAt(restored, 3), "Renamed");
    char name[32] = {};
    target.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Renamed");
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(nameAt(restored, p), nameAt(saved, p));
    // Values of the applied program come back exactly (the global ones are then shared by all
    // programs once the effect applies them).
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(valueAt(restored, 3, k), valueAt(saved, 3, k)) << k;

    // Applying our own chunk again (the buffer the plug-in handed out) is harmless.
    void* own = nullptr;
    ASSERT_EQ(target.dispatch(effGetChunk, 0, 0, &own), 368);
    EXPECT_EQ(target.dispatch(effSetChunk, 0, 368, own), 0);
    EXPECT_EQ(target.chunk(), restored);
}

TEST(ProgramChunk, OtherByteOrderLoadsTheSame)
{
    RecordingHost host;
    LoadedPlugin source(host);
    Bytes saved = source.chunk();
    putInt32(saved, 12, 4);
    for (int k = 0; k < 8; ++k)
        putValue(saved, 4, k, 0.05f * static_cast<float>(k + 2));

    LoadedPlugin native(host);
    LoadedPlugin foreign(host);
    ASSERT_EQ(setChunk(native, saved), 0);
    ASSERT_EQ(setChunk(foreign, otherByteOrder(saved)), 0);
    EXPECT_EQ(stateOf(native), stateOf(foreign));
}

TEST(ProgramChunk, RejectedChunksChangeNothing)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    plugin.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Before"));
    const State before = stateOf(plugin);
    Bytes good = plugin.chunk();
    putInt32(good, 12, 2);

    Bytes shorter(good.begin(), good.end() - 1);
    Bytes longer = good;
    longer.push_back(0);
    Bytes foreignId = good;
    std::memcpy(foreignId.data() + 4, "XXXX", 4);
    Bytes badCount = good;
    putInt32(badCount, 8, 5);
    Bytes badVersion = good;
    putInt32(badVersion, 0, 0x02000000);
    Bytes badCountSwapped = otherByteOrder(badCount);
    Bytes badVersionSwapped = otherByteOrder(badVersion);
    // A current program outside 0..5 would load programs without applying any: the live values
    // would then belong to no stored program, and the next save and reload would change them.
    std::vector<Bytes> badCurrent;
    for (int32_t current : {6, -1, 1 << 24})
    {
        Bytes c = good;
        putInt32(c, 12, current);
        badCurrent.push_back(c);
        badCurrent.push_back(otherByteOrder(c));
    }

    host.clear();
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, 368, nullptr), -1);
    EXPECT_EQ(setChunk(plugin, shorter), -1);
    EXPECT_EQ(setChunk(plugin, longer), -1);
    EXPECT_EQ(setChunk(plugin, good, 367), -1);
    EXPECT_EQ(setChunk(plugin, foreignId), -1);
    EXPECT_EQ(setChunk(plugin, badCount), -1);
    EXPECT_EQ(setChunk(plugin, badCountSwapped), -1);
    // An unknown version is refused as well, not reported as loaded.
    EXPECT_EQ(setChunk(plugin, badVersion), -1);
    EXPECT_EQ(setChunk(plugin, badVersionSwapped), -1);
    for (const Bytes& c : badCurrent)
        EXPECT_EQ(setChunk(plugin, c), -1);
    EXPECT_TRUE(host.callsWith(audioMasterUpdateDisplay).empty());
    EXPECT_EQ(stateOf(plugin), before);
}

TEST(ProgramChunk, ParameterIndicesOutsideTheRangeChangeNothing)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const State before = stateOf(plugin);
    for (VstInt32 index : {8, 9, -1, 1 << 30})
        plugin.setParameter(index, 0.9f);
    EXPECT_EQ(stateOf(plugin), before);
    EXPECT_EQ(plugin.getParameter(8), 0.0f);
    EXPECT_EQ(plugin.getParameter(-1), 0.0f);
}
