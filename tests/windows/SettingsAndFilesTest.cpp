// The Windows platform parts of the preset system, in process: the registry store (value types,
// sizes, UTF-16 text, damaged values) and record files (wide paths, binary bytes, safe saves).
#include "RegistryTestSupport.h"
#include "presets/PresetFiles.h"
#include "presets/platform/windows/RegistrySettingsStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class RegistryStore : public ::testing::Test
{
protected:
    // A key of this test's own, so nothing of the plug-in's key is touched.
    const std::wstring key =
        L"SOFTWARE\\Orvatone\\OrvSympharonTest-" + std::to_wstring(GetCurrentProcessId());
    void SetUp() override { clearKey(key); }
    void TearDown() override { clearKey(key); }
    void put(const wchar_t* name, DWORD type, const Bytes& bytes)
    {
        writeRegistryValue(key, name, type, bytes.data(), bytes.size());
    }
};

std::string utf8(const std::wstring& wide)
{
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr,
                                                            0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    out.pop_back();
    return out;
}

// A fresh folder with a non-ASCII name under the temporary folder, removed afterwards.
class RecordFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 (L"Presets f\u00FCr Saiten " + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        for (const auto& entry : fs::directory_iterator(folder))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }
    // The UTF-8 path the plug-in works with.
    std::string path(const std::wstring& name) const { return utf8((folder / name).wstring()); }
    Bytes bytesOf(const std::wstring& name) const
    {
        std::ifstream in(folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::wstring> entries() const
    {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().wstring());
        return names;
    }

    fs::path folder;
    // Bytes a text-mode stream would change: CR LF, a lone LF and Ctrl-Z.
    const Bytes record = {0x79, 0x53, 0x72, 0x4F, '!', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0xFF, 0x0D};
};
} // namespace

TEST_F(RegistryStore, ValuesHaveTheTypesAndSizesOfTheirRecordsAndTextIsUtf16)
{
    RegistrySettingsStore store(key);
    Bytes preset(61), bank(341);
    for (size_t i = 0; i < bank.size(); ++i)
        bank[i] = static_cast<unsigned char>(i * 7);
    preset.assign(bank.begin(), bank.begin() + 61);
    ASSERT_TRUE(store.writeBinary("MemoA", preset.data(), preset.size()));
    ASSERT_TRUE(store.writeBinary("DefaultBank", bank.data(), bank.size()));
    const std::wstring folder = L"C:\\Presets f\u00FCr Saiten\\\u65E5\u672C\\";
    ASSERT_TRUE(store.writeText("CurrDir", utf8(folder).c_str()));
    ASSERT_TRUE(store.writeText("CurrBank", ""));

    EXPECT_EQ(readRegistryValue(key, L"MemoA"), RegistryValue(REG_BINARY, preset));
    EXPECT_EQ(readRegistryValue(key, L"DefaultBank"), RegistryValue(REG_BINARY, bank));
    EXPECT_EQ(readRegistryValue(key, L"CurrDir"), RegistryValue(REG_SZ, wideTextBytes(folder)));
    EXPECT_EQ(readRegistryValue(key, L"CurrBank"), RegistryValue(REG_SZ, wideTextBytes(L"")));

    Bytes back(61);
    ASSERT_TRUE(store.readBinary("MemoA", back.data(), back.size()));
    EXPECT_EQ(back, preset);
    char text[257] = "old";
    ASSERT_TRUE(store.readText("CurrDir", text, sizeof text));
    EXPECT_EQ(std::string(text), utf8(folder));
    ASSERT_TRUE(store.readText("CurrBank", text, sizeof text));
    EXPECT_STREQ(text, "");

    EXPECT_TRUE(store.remove("MemoA"));
    EXPECT_TRUE(store.remove("MemoA"));
    EXPECT_EQ(readRegistryValue(key, L"MemoA").type, static_cast<DWORD>(REG_NONE));
    EXPECT_FALSE(store.readBinary("MemoA", back.data(), back.size()));
    clearKey(key);
    EXPECT_TRUE(store.remove("MemoA")); // no key at all
    EXPECT_FALSE(store.readText("CurrDir", text, sizeof text));
}

TEST_F(RegistryStore, DamagedValuesAreRejectedAndLeaveTheBufferAlone)
{
    RegistrySettingsStore store(key);
    put(L"MemoA", REG_BINARY, Bytes(60, 1));                              // truncated
    put(L"MemoB", REG_BINARY, Bytes(62, 1));                              // grown
    put(L"DefaultPreset", REG_SZ, Bytes(61, 1));                          // right size, wrong type
    put(L"CurrDir", REG_SZ, wideTextBytes(std::wstring(200, L'\u00FC'))); // 400 UTF-8 bytes
    put(L"CurrBank", REG_SZ, wideTextBytes(std::wstring(L"a\0b", 3)));    // a zero inside
    put(L"CurrPreset", REG_SZ, wideTextBytes(L"x\xD800y"));               // unpaired surrogate
    put(L"Binary", REG_BINARY, wideTextBytes(L"text"));                   // text of the wrong type

    Bytes buffer(61, 7);
    EXPECT_FALSE(store.readBinary("MemoA", buffer.data(), 61));
    EXPECT_FALSE(store.readBinary("MemoB", buffer.data(), 61));
    EXPECT_FALSE(store.readBinary("DefaultPreset", buffer.data(), 61));
    EXPECT_EQ(buffer, Bytes(61, 7));
    char text[257] = "kept";
    for (const char* name : {"CurrDir", "CurrBank", "CurrPreset", "Binary"})
        EXPECT_FALSE(store.readText(name, text, sizeof text)) << name;
    EXPECT_STREQ(text, "kept");

    // 128 two-byte characters fill the 257 bytes exactly; a value stored without its
    // terminator is still whole.
    put(L"CurrDir", REG_SZ, wideTextBytes(std::wstring(128, L'\u00FC')));
    EXPECT_TRUE(store.readText("CurrDir", text, sizeof text));
    EXPECT_EQ(std::strlen(text), 256u);
    const std::wstring bare = L"bright.orv";
    put(L"CurrPreset", REG_SZ,
        Bytes(reinterpret_cast<const unsigned char*>(bare.data()),
              reinterpret_cast<const unsigned char*>(bare.data() + bare.size())));
    EXPECT_TRUE(store.readText("CurrPreset", text, sizeof text));
    EXPECT_STREQ(text, "bright.orv");
    // Text that is not UTF-8 is never written as something else.
    EXPECT_FALSE(store.writeText("CurrBank", "caf\xE9"));
    EXPECT_EQ(readRegistryValue(key, L"CurrBank"),
              RegistryValue(REG_SZ, wideTextBytes(std::wstring(L"a\0b", 3))));
}

TEST_F(RecordFiles, RecordsTravelByteForByteThroughNonAsciiFolders)
{
    ASSERT_TRUE(writeRecordFile(path(L"bright.orv"), record.data(), record.size()));
    EXPECT_EQ(bytesOf(L"bright.orv"), record);
    Bytes back(record.size() + 4, 0xEE);
    EXPECT_EQ(readRecordFile(path(L"bright.orv"), back.data(), back.size()),
              static_cast<long>(record.size()));
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 12), record);
    EXPECT_EQ(back[12], 0xEE); // the rest is left alone

    // Replacing keeps nothing of the old contents and leaves no temporary file.
    const Bytes shorter(record.begin(), record.begin() + 5);
    ASSERT_TRUE(writeRecordFile(path(L"bright.orv"), shorter.data(), shorter.size()));
    EXPECT_EQ(bytesOf(L"bright.orv"), shorter);
    EXPECT_EQ(entries(), std::vector<std::wstring>{L"bright.orv"});

    char name[kPresetPathCapacity] = "", remembered[kPresetPathCapacity] = "";
    ASSERT_TRUE(splitSelectedPath(path(L"bright.orv").c_str(), name, remembered));
    EXPECT_STREQ(name, "bright.orv");
    EXPECT_EQ(std::string(remembered), utf8(folder.wstring()) + "\\");
    EXPECT_EQ(kPathSeparator, '\\');

    // Paths past the 260 characters of plain Windows paths (made and removed here through the
    // \\?\ form, which has no such limit).
    std::vector<std::wstring> levels{L"\\\\?\\" + folder.wstring()};
    for (wchar_t c : {L'a', L'b', L'c'})
    {
        levels.push_back(levels.back() + L"\\" + std::wstring(90, c));
        ASSERT_TRUE(CreateDirectoryW(levels.back().c_str(), nullptr));
    }
    const std::string deepFile = utf8(levels.back().substr(4) + L"\\far.orv");
    ASSERT_GT(deepFile.size(), 270u);
    EXPECT_TRUE(writeRecordFile(deepFile, record.data(), record.size()));
    EXPECT_EQ(readRecordFile(deepFile, back.data(), back.size()), static_cast<long>(record.size()));
    DeleteFileW((levels.back() + L"\\far.orv").c_str());
    for (size_t i = levels.size() - 1; i > 0; --i)
        RemoveDirectoryW(levels[i].c_str());
}

TEST_F(RecordFiles, ProtectedOrBusyTargetsStayAsTheyWere)
{
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(writeRecordFile(path(L"locked.orv"), record.data(), record.size()));
    ASSERT_TRUE(writeRecordFile(path(L"busy.orb"), record.data(), record.size()));
    const Bytes other(61, 0x42);

    // A read-only file loads, and a save over it is refused.
    SetFileAttributesW((folder / L"locked.orv").c_str(), FILE_ATTRIBUTE_READONLY);
    Bytes back(record.size());
    EXPECT_EQ(readRecordFile(path(L"locked.orv"), back.data(), back.size()),
              static_cast<long>(record.size()));
    EXPECT_FALSE(writeRecordFile(path(L"locked.orv"), other.data(), other.size()));
    EXPECT_EQ(bytesOf(L"locked.orv"), record);

    // A file another program holds without letting it be replaced (no sharing, or reading and
    // writing shared but not deleting) cannot be saved over: the save fails whole and leaves no
    // file of its own behind.
    for (DWORD sharing :
         {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}})
    {
        HANDLE held = CreateFileW((folder / L"busy.orb").c_str(), GENERIC_READ, sharing, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << sharing;
        EXPECT_FALSE(writeRecordFile(path(L"busy.orb"), other.data(), other.size())) << sharing;
        EXPECT_EQ(entries().size(), 2u) << sharing;
        CloseHandle(held);
        EXPECT_EQ(bytesOf(L"busy.orb"), record) << sharing;
    }

    // Folders are neither read nor replaced; missing files read as nothing.
    fs::create_directory(folder / L"sub.orv");
    EXPECT_EQ(readRecordFile(path(L"sub.orv"), back.data(), back.size()), -1);
    EXPECT_FALSE(writeRecordFile(path(L"sub.orv"), other.data(), other.size()));
    EXPECT_EQ(readRecordFile(path(L"missing.orv"), back.data(), back.size()), -1);
    EXPECT_FALSE(writeRecordFile(path(L"no folder\\x.orv"), other.data(), other.size()));

    // Nothing left behind, and the host's current directory untouched throughout.
    auto names = entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"busy.orb", L"locked.orv", L"sub.orv"}));
    wchar_t after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}
