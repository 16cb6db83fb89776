// A plug-in's editor as a host drives it: the test plug-in is loaded through its entry point,
// its editor opened with effEditOpen inside a real X window, used with XTest input and pumped
// with effEditIdle; the host callback records what the editor reports.
#include "tests/support/RecordingHost.h"
#include "xvfb_server.h"
#include <chrono>
#include <dirent.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <thread>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace
{

class EditorInXWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start (package xvfb)";
        conn = xcb_connect(server.name().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(conn));
        screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        parent = xcb_generate_id(conn);
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(conn, parent);
        sync();
        plugin = std::make_unique<LoadedPlugin>(host, ORV_TEST_EDITOR_PLUGIN);
    }
    void TearDown() override
    {
        plugin.reset();
        if (conn) xcb_disconnect(conn);
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

    // The editor's requests travel on its own connection: wait until the server has seen them.
    bool childrenGone()
    {
        for (int i = 0; i < 300; ++i)
        {
            if (children().empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    void fakeMotion(int x, int y)
    {
        // The editor's window is the parent's only child, at the parent's top-left corner.
        xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root, x, y,
                            XCB_NONE);
        sync();
    }
    void fakeButton(uint8_t type)
    {
        xcb_test_fake_input(conn, type, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
        sync();
    }

    // effEditIdle as a host calls it, until `done` holds or 3 s pass.
    template <class F> bool idleUntil(F done)
    {
        for (int i = 0; i < 300; ++i)
        {
            plugin->dispatch(effEditIdle);
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
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
    RecordingHost host;
    std::unique_ptr<LoadedPlugin> plugin;
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t parent = 0;
};

TEST_F(EditorInXWindow, KnobDragAndButtonClickReachTheHost)
{
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 200);
    EXPECT_EQ(plugin->dispatch(effEditIdle), 0);              // closed: nothing happens
    EXPECT_EQ(plugin->dispatch(effSetEditKnobMode, 0, 2), 1); // linear drags
    EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    ASSERT_EQ(children().size(), 1u);
    EXPECT_EQ(plugin->dispatch(effEditKeyDown, 'a'), 0); // no text field: not used
    plugin->dispatch(effEditIdle);
    host.clear();

    fakeMotion(42, 45);
    fakeButton(XCB_BUTTON_PRESS);
    fakeMotion(42, 35);
    fakeMotion(42, 25);
    fakeButton(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(idleUntil([&] { return !host.callsWith(audioMasterEndEdit).empty(); }));

    std::vector<HostCall> gesture;
    for (const HostCall& c : host.calls())
        if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate ||
            c.opcode == audioMasterEndEdit)
            gesture.push_back(c);
    ASSERT_GE(gesture.size(), 3u);
    EXPECT_EQ(gesture.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(gesture.front().index, 2);
    EXPECT_EQ(gesture.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(gesture.back().index, 2);
    for (size_t i = 1; i + 1 < gesture.size(); ++i)
    {
        EXPECT_EQ(gesture[i].opcode, audioMasterAutomate);
        EXPECT_EQ(gesture[i].index, 2);
    }
    EXPECT_NEAR(gesture[gesture.size() - 2].opt, 0.6f, 1e-5); // 20 px of 200 from 0.5
    EXPECT_NEAR(plugin->getParameter(2), 0.6f, 1e-5);

    host.clear();
    fakeMotion(120, 30);
    fakeButton(XCB_BUTTON_PRESS);
    fakeButton(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(idleUntil([&] { return !host.callsWith(audioMasterEndEdit).empty(); }));
    const auto automate = host.callsWith(audioMasterAutomate);
    ASSERT_EQ(automate.size(), 1u);
    EXPECT_EQ(automate[0].index, 1);
    EXPECT_FLOAT_EQ(automate[0].opt, 1.f);
    EXPECT_EQ(host.callsWith(audioMasterBeginEdit).at(0).index, 1);

    // The button shows its embedded picture (the lit state now), not the frame's background.
    plugin->dispatch(effEditIdle);
    const xcb_window_t editorWindow = children().at(0);
    auto* img = xcb_get_image_reply(
        conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, editorWindow, 0, 0, 200, 100, ~0u),
        nullptr);
    ASSERT_NE(img, nullptr);
    const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(img));
    const uint32_t background = px[5 * 200 + 5] & 0xFFFFFF;
    EXPECT_EQ(background, 0x282830u);
    int buttonPixels = 0;
    for (int y = 22; y < 46; ++y)
        for (int x = 102; x < 160; ++x)
            buttonPixels += (px[y * 200 + x] & 0xFFFFFF) != background;
    free(img);
    EXPECT_GT(buttonPixels, 58 * 24 / 2);

    plugin->dispatch(effEditClose);
    EXPECT_TRUE(childrenGone());
    EXPECT_EQ(plugin->dispatch(effEditIdle), 0);
}

TEST_F(EditorInXWindow, OpenAndClose100TimesLeavesNothingBehind)
{
    // One round first: fonts, keymaps and caches are set up once per process.
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    plugin->dispatch(effEditIdle);
    plugin->dispatch(effEditClose);
    const int fds = openFileDescriptors();
    const size_t heap = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
    }
    EXPECT_TRUE(childrenGone());
    EXPECT_EQ(openFileDescriptors(), fds); // every X connection closed
    // Each round builds a frame, views, bitmaps and an X connection; none of it may pile up.
    EXPECT_LT(mallinfo2().uordblks, heap + 64 * 1024);
}

} // namespace
