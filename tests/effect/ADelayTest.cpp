// ADelay in process: the engine values each factory program produces, the order of the setParameter
// steps (engine, programs, editor) and the lifecycle, seen through the effect object itself.
#include "effect/ADelay.h"
#include "EngineTestSupport.h"
#include "effect/ParameterTable.h"
#include "plugin/AEffEditor.h"
#include "plugin/EditorParameterLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace
{

using namespace enginetest;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// An editor that records the parameter updates it is given.
class RecordingEditor : public AEffEditor, public EditorParameterLink
{
public:
    explicit RecordingEditor(AudioEffect* effect) : AEffEditor(effect) {}
    void setParameter(int32_t index, float value) override { updates.emplace_back(index, value); }
    std::vector<std::pair<int32_t, float>> updates;
};

class TestableDelay : public ADelay
{
public:
    TestableDelay() : ADelay(quietHost) {}
    // Puts a recording editor in place of the effect's own.
    void attach(AEffEditor* e)
    {
        delete editor;
        editor = e;
    }
    // Lets go of an editor the test owns.
    void detach() { editor = nullptr; }
    ProgramRecord* store() { return programs; }
    bool applying() const { return isApplyingProgram; }
};

TEST(ADelayEngine, FactoryProgramsGiveTheirEngineValues)
{
    const double feedback[6] = {0.959286, 0.975153, 0.987499, 0.961146, 0.950954, 0.980380};
    const double damping[6] = {0.856282, 0.967343, 0.938296, 0.631260, 0.882791, 0.856282};
    const float factor[6] = {1.0f, 1.0f, 2.0f, 0.5f, 0.25f, 1.0f};
    TestableDelay effect;
    for (int p = 0; p < 6; ++p)
    {
        SCOPED_TRACE(kFactoryPrograms[p].name);
        effect.selectProgram(p);
        const ResonatorCore& e = effect.engine();
        EXPECT_EQ(e.transposeFactor(), factor[p]);
        EXPECT_NEAR(e.feedback(), feedback[p], 5e-7);
        for (int k = 0; k < 12; ++k)
            EXPECT_NEAR(e.damping(k), damping[p], 5e-7);
        EXPECT_EQ(e.outputGain(), 1.0f);
        EXPECT_EQ(e.mixAmount(), 0.25f);
        EXPECT_EQ(e.bypassed(), 0);
        EXPECT_NEAR(e.tuneTarget(), 1.000002, 5e-7);
        EXPECT_EQ(e.detuneTarget(), p == 5 ? 1.0f : 0.0f);
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(effect.getParameter(k), kFactoryPrograms[p].values[k]);
    }
}

TEST(ADelayEngine, NewInstanceStartsWithDefaultAndSilentStrings)
{
    TestableDelay effect;
    EXPECT_EQ(effect.getCurrentProgramIndex(), 0);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(effect.getParameter(k), kParameterInfo[k].factoryDefault);
    const ResonatorCore& e = effect.engine();
    EXPECT_EQ(e.writePosition(), 16383);
    for (int k = 0; k < 12; ++k)
        for (int32_t p = 0; p < 16384; p += 97)
            ASSERT_EQ(e.ringValue(k, p), 0.0f);
}

TEST(ADelayEngine, ChangesAreStoredIntoTheCurrentProgramAndShownInTheEditor)
{
    TestableDelay effect;
    RecordingEditor editor(&effect);
    effect.attach(&editor);
    effect.selectProgram(3);
    // Applying a program updates the editor but does not write the program back to itself.
    ASSERT_EQ(editor.updates.size(), 8u);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(editor.updates[k], std::make_pair(k, kFactoryPrograms[3].values[k]));
    editor.updates.clear();

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tuneTarget = effect.engine().tuneTarget();
    effect.setParameter(kDamp, 0.61f);
    effect.setParameter(kTune, nan);   // no value: Tune stays as it is
    effect.setParameter(kDecay, 7.0f); // kept, shown and stored as 1
    effect.setParameter(9, 0.5f);      // nothing stored, but the editor still hears of it
    EXPECT_EQ(effect.store()[3].values[kDamp], 0.61f);
    EXPECT_EQ(effect.store()[3].values[kTune], kFactoryPrograms[3].values[kTune]);
    EXPECT_EQ(effect.getParameter(kTune), kFactoryPrograms[3].values[kTune]);
    EXPECT_EQ(effect.engine().tuneTarget(), tuneTarget);
    EXPECT_EQ(effect.store()[3].values[kDecay], 1.0f);
    EXPECT_EQ(effect.getParameter(kDecay), 1.0f);
    EXPECT_EQ(effect.store()[2].values[kDamp], kFactoryPrograms[2].values[kDamp]);
    ASSERT_EQ(editor.updates.size(), 3u);
    EXPECT_EQ(editor.updates[0], std::make_pair(int32_t{kDamp}, 0.61f));
    EXPECT_EQ(editor.updates[1], std::make_pair(int32_t{kDecay}, 1.0f));
    EXPECT_EQ(editor.updates[2], std::make_pair(9, 0.5f));
    effect.detach();
}

TEST(ADelayEngine, TranspositionChangesClearTheStringsAtTheNextBlock)
{
    TestableDelay effect;
    effect.setSampleRate(48000.0f);
    effect.resume();
    std::vector<float> l = makeSignal(8000, 3, 0.9f), r = l;
    float* in[2] = {l.data(), r.data()};
    effect.processReplacing(in, in, 8000);
    auto ringSum = [&effect]
    {
        double s = 0.0;
        for (int k = 0; k < 12; ++k)
            for (int32_t p = 0; p < 16384; ++p)
                s += std::fabs(effect.engine().ringValue(k, p));
        return s;
    };
    ASSERT_GT(ringSum(), 1.0);

    effect.selectProgram(2); // "High": up an octave
    EXPECT_EQ(effect.engine().transposeFactor(), 2.0f);
    EXPECT_NEAR(effect.engine().feedback(), 0.987499, 5e-7);
    EXPECT_GT(ringSum(), 1.0); // not under a block that may be running on another thread
    std::vector<float> silence(1, 0.0f);
    float* quiet[2] = {silence.data(), silence.data()};
    effect.processReplacing(quiet, quiet, 1);
    EXPECT_LT(ringSum(), 12.0); // only the one row written since

    // "Detuned" returns to factor 1 and starts the detune glide from where it is.
    effect.processReplacing(in, in, 8000);
    effect.selectProgram(5);
    EXPECT_EQ(effect.engine().transposeFactor(), 1.0f);
    effect.processReplacing(quiet, quiet, 1);
    EXPECT_GT(effect.engine().detuneCurrent(), 0.0f);
    EXPECT_LT(effect.engine().detuneCurrent(), 0.01f);
}

} // namespace
