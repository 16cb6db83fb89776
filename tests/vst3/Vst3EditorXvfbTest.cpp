// The VST3 editor as a Linux host shows it: the view embedded in a real X window, driven only by
// the host's run loop (the X connection's descriptor and a timer), a knob dragged with XTest
// input, a host change seen on the knob, and a host without a run loop refused cleanly.
#include "Vst3TestHost.h"
#include "XHostWindow.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace
{
using namespace vst3test;

// The host's run loop: one event handler on a descriptor and one timer, served by pump().
class TestRunLoop : public IRunLoop
{
public:
    tresult queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 addRef() override { return 2; }
    uint32 release() override { return 1; }
    tresult registerEventHandler(IEventHandler* handler, int fd) override
    {
        if (!handler || fd < 0 || events) return kInvalidArgument;
        events = handler;
        descriptor = fd;
        return kResultOk;
    }
    tresult unregisterEventHandler(IEventHandler* handler) override
    {
        if (handler != events) return kInvalidArgument;
        events = nullptr;
        descriptor = -1;
        return kResultOk;
    }
    tresult registerTimer(ITimerHandler* handler, uint64 milliseconds) override
    {
        if (!handler || timer) return kInvalidArgument;
        timer = handler;
        period = milliseconds;
        return kResultOk;
    }
    tresult unregisterTimer(ITimerHandler* handler) override
    {
        if (handler != timer) return kInvalidArgument;
        timer = nullptr;
        return kResultOk;
    }
    // One turn: the handler when its descriptor is readable, then the timer; about 10 ms.
    void pump()
    {
        if (events)
        {
            pollfd p{descriptor, POLLIN, 0};
            if (poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) events->onFDIsSet(descriptor);
        }
        if (timer) timer->onTimer();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    IEventHandler* events = nullptr;
    int descriptor = -1;
    ITimerHandler* timer = nullptr;
    uint64 period = 0;
};

// The host's frame, which offers the run loop, as Linux hosts' frames do.
class TestFrame : public IPlugFrame
{
public:
    explicit TestFrame(IRunLoop* loop) : loop(loop) {}
    tresult queryInterface(const TUID iid, void** obj) override
    {
        *obj = nullptr;
        if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPlugFrame::iid))
            *obj = this;
        else if (loop && sameUid(iid, IRunLoop::iid))
            *obj = loop;
        return *obj ? kResultOk : kNoInterface;
    }
    uint32 addRef() override { return 2; }
    uint32 release() override { return 1; }
    tresult resizeView(IPlugView* view, ViewRect* rect) override
    {
        resized.push_back(*rect);
        if (!agree) return kResultFalse;
        return view && rect ? view->onSize(rect) : kInvalidArgument;
    }
    IRunLoop* loop;
    std::vector<ViewRect> resized;
    bool agree = true; // false: a host whose window cannot change size
};

class Vst3EditorInHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start (package xvfb)";
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ASSERT_TRUE(x.open(server.name(), 400, 300));
        ASSERT_NE(module.factory, nullptr);
        effect = std::make_unique<Effect>(module.factory);
        ASSERT_NE(effect->controller, nullptr);
        view = effect->controller->createView(kEditorViewName);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        if (view) view->release();
        effect.reset();
        std::filesystem::remove_all(config);
    }
    template <class F> bool pumpUntil(F done)
    {
        return guitest::waitFor(
            [&]
            {
                loop.pump();
                return done();
            });
    }

    guitest::XvfbServer server;
    std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("orv-vst3-ui-" + std::to_string(::getpid()));
    guitest::XHostWindow x;
    static inline Module module{ORV_VST3_BUNDLE};
    std::unique_ptr<Effect> effect;
    IPlugView* view = nullptr;
    TestRunLoop loop;
    TestFrame frame{&loop};
};

TEST_F(Vst3EditorInHost, RunsOnTheHostsRunLoopAndAKnobDragBecomesEdits)
{
    EXPECT_EQ(kResultTrue, view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID));
    EXPECT_EQ(kResultFalse, view->isPlatformTypeSupported(kPlatformTypeHWND));
    void* scale = nullptr;
    ASSERT_EQ(kResultOk, view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &scale));
    static_cast<FUnknown*>(scale)->release();
    ViewRect size{};
    ASSERT_EQ(kResultOk, view->getSize(&size));
    EXPECT_EQ(320, size.right - size.left);
    EXPECT_EQ(257, size.bottom - size.top);

    ASSERT_EQ(kResultOk, view->setFrame(&frame));
    ASSERT_EQ(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    ASSERT_EQ(1u, x.children().size());
    EXPECT_NE(nullptr, loop.events);
    EXPECT_GE(loop.descriptor, 0);
    ASSERT_NE(nullptr, loop.timer);
    EXPECT_LE(loop.period, 50u);
    const xcb_window_t window = x.children().at(0);
    std::vector<uint32_t> before;
    ASSERT_TRUE(pumpUntil(
        [&]
        {
            before = x.pixels(window, 320, 257);
            return !before.empty() && before != std::vector<uint32_t>(before.size(), 0);
        }))
        << "the editor never drew";

    // Drag the Decay knob upwards: begin, rising values, end, all for Decay (id 2).
    effect->handler.edits.clear();
    x.pointer(72, 93);
    loop.pump();
    x.button(XCB_BUTTON_PRESS);
    for (int y = 88; y >= 63; y -= 5)
    {
        x.pointer(72, y);
        for (int i = 0; i < 3; ++i)
            loop.pump();
    }
    x.button(XCB_BUTTON_RELEASE);
    const auto& edits = effect->handler.edits;
    ASSERT_TRUE(pumpUntil([&] { return !edits.empty() && edits.back().kind == 'e'; }));
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ('b', edits.front().kind);
    double last = 0.25;
    for (const Edit& e : edits)
    {
        EXPECT_EQ(2u, e.id) << e.kind;
        if (e.kind != 'p') continue;
        EXPECT_GT(e.value, last);
        last = e.value;
    }
    EXPECT_DOUBLE_EQ(last, effect->controller->getParamNormalized(2));

    // The host moves Damp: its knob follows on the next turns of the loop.
    x.pointer(390, 290);
    std::vector<uint32_t> settled;
    pumpUntil([&] { return (settled = x.pixels(window, 320, 257)) == x.pixels(window, 320, 257); });
    ASSERT_EQ(kResultOk, effect->controller->setParamNormalized(3, 0.95));
    EXPECT_TRUE(pumpUntil([&] { return x.pixels(window, 320, 257) != settled; }));

    // The host selects another program: at the editor's next turn it hears that the values and
    // the program list's names may have changed, once each.
    ProgramListInfo list{};
    ASSERT_NE(nullptr, effect->units);
    ASSERT_EQ(kResultOk, effect->units->getProgramListInfo(0, list));
    effect->handler.edits.clear();
    constexpr ParamID kProgramParameter = 8;
    ASSERT_EQ(kResultOk, effect->controller->setParamNormalized(kProgramParameter, 1.0));
    ASSERT_TRUE(pumpUntil([&] { return edits.size() >= 2; }));
    for (int i = 0; i < 5; ++i)
        loop.pump();
    ASSERT_EQ(2u, edits.size());
    EXPECT_EQ('r', edits[0].kind);
    EXPECT_EQ(kParamValuesChanged, static_cast<int32>(edits[0].value));
    EXPECT_EQ('l', edits[1].kind);
    EXPECT_EQ(list.id, static_cast<ProgramListID>(edits[1].id));
    EXPECT_EQ(kAllProgramInvalid, static_cast<int32>(edits[1].value));

    // Closing: the handlers leave the run loop and the window goes.
    ASSERT_EQ(kResultOk, view->removed());
    EXPECT_EQ(nullptr, loop.events);
    EXPECT_EQ(nullptr, loop.timer);
    EXPECT_TRUE(pumpUntil([&] { return x.children().empty(); }));
    view->setFrame(nullptr);
}

TEST_F(Vst3EditorInHost, WithoutARunLoopTheViewRefusesAndLeavesNoWindow)
{
    TestFrame bare(nullptr);
    ASSERT_EQ(kResultOk, view->setFrame(&bare));
    EXPECT_NE(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    EXPECT_TRUE(pumpUntil([&] { return x.children().empty(); }));
    EXPECT_NE(kResultOk, view->attached(nullptr, kPlatformTypeX11EmbedWindowID));
    EXPECT_NE(kResultOk, view->attached(x.handle(), kPlatformTypeHWND));
    // With a run loop the same view then opens.
    ASSERT_EQ(kResultOk, view->setFrame(&frame));
    EXPECT_EQ(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    EXPECT_EQ(1u, x.children().size());
    EXPECT_EQ(kResultOk, view->removed());
    view->setFrame(nullptr);
}

} // namespace

namespace
{
// A host that attaches twice, removes twice, opens a second view over the first and lets go of
// a view still attached: one editor window at a time, the run loop's handlers registered once and
// gone with the window.
TEST_F(Vst3EditorInHost, AViewUsedOutOfOrderKeepsOneWindowAndLeavesTheRunLoopClean)
{
    ASSERT_EQ(kResultOk, view->setFrame(&frame));
    ASSERT_EQ(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    ASSERT_EQ(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    EXPECT_TRUE(pumpUntil([&] { return x.children().size() == 1; }));
    EXPECT_NE(nullptr, loop.events);
    EXPECT_NE(nullptr, loop.timer);
    EXPECT_EQ(kResultOk, view->removed());
    EXPECT_EQ(kResultOk, view->removed());
    EXPECT_EQ(nullptr, loop.timer);
    EXPECT_TRUE(pumpUntil([&] { return x.children().empty(); }));

    // A second view while the first is attached takes the editor; the first's window goes.
    ASSERT_EQ(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    IPlugView* second = effect->controller->createView(kEditorViewName);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(nullptr, loop.timer);
    EXPECT_TRUE(pumpUntil([&] { return x.children().empty(); }));
    EXPECT_NE(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    ASSERT_EQ(kResultOk, second->setFrame(&frame));
    ASSERT_EQ(kResultOk, second->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    EXPECT_TRUE(pumpUntil([&] { return x.children().size() == 1; }));
    for (int i = 0; i < 10; ++i)
        loop.pump();

    // Released while attached: it closes as if removed first.
    second->release();
    EXPECT_EQ(nullptr, loop.events);
    EXPECT_EQ(nullptr, loop.timer);
    EXPECT_TRUE(pumpUntil([&] { return x.children().empty(); }));
    view->setFrame(nullptr);
}
} // namespace

namespace
{
std::pair<int, int> extent(const ViewRect& r)
{
    return {r.right - r.left, r.bottom - r.top};
}

// The host's content scale: before the view is attached it sets the size the view reports and
// opens at; while attached the view asks the frame for the new size once, and the window follows
// only when the host agrees. The view stays a fixed-size one at every scale.
TEST_F(Vst3EditorInHost, TheHostsContentScaleSizesTheViewBeforeAndWhileAttached)
{
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(kResultOk, view->queryInterface(IPlugViewContentScaleSupport::iid.bytes,
                                              reinterpret_cast<void**>(&scaling)));
    for (float bad : {0.0f, -2.0f, std::nanf(""), INFINITY})
        EXPECT_EQ(kResultFalse, scaling->setContentScaleFactor(bad)) << bad;

    ASSERT_EQ(kResultTrue, scaling->setContentScaleFactor(2.0f));
    ViewRect size{};
    ASSERT_EQ(kResultOk, view->getSize(&size));
    EXPECT_EQ(std::make_pair(640, 514), extent(size));
    EXPECT_EQ(kResultFalse, view->canResize());
    ViewRect asked{10, 20, 110, 120};
    ASSERT_EQ(kResultTrue, view->checkSizeConstraint(&asked));
    EXPECT_EQ(std::make_pair(10, 20), std::make_pair(asked.left, asked.top));
    EXPECT_EQ(std::make_pair(640, 514), extent(asked));

    ASSERT_EQ(kResultOk, view->setFrame(&frame));
    ASSERT_EQ(kResultOk, view->attached(x.handle(), kPlatformTypeX11EmbedWindowID));
    ASSERT_EQ(1u, x.children().size());
    const xcb_window_t window = x.children().front();
    EXPECT_EQ(std::make_pair(640, 514), x.size(window));
    EXPECT_TRUE(frame.resized.empty());

    struct Step
    {
        float factor;
        bool agree;
        std::pair<int, int> asked, after; // what the frame is asked for, the size then
    };
    const Step steps[] = {
        {1.0f, true, {320, 257}, {320, 257}},  {2.0f, true, {640, 514}, {640, 514}},
        {1.5f, false, {480, 386}, {640, 514}}, // refused: the window keeps its size
        {1.0f, true, {320, 257}, {320, 257}},  {2.0f, true, {640, 514}, {640, 514}},
    };
    for (const Step& step : steps)
    {
        frame.resized.clear();
        frame.agree = step.agree;
        EXPECT_EQ(kResultTrue, scaling->setContentScaleFactor(step.factor)) << step.factor;
        ASSERT_EQ(1u, frame.resized.size()) << step.factor;
        EXPECT_EQ(step.asked, extent(frame.resized[0])) << step.factor;
        ASSERT_EQ(kResultOk, view->getSize(&size));
        EXPECT_EQ(step.after, extent(size)) << step.factor;
        EXPECT_TRUE(pumpUntil([&] { return x.size(window) == step.after; })) << step.factor;
        ViewRect same{0, 0, step.after.first, step.after.second};
        EXPECT_EQ(kResultTrue, view->onSize(&same)) << step.factor;
        ViewRect other{0, 0, 400, 300};
        EXPECT_EQ(kResultFalse, view->onSize(&other)) << step.factor;
    }
    // The same factor again changes nothing and asks for nothing.
    frame.resized.clear();
    EXPECT_EQ(kResultTrue, scaling->setContentScaleFactor(2.0f));
    EXPECT_TRUE(frame.resized.empty());

    EXPECT_EQ(kResultOk, view->removed());
    scaling->release();
    view->setFrame(nullptr);
}
} // namespace
