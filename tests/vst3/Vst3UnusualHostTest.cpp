// The built VST3 bundle driven as an unusual or careless host would: values outside the
// normalized range and NaN, streams that move a few bytes at a time or fail, audio in place, no
// audio at all, processing outside activation, sample sizes and rates the effect does not take,
// unknown interfaces, views used out of order and many instances. Each case states what a host
// may rely on afterwards.
#include "Vst3TestHost.h"

#include "effecthost/ParameterText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace
{
using namespace vst3test;

constexpr ParamID kProgramParameter = 8;
constexpr ParamID kDecay = 2;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Module& bundle()
{
    static Module module{ORV_VST3_BUNDLE};
    return module;
}

std::string textOf(IEditController* controller, ParamID id, ParamValue value, tresult* result)
{
    String128 text{};
    *result = controller->getParamStringByValue(id, value, text);
    return utf8(text);
}

std::string editorText(int32 parameter, float value)
{
    char text[64];
    orv::effecthost::parameterText(parameter, value, false, text, sizeof text);
    return text;
}

// A stream that moves at most `piece` bytes per call and can fail from a given byte on.
class PieceStream : public MemoryStream
{
public:
    PieceStream(std::vector<uint8_t> bytes, int32 piece, int32 failAt = -1)
        : MemoryStream(std::move(bytes)), piece(piece), failAt(failAt)
    {
    }
    tresult read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        if (failAt >= 0 && position >= failAt) return kResultFalse;
        return MemoryStream::read(buffer, std::min(numBytes, piece), numBytesRead);
    }
    tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) override
    {
        if (failAt >= 0 && position >= failAt) return kResultFalse;
        return MemoryStream::write(buffer, std::min(numBytes, piece), numBytesWritten);
    }
    int32 piece;
    int32 failAt;
};

bool allFinite(const std::vector<float>& samples)
{
    for (float s : samples)
        if (!std::isfinite(s)) return false;
    return true;
}

std::vector<float> tone(int frames, float step)
{
    std::vector<float> s(static_cast<size_t>(frames));
    for (int n = 0; n < frames; ++n)
        s[static_cast<size_t>(n)] = 0.4f * std::sin(step * static_cast<float>(n));
    return s;
}

struct Case
{
    const char* what;
    std::function<void(Effect&)> run;
};

const Case kCases[] = {
    {"the program parameter at infinite, huge or NaN values names the nearest program",
     [](Effect& e)
     {
         tresult r = kResultFalse;
         EXPECT_EQ("Detuned", textOf(e.controller, kProgramParameter, kInf, &r));
         EXPECT_EQ(kResultOk, r);
         EXPECT_EQ("Detuned", textOf(e.controller, kProgramParameter, 1e300, &r));
         EXPECT_EQ("Default", textOf(e.controller, kProgramParameter, -kInf, &r));
         EXPECT_EQ("Default", textOf(e.controller, kProgramParameter, kNaN, &r));
         EXPECT_EQ(5.0, e.controller->normalizedParamToPlain(kProgramParameter, kInf));
         EXPECT_EQ(5.0, e.controller->normalizedParamToPlain(kProgramParameter, 3e9));
         EXPECT_EQ(0.0, e.controller->normalizedParamToPlain(kProgramParameter, -kInf));
         EXPECT_EQ(1.0, e.controller->plainParamToNormalized(kProgramParameter, kInf));
         EXPECT_EQ(0.0, e.controller->plainParamToNormalized(kProgramParameter, kNaN));
         // Selecting such a value selects that program, nothing else.
         EXPECT_EQ(kResultOk, e.controller->setParamNormalized(kProgramParameter, 1e300));
         EXPECT_EQ(1.0, e.controller->getParamNormalized(kProgramParameter));
     }},
    {"a program without a name has the same listed name in the list and as parameter text",
     [](Effect& e)
     {
         std::vector<uint8_t> bytes = e.state();
         const std::string first = "Default";
         auto at = std::search(bytes.begin(), bytes.end(), first.begin(), first.end());
         ASSERT_NE(bytes.end(), at);
         std::fill(at, at + static_cast<std::ptrdiff_t>(first.size()), uint8_t{0});
         ASSERT_EQ(kResultOk, e.setState(bytes));
         String128 listed{};
         ASSERT_EQ(kResultOk, e.units->getProgramName(1, 0, listed));
         EXPECT_EQ("Program 1", utf8(listed));
         tresult r = kResultFalse;
         EXPECT_EQ("Program 1", textOf(e.controller, kProgramParameter, 0.0, &r));
         ParamValue value = -1.0;
         EXPECT_EQ(kResultOk,
                   e.controller->getParamValueByString(kProgramParameter, listed, value));
         EXPECT_EQ(0.0, value);
     }},
    {"texts of values outside 0..1 are the texts of the range's ends; NaN has none",
     [](Effect& e)
     {
         for (int32 k = 0; k < 8; ++k)
         {
             SCOPED_TRACE(k);
             tresult r = kResultFalse;
             EXPECT_EQ(editorText(k, 1.0f), textOf(e.controller, static_cast<ParamID>(k), 2.5, &r));
             EXPECT_EQ(kResultOk, r);
             EXPECT_EQ(editorText(k, 0.0f),
                       textOf(e.controller, static_cast<ParamID>(k), -kInf, &r));
             EXPECT_EQ(kResultOk, r);
             EXPECT_EQ("", textOf(e.controller, static_cast<ParamID>(k), kNaN, &r));
             EXPECT_NE(kResultOk, r);
             EXPECT_EQ(1.0, e.controller->plainParamToNormalized(static_cast<ParamID>(k), kInf));
         }
         // Texts that are no value, or numbers beyond any range, are read safely.
         const std::u16string texts[] = {
             utf16("nan"), utf16("inf"),   utf16(""),
             utf16("-"),   utf16("1e999"), utf16("99999999999999999999999999999999999999%")};
         for (const auto& text : texts)
         {
             ParamValue value = 0.5;
             std::u16string copy = text;
             if (e.controller->getParamValueByString(kDecay, copy.data(), value) == kResultOk)
             {
                 EXPECT_TRUE(value >= 0.0 && value <= 1.0) << utf8(text.c_str());
             }
         }
     }},
    {"values a host sets outside 0..1 or as NaN read back within the range, active or not",
     [](Effect& e)
     {
         for (bool active : {false, true})
         {
             SCOPED_TRACE(active);
             if (active) e.start(48000.0, 256);
             const ParamValue before = e.controller->getParamNormalized(kDecay);
             EXPECT_NE(kResultOk, e.controller->setParamNormalized(kDecay, kNaN));
             EXPECT_EQ(before, e.controller->getParamNormalized(kDecay));
             e.controller->setParamNormalized(kDecay, 1.5);
             EXPECT_EQ(1.0, e.controller->getParamNormalized(kDecay));
             e.controller->setParamNormalized(kDecay, -kInf);
             EXPECT_EQ(0.0, e.controller->getParamNormalized(kDecay));
             e.controller->setParamNormalized(kDecay, 0.5);
             // A state taken now holds the value shown.
             const std::vector<uint8_t> saved = e.state();
             EXPECT_EQ(368u, saved.size());
             EXPECT_EQ(0.5, e.controller->getParamNormalized(kDecay));
         }
     }},
    {"values set while active that no block carried take effect at the next (de)activation",
     [](Effect& e)
     {
         e.start(44100.0, 256);
         const uint32 shortTail = e.processor->getTailSamples();
         e.controller->setParamNormalized(kDecay, 0.95);
         e.component->setActive(false);
         const uint32 longTail = e.processor->getTailSamples();
         EXPECT_GT(longTail, shortTail);
         e.start(44100.0, 256);
         e.controller->setParamNormalized(kDecay, 0.25);
         e.component->setActive(true); // again, still without a block
         EXPECT_EQ(shortTail, e.processor->getTailSamples());
     }},
    {"state moves through streams a few bytes at a time; a failing stream changes nothing",
     [](Effect& e)
     {
         e.controller->setParamNormalized(kDecay, 0.875);
         const std::vector<uint8_t> whole = e.state();
         ASSERT_EQ(368u, whole.size());
         for (int32 piece : {1, 7, 100})
         {
             SCOPED_TRACE(piece);
             PieceStream out({}, piece);
             EXPECT_EQ(kResultOk, e.component->getState(&out));
             EXPECT_EQ(whole, out.data);
             PieceStream in(whole, piece);
             EXPECT_EQ(kResultOk, e.component->setState(&in));
         }
         PieceStream broken({}, 64, 128);
         EXPECT_NE(kResultOk, e.component->getState(&broken));
         Effect fresh(bundle().factory);
         const std::vector<uint8_t> before = fresh.state();
         PieceStream failing(whole, 64, 200);
         EXPECT_NE(kResultOk, fresh.component->setState(&failing));
         EXPECT_EQ(before, fresh.state());
         // Refused state leaves values the host set while processing runs as they were.
         e.start(44100.0, 256);
         e.controller->setParamNormalized(kDecay, 0.125);
         std::vector<uint8_t> damaged = whole;
         damaged[3] ^= 0x10;
         for (const auto& bytes : {damaged, std::vector<uint8_t>(whole.begin(), whole.end() - 1)})
         {
             MemoryStream refused(bytes);
             EXPECT_NE(kResultOk, e.controller->setComponentState(&refused));
             MemoryStream refusedToo(bytes);
             EXPECT_NE(kResultOk, e.component->setState(&refusedToo));
             EXPECT_EQ(0.125, e.controller->getParamNormalized(kDecay));
         }
         EXPECT_NE(kResultOk, e.component->setState(nullptr));
         EXPECT_NE(kResultOk, e.component->getState(nullptr));
         EXPECT_NE(kResultOk, e.controller->setComponentState(nullptr));
     }},
    {"audio processed in place equals audio processed between separate buffers",
     [](Effect& e)
     {
         Effect other(bundle().factory);
         e.start(44100.0, 512);
         other.start(44100.0, 512);
         e.controller->setParamNormalized(1, 0.8);
         other.controller->setParamNormalized(1, 0.8);
         const std::vector<float> inL = tone(4096, 0.031f), inR = tone(4096, 0.047f);
         std::vector<float> outL(inL.size()), outR(inR.size());
         std::vector<float> inPlaceL = inL, inPlaceR = inR;
         for (int start = 0; start < 4096; start += 512)
         {
             std::vector<float> l(inL.begin() + start, inL.begin() + start + 512);
             std::vector<float> r(inR.begin() + start, inR.begin() + start + 512);
             other.process(l.data(), r.data(), outL.data() + start, outR.data() + start, 512);
             float* pl = inPlaceL.data() + start;
             float* pr = inPlaceR.data() + start;
             e.process(pl, pr, pl, pr, 512);
         }
         EXPECT_EQ(outL, inPlaceL);
         EXPECT_EQ(outR, inPlaceR);
         // Crossed in place (each output over the other channel's input), and a block far
         // longer than the set-up announced.
         Effect crossed(bundle().factory), separate(bundle().factory);
         crossed.start(44100.0, 512);
         separate.start(44100.0, 512);
         std::vector<float> l = inL, r = inR, sepL(inL.size()), sepR(inR.size());
         separate.process(l.data(), r.data(), sepL.data(), sepR.data(), 4096);
         crossed.process(l.data(), r.data(), r.data(), l.data(), 4096);
         EXPECT_EQ(sepL, r);
         EXPECT_EQ(sepR, l);
     }},
    {"processing without audio, outside activation and with changes beyond the block is safe",
     [](Effect& e)
     {
         std::vector<float> l = tone(256, 0.02f), r = tone(256, 0.03f);
         std::vector<float> outL(256), outR(256);
         // Before any set-up or activation.
         EXPECT_EQ(kResultOk, e.process(l.data(), r.data(), outL.data(), outR.data(), 256));
         EXPECT_TRUE(allFinite(outL) && allFinite(outR));
         e.start(44100.0, 256);
         e.component->setActive(true); // twice
         ProcessData empty{};
         empty.symbolicSampleSize = kSample32;
         empty.numSamples = 256;
         EXPECT_EQ(kResultOk, e.processor->process(empty)); // no buses at all
         ChangeList changes;
         changes.add(kDecay, -50, 0.1);
         changes.add(kDecay, 100000, 0.6);
         changes.add(3, 10, kNaN);
         changes.add(4, 10, kInf);
         changes.add(5, 10, -kInf);
         changes.add(kProgramParameter, 0, 1.0);
         changes.add(100, 0, 0.5);
         changes.add(0xFFFFFFFFu, 0, 0.5);
         EXPECT_EQ(kResultOk,
                   e.process(l.data(), r.data(), outL.data(), outR.data(), 256, &changes));
         EXPECT_TRUE(allFinite(outL) && allFinite(outR));
         EXPECT_FLOAT_EQ(0.6f, static_cast<float>(e.controller->getParamNormalized(kDecay)));
         EXPECT_EQ(0.25, e.controller->getParamNormalized(3)); // NaN left it
         EXPECT_EQ(1.0, e.controller->getParamNormalized(4));
         EXPECT_EQ(0.0, e.controller->getParamNormalized(5));
         EXPECT_EQ(0.0, e.controller->getParamNormalized(kProgramParameter));
         e.component->setActive(false);
         e.component->setActive(false); // twice
         EXPECT_EQ(kResultOk, e.process(l.data(), r.data(), outL.data(), outR.data(), 256));
         EXPECT_TRUE(allFinite(outL) && allFinite(outR));
     }},
    {"64-bit samples, absent or damaged arrangements and unusable rates are refused",
     [](Effect& e)
     {
         ProcessSetup wide{kRealtime, kSample64, 512, 48000.0};
         EXPECT_NE(kResultOk, e.processor->setupProcessing(wide));
         for (double rate : {0.0, -44100.0, kNaN, kInf, 1e300})
         {
             ProcessSetup setup{kRealtime, kSample32, 512, rate};
             EXPECT_NE(kResultOk, e.processor->setupProcessing(setup)) << rate;
         }
         SpeakerArrangement stereo = kSpeakerArrStereo, none = 0;
         EXPECT_EQ(kResultFalse, e.processor->setBusArrangements(nullptr, 0, nullptr, 0));
         EXPECT_EQ(kResultFalse, e.processor->setBusArrangements(&none, 1, &none, 1));
         EXPECT_EQ(kResultFalse, e.processor->setBusArrangements(nullptr, 1, &stereo, 1));
         EXPECT_EQ(kResultFalse, e.processor->setBusArrangements(&stereo, 2, &stereo, 1));
         SpeakerArrangement arrangement = 0;
         EXPECT_NE(kResultTrue, e.processor->getBusArrangement(kInput, 1, arrangement));
         BusInfo bus{};
         EXPECT_NE(kResultOk, e.component->getBusInfo(kAudio, kOutput, -1, bus));
         EXPECT_NE(kResultOk, e.component->getBusInfo(kEvent, kInput, 0, bus));
         // A 64-bit block is refused and touches nothing.
         ProcessData data{};
         data.symbolicSampleSize = kSample64;
         EXPECT_NE(kResultOk, e.processor->process(data));
         // Rates far from the usual ones still give finite sound.
         for (double rate : {1e-30, 1.0, 8000.0, 768000.0, 4000000.0, 1e30})
         {
             Effect at(bundle().factory);
             ProcessSetup setup{kRealtime, kSample32, 512, rate};
             ASSERT_EQ(kResultOk, at.processor->setupProcessing(setup)) << rate;
             at.component->setActive(true);
             std::vector<float> l = tone(512, 0.02f), r = tone(512, 0.03f);
             at.process(l.data(), r.data(), l.data(), r.data(), 512);
             EXPECT_TRUE(allFinite(l) && allFinite(r)) << rate;
             EXPECT_GT(at.processor->getTailSamples(), 0u) << rate;
         }
     }},
    {"unknown interfaces are refused and reference counts free the object once",
     [](Effect& e)
     {
         TUID unknown{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
         void* obj = &e;
         EXPECT_EQ(kNoInterface, e.component->queryInterface(unknown, &obj));
         EXPECT_EQ(nullptr, obj);
         EXPECT_NE(kResultOk, e.component->queryInterface(IPluginBase::iid.bytes, nullptr));
         const uint32 count = e.component->addRef();
         EXPECT_EQ(count - 1, e.component->release());
         obj = &e;
         EXPECT_EQ(kNoInterface, bundle().factory->queryInterface(unknown, &obj));
         EXPECT_EQ(nullptr, obj);
         PClassInfo info{};
         EXPECT_NE(kResultOk, bundle().factory->getClassInfo(1, &info));
         EXPECT_NE(kResultOk, bundle().factory->getClassInfo(-1, &info));
         EXPECT_NE(kResultOk, bundle().factory->getClassInfo(0, nullptr));
         // Many instances at once, each released to zero.
         std::vector<std::unique_ptr<Effect>> many;
         for (int i = 0; i < 32; ++i)
             many.push_back(std::make_unique<Effect>(bundle().factory));
         for (auto& one : many)
             ASSERT_NE(nullptr, one->component);
     }},
    {"a view used out of order refuses and stays safe",
     [](Effect& e)
     {
         EXPECT_EQ(nullptr, e.controller->createView(nullptr));
         EXPECT_EQ(nullptr, e.controller->createView("other"));
         IPlugView* view = e.controller->createView(kEditorViewName);
         ASSERT_NE(nullptr, view);
         EXPECT_EQ(kResultOk, view->removed()); // never attached
         EXPECT_NE(kResultOk, view->attached(nullptr, kPlatformTypeX11EmbedWindowID));
         int parent = 0;
         EXPECT_NE(kResultOk, view->attached(&parent, "NSView"));
         EXPECT_NE(kResultOk, view->attached(&parent, nullptr));
         EXPECT_NE(kResultTrue, view->isPlatformTypeSupported(nullptr));
         EXPECT_NE(kResultOk, view->getSize(nullptr));
         EXPECT_NE(kResultOk, view->onSize(nullptr));
         EXPECT_NE(kResultTrue, view->checkSizeConstraint(nullptr));
         ViewRect size{};
         EXPECT_EQ(kResultOk, view->getSize(&size));
         EXPECT_EQ(320, size.right - size.left);
         TUID unknown{9};
         void* obj = view;
         EXPECT_EQ(kNoInterface, view->queryInterface(unknown, &obj));
         EXPECT_EQ(nullptr, obj);
         // A second view takes the editor over; the first stays a safe, empty object.
         IPlugView* second = e.controller->createView(kEditorViewName);
         ASSERT_NE(nullptr, second);
         EXPECT_NE(kResultOk, view->getSize(&size));
         EXPECT_EQ(kResultOk, view->removed());
         view->release();
         EXPECT_EQ(kResultOk, second->getSize(&size));
         second->release();
     }},
};

TEST(Vst3UnusualHost, EveryCaseLeavesTheEffectSafeAndConsistent)
{
    ASSERT_NE(nullptr, bundle().factory) << "bundle " ORV_VST3_BUNDLE;
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.what);
        Effect effect(bundle().factory);
        ASSERT_NE(nullptr, effect.component);
        c.run(effect);
    }
}

} // namespace
