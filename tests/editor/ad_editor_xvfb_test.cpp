// The plug-in's editor as users meet it in a host: the built library is loaded through its
// entry point, its editor opened with effEditOpen inside a real X window, used with XTest input
// and pumped with effEditIdle. What the window shows is compared with the same editor drawn
// offscreen in this process.
#include "editor/ADEditor.h"
#include "engine/ParameterMapping.h"
#include "platform/x11/x11frame.h"
#include "plugin/PluginEntry.h"
#include "tests/support/RecordingHost.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
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
        conn = xcb_connect(server.name().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(conn));
        screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        parent = xcb_generate_id(conn);
        // Larger than the editor, so the pointer can rest outside it.
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(conn, parent);
        sync();
        plugin = std::make_unique<LoadedPlugin>(host);
    }
    void TearDown() override
    {
        plugin.reset();
        if (conn) xcb_disconnect(conn);
        std::filesystem::remove_all(config);
    }

    void sync() { free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }
    void* parentHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }

    std::vector<xcb_window_t> children()
    {
        std::vector<xcb_window_t> result;
        if (auto* t = xcb_query_tree_reply(conn, xcb_query_tree(conn, parent), nullptr))
        {
            const xcb_window_t* c = xcb_query_tree_children(t);
            result.assign(c, c + xcb_query_tree_children_length(t));
            free(t);
        }
        return result;
    }
    // The editor talks to the server on its own connection: wait until the server has seen it.
    template <class F> bool until(F done)
    {
        for (int i = 0; i < 300; ++i)
        {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
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

    void pointer(int x, int y)
    {
        xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root, x, y,
                            XCB_NONE);
        sync();
    }
    void button(uint8_t type)
    {
        xcb_test_fake_input(conn, type, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
        sync();
    }
    void click(int x, int y)
    {
        pointer(x, y);
        idleFor(2);
        button(XCB_BUTTON_PRESS);
        idleFor(2);
        button(XCB_BUTTON_RELEASE);
        idleFor(2);
    }

    // The editor window's pixels as the X server shows them.
    std::vector<uint32_t> screenPixels()
    {
        const auto kids = children();
        if (kids.size() != 1) return {};
        auto* img = xcb_get_image_reply(
            conn,
            xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, kids[0], 0, 0, kWidth, kHeight, ~0u),
            nullptr);
        if (!img) return {};
        const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(img));
        std::vector<uint32_t> pixels(px, px + kWidth * kHeight);
        free(img);
        for (uint32_t& p : pixels)
            p &= 0xFFFFFF;
        return pixels;
    }

    // The same editor made in this process, set to the plug-in's parameter values and current
    // program, drawn offscreen.
    std::vector<uint32_t> offscreenPixels()
    {
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        AudioEffect* twin = createEffectInstance(&RecordingHost::callback);
        AEffect* record = twin->getAeffect();
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

    std::vector<HostCall> gestureCalls()
    {
        std::vector<HostCall> gesture;
        for (const HostCall& c : host.calls())
            if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate ||
                c.opcode == audioMasterEndEdit)
                gesture.push_back(c);
        return gesture;
    }

    static int openFileDescriptors()
    {
        int n = 0;
        if (DIR* d = opendir("/proc/self/fd"))
        {
            while (readdir(d))
                ++n;
            closedir(d);
        }
        return n;
    }

    guitest::XvfbServer server;
    std::filesystem::path config;
    RecordingHost host;
    std::unique_ptr<LoadedPlugin> plugin;
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t parent = 0;
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
    const int fds = openFileDescriptors();
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
        ASSERT_EQ(children().size(), 1u) << "round " << i;
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
        ASSERT_TRUE(until([&] { return children().empty(); })) << "round " << i;
    }
    EXPECT_EQ(openFileDescriptors(), fds);
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
