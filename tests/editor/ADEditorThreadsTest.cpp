// Host automation arriving on another thread while the editor's window is open: the editor only
// notes the change there and its controls follow on the editor's thread (run under
// ThreadSanitizer).
#include "editor/ADEditor.h"
#include "engine/ParameterMapping.h"
#include "plugin/PluginEntry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace
{
VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}
} // namespace

TEST(EditorThreads, AutomationFromAnotherThreadReachesTheControlsInIdle)
{
    const auto config = std::filesystem::temp_directory_path() /
                        ("orv-editor-threads-" + std::to_string(::getpid()));
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
    AudioEffect* effect = createEffectInstance(quietHost);
    ASSERT_NE(effect, nullptr);
    auto* editor = dynamic_cast<ADEditor*>(effect->getEditor());
    ASSERT_TRUE(editor->open(nullptr));

    std::atomic<bool> done{false};
    std::thread automation(
        [&]
        {
            for (int i = 0; i <= 2000; ++i)
                for (VstInt32 index : {kDecay, kMix, kOutput, kBypass})
                    effect->setParameter(index, static_cast<float>(i % 101) / 100.0f);
            done = true;
        });
    while (!done)
        editor->idle();
    automation.join();
    editor->idle();
    // After the last idle the controls show the effect's final values.
    EXPECT_EQ(editor->getKnob(kDecay)->getValue(), effect->getParameter(kDecay));
    EXPECT_EQ(editor->getKnob(kMix)->getValue(), effect->getParameter(kMix));
    EXPECT_EQ(editor->getBypassButton()->getValue(), 1.0f);

    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    std::filesystem::remove_all(config);
}
