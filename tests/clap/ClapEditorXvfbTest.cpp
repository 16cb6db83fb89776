// The CLAP editor as a host shows it: embedded into a real X window under Xvfb, with no thread or
// loop of its own, driven only by the test host's timer and its watch of the editor's X
// connection (poll, then on_fd), as a CLAP host's main loop does. XTest input moves a knob and
// the program rocker; what reaches the host are parameter events at the next flush and rescans.
#include "ClapTestHost.h"
#include "XHostWindow.h"
#include "XvfbServer.h"
#include "engine/ParameterMapping.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <cmath>
#include <filesystem>

namespace
{
using namespace claptest;

class ClapEditorInHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start (package xvfb)";
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ASSERT_TRUE(x.open(server.name(), 400, 300));
        library = std::make_unique<ClapLibrary>(ORV_CLAP_PATH);
        ASSERT_NE(library->entry, nullptr) << library->error;
    }
    void TearDown() override
    {
        plugin.reset();
        library.reset();
        std::filesystem::remove_all(config);
        EXPECT_EQ(host.threadFaults(), std::vector<std::string>{});
    }

    bool openEditor()
    {
        plugin = std::make_unique<Plugin>(*library, host);
        const clap_plugin_gui* gui = plugin->gui;
        if (!gui || !gui->create(plugin->plugin, "x11", false)) return false;
        clap_window window{};
        window.api = "x11";
        window.x11 = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(x.handle()));
        return gui->set_parent(plugin->plugin, &window) && gui->show(plugin->plugin);
    }

    // One pass of the host's main loop: the editor's connection when it has events, the timers,
    // and a flush that collects the editor's parameter events.
    void pump()
    {
        for (const auto& [fd, flags] : host.fds)
        {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN))
                plugin->fd->on_fd(plugin->plugin, fd, CLAP_POSIX_FD_READ);
        }
        const auto timers = host.timers;
        for (const auto& [id, period] : timers)
            plugin->timer->on_timer(plugin->plugin, id);
        InputEvents none;
        plugin->flush(none, pushed);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    template <class F> bool pumpUntil(F done)
    {
        return guitest::waitFor(
            [&]
            {
                pump();
                return done();
            });
    }

    guitest::XvfbServer server;
    std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("orv-clap-ui-" + std::to_string(::getpid()));
    guitest::XHostWindow x;
    std::unique_ptr<ClapLibrary> library;
    TestHost host;
    std::unique_ptr<Plugin> plugin;
    OutputEvents pushed;
};

TEST_F(ClapEditorInHost, EmbedsDrivenByTheHostsTimerAndFdAndAKnobDragReachesTheHost)
{
    ASSERT_TRUE(openEditor());
    const clap_plugin_gui* gui = plugin->gui;
    EXPECT_TRUE(gui->is_api_supported(plugin->plugin, "x11", false));
    EXPECT_FALSE(gui->is_api_supported(plugin->plugin, "x11", true));
    EXPECT_FALSE(gui->is_api_supported(plugin->plugin, "win32", false));
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(gui->get_size(plugin->plugin, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(320u, 257u));
    EXPECT_FALSE(gui->can_resize(plugin->plugin));
    EXPECT_TRUE(gui->set_size(plugin->plugin, 320, 257));
    EXPECT_FALSE(gui->set_size(plugin->plugin, 400, 300));
    // The editor asks for a repaint tick and a watch of its X connection.
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_LE(host.timers.begin()->second, 50u);
    ASSERT_EQ(host.fds.size(), 1u);
    EXPECT_TRUE(host.fds.begin()->second & CLAP_POSIX_FD_READ);
    ASSERT_EQ(x.children().size(), 1u);
    const xcb_window_t editor = x.children().front();
    pump();

    // Drag the Decay knob upwards: a gesture with rising values in between.
    const auto before = x.pixels(editor, 320, 257);
    const int flushesBefore = host.flushRequests.load();
    x.pointer(72, 93);
    pump();
    x.button(XCB_BUTTON_PRESS);
    for (int y = 88; y >= 63; y -= 5)
    {
        x.pointer(72, y);
        pump();
    }
    x.button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(pumpUntil(
        [&] {
            return !pushed.events.empty() &&
                   pushed.events.back().type == CLAP_EVENT_PARAM_GESTURE_END;
        }));
    EXPECT_GT(host.flushRequests.load(), flushesBefore);
    const auto& events = pushed.events;
    EXPECT_EQ(events.front().type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(events.front().param, static_cast<clap_id>(kDecay));
    ASSERT_GE(events.size(), 3u);
    for (size_t i = 1; i + 1 < events.size(); ++i)
    {
        EXPECT_EQ(events[i].type, CLAP_EVENT_PARAM_VALUE);
        EXPECT_EQ(events[i].param, static_cast<clap_id>(kDecay));
        if (i > 1)
        {
            EXPECT_GT(events[i].value, events[i - 1].value);
        }
    }
    EXPECT_EQ(events.back().param, static_cast<clap_id>(kDecay));
    const double last = events[events.size() - 2].value;
    EXPECT_GT(last, 25.0);
    EXPECT_EQ(plugin->value(kDecay), last);
    EXPECT_TRUE(pumpUntil([&] { return x.pixels(editor, 320, 257) != before; }));

    // The host's automation reaches the knob.
    const auto dragged = x.pixels(editor, 320, 257);
    InputEvents automation;
    automation.value(0, kDecay, 5.0);
    plugin->flush(automation, pushed);
    EXPECT_TRUE(pumpUntil([&] { return x.pixels(editor, 320, 257) != dragged; }));

    // A descriptor reported broken is no longer watched; the timer goes on.
    const int fd = host.fds.begin()->first;
    plugin->fd->on_fd(plugin->plugin, fd, CLAP_POSIX_FD_ERROR);
    EXPECT_TRUE(host.fds.empty());
    EXPECT_EQ(host.timers.size(), 1u);
    pump();

    // Closing unregisters the timer and the descriptor and leaves no window behind.
    gui->destroy(plugin->plugin);
    EXPECT_TRUE(host.timers.empty());
    EXPECT_TRUE(host.fds.empty());
    EXPECT_TRUE(guitest::waitFor([&] { return x.children().empty(); }));
}

TEST_F(ClapEditorInHost, TheRockersProgramChangeIsARescanAndMarksTheStateDirty)
{
    ASSERT_TRUE(openEditor());
    pump();
    const auto saved = plugin->saved();
    host.rescans.clear();
    x.pointer(250, 240); // the rocker's right half: next program
    pump();
    x.button(XCB_BUTTON_PRESS);
    pump();
    x.button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(pumpUntil([&] { return !host.rescans.empty(); }));
    EXPECT_EQ(host.rescans.front(), CLAP_PARAM_RESCAN_VALUES);
    EXPECT_GE(host.markDirty, 1);
    EXPECT_NE(plugin->saved(), saved);
    // "Bright": Decay 50 %, Damp 5 %.
    EXPECT_EQ(plugin->value(kDecay), 50.0);
    EXPECT_EQ(plugin->value(kDamp), 5.0);
}

TEST_F(ClapEditorInHost, RefusedWithoutTheHostsTimerAndWithAnotherWindowSystem)
{
    host.offerTimers = false;
    plugin = std::make_unique<Plugin>(*library, host);
    EXPECT_FALSE(plugin->gui->create(plugin->plugin, "x11", false));

    TestHost other;
    Plugin second(*library, other);
    ASSERT_TRUE(second.gui->create(second.plugin, "x11", false));
    clap_window window{};
    window.api = "win32";
    window.x11 = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(x.handle()));
    EXPECT_FALSE(second.gui->set_parent(second.plugin, &window));
    EXPECT_TRUE(other.timers.empty());
    // A window id that does not exist: nothing is left open or registered.
    window.api = "x11";
    window.x11 = 0x7fffff;
    EXPECT_FALSE(second.gui->set_parent(second.plugin, &window));
    EXPECT_TRUE(other.timers.empty());
    EXPECT_TRUE(other.fds.empty());
    second.gui->destroy(second.plugin);
}

// A host that sets the parent twice, creates again over an open editor and destroys the plug-in
// with its editor open: one window at a time, one timer, and nothing left registered or open.
TEST_F(ClapEditorInHost, UsedOutOfOrderKeepsOneWindowAndLeavesNothingRegistered)
{
    ASSERT_TRUE(openEditor());
    const clap_plugin_gui* gui = plugin->gui;
    clap_window window{};
    window.api = "x11";
    window.x11 = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(x.handle()));
    ASSERT_TRUE(gui->set_parent(plugin->plugin, &window));
    EXPECT_TRUE(pumpUntil([&] { return x.children().size() == 1; }));
    EXPECT_EQ(host.timers.size(), 1u);
    EXPECT_LE(host.fds.size(), 1u);

    // Created again while open: the open editor closes.
    ASSERT_TRUE(gui->create(plugin->plugin, "x11", false));
    EXPECT_TRUE(host.timers.empty());
    EXPECT_TRUE(host.fds.empty());
    EXPECT_TRUE(pumpUntil([&] { return x.children().empty(); }));

    ASSERT_TRUE(gui->set_parent(plugin->plugin, &window));
    EXPECT_TRUE(pumpUntil([&] { return x.children().size() == 1; }));
    plugin.reset(); // destroyed with the editor open
    EXPECT_TRUE(host.timers.empty());
    EXPECT_TRUE(host.fds.empty());
    EXPECT_TRUE(guitest::waitFor([&] { return x.children().empty(); }));
}

// The host's scale: set after create it sets the size reported and opened at; while open a change
// asks the host's request_resize once, and the editor and get_size follow when the host agrees.
// The editor stays one fixed size at every scale.
TEST_F(ClapEditorInHost, TheHostsScaleSizesTheEditorBeforeAndWhileOpen)
{
    plugin = std::make_unique<Plugin>(*library, host);
    const clap_plugin_gui* gui = plugin->gui;
    ASSERT_NE(gui, nullptr);
    ASSERT_TRUE(gui->create(plugin->plugin, "x11", false));
    ASSERT_TRUE(gui->set_scale(plugin->plugin, 2.0));
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(gui->get_size(plugin->plugin, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(640u, 514u));
    EXPECT_FALSE(gui->can_resize(plugin->plugin));
    w = 100, h = 900;
    ASSERT_TRUE(gui->adjust_size(plugin->plugin, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(640u, 514u));
    EXPECT_FALSE(gui->adjust_size(plugin->plugin, nullptr, &h));

    clap_window window{};
    window.api = "x11";
    window.x11 = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(x.handle()));
    ASSERT_TRUE(gui->set_parent(plugin->plugin, &window));
    ASSERT_TRUE(gui->show(plugin->plugin));
    ASSERT_EQ(x.children().size(), 1u);
    const xcb_window_t editor = x.children().front();
    EXPECT_EQ(x.size(editor), std::make_pair(640, 514));
    EXPECT_TRUE(host.resizeRequests.empty());

    struct Step
    {
        double scale;
        bool agree;
        std::pair<uint32_t, uint32_t> asked, after; // the host's request, get_size then
    };
    const Step steps[] = {
        {1.0, true, {320, 257}, {320, 257}},  {2.0, true, {640, 514}, {640, 514}},
        {1.5, false, {480, 386}, {640, 514}}, // refused: the editor keeps its size
        {1.0, true, {320, 257}, {320, 257}},  {2.0, true, {640, 514}, {640, 514}},
    };
    for (const Step& step : steps)
    {
        host.resizeRequests.clear();
        host.agreeToResize = step.agree;
        EXPECT_TRUE(gui->set_scale(plugin->plugin, step.scale)) << step.scale;
        ASSERT_EQ(host.resizeRequests.size(), 1u) << step.scale;
        EXPECT_EQ(host.resizeRequests[0], step.asked) << step.scale;
        ASSERT_TRUE(gui->get_size(plugin->plugin, &w, &h));
        EXPECT_EQ(std::make_pair(w, h), step.after) << step.scale;
        EXPECT_TRUE(gui->set_size(plugin->plugin, step.after.first, step.after.second));
        EXPECT_TRUE(pumpUntil(
            [&]
            {
                return x.size(editor) == std::make_pair(static_cast<int>(step.after.first),
                                                        static_cast<int>(step.after.second));
            }))
            << step.scale;
    }
    host.resizeRequests.clear();
    EXPECT_TRUE(gui->set_scale(plugin->plugin, 2.0)); // the same scale asks for nothing
    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL})
        EXPECT_FALSE(gui->set_scale(plugin->plugin, bad)) << bad;
    EXPECT_TRUE(host.resizeRequests.empty());
    gui->destroy(plugin->plugin);
}

} // namespace
