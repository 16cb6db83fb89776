// The built VST3 bundle in a host of our own: what its factory says, the sound against the VST
// 2.4 plug-in bit for bit, the state (round trip, damaged data refused, values set before any
// processing kept), the program list, the parameters and their texts both ways.
#include "Vst3TestHost.h"
#include "tests/support/RecordingHost.h"

#include "effecthost/ParameterText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

namespace
{
using namespace vst3test;

constexpr int32 kProgramParameter = 8;

class Vst3Bundle : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(module.factory, nullptr) << "bundle " ORV_VST3_BUNDLE; }
    static inline Module module{ORV_VST3_BUNDLE};
};

std::string uidText(const int8* bytes)
{
    std::string text;
    char hex[3];
    for (int i = 0; i < 16; ++i)
    {
        std::snprintf(hex, sizeof hex, "%02X", static_cast<uint8_t>(bytes[i]));
        text += hex;
    }
    return text;
}

TEST_F(Vst3Bundle, FactoryOffersOneEffectClass)
{
    IPluginFactory* factory = module.factory;
    PFactoryInfo info{};
    ASSERT_EQ(kResultOk, factory->getFactoryInfo(&info));
    EXPECT_STREQ("www.orvatone.com", info.vendor);
    EXPECT_STREQ("https://www.orvatone.com", info.url);
    ASSERT_EQ(1, factory->countClasses());

    void* obj = nullptr;
    ASSERT_EQ(kResultOk, factory->queryInterface(IPluginFactory3::iid.bytes, &obj));
    auto* factory3 = static_cast<IPluginFactory3*>(obj);
    PClassInfoW classInfo{};
    ASSERT_EQ(kResultOk, factory3->getClassInfoUnicode(0, &classInfo));
    // The class id is fixed for good: sessions refer to it. On Linux its bytes are the words in
    // order.
    EXPECT_EQ("EA53F790AF4447839534567C888F1D6E", uidText(classInfo.cid));
    EXPECT_STREQ("Audio Module Class", classInfo.category);
    EXPECT_EQ("Orv Sympharon", utf8(classInfo.name));
    EXPECT_STREQ("Fx|Reverb|Stereo", classInfo.subCategories);
    EXPECT_EQ(ORV_VERSION, utf8(classInfo.version));
    EXPECT_EQ(kManyInstances, classInfo.cardinality);
    factory3->release();

    // Another class id, or an interface the effect has not, gives nothing.
    TUID other{};
    EXPECT_EQ(kNoInterface, factory->createInstance(other, IComponent::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
    EXPECT_EQ(kNoInterface, factory->createInstance(classInfo.cid, IPlugView::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
}

TEST_F(Vst3Bundle, OneObjectIsComponentAndControllerWithStereoBusesOnly)
{
    Effect effect(module.factory);
    ASSERT_TRUE(effect.processor && effect.controller && effect.units);
    EXPECT_EQ(1, effect.component->getBusCount(kAudio, kInput));
    EXPECT_EQ(1, effect.component->getBusCount(kAudio, kOutput));
    EXPECT_EQ(0, effect.component->getBusCount(kEvent, kInput));
    SpeakerArrangement mono = kSpeakerArrMono, stereo = kSpeakerArrStereo;
    EXPECT_EQ(kResultFalse, effect.processor->setBusArrangements(&mono, 1, &mono, 1));
    EXPECT_EQ(kResultFalse, effect.processor->setBusArrangements(&stereo, 1, &mono, 1));
    SpeakerArrangement arrangement = 0;
    ASSERT_EQ(kResultTrue, effect.processor->getBusArrangement(kOutput, 0, arrangement));
    EXPECT_EQ(kSpeakerArrStereo, arrangement);
    EXPECT_EQ(kResultTrue, effect.processor->setBusArrangements(&stereo, 1, &stereo, 1));
    EXPECT_EQ(kResultTrue, effect.processor->canProcessSampleSize(kSample32));
    EXPECT_EQ(kResultFalse, effect.processor->canProcessSampleSize(kSample64));
    EXPECT_EQ(0u, effect.processor->getLatencySamples());
}

// A test signal with silent stretches, the same for both plug-ins.
std::vector<float> signal(int frames, int channel)
{
    std::vector<float> s(static_cast<size_t>(frames));
    for (int n = 0; n < frames; ++n)
        s[static_cast<size_t>(n)] =
            (n / 3000) % 4 == 3 ? 0.0f
                                : 0.5f * std::sin(0.0123f * static_cast<float>(n) * (channel + 1)) *
                                      std::sin(0.0007f * static_cast<float>(n));
    return s;
}

struct Setting
{
    int at; // frame
    int32 index;
    float value;
};

TEST_F(Vst3Bundle, RendersBitForBitAsTheVst2PlugIn)
{
    const std::vector<Setting> settings = {
        {0, 1, 0.7f},      {0, 2, 0.8f},      {0, 3, 0.15f},     {0, 4, 0.625f},
        {0, 5, 0.4f},      {8192, 6, 0.9f},   {12288, 2, 0.35f}, {16384, 7, 1.0f},
        {20480, 0, 0.62f}, {24576, 4, 0.25f}, {26624, 7, 0.0f},
    };
    const int frames = 32768;
    for (double rate : {44100.0, 96000.0, 192000.0})
    {
        SCOPED_TRACE(rate);
        // The VST 2.4 plug-in in blocks of 512, each setting applied before its block.
        RecordingHost host;
        LoadedPlugin vst2(host);
        vst2.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        vst2.dispatch(effSetBlockSize, 0, 512);
        vst2.dispatch(effMainsChanged, 0, 1);
        std::vector<float> inL = signal(frames, 0), inR = signal(frames, 1);
        std::vector<float> refL(inL.size()), refR(inL.size());
        for (int start = 0; start < frames; start += 512)
        {
            for (const Setting& s : settings)
                if (s.at == start) vst2.setParameter(s.index, s.value);
            float* in[2] = {inL.data() + start, inR.data() + start};
            float* out[2] = {refL.data() + start, refR.data() + start};
            vst2.effect()->processReplacing(vst2.effect(), in, out, 512);
        }

        // The VST3 plug-in in blocks of other even sizes, the settings as sample-accurate
        // changes inside them.
        for (int block : {4096, 1000, 64})
        {
            SCOPED_TRACE(block);
            Effect effect(module.factory);
            effect.start(rate, 4096);
            std::vector<float> outL(inL.size()), outR(inL.size());
            for (int start = 0; start < frames; start += block)
            {
                const int n = std::min(block, frames - start);
                ChangeList changes;
                for (const Setting& s : settings)
                    if (s.at >= start && s.at < start + n)
                        changes.add(static_cast<ParamID>(s.index), s.at - start, s.value);
                ASSERT_EQ(kResultOk,
                          effect.process(inL.data() + start, inR.data() + start,
                                         outL.data() + start, outR.data() + start, n, &changes));
            }
            EXPECT_EQ(0, std::memcmp(refL.data(), outL.data(), refL.size() * sizeof(float)));
            EXPECT_EQ(0, std::memcmp(refR.data(), outR.data(), refR.size() * sizeof(float)));
        }
    }
}

TEST_F(Vst3Bundle, SilenceFlagsAndAFlushWithoutAudio)
{
    Effect effect(module.factory);
    effect.start(48000.0, 512);
    std::vector<float> in(512, 0.0f), outL(512, 1.0f), outR(512, 1.0f);
    // Silence with the strings at rest gives silence, flagged.
    ASSERT_EQ(kResultOk, effect.process(in.data(), in.data(), outL.data(), outR.data(), 512));
    EXPECT_EQ(3u, effect.lastOutputSilence);
    // A block of no frames applies its changes and touches no audio.
    ChangeList changes;
    changes.add(2, 0, 0.3);
    ASSERT_EQ(kResultOk, effect.process(nullptr, nullptr, nullptr, nullptr, 0, &changes));
    EXPECT_FLOAT_EQ(0.3f, static_cast<float>(effect.controller->getParamNormalized(2)));
    // Sound in: sound out, no flag.
    std::vector<float> tone = signal(512, 0);
    ASSERT_EQ(kResultOk, effect.process(tone.data(), tone.data(), outL.data(), outR.data(), 512));
    EXPECT_EQ(0u, effect.lastOutputSilence);
    // The tail grows with Decay.
    const uint32 shortTail = effect.processor->getTailSamples();
    changes.queues.clear();
    changes.add(2, 0, 0.95);
    effect.process(nullptr, nullptr, nullptr, nullptr, 0, &changes);
    EXPECT_GT(effect.processor->getTailSamples(), shortTail);
    EXPECT_GT(shortTail, 4800u);
}

TEST_F(Vst3Bundle, StateRoundTripsAndDamagedStateChangesNothing)
{
    Effect a(module.factory);
    a.controller->setParamNormalized(kProgramParameter, 0.6); // program 3 ("Low & Dark")
    a.controller->setParamNormalized(2, 0.8125);
    a.controller->setParamNormalized(0, 0.375);
    const std::vector<uint8_t> saved = a.state();
    ASSERT_EQ(368u, saved.size());

    Effect b(module.factory);
    const std::vector<uint8_t> fresh = b.state();
    std::vector<uint8_t> badVersion = saved;
    badVersion[3] ^= 0x10;
    std::vector<uint8_t> longer = saved;
    longer.push_back(0);
    const std::vector<std::vector<uint8_t>> damaged = {
        {}, std::vector<uint8_t>(saved.begin(), saved.begin() + 100), longer, badVersion};
    for (const auto& bytes : damaged)
    {
        EXPECT_EQ(kResultFalse, b.setState(bytes)) << bytes.size();
        MemoryStream stream(bytes);
        EXPECT_EQ(kResultFalse, b.controller->setComponentState(&stream)) << bytes.size();
        EXPECT_EQ(fresh, b.state());
    }
    ASSERT_EQ(kResultOk, b.setState(saved));
    EXPECT_EQ(saved, b.state());
    EXPECT_DOUBLE_EQ(0.8125, b.controller->getParamNormalized(2));
    EXPECT_DOUBLE_EQ(0.375, b.controller->getParamNormalized(0));
    EXPECT_DOUBLE_EQ(0.6, b.controller->getParamNormalized(kProgramParameter));
    // The controller following the component state changes nothing more.
    MemoryStream again(saved);
    EXPECT_EQ(kResultOk, b.controller->setComponentState(&again));
    EXPECT_EQ(saved, b.state());
}

TEST_F(Vst3Bundle, ValuesSetBeforeAnyProcessingAreInTheSavedState)
{
    // A host sets values (inactive, and active before its first block), saves, and reopens the
    // session in a new instance: it pushes the saved values first, then the component state.
    for (bool activeWhenSet : {false, true})
    {
        SCOPED_TRACE(activeWhenSet);
        std::vector<uint8_t> saved;
        {
            Effect a(module.factory);
            if (activeWhenSet) a.start(44100.0, 512);
            a.controller->setParamNormalized(2, 0.9);
            a.controller->setParamNormalized(7, 1.0);
            EXPECT_FLOAT_EQ(0.9f, static_cast<float>(a.controller->getParamNormalized(2)));
            saved = a.state();
        }
        Effect b(module.factory);
        b.controller->setParamNormalized(2, 0.9);
        b.controller->setParamNormalized(7, 1.0);
        ASSERT_EQ(kResultOk, b.setState(saved));
        MemoryStream stream(saved);
        ASSERT_EQ(kResultOk, b.controller->setComponentState(&stream));
        EXPECT_FLOAT_EQ(0.9f, static_cast<float>(b.controller->getParamNormalized(2)));
        EXPECT_EQ(1.0, b.controller->getParamNormalized(7));
        b.start(44100.0, 512);
        std::vector<float> buffer(64, 0.0f);
        b.process(buffer.data(), buffer.data(), buffer.data(), buffer.data(), 64);
        EXPECT_FLOAT_EQ(0.9f, static_cast<float>(b.controller->getParamNormalized(2)));
    }
}

TEST_F(Vst3Bundle, ParametersMatchTheVst2OnesAndTheirTextsReadBack)
{
    Effect effect(module.factory);
    ASSERT_EQ(9, effect.controller->getParameterCount());
    struct Expected
    {
        const char* title;
        const char* units;
        int32 steps;
        double defaultValue;
    };
    const Expected expected[8] = {
        {"Output", "dB", 0, 0.5}, {"Mix", "%", 0, 0.25},        {"Decay", "%", 0, 0.25},
        {"Damp", "%", 0, 0.25},   {"Transpose", "st", 48, 0.5}, {"Tune", "cents", 0, 0.5},
        {"Detune", "%", 0, 0.0},  {"Bypass", "", 1, 0.0},
    };
    RecordingHost host;
    LoadedPlugin vst2(host);
    for (int32 i = 0; i < 8; ++i)
    {
        SCOPED_TRACE(i);
        ParameterInfo info{};
        ASSERT_EQ(kResultOk, effect.controller->getParameterInfo(i, info));
        EXPECT_EQ(static_cast<ParamID>(i), info.id);
        EXPECT_EQ(expected[i].title, utf8(info.title));
        EXPECT_EQ(expected[i].units, utf8(info.units));
        EXPECT_EQ(expected[i].steps, info.stepCount);
        EXPECT_EQ(expected[i].defaultValue, info.defaultNormalizedValue);
        EXPECT_EQ(ParameterInfo::kCanAutomate, info.flags);
        EXPECT_EQ(kRootUnitId, info.unitId);
        // The same normalized values as the VST 2.4 plug-in's.
        EXPECT_FLOAT_EQ(vst2.getParameter(i),
                        static_cast<float>(effect.controller->getParamNormalized(info.id)));

        for (double v : {0.0, 0.01, 0.25, 0.3333, 0.5, 0.61, 0.75, 0.999, 1.0})
        {
            String128 text{};
            ASSERT_EQ(kResultOk, effect.controller->getParamStringByValue(info.id, v, text));
            char editorText[64];
            ASSERT_TRUE(orv::effecthost::parameterText(i, static_cast<float>(v), false, editorText,
                                                       sizeof editorText));
            EXPECT_EQ(editorText, utf8(text)) << v;
            ParamValue back = -1.0;
            ASSERT_EQ(kResultOk, effect.controller->getParamValueByString(info.id, text, back))
                << utf8(text);
            String128 again{};
            effect.controller->getParamStringByValue(info.id, back, again);
            EXPECT_EQ(utf8(text), utf8(again)) << v;
        }
        std::u16string nonsense = utf16("loud");
        ParamValue unchanged = 0.5;
        EXPECT_NE(kResultOk,
                  effect.controller->getParamValueByString(info.id, nonsense.data(), unchanged));
    }
    ParameterInfo program{};
    ASSERT_EQ(kResultOk, effect.controller->getParameterInfo(kProgramParameter, program));
    EXPECT_EQ(ParameterInfo::kIsProgramChange | ParameterInfo::kIsList, program.flags);
    EXPECT_EQ(5, program.stepCount);
    ParameterInfo none{};
    EXPECT_NE(kResultOk, effect.controller->getParameterInfo(9, none));
}

TEST_F(Vst3Bundle, ProgramsAreAListTheHostCanSwitch)
{
    Effect effect(module.factory);
    ASSERT_EQ(1, effect.units->getUnitCount());
    UnitInfo unit{};
    ASSERT_EQ(kResultOk, effect.units->getUnitInfo(0, unit));
    EXPECT_EQ(kRootUnitId, unit.id);
    EXPECT_EQ(kNoParentUnitId, unit.parentUnitId);
    ASSERT_EQ(1, effect.units->getProgramListCount());
    ProgramListInfo list{};
    ASSERT_EQ(kResultOk, effect.units->getProgramListInfo(0, list));
    EXPECT_EQ(unit.programListId, list.id);
    ASSERT_EQ(6, list.programCount);
    const char* names[] = {"Default", "Bright", "High", "Low & Dark", "Almost reverb", "Detuned"};
    for (int32 p = 0; p < 6; ++p)
    {
        String128 name{};
        ASSERT_EQ(kResultOk, effect.units->getProgramName(list.id, p, name));
        EXPECT_EQ(names[p], utf8(name));
        String128 text{};
        effect.controller->getParamStringByValue(kProgramParameter, p / 5.0, text);
        EXPECT_EQ(names[p], utf8(text));
        ParamValue value = -1;
        ASSERT_EQ(kResultOk,
                  effect.controller->getParamValueByString(kProgramParameter, name, value));
        EXPECT_DOUBLE_EQ(p / 5.0, value);
    }
    String128 name{};
    EXPECT_NE(kResultOk, effect.units->getProgramName(list.id, 6, name));
    EXPECT_NE(kResultOk, effect.units->getProgramName(list.id + 1, 0, name));

    // Switching to "Almost reverb" gives its values. The host is not called back from inside
    // its own call (Ardour holds a lock there and would wait for it forever).
    effect.handler.edits.clear();
    ASSERT_EQ(kResultOk, effect.controller->setParamNormalized(kProgramParameter, 0.8));
    EXPECT_DOUBLE_EQ(0.8, effect.controller->getParamNormalized(kProgramParameter));
    EXPECT_FLOAT_EQ(0.75f, static_cast<float>(effect.controller->getParamNormalized(2)));
    EXPECT_FLOAT_EQ(0.0f, static_cast<float>(effect.controller->getParamNormalized(4)));
    EXPECT_TRUE(effect.handler.edits.empty());
}

} // namespace
