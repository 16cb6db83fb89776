// The user's remembered settings in the registry as a Windows host meets them through the
// built DLL: a new instance starts with the remembered default bank and preset (in either byte
// order), ignores damaged values, and an instance that closes leaves its last-used folder and
// file names as UTF-16 text for the next one.
#include "RegistryTestSupport.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

void putProgram(Bytes& record, size_t at, const char* name, float base, bool swapped)
{
    std::memset(record.data() + at, 0, 24);
    std::memcpy(record.data() + at, name, std::strlen(name));
    for (int k = 0; k < 8; ++k)
    {
        const float v = base + 0.01f * static_cast<float>(k);
        unsigned char b[4];
        std::memcpy(b, &v, 4);
        if (swapped) std::swap(b[0], b[3]), std::swap(b[1], b[2]);
        std::memcpy(record.data() + at + 24 + 4 * k, b, 4);
    }
}

// The ID 'OrSy' as a little-endian writer stores it, or reversed as a big-endian one does.
void putHead(Bytes& record, char tag, bool swapped)
{
    const unsigned char little[4] = {0x79, 0x53, 0x72, 0x4F};
    for (int i = 0; i < 4; ++i)
        record[static_cast<size_t>(i)] = little[swapped ? 3 - i : i];
    record[4] = static_cast<unsigned char>(tag);
}

Bytes presetRecord(const char* name, float base, bool swapped = false)
{
    Bytes r(61, 0);
    putHead(r, '!', swapped);
    putProgram(r, 5, name, base, swapped);
    return r;
}

Bytes bankRecord(float base, bool swapped = false)
{
    Bytes r(341, 0);
    putHead(r, '7', swapped);
    for (int i = 0; i < 6; ++i)
        putProgram(r, 5 + 56 * static_cast<size_t>(i), ("Bank " + std::to_string(i)).c_str(),
                   base + 0.1f * static_cast<float>(i), swapped);
    return r;
}

class RememberedInRegistry : public ::testing::Test
{
protected:
    void SetUp() override { clearProductKey(); }
    void TearDown() override { clearProductKey(); }
    static void put(const wchar_t* name, DWORD type, const Bytes& bytes)
    {
        writeRegistryValue(kProductKey, name, type, bytes.data(), bytes.size());
    }
    static std::string programName(const LoadedPlugin& plugin, int index)
    {
        char name[64] = {};
        plugin.dispatch(effGetProgramNameIndexed, index, 0, name);
        return name;
    }
    RecordingHost host;
};
} // namespace

TEST_F(RememberedInRegistry, FirstRunKeepsFactoryProgramsAndWritesEmptyNamesAtClose)
{
    {
        LoadedPlugin plugin(host);
        EXPECT_EQ(programName(plugin, 0), "Default");
        EXPECT_EQ(programName(plugin, 5), "Detuned");
        EXPECT_EQ(plugin.getParameter(2), 0.25f);
        // Nothing is written while the instance lives.
        EXPECT_FALSE(hasProductValue(L"CurrDir"));
    }
    for (const wchar_t* name : {L"CurrDir", L"CurrBank", L"CurrPreset"})
        EXPECT_EQ(productValue(name), RegistryValue(REG_SZ, wideTextBytes(L""))) << name;
    for (const wchar_t* name : {L"DefaultPreset", L"DefaultBank", L"MemoA", L"MemoB"})
        EXPECT_FALSE(hasProductValue(name));
}

TEST_F(RememberedInRegistry, NewInstancesStartWithTheDefaultBankThenPresetInEitherByteOrder)
{
    for (bool swapped : {false, true})
    {
        SCOPED_TRACE(swapped ? "big-endian writer" : "little-endian writer");
        clearProductKey();
        put(L"DefaultBank", REG_BINARY, bankRecord(0.1f, swapped));
        {
            LoadedPlugin plugin(host);
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(programName(plugin, i), "Bank " + std::to_string(i));
            EXPECT_EQ(plugin.getParameter(2), 0.1f + 0.02f);
        }
        put(L"DefaultPreset", REG_BINARY, presetRecord("My start", 0.3f, swapped));
        LoadedPlugin plugin(host);
        EXPECT_EQ(programName(plugin, 0), "My start");
        EXPECT_EQ(programName(plugin, 1), "Bank 1");
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(plugin.getParameter(k), 0.3f + 0.01f * static_cast<float>(k)) << k;
    }
}

TEST_F(RememberedInRegistry, DamagedValuesAreIgnored)
{
    Bytes longer = bankRecord(0.1f);
    longer.push_back(0);
    put(L"DefaultBank", REG_BINARY, longer);
    Bytes foreign = presetRecord("Foreign", 0.3f);
    std::memcpy(foreign.data(), "XXXX", 4);
    put(L"DefaultPreset", REG_BINARY, foreign);
    put(L"CurrDir", REG_BINARY, wideTextBytes(L"C:\\typed\\"));
    {
        LoadedPlugin plugin(host);
        EXPECT_EQ(programName(plugin, 0), "Default");
        EXPECT_EQ(programName(plugin, 3), "Low & Dark");
        EXPECT_EQ(plugin.getParameter(2), 0.25f);
    }
    // A preset value of a bank's size is no preset either.
    clearProductKey();
    put(L"DefaultPreset", REG_BINARY, bankRecord(0.2f));
    LoadedPlugin plugin(host);
    EXPECT_EQ(programName(plugin, 0), "Default");
}

TEST_F(RememberedInRegistry, NamesAreReadAtStartAndWrittenBackAtClose)
{
    const std::wstring names[3][2] = {{L"CurrDir", L"C:\\Presets f\u00FCr Saiten\\"},
                                      {L"CurrBank", L"live.orb"},
                                      {L"CurrPreset", L"\u65E5\u672C.orv"}};
    for (const auto& n : names)
        put(n[0].c_str(), REG_SZ, wideTextBytes(n[1]));
    {
        LoadedPlugin plugin(host);
        // Read at start: removing them now must not matter, they come back at close.
        clearProductKey();
    }
    for (const auto& n : names)
        EXPECT_EQ(productValue(n[0].c_str()), RegistryValue(REG_SZ, wideTextBytes(n[1])))
            << n[0].c_str();
}
