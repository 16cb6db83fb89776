// Three busy threads on one effect, as a host drives it: automation on one, audio on another, and
// the user-interface requests (chunks saved and loaded, program changes, names, parameter texts
// and the editor's idle with its window open) on the third. Run under ThreadSanitizer, which
// reports any unsynchronised access between them; afterwards the saved state still reloads to
// the live one. Once in process with the editor drawn offscreen, once through the built plug-in.
#include "EngineTestSupport.h"
#include "StressTestSupport.h"
#include "editor/ADEditor.h"
#include "plugin/PluginEntry.h"
#include "presets/CPresetSystemEffect.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using namespace stress;

// Drives `effect` from three threads until each has done its share. `selectProgram` makes a
// stored program current the way the user does in the editor.
void runThreeThreads(AEffect* effect, const std::function<void(int)>& selectProgram)
{
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effect, effSetBlockSize, 0, 256);
    dispatch(effect, effMainsChanged, 0, 1);

    std::atomic<bool> done{false};
    std::atomic<int> blocks{0}, changes{0};
    std::thread audio(
        [&]
        {
            const std::vector<float> signal = enginetest::makeSignal(256 * 16, 29, 0.8f);
            std::vector<float> l(256), r(256);
            bool finite = true;
            for (size_t at = 0; !done.load(); at = (at + 256) % signal.size())
            {
                std::copy(signal.begin() + static_cast<std::ptrdiff_t>(at),
                          signal.begin() + static_cast<std::ptrdiff_t>(at + 256), l.begin());
                r = l;
                float* io[2] = {l.data(), r.data()};
                effect->processReplacing(effect, io, io, 256);
                finite = finite && std::isfinite(l[255]) && std::isfinite(r[255]);
                blocks.fetch_add(1);
            }
            EXPECT_TRUE(finite);
        });
    std::thread automation(
        [&]
        {
            for (int i = 0; !done.load(); ++i)
            {
                const auto index = static_cast<VstInt32>(i % 8);
                // Bypass stays below one half, so the strings keep being heard.
                const float value = static_cast<float>(i % 89) / (index == 7 ? 200.0f : 88.0f);
                effect->setParameter(effect, index, value);
                if (effect->getParameter(effect, index) < 0.0f) ADD_FAILURE();
                changes.fetch_add(1);
                if (i % 64 == 0) std::this_thread::yield();
            }
        });

    // The user-interface thread: every request a host and the editor make there, in turn.
    char text[256];
    for (int i = 0; i < 2400 || blocks.load() < 400 || changes.load() < 4000; ++i)
    {
        switch (i % 8)
        {
        case 0:
            EXPECT_EQ(loadChunk(effect, withCurrent(chunkOf(effect), (i / 8) % 6)), 0);
            break;
        case 1:
            selectProgram((i / 8) % 6);
            break;
        case 2:
            for (VstInt32 k = 0; k < 8; ++k)
                dispatch(effect, effGetParamDisplay, k, 0, text);
            break;
        case 3:
            dispatch(effect, effSetProgramName, 0, 0, const_cast<char*>("Busy"));
            dispatch(effect, effGetProgramName, 0, 0, text);
            dispatch(effect, effGetProgramNameIndexed, i % 6, 0, text);
            break;
        default:
            dispatch(effect, effEditIdle);
            break;
        }
    }
    done.store(true);
    audio.join();
    automation.join();

    // At rest, the saved current program holds exactly what the host reads.
    const Bytes saved = chunkOf(effect);
    const int32_t current = currentOf(saved);
    ASSERT_GE(current, 0);
    ASSERT_LT(current, 6);
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(sameBits(storedValue(saved, current, k), effect->getParameter(effect, k)))
            << "parameter " << k;
}

class ThreeThreads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() /
                 ("orv-three-threads-" + std::to_string(::getpid()));
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(config); }
    std::filesystem::path config;
};
} // namespace

TEST_F(ThreeThreads, InProcessWithTheEditorOpenOffscreen)
{
    VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
    RecordingHost host;
    AudioEffect* instance = createEffectInstance(&RecordingHost::callback);
    ASSERT_NE(instance, nullptr);
    AEffect* effect = instance->getAeffect();
    ASSERT_EQ(dispatch(effect, effEditOpen), 1);
    auto* editor = dynamic_cast<ADEditor*>(instance->getEditor());
    ASSERT_NE(editor, nullptr);
    // A program chosen in the editor's menu.
    auto* store = dynamic_cast<CPresetSystemEffect*>(instance);
    ASSERT_NE(store, nullptr);
    runThreeThreads(effect, [&](int program) { store->selectProgram(program); });
    dispatch(effect, effEditClose);
    dispatch(effect, effClose);
}

TEST_F(ThreeThreads, ThroughTheBuiltPlugin)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    // Without a window system the editor has no window; its idle requests still arrive.
    AEffect* effect = plugin.effect();
    runThreeThreads(effect,
                    [&](int program) { loadChunk(effect, withCurrent(chunkOf(effect), program)); });
}
