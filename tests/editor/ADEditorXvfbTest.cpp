// The plug-in's editor as users meet it in a host: the built library is loaded through its
// entry point, its editor opened with effEditOpen inside a real X window, used with XTest input
// and pumped with effEditIdle. What the window shows is compared with the same editor drawn
// offscreen in this process.
#include "XHostWindow.h"
#include "XvfbServer.h"
#include "editor/ADEditor.h"
#include "engine/ParameterMapping.h"
#include "platform/x11/x11frame.h"
#include "plugin/AudioEffectX.h"
#include "plugin/PluginEntry.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace
{
constexpr int kWidth = 320;
constexpr int kHeight = 257;

class EditorInHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start (package xvfb)";
        config = std::filesystem::temp_directory_path() /
                 ("orv-editor-xvfb-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        // Larger than the editor, so the pointer can rest outside it.
        ASSERT_TRUE(x.open(server.name(), 400, 300));
        plugin = std::make_unique<LoadedPlugin>(host);
    }
    void TearDown() override
    {
        plugin.reset();
        std::filesystem::remove_all(config);
    }

    void* parentHandle() const { return x.handle(); }
    std::vector<xcb_window_t> children() { return x.children(); }
    template <class F> bool until(F done) { return guitest::waitFor(done); }
    template <class F> bool idleUntil(F done)
    {
        return until(
            [&]
            {
                plugin->dispatch(effEditIdle);
                return done();
            });
    }
    void idleFor(int passes)
    {
        for (int i = 0; i < passes; ++i)
        {
            plugin->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void pointer(int px, int py) { x.pointer(px, py); }
    void button(uint8_t type) { x.button(type); }
    void click(int px, int py)
    {
        pointer(px, py);
        idleFor(2);
        button(XCB_BUTTON_PRESS);
        idleFor(2);
        button(XCB_BUTTON_RELEASE);
        idleFor(2);
    }

    // The editor window's pixels as the X server shows them.
    std::vector<uint32_t> screenPixels(double scale = 1.0)
    {
        const auto kids = children();
        return kids.size() == 1 ? x.pixels(kids[0], static_cast<int>(kWidth * scale + 0.5),
                                           static_cast<int>(kHeight * scale + 0.5))
                                : std::vector<uint32_t>{};
    }

    // The same editor made in this process, set to the plug-in's parameter values and current
    // program, drawn offscreen.
    std::vector<uint32_t> offscreenPixels(float scale = 0.0f)
    {
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        AudioEffect* twin = createEffectInstance(&RecordingHost::callback);
        AEffect* record = twin->getAeffect();
        if (scale > 0)
            record->dispatcher(record, effVendorSpecific, AudioEffectX::kVendorScaleIndex,
                               AudioEffectX::kVendorScaleValue, nullptr, scale);
        const auto chunk = plugin->chunk();
        twin->setChunk(const_cast<unsigned char*>(chunk.data()),
                       static_cast<VstInt32>(chunk.size()));
        for (VstInt32 i = 0; i < 8; ++i)
            twin->setParameter(i, plugin->getParameter(i));
        auto* editor = dynamic_cast<ADEditor*>(twin->getEditor());
        editor->open(nullptr);
        editor->idle();
        VSTGUI::PixelImage image;
        editor->getFrame()->getPlatformFrame()->readPixels(image);
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        for (uint32_t& p : image.pixels)
            p &= 0xFFFFFF;
        return image.pixels;
    }

    // Waits for the window to settle and compares it with the offscreen drawing.
    ::testing::AssertionResult showsLikeOffscreen()
    {
        pointer(390, 290); // no hover highlight anywhere in the editor
        const auto expected = offscreenPixels();
        std::vector<uint32_t> shown;
        const bool same = idleUntil(
            [&]
            {
                shown = screenPixels();
                return shown == expected;
            });
        if (same) return ::testing::AssertionSuccess();
        size_t differing = 0;
        for (size_t i = 0; i < std::min(shown.size(), expected.size()); ++i)
            differing += shown[i] != expected[i];
        return ::testing::AssertionFailure()
               << differing << " of " << expected.size() << " pixels differ (" << shown.size()
               << " read from the window)";
    }

    static std::string fileText(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::vector<HostCall> gestureCalls()
    {
        std::vector<HostCall> gesture;
        for (const HostCall& c : host.calls())
            if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate ||
                c.opcode == audioMasterEndEdit)
                gesture.push_back(c);
        return gesture;
    }

    guitest::XvfbServer server;
    std::filesystem::path config;
    guitest::XHostWindow x;
    RecordingHost host;
    std::unique_ptr<LoadedPlugin> plugin;
};
} // namespace

TEST_F(EditorInHost, OpensInTheHostWindowLookingAsDrawnOffscreen)
{
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    ASSERT_EQ(children().size(), 1u);
    EXPECT_TRUE(showsLikeOffscreen());

    // A value set by the host shows after the editor's idle.
    plugin->setParameter(kOutput, 1.0f);
    plugin->setParameter(kBypass, 0.7f);
    EXPECT_TRUE(showsLikeOffscreen());
    plugin->dispatch(effEditClose);
    EXPECT_TRUE(until([&] { return children().empty(); }));
}

// No parent, or a window id that no window has: there is no editor window, the host is told so
// and nothing of the editor stays open; a later open into a real window works.
TEST_F(EditorInHost, OpenWithoutAWindowFailsAndALaterOpenWorks)
{
    for (void* parent :
         {static_cast<void*>(nullptr), reinterpret_cast<void*>(uintptr_t{0x1ffffff0})})
    {
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, parent), 0);
        EXPECT_EQ(plugin->dispatch(effEditIdle), 0);
        EXPECT_TRUE(children().empty());
        plugin->dispatch(effEditClose);
    }
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    ASSERT_EQ(children().size(), 1u);
    EXPECT_TRUE(showsLikeOffscreen());
    plugin->dispatch(effEditClose);
    EXPECT_TRUE(until([&] { return children().empty(); }));
}

TEST_F(EditorInHost, DraggingTheDecayKnobAutomatesTheHost)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    idleFor(3);
    host.clear();
    pointer(72, 93);
    idleFor(2);
    button(XCB_BUTTON_PRESS);
    for (int y = 88; y >= 63; y -= 5)
    {
        pointer(72, y);
        idleFor(1);
    }
    button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(idleUntil([&] { return !host.callsWith(audioMasterEndEdit).empty(); }));

    const auto gesture = gestureCalls();
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
    EXPECT_GT(plugin->getParameter(kDecay), 0.25f);
    EXPECT_EQ(gesture[gesture.size() - 2].opt, plugin->getParameter(kDecay));
    // The Decay display shows the new value (the window matches a drawing with that value).
    EXPECT_TRUE(showsLikeOffscreen());
}

TEST_F(EditorInHost, BypassKeyAndPresetStripWork)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    idleFor(3);
    host.clear();
    click(160, 175); // the bypass key
    ASSERT_TRUE(idleUntil([&] { return !host.callsWith(audioMasterAutomate).empty(); }));
    EXPECT_EQ(host.callsWith(audioMasterAutomate).at(0).index, kBypass);
    EXPECT_EQ(plugin->getParameter(kBypass), 1.0f);
    click(160, 175);
    EXPECT_TRUE(idleUntil([&] { return plugin->getParameter(kBypass) == 0.0f; }));

    auto currentProgram = [&]
    {
        const auto chunk = plugin->chunk();
        int32_t current;
        std::memcpy(&current, chunk.data() + 12, 4);
        return current;
    };
    click(250, 240); // the rocker's right half: next program
    EXPECT_TRUE(idleUntil([&] { return currentProgram() == 1; }));
    EXPECT_EQ(plugin->getParameter(kDamp), 0.05f); // "Bright"
    click(235, 240);                               // left half: back
    EXPECT_TRUE(idleUntil([&] { return currentProgram() == 0; }));

    // The program menu: its list opens above it (16 pixels an entry from y = 140).
    click(219, 244);
    click(260, 140 + 3 * 16 + 8); // the fourth entry, "Low & Dark"
    EXPECT_TRUE(idleUntil([&] { return currentProgram() == 3; }));
    EXPECT_EQ(plugin->getParameter(kTranspose), 0.25f);
    EXPECT_TRUE(showsLikeOffscreen());
}

TEST_F(EditorInHost, OpenAndClose100TimesLeavesOneWindowEachTime)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    plugin->dispatch(effEditIdle);
    plugin->dispatch(effEditClose);
    ASSERT_TRUE(until([&] { return children().empty(); }));
    const int fds = guitest::openFileDescriptors();
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
        ASSERT_EQ(children().size(), 1u) << "round " << i;
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
        ASSERT_TRUE(until([&] { return children().empty(); })) << "round " << i;
    }
    EXPECT_EQ(guitest::openFileDescriptors(), fds);
    // And it still works afterwards.
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    EXPECT_TRUE(showsLikeOffscreen());
}

TEST_F(EditorInHost, OpeningAndClosingCausesNoXError)
{
    // The same editor made in this process, in the same kind of window, so that the X errors
    // its connection receives can be counted.
    VSTGUI::setDefaultPlatformType(VSTGUI::kDefaultNative);
    AudioEffect* effect = createEffectInstance(&RecordingHost::callback);
    auto* editor = dynamic_cast<ADEditor*>(effect->getEditor());
    const uint32_t before = VSTGUI::X11Frame::errorsSeen();
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_TRUE(editor->open(parentHandle()));
        ASSERT_NE(editor->getFrame()->getPlatformFrame(), nullptr) << "round " << i;
        effect->setParameter(kDecay, static_cast<float>(i) / 100.0f);
        editor->idle();
        editor->close();
    }
    EXPECT_EQ(VSTGUI::X11Frame::errorsSeen(), before);
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

// A host that forwards keys: after a double-click on PRESET (which remembers the default
// preset) and a single click, Return and Enter go back to the host and leave what is
// remembered alone.
TEST_F(EditorInHost, HostKeysAfterClicksOnPresetLeaveTheDefaultAlone)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    idleFor(3);
    const auto defaultPreset = config / "Orvatone" / "OrvSympharon" / "DefaultPreset";
    pointer(50, 234);
    idleFor(2);
    for (int i = 0; i < 2; ++i)
    {
        button(XCB_BUTTON_PRESS);
        button(XCB_BUTTON_RELEASE);
    }
    ASSERT_TRUE(idleUntil([&] { return std::filesystem::exists(defaultPreset); }));
    const std::string remembered = fileText(defaultPreset);
    ASSERT_EQ(remembered.size(), 61u);
    plugin->setParameter(kDecay, 0.9f); // a store now would write other bytes
    std::this_thread::sleep_for(std::chrono::milliseconds(600)); // past the double-click time
    click(50, 234);
    for (unsigned char virt : {VSTGUI::VKEY_RETURN, VSTGUI::VKEY_ENTER})
    {
        EXPECT_EQ(plugin->dispatch(effEditKeyDown, 0, virt), 0);
        EXPECT_EQ(plugin->dispatch(effEditKeyUp, 0, virt), 0);
        idleFor(2);
    }
    ASSERT_TRUE(std::filesystem::exists(defaultPreset));
    EXPECT_EQ(fileText(defaultPreset), remembered);
}

// The first picture is there at effEditOpen, before any idle, and stays right when a window
// that covered it goes away (the server repaints it; no idle either).
TEST_F(EditorInHost, ShowsItsPictureWithoutIdleAlsoAfterBeingCovered)
{
    const auto expected = offscreenPixels();
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    EXPECT_TRUE(until([&] { return screenPixels() == expected; }));

    xcb_connection_t* c = x.connection;
    const xcb_window_t cover = xcb_generate_id(c);
    const uint32_t white[] = {x.screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, cover, x.parent, 10, 10, 200, 150, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, x.screen->root_visual, XCB_CW_BACK_PIXEL,
                      white);
    xcb_map_window(c, cover);
    x.sync();
    EXPECT_NE(screenPixels(), expected);
    xcb_destroy_window(c, cover);
    x.sync();
    EXPECT_TRUE(until([&] { return screenPixels() == expected; }));
    plugin->dispatch(effEditClose);
}

// A host's scale of 2: the window is twice as large, drawn at that scale, and clicks and drags
// at twice the positions hit the same controls and move them as far as at 1x.
TEST_F(EditorInHost, AtTheHostsScaleOfTwoClicksAndDragsHitTheSameControls)
{
    const uint32_t larger[] = {800, 600};
    xcb_configure_window(x.connection, x.parent, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         larger);
    x.sync();
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, AudioEffectX::kVendorScaleIndex,
                               AudioEffectX::kVendorScaleValue, nullptr, 2.0f),
              1);
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 2 * kWidth);
    EXPECT_EQ(rect->bottom - rect->top, 2 * kHeight);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    ASSERT_EQ(children().size(), 1u);
    {
        const auto expected = offscreenPixels(2.0f);
        ASSERT_EQ(expected.size(), static_cast<size_t>(4 * kWidth * kHeight));
        EXPECT_TRUE(idleUntil([&] { return screenPixels(2.0) == expected; }));
    }

    click(324, 352); // the bypass key
    EXPECT_TRUE(idleUntil([&] { return plugin->getParameter(kBypass) == 1.0f; }));

    // 25 frame pixels up on the Decay knob, dragged as 50 window pixels: a quarter of the range
    // in the editor's linear mode (200 pixels for all of it) minus nothing, as at 1x.
    const float before = plugin->getParameter(kDecay);
    pointer(144, 186);
    idleFor(2);
    button(XCB_BUTTON_PRESS);
    for (int y = 176; y >= 136; y -= 10)
    {
        pointer(144, y);
        idleFor(1);
    }
    button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(idleUntil([&] { return !host.callsWith(audioMasterEndEdit).empty(); }));
    EXPECT_NEAR(plugin->getParameter(kDecay) - before, 50.0f / 2 / 200, 1e-4f);

    // The program menu's list at twice its 1x place: its fourth entry.
    click(438, 488);
    click(520, 2 * (140 + 3 * 16 + 8));
    EXPECT_TRUE(idleUntil([&] { return plugin->getParameter(kTranspose) == 0.25f; }));
    plugin->dispatch(effEditClose);
}

// While the program menu's list is open the editor's window takes the keyboard: Down and Return
// choose, Escape closes; afterwards keys go to the host again.
TEST_F(EditorInHost, OpenMenuTakesTheKeys)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    idleFor(3);
    const auto closed = offscreenPixels();
    click(219, 244);
    EXPECT_TRUE(idleUntil([&] { return screenPixels() != closed; }));
    pointer(390, 290); // the keys, not the pointer, choose
    idleFor(2);
    x.key(9); // Escape
    EXPECT_TRUE(idleUntil([&] { return screenPixels() == closed; }));
    EXPECT_EQ(plugin->getParameter(kTranspose), 0.5f);

    click(219, 244);
    pointer(390, 290);
    idleFor(2);
    for (int i = 0; i < 4; ++i) // the current entry, then three further down: "Low & Dark"
        x.key(116);
    x.key(36); // Return
    EXPECT_TRUE(idleUntil([&] { return plugin->getParameter(kTranspose) == 0.25f; }));

    // Closed again: the editor's window no longer listens to keys.
    const xcb_window_t editorWindow = children().at(0);
    EXPECT_TRUE(idleUntil(
        [&]
        {
            auto* a = xcb_get_window_attributes_reply(
                x.connection, xcb_get_window_attributes(x.connection, editorWindow), nullptr);
            const bool listening = a && (a->all_event_masks & XCB_EVENT_MASK_KEY_PRESS);
            free(a);
            return !listening;
        }));
    plugin->dispatch(effEditClose);
}
