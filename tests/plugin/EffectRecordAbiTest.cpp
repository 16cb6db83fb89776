// The built plug-in as a host meets it: the entry point, the record it returns, the requests it
// sends while it is built, and the dispatcher's answers to every opcode.
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace
{
const std::string kPluginPath = ORV_PLUGIN_PATH;

// Writes into a buffer pre-filled with 0x5A and tells how many bytes the plug-in touched.
struct TouchedBuffer
{
    char bytes[256];
    TouchedBuffer() { std::memset(bytes, 0x5A, sizeof bytes); }
    size_t touched() const
    {
        size_t last = 0;
        for (size_t i = 0; i < sizeof bytes; ++i)
            if (bytes[i] != 0x5A) last = i + 1;
        return last;
    }
    std::string text() const { return std::string(bytes, strnlen(bytes, sizeof bytes)); }
};
} // namespace

TEST(EntryPoint, RefusesAHostThatAnswersNoVersion)
{
    RecordingHost host;
    host.versionAnswer = 0;
    PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.load(kPluginPath, error)) << error;
    EXPECT_EQ(library.instantiate(&RecordingHost::callback, error), nullptr);
    const auto calls = host.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
}

TEST(EntryPoint, ConstructionAsksVersionTwiceThenRefreshesTheHostDisplay)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const auto calls = host.calls();
    ASSERT_GE(calls.size(), 3u);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(calls[i].opcode, audioMasterVersion);
        EXPECT_EQ(calls[i].effect, nullptr);
        EXPECT_EQ(calls[i].index, 0);
        EXPECT_EQ(calls[i].value, 0);
        EXPECT_EQ(calls[i].opt, 0.0f);
    }
    // Everything after the version queries refreshes the host's display, naming the record
    // that the entry point then returned.
    for (size_t i = 2; i < calls.size(); ++i)
    {
        EXPECT_EQ(calls[i].opcode, audioMasterUpdateDisplay) << "call " << i;
        EXPECT_EQ(calls[i].effect, plugin.effect()) << "call " << i;
    }
}

TEST(EntryPoint, RecordAsTheHostFindsIt)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const AEffect* e = plugin.effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 8);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->uniqueID, 0x4F725379);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    // Some hosts take identical entries for a broken plug-in.
    EXPECT_NE(reinterpret_cast<void*>(e->process), reinterpret_cast<void*>(e->processReplacing));
    for (char c : e->future)
        EXPECT_EQ(c, 0);
}

TEST(EntryPoint, ExportsReachTheSameEffect)
{
    PluginLibrary a, b;
    std::string error;
    ASSERT_TRUE(a.load(kPluginPath, error)) << error;
    // The same file opened twice gives the same module, and both names give one function.
    ASSERT_TRUE(b.load(kPluginPath, error)) << error;
    RecordingHost host;
    AEffect* e = a.instantiate(&RecordingHost::callback, error);
    ASSERT_NE(e, nullptr) << error;
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(Identity, StringsAndTheBytesWritten)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    struct Expected
    {
        VstInt32 opcode;
        const char* text;
    };
    for (const Expected& x :
         {Expected{effGetEffectName, "Orv Sympharon"},
          Expected{effGetVendorString, "www.orvatone.com"},
          Expected{effGetProductString, "Orv Sympharon - string rezonator plug-in"}})
    {
        TouchedBuffer buffer;
        EXPECT_EQ(plugin.dispatch(x.opcode, 0, 0, buffer.bytes), 1);
        EXPECT_EQ(buffer.text(), x.text);
        EXPECT_EQ(buffer.touched(), std::strlen(x.text) + 1);
    }
    EXPECT_EQ(plugin.dispatch(effGetVendorVersion), 1500);
    EXPECT_EQ(plugin.dispatch(effGetPlugCategory), kPlugCategRoomFx);
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin.dispatch(effIdentify, 3, 7, nullptr, 1.5f), 0x4E764566);
    // Null buffers are ignored rather than written through.
    EXPECT_EQ(plugin.dispatch(effGetEffectName, 0, 0, nullptr), 0);
}

TEST(Dispatcher, NeutralAnswers)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const auto chunkBefore = plugin.chunk();

    // Opcodes that do nothing and answer 0, asked with harmless arguments.
    for (VstInt32 opcode : std::initializer_list<VstInt32>{effOpen,
                                                           effGetVu,
                                                           effEditDraw,
                                                           effEditMouse,
                                                           effEditKey,
                                                           effEditTop,
                                                           effEditSleep,
                                                           effProcessEvents,
                                                           effString2Parameter,
                                                           effGetNumProgramCategories,
                                                           effCopyProgram,
                                                           effConnectInput,
                                                           effConnectOutput,
                                                           effGetInputProperties,
                                                           effGetOutputProperties,
                                                           effGetCurrentPosition,
                                                           effGetDestinationBuffer,
                                                           effOfflineNotify,
                                                           effOfflinePrepare,
                                                           effOfflineRun,
                                                           effProcessVarIo,
                                                           effSetSpeakerArrangement,
                                                           effSetBlockSizeAndSampleRate,
                                                           effSetBypass,
                                                           effGetErrorText,
                                                           effVendorSpecific,
                                                           effGetTailSize,
                                                           effIdle,
                                                           effGetIcon,
                                                           effSetViewPosition,
                                                           effKeysRequired,
                                                           effGetMidiProgramName,
                                                           effGetMidiProgramCategory,
                                                           effHasMidiProgramsChanged,
                                                           effGetMidiKeyName,
                                                           effBeginSetProgram,
                                                           effEndSetProgram,
                                                           effShellGetNextPlugin,
                                                           effStartProcess,
                                                           effStopProcess,
                                                           effSetPanLaw,
                                                           effBeginLoadBank,
                                                           effBeginLoadProgram,
                                                           effSetProcessPrecision,
                                                           effGetNumMidiInputChannels,
                                                           effGetNumMidiOutputChannels,
                                                           effSetBlockSize,
                                                           effMainsChanged,
                                                           80,
                                                           81,
                                                           1000,
                                                           -1,
                                                           -1000})
    {
        EXPECT_EQ(plugin.dispatch(opcode, 0, 0, nullptr, 0.0f), 0) << "opcode " << opcode;
    }
    EXPECT_EQ(plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(plugin.dispatch(effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(plugin.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(plugin.dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(plugin.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(plugin.dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);

    for (VstInt32 index : {0, 7, 8, -1, 100})
        EXPECT_EQ(plugin.dispatch(effCanBeAutomated, index), 1) << index;
    for (const char* query : {"receiveVstMidiEvent", "bypass", "sendVstEvents", "", "xyz"})
        EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>(query)), 0) << query;

    void* input = reinterpret_cast<void*>(0x1234);
    void* output = reinterpret_cast<void*>(0x5678);
    EXPECT_EQ(
        plugin.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output),
        0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);

    // None of this touched the programs.
    EXPECT_EQ(plugin.chunk(), chunkBefore);
}

TEST(Dispatcher, TheHostSeesOneProgram)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const auto chunkBefore = plugin.chunk();
    std::vector<float> before;
    for (int i = 0; i < 8; ++i)
        before.push_back(plugin.getParameter(i));
    for (VstIntPtr program : {0, 1, 5, -1})
    {
        EXPECT_EQ(plugin.dispatch(effSetProgram, 0, program), 0);
        EXPECT_EQ(plugin.dispatch(effGetProgram), 0);
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(plugin.getParameter(i), before[static_cast<size_t>(i)]);
    EXPECT_EQ(plugin.chunk(), chunkBefore);
}

TEST(Dispatcher, DoubleProcessingWritesNothing)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    std::vector<double> in(64, 0.25), outL(64, 7.0), outR(64, 7.0);
    double* inputs[2] = {in.data(), in.data()};
    double* outputs[2] = {outL.data(), outR.data()};
    plugin.effect()->processDoubleReplacing(plugin.effect(), inputs, outputs, 64);
    for (size_t i = 0; i < 64; ++i)
    {
        EXPECT_EQ(outL[i], 7.0);
        EXPECT_EQ(outR[i], 7.0);
    }
}

TEST(Dispatcher, CloseAnswersOne)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    EXPECT_EQ(plugin.close(), 1);
}

TEST(Dispatcher, KeysAndKnobModeWithoutAWindowAreNotUsed)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    // The editor's rectangle is there before any window.
    ERect* rect = nullptr;
    EXPECT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 257);
    EXPECT_EQ(rect->right, 320);
    EXPECT_EQ(plugin.dispatch(effSetEditKnobMode, 0, 1), 1);
    EXPECT_EQ(plugin.dispatch(effEditIdle), 0);
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(plugin.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    // A modifier float that is no number must not upset the plug-in.
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 'a', 300, nullptr, 1e30f), 0);
    EXPECT_EQ(plugin.dispatch(effEditClose), 0);

    // No parent, or a handle that is no window: opening fails, and the editor stays closed.
    for (void* parent : {static_cast<void*>(nullptr), reinterpret_cast<void*>(uintptr_t{0x7ff0})})
    {
        EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, parent), 0);
        EXPECT_EQ(plugin.dispatch(effEditIdle), 0);
        EXPECT_EQ(plugin.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
        EXPECT_EQ(plugin.dispatch(effEditClose), 0);
    }
}
