// The VST3 bundle's editor in a Win32 host window: the view attached to an HWND of this program,
// kept drawn by its own window timer while the host only runs its message loop, the host's
// changes reaching the knobs, and closing leaving no window. Runs under Wine with an X server.
#include "tests/vst3/Vst3TestHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <windows.h>

namespace
{
using namespace vst3test;

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The host's message loop for `ms` milliseconds.
void pump(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

template <class F> bool pumpUntil(F done)
{
    for (int waited = 0; waited < 10000; waited += 20)
    {
        if (done()) return true;
        pump(20);
    }
    return done();
}

// A window's pixels as the screen shows them.
std::vector<uint32_t> pixelsOf(HWND window)
{
    std::vector<uint32_t> out;
    HDC dc = GetDC(window);
    if (!dc) return out;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 320, -257, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, copy);
    if (BitBlt(memory, 0, 0, 320, 257, dc, 0, 0, SRCCOPY))
    {
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        out.assign(p, p + 320 * 257);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(copy);
    ReleaseDC(window, dc);
    return out;
}

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

    WNDCLASSW wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvVst3TestHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 400, 320, nullptr, nullptr, wc.hInstance, nullptr);
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
