// What the Windows editor tests need of a host: a top-level window to embed an editor in, the
// host's message loop, and the pixels a window shows. Shared by the VST 2.4, VST3 and CLAP
// editor tests under Wine.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>
#include <windows.h>

namespace hostwindow
{

inline LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A visible top-level window of `width` x `height` with a white background, of a window class
// of that name (registered on first use), or null.
inline HWND createHostWindow(const wchar_t* className, DWORD style, int width, int height)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"host", style | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

// Handles this thread's messages for `ms` milliseconds, as a host's message loop does.
inline void pump(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

template <class F> bool pumpUntil(F done, int timeoutMs = 10000)
{
    for (int waited = 0; waited < timeoutMs; waited += 20)
    {
        if (done()) return true;
        pump(20);
    }
    return done();
}

// The top-left `width` x `height` pixels (0xRRGGBB) of a window as the screen shows them, or as
// the window draws itself when asked to print (PrintWindow, used by hosts and tools for
// thumbnails and captures); empty when the window has none.
inline std::vector<uint32_t> pixelsOf(HWND window, int width = 320, int height = 257,
                                      bool printed = false)
{
    std::vector<uint32_t> out;
    HDC dc = window ? GetDC(window) : nullptr;
    if (!dc) return out;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, copy);
    if (printed ? PrintWindow(window, memory, 0)
                : BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY))
    {
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i)
            out.push_back(p[i] & 0xFFFFFF);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(copy);
    ReleaseDC(window, dc);
    return out;
}

} // namespace hostwindow
