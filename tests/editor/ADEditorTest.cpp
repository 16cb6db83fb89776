// The editor window in process, drawn offscreen: its texts, the controls following the effect,
// the controls' gestures reaching the effect and the host, and its lifetime.
#include "editor/ADEditor.h"
#include "editor/CAbout.h"
#include "editor/CLED.h"
#include "editorglue/LayoutRect.h"
#include "effect/ADelay.h"
#include "plugin/PluginEntry.h"
#include "presetstrip/CMessageView.h"
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

namespace
{
// Keys as a host forwards them (effEditKeyDown and effEditKeyUp); the down's answer.
VstIntPtr hostKey(AudioEffect* effect, VstInt32 character, unsigned char virt = 0,
                  unsigned char modifiers = 0)
{
    const VstIntPtr used = effect->dispatcher(effEditKeyDown, character, virt, nullptr, modifiers);
    effect->dispatcher(effEditKeyUp, character, virt, nullptr, modifiers);
    return used;
}

void typeText(AudioEffect* effect, const char* text)
{
    for (const char* c = text; *c; ++c)
        hostKey(effect, *c);
}

VSTGUI::CPoint centreOf(const LayoutRect& r)
{
    return VSTGUI::CPoint((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
}

std::string programName(AudioEffect* effect)
{
    char name[kVstMaxProgNameLen + 1] = {};
    effect->dispatcher(effGetProgramName, 0, 0, name, 0);
    return name;
}
} // namespace

// Renaming, the menu, the rocker and the memories change programs, not parameters: the host hears
// begin, end and automation only for the eight parameters.
TEST_F(EditorWindow, StripControlsMakeNoParameterGestures)
{
    open();
    host.clear();
    const auto field = centreOf(kNameField);
    down(field.x, field.y);
    up(field.x, field.y);
    typeText(effect, "My Strings");
    hostKey(effect, 0, VKEY_RETURN);
    const auto menu = centreOf(kProgramMenu);
    down(menu.x, menu.y);
    up(menu.x, menu.y);
    hostKey(effect, 0, VKEY_DOWN);
    hostKey(effect, 0, VKEY_DOWN);
    hostKey(effect, 0, VKEY_RETURN);
    for (const LayoutRect& r : {kRocker, kStoreMemoAButton, kRecallMemoAButton})
    {
        const auto p = centreOf(r);
        down(p.x + 4, p.y);
        up(p.x + 4, p.y);
    }
    editor->idle();
    ASSERT_FALSE(host.calls().empty());
    for (const HostCall& c : host.calls())
    {
        if (c.opcode != audioMasterBeginEdit && c.opcode != audioMasterEndEdit &&
            c.opcode != audioMasterAutomate)
            continue;
        EXPECT_GE(c.index, 0) << "opcode " << c.opcode;
        EXPECT_LE(c.index, kBypass) << "opcode " << c.opcode;
    }
}

// A click in the name field selects the whole name, so typing replaces it; Ctrl+A selects all of
// what was typed; Right keeps the name and types after it.
TEST_F(EditorWindow, ClickAndTypeReplacesTheName)
{
    open();
    const auto field = centreOf(kNameField);
    struct Case
    {
        const char* before; // typed after the click, before the keys below
        unsigned char virt;
        unsigned char modifiers;
        VstInt32 character;
        const char* after;
        const char* named;
    };
    const Case cases[] = {
        {"", 0, 0, 0, "My Strings", "My Strings"},
        {"Old", 0, MODIFIER_CONTROL, 'a', "Pad", "Pad"},
        {"", VKEY_RIGHT, 0, 0, " 2", "Pad 2"},
        {"", VKEY_BACK, 0, 0, "Bell", "Bell"},
    };
    for (const Case& c : cases)
    {
        down(field.x, field.y);
        up(field.x, field.y);
        typeText(effect, c.before);
        if (c.virt || c.character)
        {
            EXPECT_EQ(hostKey(effect, c.character, c.virt, c.modifiers), 1);
        }
        typeText(effect, c.after);
        hostKey(effect, 0, VKEY_RETURN);
        EXPECT_EQ(programName(effect), c.named);
    }
}

// A committed name wider than the field shows its first characters and is cut at the right:
// a different first letter changes the field's left part, a different last letter nothing.
TEST_F(EditorWindow, LongNameShowsItsStart)
{
    open();
    auto fieldPixels = [&](const char* name, int from, int to)
    {
        effect->dispatcher(effSetProgramName, 0, 0, const_cast<char*>(name), 0);
        const VSTGUI::PixelImage image = pixels();
        std::vector<uint32_t> part;
        for (int y = kNameField.top; y < kNameField.bottom; ++y)
            for (int x = from; x < to; ++x)
                part.push_back(image.at(x, y));
        return part;
    };
    const int third = (kNameField.right - kNameField.left) / 3;
    const int leftEnd = kNameField.left + third;
    const int rightStart = kNameField.right - third;
    const auto left = fieldPixels("Wide Warm Strings Reverb", kNameField.left, leftEnd);
    EXPECT_NE(fieldPixels("Xide Warm Strings Reverb", kNameField.left, leftEnd), left);
    const auto right = fieldPixels("Wide Warm Strings Reverb", rightStart, kNameField.right);
    EXPECT_EQ(fieldPixels("Wide Warm Strings ReverX", rightStart, kNameField.right), right);
    // A short name is still centred in the field, as before.
    const auto shortLeft = fieldPixels("Pad", kNameField.left, leftEnd);
    EXPECT_EQ(fieldPixels("Pod", kNameField.left, leftEnd), shortLeft);
}

// One wheel notch over a knob is a whole gesture: begin, the new value, end.
TEST_F(EditorWindow, WheelNotchIsOneGesture)
{
    open();
    host.clear();
    const auto knob = centreOf(kMixKnob);
    ASSERT_TRUE(frame()->onWheel(knob, VSTGUI::kMouseWheelAxisY, 1.0f, 0));
    std::vector<HostCall> gesture;
    for (const HostCall& c : host.calls())
        if (c.opcode != audioMasterUpdateDisplay) gesture.push_back(c);
    ASSERT_EQ(gesture.size(), 3u);
    EXPECT_EQ(gesture[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(gesture[1].opcode, audioMasterAutomate);
    EXPECT_EQ(gesture[2].opcode, audioMasterEndEdit);
    for (const HostCall& c : gesture)
        EXPECT_EQ(c.index, kMix);
    EXPECT_GT(effect->getParameter(kMix), 0.25f);
}

// While the program menu or the about screen is shown, the keys a host forwards are the editor's:
// Escape closes either; afterwards keys go back to the host unused.
TEST_F(EditorWindow, EscapeClosesTheMenuAndTheAboutScreen)
{
    open();
    const auto menu = centreOf(kProgramMenu);
    down(menu.x, menu.y);
    up(menu.x, menu.y);
    ASSERT_NE(frame()->getPopupView(), nullptr);
    EXPECT_EQ(hostKey(effect, 'x'), 1);
    EXPECT_NE(frame()->getPopupView(), nullptr);
    EXPECT_EQ(hostKey(effect, 0, VKEY_ESCAPE), 1);
    EXPECT_EQ(frame()->getPopupView(), nullptr);
    EXPECT_EQ(hostKey(effect, 0, VKEY_ESCAPE), 0);

    const auto title = centreOf(kAboutHotSpot);
    down(title.x, title.y);
    up(title.x, title.y);
    ASSERT_NE(frame()->getModalView(), nullptr);
    EXPECT_EQ(hostKey(effect, 0, VKEY_ESCAPE), 1);
    EXPECT_EQ(frame()->getModalView(), nullptr);
    EXPECT_EQ(hostKey(effect, 0, VKEY_ESCAPE), 0);
    // The title's hot spot opens it again afterwards.
    down(title.x, title.y);
    up(title.x, title.y);
    EXPECT_NE(frame()->getModalView(), nullptr);
}

// Without a dialog program the arrows say what to install, in the editor; a click closes it.
TEST_F(EditorWindow, ArrowsWithoutADialogProgramNameThePackages)
{
    ::setenv("ORV_FILE_DIALOG_CMD", "/nonexistent/zenity", 1);
    open();
    const auto arrow = centreOf(kLoadPresetButton);
    down(arrow.x, arrow.y);
    up(arrow.x, arrow.y);
    ::unsetenv("ORV_FILE_DIALOG_CMD");
    auto* message = dynamic_cast<CMessageView*>(frame()->getPopupView());
    ASSERT_NE(message, nullptr);
    const std::string text = message->getText();
    EXPECT_NE(text.find("zenity"), std::string::npos) << text;
    EXPECT_NE(text.find("kdialog"), std::string::npos) << text;
    EXPECT_FALSE(editor->isFileDialogRunning());
    // It is drawn: light text on a dark box where the strip's controls are not.
    const VSTGUI::CRect box = message->getViewSize();
    const VSTGUI::PixelImage image = pixels();
    int light = 0;
    for (int y = static_cast<int>(box.top); y < static_cast<int>(box.bottom); ++y)
        for (int x = static_cast<int>(box.left); x < static_cast<int>(box.right); ++x)
            light += guitest::channel(image.at(x, y), 8) > 200;
    EXPECT_GT(light, 20);
    down(10, 10);
    up(10, 10);
    EXPECT_EQ(frame()->getPopupView(), nullptr);
}
