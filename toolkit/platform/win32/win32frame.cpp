#include "win32frame.h"
#include "../../cbuttonstate.h"
#include <cmath>
#include <mutex>
#include <windows.h>
#include <windowsx.h>

namespace VSTGUI
{
namespace
{

constexpr wchar_t kWindowClass[] = L"OrvToolkitFrame";

// The module our window class belongs to: the one given by the library that embeds the toolkit,
// or else the module this code was linked into.
HINSTANCE frameModule()
{
    if (void* given = getPlatformModuleHandle()) return static_cast<HINSTANCE>(given);
    HMODULE own = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&frameModule), &own);
    return own;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The class is registered while a frame exists and unregistered with the last one: a host may
// unload the library and load it again at another address, and a class left registered would
// still point at the old window procedure.
std::mutex classMutex;
int classUsers = 0;
HINSTANCE classModule = nullptr;

bool acquireWindowClass()
{
    std::lock_guard<std::mutex> lock(classMutex);
    if (classUsers == 0)
    {
        classModule = frameModule();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        // CS_DBLCLKS: the second press of a double click arrives as WM_xBUTTONDBLCLK.
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = classModule;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    ++classUsers;
    return true;
}

void releaseWindowClass()
{
    std::lock_guard<std::mutex> lock(classMutex);
    if (--classUsers == 0) UnregisterClassW(kWindowClass, classModule);
}

// Sent to child windows after their top-level window's DPI changed (Windows 10 1703 and later).
constexpr UINT kDpiChangedAfterParent = 0x02E3;
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

int32_t modifiersNow()
{
    int32_t m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) m |= kControl;
    if (GetKeyState(VK_MENU) < 0) m |= kAlt;
    return m;
}

// The buttons a mouse message reports, and the modifiers as this thread's key state has them at
// that message (the message's own MK_SHIFT and MK_CONTROL do not always follow keys that were
// sent as input, and it has no bit for Alt).
int32_t mouseState(WPARAM wParam)
{
    int32_t b = modifiersNow();
    if (wParam & MK_LBUTTON) b |= kLButton;
    if (wParam & MK_MBUTTON) b |= kMButton;
    if (wParam & MK_RBUTTON) b |= kRButton;
    if (wParam & MK_SHIFT) b |= kShift;
    if (wParam & MK_CONTROL) b |= kControl;
    return b;
}

unsigned char keyModifiers()
{
    unsigned char m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= MODIFIER_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) m |= MODIFIER_CONTROL;
    if (GetKeyState(VK_MENU) < 0) m |= MODIFIER_ALTERNATE;
    return m;
}

// Keys that have a toolkit code of their own; everything else arrives as a character.
unsigned char virtualKey(WPARAM vk)
{
    switch (vk)
    {
    case VK_BACK:
        return VKEY_BACK;
    case VK_TAB:
        return VKEY_TAB;
    case VK_CLEAR:
        return VKEY_CLEAR;
    case VK_RETURN:
        return VKEY_RETURN;
    case VK_PAUSE:
        return VKEY_PAUSE;
    case VK_ESCAPE:
        return VKEY_ESCAPE;
    case VK_SPACE:
        return VKEY_SPACE;
    case VK_NEXT:
        return VKEY_PAGEDOWN;
    case VK_END:
        return VKEY_END;
    case VK_HOME:
        return VKEY_HOME;
    case VK_LEFT:
        return VKEY_LEFT;
    case VK_UP:
        return VKEY_UP;
    case VK_RIGHT:
        return VKEY_RIGHT;
    case VK_DOWN:
        return VKEY_DOWN;
    case VK_PRIOR:
        return VKEY_PAGEUP;
    case VK_SELECT:
        return VKEY_SELECT;
    case VK_PRINT:
        return VKEY_PRINT;
    case VK_SNAPSHOT:
        return VKEY_SNAPSHOT;
    case VK_INSERT:
        return VKEY_INSERT;
    case VK_DELETE:
        return VKEY_DELETE;
    case VK_HELP:
        return VKEY_HELP;
    case VK_NUMLOCK:
        return VKEY_NUMLOCK;
    case VK_SCROLL:
        return VKEY_SCROLL;
    default:
        break;
    }
    if (vk >= VK_F1 && vk <= VK_F12) return static_cast<unsigned char>(VKEY_F1 + (vk - VK_F1));
    return 0;
}

} // namespace

struct Win32Frame::Window : std::enable_shared_from_this<Win32Frame::Window>
{
    Window(IPlatformFrameCallback* cb, int width, int height, double scale)
        : callback(cb), buffer(width, height, scale)
    {
    }

    // Window pixels to frame coordinates.
    CPoint framePoint(int x, int y) const
    {
        const double s = buffer.getScale();
        return CPoint(x / s, y / s);
    }

    IPlatformFrameCallback* callback; // null once the frame has gone
    GdiplusBackBuffer buffer;
    HWND hwnd = nullptr;
    HWND savedFocus = nullptr;
    bool textInput = false;
    bool trackingLeave = false;
    int32_t buttonsDown = 0;
    bool inMouseDown = false;
    bool captureLostInMouseDown = false;
    POINT lastPoint{-1, -1};
    WPARAM lastMoveState = 0;
    wchar_t highSurrogate = 0;

    // Copies the listed rectangles of the back buffer to the window.
    void present(HDC dc, const std::vector<CRect>& rects)
    {
        auto* source = static_cast<HDC>(buffer.getMemoryDC());
        if (!source) return;
        for (const CRect& r : rects)
            BitBlt(dc, static_cast<int>(r.left), static_cast<int>(r.top),
                   static_cast<int>(r.getWidth()), static_cast<int>(r.getHeight()), source,
                   static_cast<int>(r.left), static_cast<int>(r.top), SRCCOPY);
        GdiFlush();
    }

    void update()
    {
        const std::vector<CRect> drawn = buffer.render(callback);
        if (!hwnd || drawn.empty()) return;
        if (HDC dc = GetDC(hwnd))
        {
            present(dc, drawn);
            ReleaseDC(hwnd, dc);
        }
    }

    void paint()
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (!dc) return;
        // Whatever became invalid since the last update is drawn before the window is shown.
        buffer.render(callback);
        const RECT& r = ps.rcPaint;
        present(dc, {CRect(r.left, r.top, r.right, r.bottom)});
        EndPaint(hwnd, &ps);
    }

    void mouseDown(int32_t button, WPARAM wParam, LPARAM lParam, bool doubleClick)
    {
        if (!callback) return;
        CPoint where = framePoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        int32_t state = mouseState(wParam);
        // Only the button that went down, plus the modifiers.
        state = (state & ~(kLButton | kMButton | kRButton)) | button;
        if (doubleClick) state |= kDoubleClick;
        buttonsDown |= button;
        lastPoint = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        // Drags keep coming here when the pointer leaves the window.
        if (GetCapture() != hwnd) SetCapture(hwnd);
        captureLostInMouseDown = false;
        inMouseDown = true;
        auto keep = shared_from_this();
        callback->platformOnMouseDown(where, CButtonState(state));
        inMouseDown = false;
        // Capture taken away during the press (a dialog opened by it): the gesture is over.
        if (captureLostInMouseDown) endDragAfterLostCapture();
    }

    void mouseUp(int32_t button, WPARAM wParam, LPARAM lParam)
    {
        if (!(buttonsDown & button)) return; // its press went to another window
        buttonsDown &= ~button;
        if (buttonsDown == 0 && GetCapture() == hwnd) ReleaseCapture();
        if (!callback) return;
        CPoint where = framePoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        const int32_t state = (mouseState(wParam) & ~(kLButton | kMButton | kRButton)) | button;
        auto keep = shared_from_this();
        callback->platformOnMouseUp(where, CButtonState(state));
    }

    void endDragAfterLostCapture()
    {
        if (!buttonsDown || !callback) return;
        const int32_t buttons = buttonsDown;
        buttonsDown = 0;
        CPoint where = framePoint(lastPoint.x, lastPoint.y);
        auto keep = shared_from_this();
        callback->platformOnMouseUp(where, CButtonState(buttons | modifiersNow()));
    }

    void mouseMove(WPARAM wParam, LPARAM lParam)
    {
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        // Windows repeats a move when nothing moved (a window appearing under the pointer).
        if (p.x == lastPoint.x && p.y == lastPoint.y && wParam == lastMoveState) return;
        lastPoint = p;
        lastMoveState = wParam;
        if (!trackingLeave)
        {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            trackingLeave = TrackMouseEvent(&track) != 0;
        }
        if (!callback) return;
        CPoint where = framePoint(p.x, p.y);
        auto keep = shared_from_this();
        callback->platformOnMouseMoved(where, CButtonState(mouseState(wParam)));
    }

    void mouseLeave()
    {
        trackingLeave = false;
        lastPoint = {-1, -1};
        if (buttonsDown || !callback) return;
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        CPoint where = framePoint(p.x, p.y);
        auto keep = shared_from_this();
        callback->platformOnMouseExited(where, CButtonState(modifiersNow()));
    }

    void wheel(WPARAM wParam, LPARAM lParam, CMouseWheelAxis axis)
    {
        if (!callback) return;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &p);
        const float distance =
            static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / static_cast<float>(WHEEL_DELTA);
        const int32_t state = mouseState(GET_KEYSTATE_WPARAM(wParam));
        auto keep = shared_from_this();
        callback->platformOnMouseWheel(framePoint(p.x, p.y), axis, distance, CButtonState(state));
    }

    // True when the key was used.
    bool key(WPARAM vk, LPARAM lParam, bool down)
    {
        if (!textInput || !callback) return false;
        VstKeyCode code;
        code.virt = virtualKey(vk);
        // The keypad's Enter is Return with the extended-key bit.
        if (code.virt == VKEY_RETURN && (lParam & (1 << 24))) code.virt = VKEY_ENTER;
        // A Ctrl chord on a letter (Ctrl+A) makes only a control character in WM_CHAR: it is
        // passed on here as the letter with Ctrl.
        if (code.virt == 0 && down && vk >= 'A' && vk <= 'Z' && GetKeyState(VK_CONTROL) < 0 &&
            GetKeyState(VK_MENU) >= 0)
        {
            code.character = static_cast<int32_t>('a' + (vk - 'A'));
            code.modifier = keyModifiers();
            auto keep = shared_from_this();
            return callback->platformOnKeyDown(code) == 1;
        }
        // Characters, the space among them, come with WM_CHAR (also when typed through an input
        // method or sent as VK_PACKET, which no key-down names).
        if (code.virt == 0 || (down && code.virt == VKEY_SPACE)) return false;
        if (code.virt == VKEY_SPACE) code.character = ' ';
        code.modifier = keyModifiers();
        auto keep = shared_from_this();
        return (down ? callback->platformOnKeyDown(code) : callback->platformOnKeyUp(code)) == 1;
    }

    bool character(WPARAM unit)
    {
        if (!textInput || !callback) return false;
        uint32_t c = static_cast<uint32_t>(unit);
        if (c >= 0xD800 && c <= 0xDBFF)
        {
            highSurrogate = static_cast<wchar_t>(c);
            return true;
        }
        if (c >= 0xDC00 && c <= 0xDFFF)
        {
            if (!highSurrogate) return false;
            c = 0x10000 + ((static_cast<uint32_t>(highSurrogate) - 0xD800) << 10) + (c - 0xDC00);
        }
        highSurrogate = 0;
        // Control characters belong to the keys handled in WM_KEYDOWN.
        if (c < 0x20 || c == 0x7F) return false;
        VstKeyCode code;
        code.character = static_cast<int32_t>(c);
        if (c == ' ') code.virt = VKEY_SPACE;
        code.modifier = keyModifiers();
        // AltGr arrives as Ctrl + Alt: the character it makes is text, not a Ctrl chord.
        if ((code.modifier & (MODIFIER_CONTROL | MODIFIER_ALTERNATE)) ==
            (MODIFIER_CONTROL | MODIFIER_ALTERNATE))
            code.modifier &= ~(MODIFIER_CONTROL | MODIFIER_ALTERNATE);
        auto keep = shared_from_this();
        return callback->platformOnKeyDown(code) == 1;
    }

    void setTextInput(bool active)
    {
        if (active == textInput || !hwnd) return;
        textInput = active;
        if (active)
        {
            const HWND focus = GetFocus();
            savedFocus = focus != hwnd ? focus : nullptr;
            SetFocus(hwnd);
        }
        else
        {
            // Keys go back to where they went before the edit, unless the user has already
            // moved the focus elsewhere.
            const HWND back = savedFocus;
            savedFocus = nullptr;
            if (GetFocus() == hwnd) SetFocus(back && IsWindow(back) ? back : GetParent(hwnd));
        }
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message)
        {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1; // the back buffer covers every pixel
        case WM_PRINTCLIENT:
            // PrintWindow and other captures of the window: the whole picture into their DC.
            buffer.render(callback);
            present(reinterpret_cast<HDC>(wParam),
                    {CRect(0, 0, buffer.getWidth(), buffer.getHeight())});
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            mouseDown(kLButton, wParam, lParam, message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            mouseDown(kRButton, wParam, lParam, message == WM_RBUTTONDBLCLK);
            return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            mouseDown(kMButton, wParam, lParam, message == WM_MBUTTONDBLCLK);
            return 0;
        case WM_LBUTTONUP:
            mouseUp(kLButton, wParam, lParam);
            return 0;
        case WM_RBUTTONUP:
            mouseUp(kRButton, wParam, lParam);
            return 0;
        case WM_MBUTTONUP:
            mouseUp(kMButton, wParam, lParam);
            return 0;
        case WM_MOUSEMOVE:
            mouseMove(wParam, lParam);
            return 0;
        case WM_MOUSELEAVE:
            mouseLeave();
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd && buttonsDown)
            {
                if (inMouseDown)
                    captureLostInMouseDown = true;
                else
                    endDragAfterLostCapture();
            }
            return 0;
        case WM_MOUSEWHEEL:
            wheel(wParam, lParam, kMouseWheelAxisY);
            return 0;
        case WM_MOUSEHWHEEL:
            wheel(wParam, lParam, kMouseWheelAxisX);
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (key(wParam, lParam, true)) return 0;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (key(wParam, lParam, false)) return 0;
            break;
        case WM_CHAR:
            if (character(wParam)) return 0;
            break;
        case WM_GETDLGCODE:
            // Hosts that put the editor in a dialog: Return, Escape and Tab reach the field.
            if (textInput) return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
            break;
        case WM_KILLFOCUS:
            if (textInput && reinterpret_cast<HWND>(wParam) != hwnd && callback)
            {
                auto keep = shared_from_this();
                savedFocus = nullptr; // the user chose where the keys go now
                callback->platformOnFocusLost();
            }
            return 0;
        case WM_DPICHANGED:
        case kDpiChangedAfterParent:
            // The window moved to a screen of another scale (per-monitor aware hosts).
            if (callback)
            {
                auto keep = shared_from_this();
                callback->platformOnScaleChanged();
            }
            if (message == WM_DPICHANGED) return 0;
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            hwnd = nullptr;
            return 0;
        default:
            break;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

namespace
{
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* window = static_cast<Win32Frame::Window*>(create->lpCreateParams);
        window->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Win32Frame::Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    // The state outlives this message even if the frame is closed while it is handled.
    std::shared_ptr<Win32Frame::Window> keep = window->shared_from_this();
    return window->handle(message, wParam, lParam);
}
} // namespace

Win32Frame::Win32Frame(std::shared_ptr<Window> w) : window(std::move(w)) {}

std::unique_ptr<Win32Frame> Win32Frame::create(IPlatformFrameCallback* callback, const CRect& size,
                                               void* parentWindow, double scale)
{
    auto parent = static_cast<HWND>(parentWindow);
    if (!parent || !IsWindow(parent)) return nullptr;
    const int width = static_cast<int>(size.getWidth());
    const int height = static_cast<int>(size.getHeight());
    auto window = std::make_shared<Window>(callback, width, height, scale);
    if (!window->buffer.isValid() || !acquireWindowClass()) return nullptr;
    std::unique_ptr<Win32Frame> frame(new Win32Frame(window));
    HWND hwnd = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                window->buffer.getWidth(), window->buffer.getHeight(), parent,
                                nullptr, classModule, window.get());
    if (!hwnd)
    {
        releaseWindowClass();
        frame->window.reset();
        return nullptr;
    }
    return frame;
}

Win32Frame::~Win32Frame()
{
    if (!window) return;
    window->callback = nullptr;
    if (window->textInput) window->setTextInput(false);
    // The host may have destroyed its window, and ours with it, already.
    if (HWND hwnd = window->hwnd)
    {
        if (GetCapture() == hwnd) ReleaseCapture();
        DestroyWindow(hwnd);
    }
    releaseWindowClass();
}

double Win32Frame::windowScaleFactor(void* window)
{
    // GetDpiForWindow exists from Windows 10 1607 on: looked up, so older systems still load us.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = 0;
    auto hwnd = static_cast<HWND>(window);
    if (getDpiForWindow && hwnd && IsWindow(hwnd)) dpi = getDpiForWindow(hwnd);
    if (dpi == 0)
        if (HDC screen = GetDC(nullptr))
        {
            dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
            ReleaseDC(nullptr, screen);
        }
    if (dpi == 0) return 1.0;
    return clampScaleFactor(std::round(dpi / 96.0 * 4.0) / 4.0);
}

double Win32Frame::getScaleFactor() const
{
    return window->buffer.getScale();
}

bool Win32Frame::setScaleFactor(double scale)
{
    if (!window->buffer.setScale(clampScaleFactor(scale))) return false;
    if (HWND hwnd = window->hwnd)
        SetWindowPos(hwnd, nullptr, 0, 0, window->buffer.getWidth(), window->buffer.getHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void Win32Frame::invalidRect(const CRect& rect)
{
    window->buffer.invalidate(rect);
}

void Win32Frame::update()
{
    window->update();
}

void Win32Frame::setTextInputActive(bool active)
{
    window->setTextInput(active);
}

void* Win32Frame::getNativeWindow() const
{
    return window->hwnd;
}

void* Win32Frame::getTopLevelWindow() const
{
    return window->hwnd ? GetAncestor(window->hwnd, GA_ROOT) : nullptr;
}

bool Win32Frame::readPixels(PixelImage& out)
{
    HWND hwnd = window->hwnd;
    if (!hwnd) return false;
    const int w = window->buffer.getWidth(), h = window->buffer.getHeight();
    HDC dc = GetDC(hwnd);
    if (!dc) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = copy ? CreateCompatibleDC(dc) : nullptr;
    bool ok = false;
    if (memory)
    {
        HGDIOBJ old = SelectObject(memory, copy);
        // What the window shows now, as the screen has it.
        ok = BitBlt(memory, 0, 0, w, h, dc, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        if (ok)
        {
            out.width = w;
            out.height = h;
            out.pixels.resize(static_cast<size_t>(w) * h);
            const auto* p = static_cast<const uint32_t*>(bits);
            for (size_t i = 0; i < out.pixels.size(); ++i)
                out.pixels[i] = p[i] & 0xFFFFFF;
        }
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    if (copy) DeleteObject(copy);
    ReleaseDC(hwnd, dc);
    return ok;
}

} // namespace VSTGUI
