// Preset and bank files by their bytes: round trips through the program store, the byte-order
// handling and the user's "endian-reversed" choice, and records that must change nothing.
#include "PresetTestSupport.h"

#include "presets/PresetRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace
{
// Distinctive values: exact round trips must keep every bit, also of odd floats.
void makeDistinctive(ProgramRecord& program, const char* name, uint32_t seed)
{
    storeProgramName(program, name);
    const float odd[] = {0.0f, -0.0f, 1.0f, 1e-38f, 0.3333333f, 0.999999f, 0.5f, 1.5e-45f};
    for (int k = 0; k < kNumProgramValues; ++k)
        program.values[k] = odd[(k + seed) % 8];
}

// The same record as a writer of the other byte order produces it: ID and floats reversed.
std::vector<unsigned char> otherByteOrder(std::vector<unsigned char> record, int programs)
{
    byteSwap32(record.data());
    for (int i = 0; i < programs; ++i)
        for (int k = 0; k < kNumProgramValues; ++k)
            byteSwap32(record.data() + bankProgramOffset(i) + kProgramNameLength + 4 * k);
    return record;
}

// The float with these bits as the store keeps it: within 0..1, a NaN replaced by `before`.
float withinRange(uint32_t bits, float before)
{
    float v;
    std::memcpy(&v, &bits, 4);
    if (std::isnan(v)) return before;
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

uint32_t floatBitsAt(const std::vector<unsigned char>& record, size_t offset)
{
    uint32_t bits;
    std::memcpy(&bits, record.data() + offset, 4);
    return bits;
}
} // namespace

TEST_F(PresetTest, PresetFileRoundTripKeepsNameAndValuesExactly)
{
    TestEffect effect;
    effect.selectProgram(2);
    makeDistinctive(effect.getPrograms()[2], "Exactly twenty-four char", 1);
    const ProgramRecord saved = effect.getPrograms()[2];

    ASSERT_TRUE(effect.probe().savePresetFile((files / "bright.orv").c_str()));
    const auto bytes = readBytes(files / "bright.orv");
    ASSERT_EQ(bytes.size(), 61u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 5),
              (std::vector<unsigned char>{0x79, 0x53, 0x72, 0x4F, 0x21}));
    EXPECT_EQ(std::memcmp(bytes.data() + 5, &saved, sizeof saved), 0);

    effect.selectProgram(4); // loads go into whichever program is current
    effect.applied.clear();
    displayUpdates() = 0;
    ASSERT_TRUE(effect.probe().loadPresetFile((files / "bright.orv").c_str(), false));
    EXPECT_EQ(std::memcmp(&effect.getPrograms()[4], &saved, sizeof saved), 0);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 4);
    ASSERT_EQ(effect.applied.size(), 8u); // applied through setParameter in index order
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(bitsOf(effect.applied[k].second), bitsOf(saved.values[k]));
    EXPECT_EQ(effect.probe().shownNames.back(), "Exactly twenty-four char");
    EXPECT_EQ(effect.probe().redraws, 1);
    EXPECT_EQ(displayUpdates(), 2); // renamed, then applied
}

TEST_F(PresetTest, BankFileRoundTripKeepsAllSixProgramsExactly)
{
    TestEffect effect;
    for (int i = 0; i < kNumPresetPrograms; ++i)
        makeDistinctive(effect.getPrograms()[i], ("Bank entry " + std::to_string(i)).c_str(),
                        static_cast<uint32_t>(i));
    const auto saved = effect.storeBytes();
    ASSERT_TRUE(effect.probe().saveBankFile((files / "set.orb").c_str()));

    const auto bytes = readBytes(files / "set.orb");
    ASSERT_EQ(bytes.size(), 341u);
    EXPECT_EQ(bytes[4], '7');
    for (int i = 0; i < kNumPresetPrograms; ++i)
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 5 + 56 * i),
                  "Bank entry " + std::to_string(i));

    effect.installFactoryPrograms();
    effect.selectProgram(3);
    ASSERT_TRUE(effect.probe().loadBankFile((files / "set.orb").c_str(), false));
    EXPECT_EQ(effect.storeBytes(), saved);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 0);
    EXPECT_EQ(effect.probe().bankShows, 1);
}

TEST_F(PresetTest, OtherByteOrderLoadsToTheSameValuesAndReversedChoiceFlipsFloats)
{
    TestEffect effect;
    makeDistinctive(effect.getPrograms()[0], "Native", 3);
    const ProgramRecord original = effect.getPrograms()[0];
    std::vector<unsigned char> native(kPresetRecordSize);
    effect.probe().writePresetData(native.data());
    const auto foreign = otherByteOrder(native, 1);

    // Foreign order, plain load: the same program as the native record.
    writeBytes(files / "foreign.orv", foreign);
    effect.installFactoryPrograms();
    ASSERT_TRUE(effect.probe().loadPresetFile((files / "foreign.orv").c_str(), false));
    EXPECT_EQ(std::memcmp(&effect.getPrograms()[0], &original, sizeof original), 0);

    // Foreign order loaded as "endian-reversed": the floats are taken as they are in the file
    // (and, as every value that comes in, kept within 0..1; a NaN keeps the value before).
    ASSERT_TRUE(effect.probe().loadPresetFile((files / "foreign.orv").c_str(), true));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(bitsOf(effect.getPrograms()[0].values[k]),
                  bitsOf(withinRange(floatBitsAt(foreign, 29 + 4 * k), original.values[k])));

    // Native loaded as "endian-reversed": every float reversed once; the name is untouched.
    writeBytes(files / "native.orv", native);
    const ProgramRecord before = effect.getPrograms()[0];
    ASSERT_TRUE(effect.probe().loadPresetFile((files / "native.orv").c_str(), true));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(bitsOf(effect.getPrograms()[0].values[k]),
                  bitsOf(withinRange(byteSwapped32(bitsOf(original.values[k])), before.values[k])));
    EXPECT_STREQ(effect.getPrograms()[0].name, "Native");

    // A bank in the other byte order.
    std::vector<unsigned char> bank(kBankRecordSize);
    for (int i = 0; i < kNumPresetPrograms; ++i)
        makeDistinctive(effect.getPrograms()[i], "B", static_cast<uint32_t>(i + 2));
    const auto bankStore = effect.storeBytes();
    effect.probe().writeBankData(bank.data());
    effect.installFactoryPrograms();
    ASSERT_TRUE(effect.probe().readBankData(otherByteOrder(bank, 6).data(), false));
    EXPECT_EQ(effect.storeBytes(), bankStore);
}

// Values no parameter can have, in a preset or bank file, a memory or a remembered default:
// each comes in clamped to 0..1, and a NaN keeps the value the program had.
TEST_F(PresetTest, ValuesOutsideTheRangeComeInClampedOnEveryWay)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float given[kNumProgramValues] = {nan, inf, -inf, -5.0f, 5.0f, 0.3f, -0.0f, 1e-45f};
    // What each becomes; NaN: the value before.
    const float kept[kNumProgramValues] = {nan, 1.0f, 0.0f, 0.0f, 1.0f, 0.3f, -0.0f, 1e-45f};
    ProgramRecord hostile{};
    storeProgramName(hostile, "Hostile");
    std::memcpy(hostile.values, given, sizeof given);
    std::vector<unsigned char> preset(kPresetRecordSize), bank(kBankRecordSize);
    writePresetRecord(preset.data(), kTestUniqueID, hostile);
    const ProgramRecord six[kNumPresetPrograms] = {hostile, hostile, hostile,
                                                   hostile, hostile, hostile};
    writeBankRecord(bank.data(), kTestUniqueID, six);
    writeBytes(files / "hostile.orv", preset);
    writeBytes(files / "hostile.orb", bank);
    std::filesystem::create_directories(XdgSettingsStore::userFolder());
    writeBytes(XdgSettingsStore::userFolder() + "MemoA", preset);

    // Every program is checked against the values it held before the load.
    auto expectClamped = [&](const ProgramRecord& before, const ProgramRecord& after)
    {
        for (int k = 0; k < kNumProgramValues; ++k)
            EXPECT_EQ(bitsOf(after.values[k]),
                      bitsOf(std::isnan(kept[k]) ? before.values[k] : kept[k]))
                << "value " << k;
    };
    const struct
    {
        const char* way;
        bool wholeBank;
        bool (*load)(TestEffect& effect, const TempFolder& files);
    } ways[] = {
        {"preset file", false,
         [](TestEffect& e, const TempFolder& f)
         { return e.probe().loadPresetFile((f / "hostile.orv").c_str(), false); }},
        {"bank file", true,
         [](TestEffect& e, const TempFolder& f)
         { return e.probe().loadBankFile((f / "hostile.orb").c_str(), false); }},
        {"memory A", false,
         [](TestEffect& e, const TempFolder&)
         {
             e.probe().recallMemoA();
             return true;
         }},
    };
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.way);
        TestEffect effect;
        for (int p = 0; p < kNumPresetPrograms; ++p)
            for (int k = 0; k < kNumProgramValues; ++k)
                effect.getPrograms()[p].values[k] = 0.1f * static_cast<float>(p) + 0.01f * k;
        effect.selectProgram(2);
        const auto before = effect.storeBytes();
        ASSERT_TRUE(way.load(effect, files));
        const auto* old = reinterpret_cast<const ProgramRecord*>(before.data());
        for (int p = 0; p < kNumPresetPrograms; ++p)
        {
            SCOPED_TRACE("program " + std::to_string(p));
            if (way.wholeBank || p == 2)
                expectClamped(old[p], effect.getPrograms()[p]);
            else
                EXPECT_EQ(std::memcmp(&effect.getPrograms()[p], &old[p], sizeof old[p]), 0);
        }
    }

    // Remembered defaults, taken by a new instance: the bank, then the preset into program 0.
    // Program p held p + k/8 before (clamped: 1 from program 1 on).
    writeBytes(XdgSettingsStore::userFolder() + "DefaultBank", bank);
    writeBytes(XdgSettingsStore::userFolder() + "DefaultPreset", preset);
    TestEffect started;
    for (int p = 0; p < kNumPresetPrograms; ++p)
    {
        SCOPED_TRACE("default, program " + std::to_string(p));
        ProgramRecord before{};
        for (int k = 0; k < kNumProgramValues; ++k)
            before.values[k] = std::min(1.0f, static_cast<float>(p) + static_cast<float>(k) / 8.0f);
        expectClamped(before, started.getPrograms()[p]);
    }
}

// Every rejected record leaves the store, the current program and the engine as they were.
TEST_F(PresetTest, RejectedRecordsChangeNothing)
{
    TestEffect effect;
    std::vector<unsigned char> preset(kPresetRecordSize), bank(kBankRecordSize);
    effect.probe().writePresetData(preset.data());
    effect.probe().writeBankData(bank.data());
    auto foreignId = preset;
    foreignId[0] = 'X';
    auto bankForeignId = bank;
    bankForeignId[3] = 'X';
    auto wrongTag = preset;
    wrongTag[4] = '7';
    writeBytes(files / "bank.orb", bank);
    writeBytes(files / "preset.orv", preset);
    writeBytes(files / "foreign.orv", foreignId);
    writeBytes(files / "foreign.orb", bankForeignId);
    writeBytes(files / "tag.orv", wrongTag);
    ::mkfifo((files / "pipe.orb").c_str(), 0644); // must not block the host

    effect.selectProgram(3);
    const auto before = effect.storeBytes();
    effect.applied.clear();
    displayUpdates() = 0;
    auto& layer = effect.probe();
    EXPECT_FALSE(layer.loadPresetFile((files / "bank.orb").c_str(), false));
    EXPECT_FALSE(layer.loadPresetFile((files / "foreign.orv").c_str(), true));
    EXPECT_FALSE(layer.loadPresetFile((files / "tag.orv").c_str(), false));
    EXPECT_FALSE(layer.loadPresetFile((files / "missing.orv").c_str(), false));
    // Banks are checked before program 0 is applied.
    EXPECT_FALSE(layer.loadBankFile((files / "preset.orv").c_str(), false));
    EXPECT_FALSE(layer.loadBankFile((files / "foreign.orb").c_str(), false));
    EXPECT_FALSE(layer.loadBankFile((files / "missing.orb").c_str(), false));
    EXPECT_FALSE(layer.loadBankFile((files / "pipe.orb").c_str(), false));
    EXPECT_FALSE(layer.loadBankFile(files.path().c_str(), false)); // a folder

    EXPECT_EQ(effect.storeBytes(), before);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 3);
    EXPECT_TRUE(effect.applied.empty());
    EXPECT_EQ(displayUpdates(), 0);
    EXPECT_TRUE(layer.shownNames.empty());
    EXPECT_EQ(layer.bankShows, 0);
}
