// The user's remembered settings as a host meets them: a new instance of the built plug-in
// starts with the remembered default bank and preset, and an instance that closes leaves its
// last-used folder and file names for the next one.
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class RememberedSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home = fs::temp_directory_path() /
               ("orv-remembered-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        folder = home / "Orvatone" / "OrvSympharon";
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(home); }

    void writeValue(const std::string& name, const Bytes& bytes)
    {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::string readValue(const std::string& name)
    {
        std::ifstream in(folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // One program as the records hold it: the name field and eight floats.
    static void putProgram(Bytes& record, size_t at, const char* name, float base)
    {
        std::memset(record.data() + at, 0, 24);
        std::memcpy(record.data() + at, name, std::strlen(name));
        for (int k = 0; k < 8; ++k)
        {
            const float v = base + 0.01f * static_cast<float>(k);
            std::memcpy(record.data() + at + 24 + 4 * k, &v, 4);
        }
    }
    static Bytes presetRecord(const char* name, float base)
    {
        Bytes r(61, 0);
        const unsigned char head[5] = {0x79, 0x53, 0x72, 0x4F, '!'};
        std::memcpy(r.data(), head, 5);
        putProgram(r, 5, name, base);
        return r;
    }
    static Bytes bankRecord(float base)
    {
        Bytes r(341, 0);
        const unsigned char head[5] = {0x79, 0x53, 0x72, 0x4F, '7'};
        std::memcpy(r.data(), head, 5);
        for (int i = 0; i < 6; ++i)
            putProgram(r, 5 + 56 * static_cast<size_t>(i), ("Bank " + std::to_string(i)).c_str(),
                       base + 0.1f * static_cast<float>(i));
        return r;
    }
    static std::string programName(const LoadedPlugin& plugin, int index)
    {
        char name[64] = {};
        plugin.dispatch(effGetProgramNameIndexed, index, 0, name);
        return name;
    }

    fs::path home, folder;
    RecordingHost host;
};
} // namespace

TEST_F(RememberedSettings, FirstRunKeepsTheFactoryPrograms)
{
    LoadedPlugin plugin(host);
    EXPECT_EQ(programName(plugin, 0), "Default");
    EXPECT_EQ(programName(plugin, 5), "Detuned");
    EXPECT_EQ(plugin.getParameter(2), 0.25f);
}

TEST_F(RememberedSettings, NewInstancesStartWithTheDefaultBankThenTheDefaultPreset)
{
    writeValue("DefaultBank", bankRecord(0.1f));
    {
        LoadedPlugin plugin(host);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(programName(plugin, i), "Bank " + std::to_string(i));
        EXPECT_EQ(plugin.getParameter(2), 0.1f + 0.02f);
    }
    writeValue("DefaultPreset", presetRecord("My start", 0.3f));
    LoadedPlugin plugin(host);
    EXPECT_EQ(programName(plugin, 0), "My start");
    EXPECT_EQ(programName(plugin, 1), "Bank 1");
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(plugin.getParameter(k), 0.3f + 0.01f * static_cast<float>(k)) << k;
}

TEST_F(RememberedSettings, DamagedValuesAreIgnored)
{
    Bytes truncated = bankRecord(0.1f);
    truncated.resize(200);
    writeValue("DefaultBank", truncated);
    Bytes foreign = presetRecord("Foreign", 0.3f);
    std::memcpy(foreign.data(), "XXXX", 4);
    writeValue("DefaultPreset", foreign);
    LoadedPlugin plugin(host);
    EXPECT_EQ(programName(plugin, 0), "Default");
    EXPECT_EQ(programName(plugin, 3), "Low & Dark");
    EXPECT_EQ(plugin.getParameter(2), 0.25f);
}

TEST_F(RememberedSettings, ClosingRemembersTheLastUsedNames)
{
    const std::string names[3][2] = {
        {"CurrDir", "/music/presets/"}, {"CurrBank", "live.orb"}, {"CurrPreset", "bright.orv"}};
    for (const auto& n : names)
        writeValue(n[0], Bytes(n[1].begin(), n[1].end()));
    {
        LoadedPlugin plugin(host);
    }
    // The next instance finds them unchanged: read at start, written back at close.
    for (const auto& n : names)
        EXPECT_EQ(readValue(n[0]), n[1]) << n[0];
}
