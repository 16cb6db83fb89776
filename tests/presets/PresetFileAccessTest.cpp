// How preset files are reached on disk: the chosen path and the remembered folder and names,
// read-only files, saves that fail half-way, and the host's current directory.
#include "PresetTestSupport.h"

#include "presets/PresetFiles.h"
#include "presets/PresetRecords.h"

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string currentDirectory()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}
} // namespace

TEST(PresetFiles, SplitSelectedPathRemembersFolderWithSeparatorAndName)
{
    char name[kPresetPathCapacity] = "old.orv";
    char folder[kPresetPathCapacity] = "/old/";
    EXPECT_TRUE(splitSelectedPath("/x/presets/bright.orv", name, folder));
    EXPECT_STREQ(folder, "/x/presets/");
    EXPECT_STREQ(name, "bright.orv");

    EXPECT_FALSE(splitSelectedPath("plain.orv", name, folder));
    const std::string longFolder = "/" + std::string(255, 'f') + "/"; // 257 characters
    const std::string longName = std::string(256, 'n');               // fits exactly
    EXPECT_FALSE(splitSelectedPath((longFolder + "a.orv").c_str(), name, folder));
    EXPECT_FALSE(splitSelectedPath(("/d/" + longName + "x").c_str(), name, folder));
    EXPECT_STREQ(folder, "/x/presets/");
    EXPECT_STREQ(name, "bright.orv");
    EXPECT_TRUE(splitSelectedPath(("/d/" + longName).c_str(), name, folder));
    EXPECT_EQ(std::string(name), longName);
}

TEST_F(PresetTest, FilesAreReachedByFullPathAndTheCurrentDirectoryNeverChanges)
{
    TestEffect effect;
    auto& layer = effect.probe();
    const std::string before = currentDirectory();
    std::filesystem::create_directory(files / "sub");

    ASSERT_TRUE(layer.savePresetFile((files / "sub/a.orv").c_str()));
    ASSERT_TRUE(layer.saveBankFile((files / "b.orb").c_str()));
    EXPECT_STREQ(layer.getCurrentDirectory(), files.path().c_str());
    EXPECT_STREQ(layer.getCurrentPresetName(), "a.orv");
    EXPECT_STREQ(layer.getCurrentBankName(), "b.orb");
    ASSERT_TRUE(layer.loadPresetFile((files / "sub/a.orv").c_str(), false));
    EXPECT_EQ(layer.getCurrentDirectory(), files / "sub/");
    EXPECT_EQ(currentDirectory(), before);
    EXPECT_FALSE(std::filesystem::exists(before + "/a.orv"));

    // A bare name means a file in the remembered folder, not in the current directory.
    ASSERT_TRUE(layer.savePresetFile("bare.orv"));
    EXPECT_TRUE(std::filesystem::exists(files / "sub/bare.orv"));
    EXPECT_TRUE(layer.loadPresetFile("bare.orv", false));
    EXPECT_EQ(currentDirectory(), before);
}

TEST_F(PresetTest, PathsLongerThanTheRememberedStringsStillWork)
{
    TestEffect effect;
    auto& layer = effect.probe();
    std::string deep = files.path();
    for (int i = 0; i < 3; ++i)
        deep += std::string(100, static_cast<char>('a' + i)) + "/";
    std::filesystem::create_directories(deep);
    ASSERT_GT(deep.size(), 256u);

    ASSERT_TRUE(layer.savePresetFile((files / "near.orv").c_str()));
    effect.getPrograms()[0].values[2] = 0.75f;
    ASSERT_TRUE(layer.savePresetFile((deep + "far.orv").c_str()));
    // The folder does not fit: the remembered folder and name stay as they were.
    EXPECT_STREQ(layer.getCurrentDirectory(), files.path().c_str());
    EXPECT_STREQ(layer.getCurrentPresetName(), "near.orv");

    effect.getPrograms()[0].values[2] = 0.0f;
    ASSERT_TRUE(layer.loadPresetFile((deep + "far.orv").c_str(), false));
    EXPECT_EQ(effect.getPrograms()[0].values[2], 0.75f);
    EXPECT_EQ(readBytes(deep + "far.orv").size(), 61u);
}

TEST_F(PresetTest, ReadOnlyPresetFilesLoad)
{
    TestEffect effect;
    effect.getPrograms()[0].values[5] = 0.625f;
    ASSERT_TRUE(effect.probe().savePresetFile((files / "locked.orv").c_str()));
    ::chmod((files / "locked.orv").c_str(), 0444);
    effect.getPrograms()[0].values[5] = 0.0f;

    // As an unprivileged user, for whom the permission bits count.
    EXPECT_TRUE(runInChild(
        [&]
        {
            return effect.probe().loadPresetFile((files / "locked.orv").c_str(), false) &&
                   effect.getPrograms()[0].values[5] == 0.625f;
        }));
    // Replacing it is refused just as writing into it would be, even where new files may be made.
    ::chmod(files.path().c_str(), 0777);
    EXPECT_TRUE(
        runInChild([&] { return !effect.probe().savePresetFile((files / "locked.orv").c_str()); }));
    EXPECT_EQ(readBytes(files / "locked.orv").size(), 61u);

    // A file the user may write, in a folder where no new file may be made (a shared folder of
    // presets): the save goes into the file itself.
    ASSERT_TRUE(effect.probe().saveBankFile((files / "shared.orb").c_str()));
    ::chmod((files / "shared.orb").c_str(), 0666);
    ::chmod((files / "locked.orv").c_str(), 0666);
    ::chmod(files.path().c_str(), 0555);
    storeProgramName(effect.getPrograms()[4], "Shared change");
    EXPECT_TRUE(runInChild(
        [&]
        {
            return effect.probe().savePresetFile((files / "locked.orv").c_str()) &&
                   effect.probe().saveBankFile((files / "shared.orb").c_str()) &&
                   !effect.probe().savePresetFile((files / "new.orv").c_str());
        }));
    ::chmod(files.path().c_str(), 0755);
    std::vector<unsigned char> bank(kBankRecordSize);
    effect.probe().writeBankData(bank.data());
    EXPECT_EQ(readBytes(files / "shared.orb"), bank);
    EXPECT_EQ(readBytes(files / "locked.orv").size(), 61u);
    EXPECT_EQ(folderEntries(files.path()), (std::vector<std::string>{"locked.orv", "shared.orb"}));
}

TEST_F(PresetTest, AFailedSaveKeepsTheOldFileAndLeavesNothingBehind)
{
    TestEffect effect;
    ASSERT_TRUE(effect.probe().saveBankFile((files / "keep.orb").c_str()));
    const auto old = readBytes(files / "keep.orb");
    ::chmod(files.path().c_str(), 0777);
    ::chmod((files / "keep.orb").c_str(), 0666);

    effect.installFactoryPrograms();
    storeProgramName(effect.getPrograms()[1], "Changed");
    // Any file written in the child stops growing at 100 bytes, so the save fails half-way.
    EXPECT_TRUE(runInChild(
        [&] { return !effect.probe().saveBankFile((files / "keep.orb").c_str()); }, 100));
    EXPECT_EQ(readBytes(files / "keep.orb"), old);
    EXPECT_EQ(folderEntries(files.path()), std::vector<std::string>{"keep.orb"});
}
