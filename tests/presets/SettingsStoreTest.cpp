// The per-user settings files: where they live, whole-value reads, and damaged values.
#include "PresetTestSupport.h"

#include <filesystem>
#include <sys/stat.h>

TEST(SettingsStoreFolder, FollowsXdgConfigHomeOrHome)
{
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(XdgSettingsStore::userFolder(), "/cfg/Orvatone/OrvSympharon/");
    ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(XdgSettingsStore::userFolder(), "/home/someone/.config/Orvatone/OrvSympharon/");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgSettingsStore::userFolder(), "/home/someone/.config/Orvatone/OrvSympharon/");
    ::unsetenv("HOME");
    EXPECT_EQ(XdgSettingsStore::userFolder(), "");
    XdgSettingsStore nowhere("");
    EXPECT_FALSE(nowhere.writeText("CurrDir", "/x/"));
}

TEST_F(PresetTest, ValuesAreWholeFilesWrittenPrivatelyAndAtomically)
{
    XdgSettingsStore store(XdgSettingsStore::userFolder());
    const std::string folder = config / "Orvatone/OrvSympharon/";
    ASSERT_EQ(store.folder(), folder);

    const std::vector<unsigned char> record(61, 0xA5);
    ASSERT_TRUE(store.writeBinary("MemoA", record.data(), record.size()));
    ASSERT_TRUE(store.writeText("CurrDir", "/some/f\xC3\xB6lder/"));
    EXPECT_EQ(readBytes(folder + "MemoA"), record);
    const auto text = readBytes(folder + "CurrDir"); // UTF-8 bytes, no terminator
    EXPECT_EQ(std::string(text.begin(), text.end()), "/some/f\xC3\xB6lder/");
    EXPECT_EQ(folderEntries(folder), (std::vector<std::string>{"CurrDir", "MemoA"}));
    struct stat st
    {
    };
    ::stat(folder.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::vector<unsigned char> back(61);
    ASSERT_TRUE(store.readBinary("MemoA", back.data(), back.size()));
    EXPECT_EQ(back, record);
    char name[257] = {};
    ASSERT_TRUE(store.readText("CurrDir", name, sizeof name));
    EXPECT_STREQ(name, "/some/f\xC3\xB6lder/");

    EXPECT_TRUE(store.remove("MemoA"));
    EXPECT_TRUE(store.remove("MemoA"));
    EXPECT_FALSE(store.readBinary("MemoA", back.data(), back.size()));
}

TEST_F(PresetTest, DamagedValuesAreRejectedAndLeaveTheBufferAlone)
{
    XdgSettingsStore store(XdgSettingsStore::userFolder());
    const std::string folder = store.folder();
    std::filesystem::create_directories(folder);
    writeBytes(folder + "MemoA", std::vector<unsigned char>(60, 1));       // truncated
    writeBytes(folder + "MemoB", std::vector<unsigned char>(62, 1));       // grown
    std::filesystem::create_directory(folder + "DefaultBank");             // not a file
    writeBytes(folder + "CurrDir", {'/', 'a', 0, 'b'});                    // holds a zero byte
    writeBytes(folder + "CurrBank", std::vector<unsigned char>(257, 'x')); // too long

    std::vector<unsigned char> buffer(61, 7);
    EXPECT_FALSE(store.readBinary("MemoA", buffer.data(), 61));
    EXPECT_FALSE(store.readBinary("MemoB", buffer.data(), 61));
    EXPECT_FALSE(store.readBinary("DefaultBank", buffer.data(), 61));
    EXPECT_EQ(buffer, std::vector<unsigned char>(61, 7));
    char text[257] = "kept";
    EXPECT_FALSE(store.readText("CurrDir", text, sizeof text));
    EXPECT_FALSE(store.readText("CurrBank", text, sizeof text));
    EXPECT_STREQ(text, "kept");
    writeBytes(folder + "CurrBank", std::vector<unsigned char>(256, 'x'));
    EXPECT_TRUE(store.readText("CurrBank", text, sizeof text));
}
