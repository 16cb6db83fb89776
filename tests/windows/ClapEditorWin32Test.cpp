// The CLAP plug-in's editor in a Win32 host window under Wine: gui.create("win32") and set_parent
// embed it as a child window that keeps itself drawn with its own window timer (the host's
// timer support is offered but not used), a host's automation reaches it, and gui.destroy
// leaves no window behind.
#include "tests/clap/ClapTestHost.h"
#include "tests/windows/HostWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>
#include <windows.h>

namespace
{
using namespace claptest;
using namespace hostwindow;

TEST(ClapEditorWin32, EmbedsAsAChildDrawnByItsOwnTimer)
{
    HWND parent = createHostWindow(L"OrvClapTestHost", WS_POPUP, 400, 300);
    ASSERT_NE(parent, nullptr);
    pump(50);

    ClapLibrary library(ORV_CLAP_PATH);
    ASSERT_NE(library.entry, nullptr) << library.error;
    TestHost host;
    {
        Plugin plugin(library, host);
        ASSERT_NE(plugin.gui, nullptr);
        EXPECT_EQ(plugin.fd, nullptr); // no file descriptors on Windows
        EXPECT_TRUE(plugin.gui->is_api_supported(plugin.plugin, "win32", false));
        EXPECT_FALSE(plugin.gui->is_api_supported(plugin.plugin, "x11", false));
        ASSERT_TRUE(plugin.gui->create(plugin.plugin, "win32", false));
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(plugin.gui->get_size(plugin.plugin, &w, &h));
        EXPECT_EQ(w, 320u);
        EXPECT_EQ(h, 257u);
        clap_window window{};
        window.api = "win32";
        window.win32 = parent;
        ASSERT_TRUE(plugin.gui->set_parent(plugin.plugin, &window));
        EXPECT_TRUE(plugin.gui->show(plugin.plugin));
        HWND editor = GetWindow(parent, GW_CHILD);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(host.timers.empty());

        // The knobs follow the host's values with no call from the host but its message loop.
        pump(300);
        const std::vector<uint32_t> before = pixelsOf(editor);
        ASSERT_FALSE(before.empty());
        InputEvents automation;
        OutputEvents pushed;
        automation.value(0, 2, 100.0);
        automation.value(0, 3, 100.0);
        plugin.flush(automation, pushed);
        bool changed = false;
        for (int i = 0; i < 100 && !changed; ++i)
        {
            pump(20);
            changed = pixelsOf(editor) != before;
        }
        EXPECT_TRUE(changed);

        plugin.gui->destroy(plugin.plugin);
        pump(50);
        EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
    }
    DestroyWindow(parent);
    EXPECT_EQ(host.threadFaults(), std::vector<std::string>{});
}

// The host's scale on win32 as on x11: set before set_parent it sizes the child window; while
// open a change asks the host's request_resize and the child follows when the host agrees.
TEST(ClapEditorWin32, TheHostsScaleSizesTheChildWindow)
{
    HWND parent = createHostWindow(L"OrvClapScaleHost", WS_POPUP, 700, 600);
    ASSERT_NE(parent, nullptr);
    const auto clientSize = [](HWND window)
    {
        RECT r{};
        GetClientRect(window, &r);
        return std::make_pair(r.right - r.left, r.bottom - r.top);
    };

    ClapLibrary library(ORV_CLAP_PATH);
    ASSERT_NE(library.entry, nullptr) << library.error;
    TestHost host;
    {
        Plugin plugin(library, host);
        ASSERT_NE(plugin.gui, nullptr);
        ASSERT_TRUE(plugin.gui->create(plugin.plugin, "win32", false));
        ASSERT_TRUE(plugin.gui->set_scale(plugin.plugin, 2.0));
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(plugin.gui->get_size(plugin.plugin, &w, &h));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(640u, 514u));
        clap_window window{};
        window.api = "win32";
        window.win32 = parent;
        ASSERT_TRUE(plugin.gui->set_parent(plugin.plugin, &window));
        EXPECT_TRUE(plugin.gui->show(plugin.plugin));
        HWND editor = GetWindow(parent, GW_CHILD);
        ASSERT_NE(editor, nullptr);
        pump(50);
        EXPECT_EQ(clientSize(editor), std::make_pair(640L, 514L));
        EXPECT_TRUE(host.resizeRequests.empty());

        ASSERT_TRUE(plugin.gui->set_scale(plugin.plugin, 1.0));
        ASSERT_EQ(host.resizeRequests.size(), 1u);
        EXPECT_EQ(host.resizeRequests[0], std::make_pair(320u, 257u));
        ASSERT_TRUE(plugin.gui->get_size(plugin.plugin, &w, &h));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(320u, 257u));
        pump(50);
        EXPECT_EQ(clientSize(editor), std::make_pair(320L, 257L));

        plugin.gui->destroy(plugin.plugin);
        pump(50);
    }
    DestroyWindow(parent);
    EXPECT_EQ(host.threadFaults(), std::vector<std::string>{});
}

} // namespace
