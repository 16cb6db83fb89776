// A plug-in's editor as a host drives it: the test plug-in is loaded through its entry point,
// its editor opened with effEditOpen inside a real X window, used with XTest input and pumped
// with effEditIdle; the host callback records what the editor reports.
#include "tests/support/RecordingHost.h"
#include "XHostWindow.h"
#include "XvfbServer.h"
#include <chrono>
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
        ASSERT_TRUE(x.open(server.name()));
        plugin = std::make_unique<LoadedPlugin>(host, ORV_TEST_EDITOR_PLUGIN);
    }
    void TearDown() override { plugin.reset(); }

    void* parentHandle() const { return x.handle(); }
    std::vector<xcb_window_t> children() { return x.children(); }
    // The editor's requests travel on its own connection: wait until the server has seen them.
    bool childrenGone()
    {
        return guitest::waitFor([&] { return children().empty(); });
    }
    // The editor's window is the parent's only child, at the parent's top-left corner.
    void fakeMotion(int px, int py) { x.pointer(px, py); }
    void fakeButton(uint8_t type) { x.button(type); }

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

    guitest::XvfbServer server;
    guitest::XHostWindow x;
    RecordingHost host;
    std::unique_ptr<LoadedPlugin> plugin;
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
    const std::vector<uint32_t> px = x.pixels(editorWindow, 200, 100);
    ASSERT_EQ(px.size(), 200u * 100u);
    const uint32_t background = px[5 * 200 + 5];
    EXPECT_EQ(background, 0x282830u);
    int buttonPixels = 0;
    for (int py = 22; py < 46; ++py)
        for (int px0 = 102; px0 < 160; ++px0)
            buttonPixels += px[static_cast<size_t>(py * 200 + px0)] != background;
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
    const int fds = guitest::openFileDescriptors();
    const size_t heap = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parentHandle()), 1);
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
    }
    EXPECT_TRUE(childrenGone());
    EXPECT_EQ(guitest::openFileDescriptors(), fds); // every X connection closed
    // Each round builds a frame, views, bitmaps and an X connection; none of it may pile up.
    EXPECT_LT(mallinfo2().uordblks, heap + 64 * 1024);
}

} // namespace
