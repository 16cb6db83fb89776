// The program store's own operations, seen from a small effect built on it: applying a
// program, renaming, the editor link, and the host requests each one makes.
#include "plugin/AEffEditor.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/PresetEditorLink.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
std::vector<VstInt32> hostRequests;

VstIntPtr recordingCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    hostRequests.push_back(opcode);
    return opcode == audioMasterVersion ? 2400 : 1;
}

// Records what the store pushes through the virtual setParameter while it applies a program.
class ProbeEffect : public CPresetSystemEffect
{
public:
    ProbeEffect() : CPresetSystemEffect(recordingCallback)
    {
        for (int p = 0; p < kNumPresetPrograms; ++p)
            for (int k = 0; k < kNumProgramValues; ++k)
                programs[p].values[k] = static_cast<float>(p * 10 + k);
    }
    void setParameter(VstInt32 index, float value) override
    {
        applied.emplace_back(index, value);
        appliedWhileApplying.push_back(isApplyingProgram);
        CPresetSystemEffect::setParameter(index, value);
    }
    std::vector<std::pair<VstInt32, float>> applied;
    std::vector<bool> appliedWhileApplying;
};

class LinkedEditor : public AEffEditor, public PresetEditorLink
{
public:
    explicit LinkedEditor(AudioEffect* effect) : AEffEditor(effect) {}
    void programNameChanged(const char* name) override { shownNames.push_back(name); }
    void loadDefaults() override { ++defaultsLoaded; }
    std::vector<std::string> shownNames;
    int defaultsLoaded = 0;
};
} // namespace

TEST(ProgramStore, SelectingAppliesValuesInIndexOrderThenRefreshesOnce)
{
    ProbeEffect effect;
    hostRequests.clear();
    effect.selectProgram(3);
    ASSERT_EQ(effect.applied.size(), 8u);
    for (VstInt32 k = 0; k < 8; ++k)
    {
        EXPECT_EQ(effect.applied[static_cast<size_t>(k)].first, k);
        EXPECT_EQ(effect.applied[static_cast<size_t>(k)].second, static_cast<float>(30 + k));
        EXPECT_TRUE(effect.appliedWhileApplying[static_cast<size_t>(k)]);
    }
    EXPECT_FALSE(effect.isApplyingProgramNow());
    EXPECT_EQ(hostRequests, std::vector<VstInt32>{audioMasterUpdateDisplay});
    EXPECT_EQ(effect.getCurrentProgramIndex(), 3);
    EXPECT_EQ(effect.getProgram(), 0);
}

TEST(ProgramStore, SelectingAProgramOutsideTheStoreChangesNothing)
{
    ProbeEffect effect;
    effect.selectProgram(4);
    effect.applied.clear();
    hostRequests.clear();
    for (VstInt32 index : {6, -1, 1 << 30})
        effect.selectProgram(index);
    EXPECT_TRUE(effect.applied.empty());
    EXPECT_TRUE(hostRequests.empty());
    EXPECT_EQ(effect.getCurrentProgramIndex(), 4);
}

TEST(ProgramStore, StoresParameterValuesIntoTheCurrentProgramOnly)
{
    ProbeEffect effect;
    effect.selectProgram(2);
    effect.CPresetSystemEffect::setParameter(4, 0.125f);
    effect.CPresetSystemEffect::setParameter(8, 0.5f);
    effect.CPresetSystemEffect::setParameter(-1, 0.5f);
    EXPECT_EQ(effect.getPrograms()[2].values[4], 0.125f);
    EXPECT_EQ(effect.getPrograms()[1].values[4], 14.0f);
    EXPECT_EQ(effect.getPrograms()[3].values[4], 34.0f);
}

TEST(ProgramStore, RenamingRefreshesTheHostButNotTheEditor)
{
    ProbeEffect effect;
    auto* editor = new LinkedEditor(&effect);
    effect.setEditor(editor);
    hostRequests.clear();
    effect.renameCurrentProgram("A name of exactly 24 chr");
    EXPECT_EQ(std::string(effect.getPrograms()[0].name, 24), "A name of exactly 24 chr");
    effect.renameCurrentProgram(nullptr);
    EXPECT_EQ(std::string(effect.getPrograms()[0].name, 24), "A name of exactly 24 chr");
    EXPECT_EQ(hostRequests,
              (std::vector<VstInt32>{audioMasterUpdateDisplay, audioMasterUpdateDisplay}));
    EXPECT_TRUE(editor->shownNames.empty());

    // A rename through the host's program name goes to the editor, not to the host.
    hostRequests.clear();
    char longName[] = "Twenty-five characters!!!";
    effect.setProgramName(longName);
    EXPECT_TRUE(hostRequests.empty());
    EXPECT_EQ(editor->shownNames, std::vector<std::string>{"Twenty-five characters!!"});
    effect.loadEditorDefaults();
    EXPECT_EQ(editor->defaultsLoaded, 1);
}

TEST(ProgramStore, WithoutAnEditorTheHooksDoNothing)
{
    ProbeEffect effect;
    char name[] = "Plain";
    effect.setProgramName(name);
    effect.loadEditorDefaults();
    EXPECT_EQ(std::string(effect.getPrograms()[0].name), "Plain");
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
}

TEST(ProgramStore, ByteSwapReversesInPlace)
{
    uint32_t v = 0x4F725379;
    byteSwap32(&v);
    EXPECT_EQ(v, 0x7953724Fu);
    float f = 1.0f;
    byteSwap32(&f);
    byteSwap32(&f);
    EXPECT_EQ(f, 1.0f);
}
