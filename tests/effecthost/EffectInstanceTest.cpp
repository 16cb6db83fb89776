// The effect as the plug-in faces drive it: blocks cut at parameter changes against the
// effect record driven directly as a VST 2.4 host does, the chunk as state (damaged data
// refused without a change), the program store, the tail and the editor without a window.
#include "effecthost/EffectInstance.h"
#include "effecthost/ParameterChanges.h"

#include "engine/ParameterMapping.h"
#include "plugin/PluginEntry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
using orv::effecthost::EffectInstance;
using orv::effecthost::ParameterChanges;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A stereo test signal: two detuned saw-like waves with some silence, deterministic.
std::vector<float> signal(int frames, int channel)
{
    std::vector<float> s(static_cast<size_t>(frames));
    for (int n = 0; n < frames; ++n)
        s[static_cast<size_t>(n)] =
            (n / 700) % 3 == 2 ? 0.0f
                               : 0.4f * std::sin(0.031f * static_cast<float>(n * (channel + 2)));
    return s;
}

struct Rendered
{
    std::vector<float> left, right;
};

struct Change
{
    int32_t at; // absolute frame
    int32_t index;
    float value;
};

// The effect through the VST 2.4 record, blocks of `block` frames, each change applied before
// the block that starts at its frame (so the changes must sit on block starts).
Rendered renderByRecord(int frames, int block, const std::vector<Change>& changes)
{
    AudioEffect* effect = createEffectInstance(quietHost);
    AEffect* r = effect->getAeffect();
    r->dispatcher(r, effOpen, 0, 0, nullptr, 0.0f);
    r->dispatcher(r, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    r->dispatcher(r, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> inL = signal(frames, 0), inR = signal(frames, 1);
    Rendered out{std::vector<float>(inL.size()), std::vector<float>(inL.size())};
    for (int start = 0; start < frames; start += block)
    {
        for (const Change& c : changes)
            if (c.at == start) r->setParameter(r, c.index, c.value);
        const int n = std::min(block, frames - start);
        float* in[2] = {inL.data() + start, inR.data() + start};
        float* o[2] = {out.left.data() + start, out.right.data() + start};
        r->processReplacing(r, in, o, n);
    }
    r->dispatcher(r, effClose, 0, 0, nullptr, 0.0f);
    return out;
}

// The same through EffectInstance, in blocks of `block` frames, changes at their offsets.
Rendered renderByInstance(int frames, int block, const std::vector<Change>& changes)
{
    auto effect = EffectInstance::create(nullptr);
    effect->setSampleRate(48000.0);
    effect->resume();
    std::vector<float> inL = signal(frames, 0), inR = signal(frames, 1);
    Rendered out{std::vector<float>(inL.size()), std::vector<float>(inL.size())};
    ParameterChanges list;
    for (int start = 0; start < frames; start += block)
    {
        const int n = std::min(block, frames - start);
        list.clear();
        for (const Change& c : changes)
            if (c.at >= start && c.at < start + n) list.add(c.at - start, c.index, c.value);
        const float* in[2] = {inL.data() + start, inR.data() + start};
        float* o[2] = {out.left.data() + start, out.right.data() + start};
        effect->process(in, o, n, list);
    }
    return out;
}

void expectSameBits(const Rendered& a, const Rendered& b)
{
    ASSERT_EQ(a.left.size(), b.left.size());
    EXPECT_EQ(0, std::memcmp(a.left.data(), b.left.data(), a.left.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(a.right.data(), b.right.data(), a.right.size() * sizeof(float)));
}

const std::vector<Change> kChanges = {
    {0, kMix, 0.8f},       {0, kDecay, 0.9f},         {512, kDamp, 0.1f},    {1024, kTune, 0.3f},
    {1024, kDetune, 0.7f}, {2048, kTranspose, 0.75f}, {3072, kBypass, 1.0f}, {3584, kOutput, 0.3f},
};

TEST(EffectInstance, RendersAsTheRecordForEvenBlocksAndAnyCutting)
{
    const int frames = 4096;
    const Rendered reference = renderByRecord(frames, 256, kChanges);
    // Whole blocks of any length, odd ones included, and changes inside blocks give the bits
    // of even blocks through the record: the block is cut at each change.
    for (int block : {256, 4096, 1000, 33, 1})
    {
        SCOPED_TRACE(block);
        expectSameBits(reference, renderByInstance(frames, block, kChanges));
    }
}

TEST(EffectInstance, ChangesApplyAtTheirOffsetsInOrder)
{
    ParameterChanges list;
    list.add(10, kMix, 0.1f);
    list.add(3, kDecay, 0.2f);
    list.add(10, kDamp, 0.3f);
    list.add(-5, kTune, 0.4f); // before the block: at its start
    list.add(3, kMix, 0.5f);
    const int32_t offsets[] = {0, 3, 3, 10, 10};
    const int32_t indices[] = {kTune, kDecay, kMix, kMix, kDamp};
    ASSERT_EQ(5, list.size());
    for (int32_t i = 0; i < list.size(); ++i)
    {
        EXPECT_EQ(offsets[i], list[i].offset) << i;
        EXPECT_EQ(indices[i], list[i].index) << i;
    }
    // The last value of a parameter at one offset wins: Mix ends at 0.1.
    auto effect = EffectInstance::create(nullptr);
    effect->resume();
    float l[16] = {}, r[16] = {};
    float* out[2] = {l, r};
    effect->process(nullptr, out, 16, list);
    EXPECT_EQ(0.1f, effect->parameter(kMix));
    EXPECT_EQ(0.4f, effect->parameter(kTune));
    // A block of no frames applies its changes (a parameter flush); changes past the end of a
    // block apply at its end.
    list.clear();
    list.add(0, kDecay, 0.6f);
    list.add(100, kDamp, 0.7f);
    effect->process(nullptr, nullptr, 0, list);
    EXPECT_EQ(0.6f, effect->parameter(kDecay));
    EXPECT_EQ(0.7f, effect->parameter(kDamp));
}

TEST(EffectInstance, FullChangeListKeepsEachParametersLastValue)
{
    ParameterChanges list;
    for (int32_t i = 0; i < ParameterChanges::kCapacity; ++i)
        ASSERT_TRUE(list.add(i, i % 2 == 0 ? kMix : kDecay, 0.0f));
    EXPECT_FALSE(list.add(ParameterChanges::kCapacity + 5, kMix, 0.9f));
    EXPECT_FALSE(list.add(ParameterChanges::kCapacity + 5, kDamp, 0.9f)); // none stored: dropped
    EXPECT_EQ(ParameterChanges::kCapacity, list.size());
    auto effect = EffectInstance::create(nullptr);
    effect->process(nullptr, nullptr, 0, list);
    EXPECT_EQ(0.9f, effect->parameter(kMix));
    EXPECT_EQ(0.0f, effect->parameter(kDecay));
}

TEST(EffectInstance, StateRoundTripsAndDamagedStateChangesNothing)
{
    auto a = EffectInstance::create(nullptr);
    a->selectProgram(3);
    a->setParameter(kDecay, 0.875f);
    a->setParameter(kOutput, 0.625f);
    const EffectInstance::State saved = a->state();

    auto b = EffectInstance::create(nullptr);
    const EffectInstance::State fresh = b->state();
    EffectInstance::State badVersion = saved;
    badVersion[0] ^= 0x40;
    EffectInstance::State damaged[] = {badVersion};
    for (const auto& bytes : damaged)
        EXPECT_FALSE(b->setState(bytes.data(), bytes.size()));
    EXPECT_FALSE(b->setState(saved.data(), saved.size() - 1));
    EXPECT_FALSE(b->setState(nullptr, saved.size()));
    EXPECT_EQ(fresh, b->state());
    EXPECT_EQ(0, b->currentProgram());

    ASSERT_TRUE(b->setState(saved.data(), saved.size()));
    EXPECT_EQ(saved, b->state());
    EXPECT_EQ(3, b->currentProgram());
    EXPECT_EQ(0.875f, b->parameter(kDecay));
    EXPECT_EQ(0.625f, b->parameter(kOutput));

    // Read into a caller's buffer, the store is the same, with every byte of it written.
    b->setParameter(kMix, 0.3125f);
    EffectInstance::State read;
    read.fill(0xA5);
    ASSERT_TRUE(b->readState(read));
    EXPECT_EQ(b->state(), read);
    EXPECT_NE(saved, read);
}

TEST(EffectInstance, ProgramsByNameAndSelection)
{
    auto effect = EffectInstance::create(nullptr);
    const char* names[] = {"Default", "Bright", "High", "Low & Dark", "Almost reverb", "Detuned"};
    for (int32_t i = 0; i < EffectInstance::kNumPrograms; ++i)
        EXPECT_EQ(names[i], effect->programName(i)) << i;
    EXPECT_EQ("", effect->programName(-1));
    EXPECT_EQ("", effect->programName(6));
    effect->selectProgram(4);
    EXPECT_EQ(4, effect->currentProgram());
    EXPECT_EQ(0.75f, effect->parameter(kDecay));
    effect->selectProgram(7);
    EXPECT_EQ(4, effect->currentProgram());
}

TEST(EffectInstance, TailFollowsDecayAndSampleRate)
{
    auto effect = EffectInstance::create(nullptr);
    effect->setSampleRate(44100.0);
    uint32_t previous = 0;
    for (float decay : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f})
    {
        effect->setParameter(kDecay, decay);
        const uint32_t tail = effect->tailSamples();
        EXPECT_GT(tail, previous) << decay;
        previous = tail;
    }
    // Full Decay rings for tens of seconds, none for less than a few milliseconds.
    EXPECT_GT(previous, 44100u * 10);
    EXPECT_LT(previous, 44100u * 120);
    const uint32_t at44 = effect->tailSamples();
    effect->setSampleRate(88200.0);
    EXPECT_NEAR(2.0 * at44, effect->tailSamples(), 2.0);
    // Transposition keeps the loss per second: the tail hardly changes.
    effect->setParameter(kTranspose, 0.0f);
    EXPECT_NEAR(effect->tailSamples(), 2.0 * at44, 0.3 * at44);
}

TEST(EffectInstance, EditorWithoutAWindowLeavesNothingOpen)
{
    auto effect = EffectInstance::create(nullptr);
    int32_t width = 0, height = 0;
    ASSERT_TRUE(effect->editorSize(width, height));
    EXPECT_EQ(320, width);
    EXPECT_EQ(257, height);
    EXPECT_FALSE(effect->openEditor(nullptr));
    EXPECT_FALSE(effect->editorOpen());
    EXPECT_EQ(nullptr, effect->editorWindow());
    EXPECT_EQ(-1, effect->editorEventDescriptor());
    effect->idleEditor();
    effect->closeEditor();
    EXPECT_FALSE(effect->setContentScale(0.0f));
}

} // namespace
