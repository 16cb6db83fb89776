// The user's remembered defaults, memories and names, across instances of the effect.
#include "PresetTestSupport.h"

#include "presets/PresetRecords.h"

#include <cstring>
#include <filesystem>

namespace
{
void setProgram(TestEffect& effect, int index, const char* name, float value)
{
    storeProgramName(effect.getPrograms()[index], name);
    for (float& v : effect.getPrograms()[index].values)
        v = value;
}

std::string valueFolder()
{
    return XdgSettingsStore::userFolder();
}
} // namespace

TEST_F(PresetTest, StoreThenRecallMemoriesIntoTheCurrentProgram)
{
    TestEffect effect;
    auto& layer = effect.probe();
    const auto untouched = effect.storeBytes();
    layer.recallMemoA(); // nothing stored yet
    EXPECT_EQ(effect.storeBytes(), untouched);

    effect.selectProgram(1);
    setProgram(effect, 1, "Memory A", 0.25f);
    layer.storeMemoA();
    effect.selectProgram(2);
    setProgram(effect, 2, "Memory B", 0.75f);
    layer.storeMemoB();
    EXPECT_EQ(readBytes(valueFolder() + "MemoA").size(), 61u);

    effect.selectProgram(5);
    layer.recallMemoA();
    EXPECT_STREQ(effect.getPrograms()[5].name, "Memory A");
    EXPECT_EQ(effect.getPrograms()[5].values[3], 0.25f);
    TestEffect other; // the memories are shared by every instance
    other.selectProgram(4);
    other.probe().recallMemoB();
    EXPECT_STREQ(other.getPrograms()[4].name, "Memory B");
    EXPECT_EQ(other.getPrograms()[4].values[7], 0.75f);
    EXPECT_EQ(other.probe().shownNames.back(), "Memory B");
}

TEST_F(PresetTest, DefaultsApplyToANewInstanceUntilCleared)
{
    {
        TestEffect effect;
        setProgram(effect, 0, "Bank zero", 0.1f);
        setProgram(effect, 5, "Bank five", 0.6f);
        effect.probe().storeDefaultBank();
        effect.selectProgram(3);
        setProgram(effect, 3, "Preferred", 0.9f);
        effect.probe().storeDefaultPreset();
    }
    {
        // The bank replaces all six, then the preset replaces program 0.
        TestEffect effect;
        EXPECT_STREQ(effect.getPrograms()[0].name, "Preferred");
        EXPECT_EQ(effect.getPrograms()[0].values[0], 0.9f);
        EXPECT_STREQ(effect.getPrograms()[5].name, "Bank five");
        EXPECT_EQ(effect.getPrograms()[5].values[0], 0.6f);
        effect.probe().clearDefaultPreset();
    }
    {
        TestEffect effect;
        EXPECT_STREQ(effect.getPrograms()[0].name, "Bank zero");
        effect.probe().clearDefaultBank();
    }
    TestEffect factory(false);
    TestEffect effect;
    EXPECT_EQ(effect.storeBytes(), factory.storeBytes());
}

TEST_F(PresetTest, NamesAreRememberedAcrossInstances)
{
    {
        TestEffect effect; // first run: nothing remembered yet
        EXPECT_STREQ(effect.probe().getCurrentDirectory(), "");
        EXPECT_STREQ(effect.probe().getCurrentPresetName(), "");
        ASSERT_TRUE(effect.probe().savePresetFile((files / "p.orv").c_str()));
        ASSERT_TRUE(effect.probe().saveBankFile((files / "b.orb").c_str()));
    }
    TestEffect effect;
    EXPECT_STREQ(effect.probe().getCurrentDirectory(), files.path().c_str());
    EXPECT_STREQ(effect.probe().getCurrentPresetName(), "p.orv");
    EXPECT_STREQ(effect.probe().getCurrentBankName(), "b.orb");
}

TEST_F(PresetTest, DamagedRememberedValuesAreIgnoredAtStart)
{
    TestEffect factory(false);
    std::vector<unsigned char> preset(kPresetRecordSize), bank(kBankRecordSize);
    factory.selectProgram(2);
    storeProgramName(factory.getPrograms()[2], "Would load");
    PresetSystemCore writer(&factory);
    writer.writePresetData(preset.data());
    writer.writeBankData(bank.data());
    // Whole records with one byte missing: they would otherwise load with zero values.
    std::filesystem::create_directories(valueFolder());
    writeBytes(valueFolder() + "DefaultPreset", {preset.begin(), preset.end() - 1});
    writeBytes(valueFolder() + "DefaultBank", {bank.begin(), bank.end() - 1});
    writeBytes(valueFolder() + "MemoA", std::vector<unsigned char>(61, 0x21));
    writeBytes(valueFolder() + "CurrDir", {'/', 0, 'x'});
    writeBytes(valueFolder() + "CurrPreset", {'o', 'k'});

    TestEffect effect;
    TestEffect reference(false);
    EXPECT_EQ(effect.storeBytes(), reference.storeBytes());
    effect.probe().recallMemoA();
    EXPECT_EQ(effect.storeBytes(), reference.storeBytes());
    EXPECT_STREQ(effect.probe().getCurrentDirectory(), "");
    EXPECT_STREQ(effect.probe().getCurrentPresetName(), "ok");
}

// A layer without a program store must not overwrite what the user remembered with zeros.
TEST_F(PresetTest, WithoutAProgramStoreNothingIsStored)
{
    {
        TestEffect effect;
        effect.probe().storeMemoA();
    }
    const auto stored = readBytes(valueFolder() + "MemoA");
    PresetSystemCore orphan(nullptr);
    orphan.storeMemoA();
    orphan.storeDefaultBank();
    EXPECT_FALSE(orphan.savePresetFile((files / "x.orv").c_str()));
    EXPECT_EQ(readBytes(valueFolder() + "MemoA"), stored);
    EXPECT_FALSE(std::filesystem::exists(valueFolder() + "DefaultBank"));
    EXPECT_FALSE(std::filesystem::exists(files / "x.orv"));
}
