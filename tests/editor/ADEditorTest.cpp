// The editor window in process, drawn offscreen: its texts, the controls following the effect,
// the controls' gestures reaching the effect and the host, and its lifetime.
#include "editor/ADEditor.h"
#include "editor/CAbout.h"
#include "editor/CLED.h"
#include "effect/ADelay.h"
#include "plugin/PluginEntry.h"
#include "tests/support/RecordingHost.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

namespace
{
std::string text(void (*convert)(float, char*), float value)
{
    char buffer[256] = {};
    convert(value, buffer);
    return buffer;
}

class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Each test gets its own per-user settings, so no remembered default leaks in.
        config = std::filesystem::temp_directory_path() /
                 ("orv-editor-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        effect = createEffectInstance(&RecordingHost::callback);
        ASSERT_NE(effect, nullptr);
        editor = dynamic_cast<ADEditor*>(effect->getEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override
    {
        AEffect* record = effect->getAeffect();
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        std::filesystem::remove_all(config);
    }

    void open() { ASSERT_TRUE(editor->open(nullptr)); }
    // A parameter set as a host sets it, then the editor's idle pass.
    void set(VstInt32 index, float value)
    {
        effect->setParameter(index, value);
        editor->idle();
    }
    std::string displayText(VstInt32 index)
    {
        static void (*const convert[7])(float, char*) = {
            decibelsToString,  percentToString, percentToString, percentToString,
            semitonesToString, centsToString,   percentToString};
        return text(convert[index], editor->getDisplay(index)->getValue());
    }
    VSTGUI::PixelImage pixels()
    {
        editor->idle();
        VSTGUI::PixelImage image;
        editor->getFrame()->getPlatformFrame()->readPixels(image);
        return image;
    }
    VSTGUI::CFrame* frame() { return editor->getFrame(); }
    VSTGUI::CMouseEventResult down(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        VSTGUI::CPoint p(x, y);
        return frame()->onMouseDown(p, buttons);
    }
    void move(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        VSTGUI::CPoint p(x, y);
        frame()->onMouseMoved(p, buttons);
    }
    void up(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        VSTGUI::CPoint p(x, y);
        frame()->onMouseUp(p, buttons);
    }

    std::filesystem::path config;
    RecordingHost host;
    AudioEffect* effect = nullptr;
    ADEditor* editor = nullptr;
};
} // namespace

TEST(EditorTexts, ConversionsCutAndSignAsShown)
{
    EXPECT_EQ(text(decibelsToString, 0.0f), "-oo dB");
    EXPECT_EQ(text(decibelsToString, 1e-9f), "-oo dB");
    EXPECT_EQ(text(decibelsToString, 1.0f), "0.0dB");
    EXPECT_EQ(text(decibelsToString, 4.0f), "12.0dB");
    EXPECT_EQ(text(decibelsToString, 0.9f), "-0.9dB");
    EXPECT_EQ(text(decibelsToString, 0.5f), "-6.0dB");
    EXPECT_EQ(text(decibelsToString, 0.64f), "-3.8dB");
    EXPECT_EQ(text(percentToString, 0.999f), "99%");
    EXPECT_EQ(text(percentToString, 0.25f), "25%");
    EXPECT_EQ(text(percentToString, 1.0f), "100%");
    EXPECT_EQ(text(semitonesToString, 0.5f), "0");
    EXPECT_EQ(text(semitonesToString, 1.0f), "#24");
    EXPECT_EQ(text(semitonesToString, 0.0f), "b24");
    EXPECT_EQ(text(semitonesToString, 0.75f), "#12");
    EXPECT_EQ(text(centsToString, 0.0f), "-100c");
    EXPECT_EQ(text(centsToString, 0.5f), "0c");
    EXPECT_EQ(text(centsToString, 1.0f), "100c");
    EXPECT_EQ(text(centsToString, 0.2f), "-59c");
    // Values no control produces still give a defined text.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(text(percentToString, nan), "0%");
    EXPECT_EQ(text(semitonesToString, nan), "b24");
    EXPECT_EQ(text(decibelsToString, nan), "-oo dB");
    EXPECT_EQ(text(percentToString, 3e38f), "2147483647%");
}

TEST_F(EditorWindow, RectangleIsTheBackgroundsSize)
{
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 257);
    EXPECT_EQ(rect->right, 320);
    EXPECT_EQ(effect->getAeffect()->flags, 49);
}

TEST_F(EditorWindow, DisplaysShowTheEffectsValuesAfterIdle)
{
    open();
    EXPECT_EQ(displayText(kOutput), "0.0dB");
    EXPECT_EQ(displayText(kDecay), "25%");
    struct Case
    {
        VstInt32 index;
        float value;
        const char* shown;
    };
    for (const Case& c :
         {Case{kOutput, 0.0f, "-oo dB"}, Case{kOutput, 0.5f, "0.0dB"},
          Case{kOutput, 1.0f, "12.0dB"}, Case{kOutput, 0.4f, "-3.8dB"}, Case{kMix, 0.999f, "99%"},
          Case{kTranspose, 0.5f, "0"}, Case{kTranspose, 1.0f, "#24"}, Case{kTranspose, 0.0f, "b24"},
          Case{kTune, 0.0f, "-100c"}, Case{kTune, 0.2f, "-59c"}, Case{kTune, 1.0f, "100c"},
          Case{kDetune, 0.5f, "50%"}, Case{kDamp, 0.75f, "75%"}})
    {
        set(c.index, c.value);
        EXPECT_EQ(displayText(c.index), c.shown) << "parameter " << c.index << " at " << c.value;
        EXPECT_EQ(editor->getKnob(c.index)->getValue(), c.value);
    }
}

TEST_F(EditorWindow, ControlsShowTheStoredValueNotTheOnePassed)
{
    open();
    effect->setParameter(kOutput, 0.5f);
    editor->setParameter(kOutput, 0.9f);
    editor->idle();
    EXPECT_EQ(editor->getKnob(kOutput)->getValue(), 0.5f);
    EXPECT_EQ(displayText(kOutput), "0.0dB");
    // Indices outside the parameters touch nothing.
    editor->setParameter(8, 1.0f);
    editor->setParameter(-1, 1.0f);
    editor->idle();
}

TEST_F(EditorWindow, BypassLightsTheKeyAndTheLed)
{
    open();
    auto ledBrightness = [&]
    {
        const VSTGUI::PixelImage image = pixels();
        const uint32_t px = image.at(160, 140);
        return guitest::channel(px, 16);
    };
    const int off = ledBrightness();
    set(kBypass, 0.7f);
    EXPECT_EQ(editor->getBypassButton()->getValue(), 1.0f);
    EXPECT_EQ(editor->getLED()->getValue(), 1.0f);
    const int on = ledBrightness();
    EXPECT_GT(on, off + 60) << "the lit LED is clearly brighter";
    set(kBypass, 0.3f);
    EXPECT_EQ(editor->getBypassButton()->getValue(), 0.0f);
    EXPECT_EQ(editor->getLED()->getValue(), 0.0f);
    EXPECT_EQ(ledBrightness(), off);
    set(kBypass, 0.5f);
    EXPECT_EQ(editor->getLED()->getValue(), 1.0f);
}

TEST_F(EditorWindow, WithTheWindowClosedUpdatesWaitForTheNextOpen)
{
    effect->setParameter(kDecay, 0.8f);
    editor->setParameter(kDecay, 0.8f);
    editor->idle();
    EXPECT_EQ(editor->getKnob(kDecay), nullptr);
    open();
    EXPECT_EQ(editor->getKnob(kDecay)->getValue(), 0.8f);
    EXPECT_EQ(displayText(kDecay), "80%");
}

TEST_F(EditorWindow, KnobDragTellsTheHostAndUpdatesTheDisplay)
{
    open();
    editor->idle();
    host.clear();
    const VSTGUI::CPoint centre(72, 93); // the Decay knob
    down(centre.x, centre.y);
    for (int dy = 4; dy <= 40; dy += 4)
        move(centre.x, centre.y - dy);
    up(centre.x, centre.y - 40);

    std::vector<HostCall> gesture;
    for (const HostCall& c : host.calls())
        if (c.opcode != audioMasterUpdateDisplay) gesture.push_back(c);
    ASSERT_GE(gesture.size(), 3u);
    EXPECT_EQ(gesture.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(gesture.front().index, kDecay);
    EXPECT_EQ(gesture.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(gesture.back().index, kDecay);
    for (size_t i = 1; i + 1 < gesture.size(); ++i)
    {
        EXPECT_EQ(gesture[i].opcode, audioMasterAutomate);
        EXPECT_EQ(gesture[i].index, kDecay);
    }
    const float decay = effect->getParameter(kDecay);
    EXPECT_GT(decay, 0.25f);
    EXPECT_EQ(gesture[gesture.size() - 2].opt, decay);
    editor->idle();
    EXPECT_EQ(displayText(kDecay), text(percentToString, decay));
    // The change is stored into the current program.
    auto* store = dynamic_cast<CPresetSystemEffect*>(effect);
    EXPECT_EQ(store->getPrograms()[0].values[kDecay], decay);
}

TEST_F(EditorWindow, BypassKeyTogglesTheParameter)
{
    open();
    host.clear();
    down(160, 175);
    up(160, 175);
    EXPECT_EQ(effect->getParameter(kBypass), 1.0f);
    const auto automate = host.callsWith(audioMasterAutomate);
    ASSERT_EQ(automate.size(), 1u);
    EXPECT_EQ(automate[0].index, kBypass);
    editor->idle();
    EXPECT_EQ(editor->getLED()->getValue(), 1.0f);
    down(160, 175);
    up(160, 175);
    EXPECT_EQ(effect->getParameter(kBypass), 0.0f);
}

TEST_F(EditorWindow, TheAboutControlChangesNoParameter)
{
    open();
    host.clear();
    editor->valueChanged(editor->getAbout());
    EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
    // Its click shows the about view over everything; the next click closes it.
    down(100, 20);
    EXPECT_NE(frame()->getModalView(), nullptr);
    down(150, 100);
    EXPECT_EQ(frame()->getModalView(), nullptr);
    EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
}

TEST_F(EditorWindow, RockerAndMenuSwitchPrograms)
{
    open();
    auto* store = dynamic_cast<CPresetSystemEffect*>(effect);
    down(250, 240); // right half of the rocker
    up(250, 240);
    EXPECT_EQ(store->getCurrentProgramIndex(), 1);
    editor->idle();
    EXPECT_EQ(editor->getKnob(kDamp)->getValue(), 0.05f); // "Bright"
    VSTGUI::COptionMenu* menu = editor->getProgramMenu();
    menu->setValue(4.0f);
    editor->valueChanged(menu);
    EXPECT_EQ(store->getCurrentProgramIndex(), 4);
    editor->idle();
    EXPECT_EQ(editor->getKnob(kTranspose)->getValue(), 0.0f); // "Almost reverb"
    EXPECT_EQ(displayText(kTranspose), "b24");
}

TEST_F(EditorWindow, OpeningAgainBuildsOneFreshWindow)
{
    open();
    const int32_t views = frame()->getNbViews();
    EXPECT_EQ(views, 17 + 13);
    for (int i = 0; i < 100; ++i)
    {
        editor->close();
        EXPECT_EQ(editor->getFrame(), nullptr);
        EXPECT_EQ(editor->getKnob(kDecay), nullptr);
        effect->setParameter(kMix, static_cast<float>(i) / 100.0f);
        open();
        ASSERT_EQ(frame()->getNbViews(), views);
        EXPECT_EQ(editor->getKnob(kMix)->getValue(), static_cast<float>(i) / 100.0f);
    }
    // A second open without a close in between also leaves one window.
    open();
    EXPECT_EQ(frame()->getNbViews(), views);
    // Closing with the about view shown releases it too (the leak check of the sanitizer build).
    down(100, 20);
    ASSERT_NE(frame()->getModalView(), nullptr);
    editor->close();
}

TEST_F(EditorWindow, HostKnobModeLastsUntilTheNextOpen)
{
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effSetEditKnobMode, 0, 1, nullptr, 0.0f), 1);
    EXPECT_EQ(editor->getKnobMode(), 1);
    open();
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
}
