// The VST3 bundle's editor in a Win32 host window: the view attached to an HWND of this program,
// kept drawn by its own window timer while the host only runs its message loop, the host's
// changes reaching the knobs, and closing leaving no window. Runs under Wine with an X server.
#include "tests/vst3/Vst3TestHost.h"
#include "tests/windows/HostWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <windows.h>

namespace
{
using namespace vst3test;
using namespace hostwindow;

class NoFrame : public HostObject<IPlugFrame>
{
public:
    tresult resizeView(IPlugView*, ViewRect*) override { return kResultFalse; }
};

TEST(Vst3ViewWindow, OpensInTheHostsWindowAndFollowsTheHost)
{
    Module module("OrvSympharon.vst3");
    ASSERT_NE(module.factory, nullptr);
    Effect effect(module.factory);
    ASSERT_NE(effect.controller, nullptr);

    HWND host = createHostWindow(L"OrvVst3TestHost", WS_OVERLAPPEDWINDOW, 400, 320);
    ASSERT_NE(host, nullptr);

    IPlugView* view = effect.controller->createView(kEditorViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(kResultTrue, view->isPlatformTypeSupported(kPlatformTypeHWND));
    EXPECT_EQ(kResultFalse, view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID));
    ViewRect size{};
    ASSERT_EQ(kResultOk, view->getSize(&size));
    EXPECT_EQ(320, size.right - size.left);
    EXPECT_EQ(257, size.bottom - size.top);
    NoFrame frame;
    view->setFrame(&frame);
    ASSERT_EQ(kResultOk, view->attached(host, kPlatformTypeHWND));
    HWND editor = GetWindow(host, GW_CHILD);
    ASSERT_NE(editor, nullptr);

    // The editor draws, kept going by its own timer while only the message loop runs; then the
    // host moves Damp and the window changes (its knob and display).
    std::vector<uint32_t> settled;
    ASSERT_TRUE(pumpUntil(
        [&]
        {
            settled = pixelsOf(editor);
            return !settled.empty() && settled != std::vector<uint32_t>(settled.size(), 0) &&
                   settled == pixelsOf(editor);
        }));
    pump(200);
    settled = pixelsOf(editor);
    ASSERT_EQ(kResultOk, effect.controller->setParamNormalized(3, 0.95));
    EXPECT_TRUE(pumpUntil([&] { return pixelsOf(editor) != settled; }));

    EXPECT_EQ(kResultOk, view->removed());
    pump(100);
    EXPECT_EQ(nullptr, GetWindow(host, GW_CHILD));
    view->setFrame(nullptr);
    view->release();
    DestroyWindow(host);
}

} // namespace
