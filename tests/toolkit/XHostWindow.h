#pragma once
// The host's side of an X display in the editor tests: its own connection, a mapped parent
// window for the editor to open in, XTest input as from a real mouse, and reading back what the
// server shows.
#include <dirent.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace guitest
{

class XHostWindow
{
public:
    XHostWindow() = default;
    ~XHostWindow()
    {
        if (connection) xcb_disconnect(connection);
    }
    XHostWindow(const XHostWindow&) = delete;
    XHostWindow& operator=(const XHostWindow&) = delete;

    // Connects to `display` and maps a parent window of the given size at the screen's corner.
    bool open(const std::string& display, int width = 400, int height = 300, bool white = false)
    {
        connection = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection)) return false;
        screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        parent = xcb_generate_id(connection);
        const uint32_t values[] = {screen->white_pixel};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0,
                          static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          white ? XCB_CW_BACK_PIXEL : 0, white ? values : nullptr);
        xcb_map_window(connection, parent);
        sync();
        return true;
    }

    // Round trip: the server has handled every request sent so far.
    void sync()
    {
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    // The parent as a host hands it to effEditOpen.
    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }

    std::vector<xcb_window_t> children()
    {
        std::vector<xcb_window_t> result;
        if (auto* t = xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr))
        {
            const xcb_window_t* c = xcb_query_tree_children(t);
            result.assign(c, c + xcb_query_tree_children_length(t));
            free(t);
        }
        return result;
    }

    // XTest input, pointer positions in screen coordinates (the parent sits at 0, 0).
    void pointer(int x, int y)
    {
        xcb_test_fake_input(connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root,
                            static_cast<int16_t>(x), static_cast<int16_t>(y), XCB_NONE);
        sync();
    }
    void button(uint8_t type, uint8_t detail = 1)
    {
        xcb_test_fake_input(connection, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
        sync();
    }
    // A key pressed and released (keycodes of the server's layout: 9 Escape, 36 Return,
    // 116 Down).
    void key(uint8_t keycode)
    {
        xcb_test_fake_input(connection, XCB_KEY_PRESS, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                            XCB_NONE);
        xcb_test_fake_input(connection, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                            XCB_NONE);
        sync();
    }

    // A window's pixels as the server shows them, 0xRRGGBB each; empty if it cannot be read.
    std::vector<uint32_t> pixels(xcb_window_t window, int width, int height)
    {
        auto* img = xcb_get_image_reply(connection,
                                        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                                      0, 0, static_cast<uint16_t>(width),
                                                      static_cast<uint16_t>(height), ~0u),
                                        nullptr);
        if (!img) return {};
        const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(img));
        std::vector<uint32_t> result(px, px + static_cast<size_t>(width) * height);
        free(img);
        for (uint32_t& p : result)
            p &= 0xFFFFFF;
        return result;
    }

    // A window's width and height as the server has them; 0 x 0 if it is gone.
    std::pair<int, int> size(xcb_window_t window)
    {
        auto* g = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
        if (!g) return {0, 0};
        const std::pair<int, int> result{g->width, g->height};
        free(g);
        return result;
    }

    xcb_connection_t* connection = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t parent = 0;
};

// Repeats `done` every 10 ms until it holds or about 3 s pass. The editor talks to the server on
// a connection of its own, so what it did shows up on ours only after a moment.
template <class F> bool waitFor(F done)
{
    for (int i = 0; i < 300; ++i)
    {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline int openFileDescriptors()
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

} // namespace guitest
