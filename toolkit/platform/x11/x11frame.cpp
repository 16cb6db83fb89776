#include "x11frame.h"
#include "x11windows.h"
#include <cairo-xcb.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace VSTGUI
{

bool DoubleClickDetector::press(int button, int x, int y, uint32_t time)
{
    // Unsigned difference: survives the 32-bit wrap of server time.
    const bool chained = count > 0 && button == lastButton && time - lastTime <= kMaxInterval &&
                         std::abs(x - lastX) <= kMaxDistance && std::abs(y - lastY) <= kMaxDistance;
    count = chained ? count + 1 : 1;
    lastButton = button;
    lastX = x;
    lastY = y;
    lastTime = time;
    return count >= 2;
}

void DoubleClickDetector::motion(int x, int y)
{
    if (count > 0 && (std::abs(x - lastX) > kMaxDistance || std::abs(y - lastY) > kMaxDistance))
        count = 0;
}

namespace
{
constexpr uint32_t kBaseEventMask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                    XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                    XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr uint32_t kTextEventMask = kBaseEventMask | XCB_EVENT_MASK_KEY_PRESS |
                                    XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_FOCUS_CHANGE;

xcb_visualtype_t* findVisual(xcb_screen_t* screen, xcb_visualid_t id)
{
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == id) return v.data;
    return nullptr;
}
} // namespace

X11Frame::X11Frame(IPlatformFrameCallback* cb, int width, int height, double scale)
    : callback(cb), buffer(width, height, scale)
{
}

std::unique_ptr<X11Frame> X11Frame::create(IPlatformFrameCallback* callback, const CRect& size,
                                           void* parentWindow, double scale)
{
    const auto parent = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(parentWindow));
    if (parent == 0) return nullptr;
    std::unique_ptr<X11Frame> frame(new X11Frame(callback, static_cast<int>(size.getWidth()),
                                                 static_cast<int>(size.getHeight()), scale));
    if (!frame->init(parent)) return nullptr;
    return frame;
}

double X11Frame::snapScaleFactor(double scale)
{
    return clampScaleFactor(std::round(scale * 4.0) / 4.0);
}

double X11Frame::scaleFromResources(const char* resources, size_t length)
{
    static constexpr char kName[] = "Xft.dpi:";
    const std::string text(resources, length);
    size_t at = 0;
    while ((at = text.find(kName, at)) != std::string::npos)
    {
        // Only at the start of a line.
        if (at == 0 || text[at - 1] == '\n')
        {
            const char* value = text.c_str() + at + sizeof kName - 1;
            char* end = nullptr;
            const double dpi = std::strtod(value, &end);
            if (end != value && dpi > 0 && dpi < 10000) return dpi / 96.0;
        }
        at += sizeof kName - 1;
    }
    return 0;
}

double X11Frame::systemScaleFactor(void* parentWindow)
{
    if (const char* gdk = std::getenv("GDK_SCALE"))
    {
        char* end = nullptr;
        const long factor = std::strtol(gdk, &end, 10);
        if (end != gdk && *end == 0 && factor >= 1) return snapScaleFactor(factor);
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    double scale = 0;
    if (!xcb_connection_has_error(c))
    {
        // The root window of the parent's screen, else of the first screen.
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const auto parent = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(parentWindow));
        if (parent)
            if (auto* geo = xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), nullptr))
            {
                root = geo->root;
                free(geo);
            }
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16),
            nullptr);
        if (reply)
        {
            scale = scaleFromResources(static_cast<const char*>(xcb_get_property_value(reply)),
                                       static_cast<size_t>(xcb_get_property_value_length(reply)));
            free(reply);
        }
    }
    xcb_disconnect(c);
    return scale > 0 ? snapScaleFactor(scale) : 1.0;
}

CPoint X11Frame::framePoint(int x, int y) const
{
    const double s = buffer.getScale();
    return CPoint(x / s, y / s);
}

bool X11Frame::makeBackground()
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_window_t drawable = window ? window : root;
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    xcb_void_cookie_t cookie = xcb_create_pixmap_checked(connection, depth, pixmap, drawable,
                                                         static_cast<uint16_t>(buffer.getWidth()),
                                                         static_cast<uint16_t>(buffer.getHeight()));
    if (xcb_generic_error_t* err = xcb_request_check(connection, cookie))
    {
        free(err);
        return false;
    }
    cairo_surface_t* surface =
        cairo_xcb_surface_create(connection, pixmap, visual, buffer.getWidth(), buffer.getHeight());
    // Until the first picture: the back buffer as it is (black), never the server's garbage.
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_surface(cr, buffer.getSurface(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    if (windowSurface)
    {
        cairo_surface_finish(windowSurface);
        cairo_surface_destroy(windowSurface);
    }
    if (background) xcb_free_pixmap(connection, background);
    windowSurface = surface;
    background = pixmap;
    if (window) xcb_change_window_attributes(connection, window, XCB_CW_BACK_PIXMAP, &background);
    return true;
}

bool X11Frame::setScaleFactor(double scale)
{
    if (!connection || xcb_connection_has_error(connection) || !window) return false;
    const double old = buffer.getScale();
    buffer.setScale(clampScaleFactor(scale));
    if (!makeBackground())
    {
        buffer.setScale(old);
        return false;
    }
    const uint32_t size[] = {static_cast<uint32_t>(buffer.getWidth()),
                             static_cast<uint32_t>(buffer.getHeight())};
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         size);
    xcb_flush(connection);
    return true;
}

bool X11Frame::init(xcb_window_t parent)
{
    // Our own connection: the host's is not reachable, window ids are valid across connections.
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) return false;
    xcb_get_geometry_reply_t* geo =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, parent), nullptr);
    if (!geo) return false;
    const xcb_window_t root = geo->root;
    free(geo);
    xcb_screen_t* screen = nullptr;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it))
        if (it.data->root == root) screen = it.data;
    if (!screen) return false;
    visual = findVisual(screen, screen->root_visual);
    if (!visual) return false;
    depth = screen->root_depth;
    if (!makeBackground()) return false;

    window = xcb_generate_id(connection);
    // Explicit visual, colormap and border pixel: the parent may use another visual. The
    // background is a pixmap holding the picture, so what the server paints on its own is the
    // picture itself: nothing flickers, and exposed parts are right without our help.
    const uint32_t mask =
        XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP;
    const uint32_t values[] = {background, 0, kBaseEventMask, screen->default_colormap};
    xcb_void_cookie_t cookie = xcb_create_window_checked(
        connection, screen->root_depth, window, parent, 0, 0,
        static_cast<uint16_t>(buffer.getWidth()), static_cast<uint16_t>(buffer.getHeight()), 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values);
    if (xcb_generic_error_t* err = xcb_request_check(connection, cookie))
    {
        free(err);
        window = 0;
        return false;
    }
    xcb_map_window(connection, window);
    xcb_flush(connection);
    return true;
}

X11Frame::~X11Frame()
{
    if (connection && !xcb_connection_has_error(connection))
    {
        if (textInput) setTextInputActive(false);
    }
    if (windowSurface)
    {
        // cairo caches per-connection state: finish the device before the connection goes.
        cairo_surface_finish(windowSurface);
        cairo_device_finish(cairo_surface_get_device(windowSurface));
        cairo_surface_destroy(windowSurface);
    }
    if (connection)
    {
        // The host may have destroyed the parent already: the error is just an event here.
        if (window) xcb_destroy_window(connection, window);
        if (background) xcb_free_pixmap(connection, background);
        // One round trip, so that errors caused by the last requests arrive and are counted.
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
        {
            if ((event->response_type & 0x7F) == 0) ++errorCount;
            free(event);
        }
        xcb_disconnect(connection);
    }
}

void* X11Frame::getNativeWindow() const
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

void* X11Frame::getTopLevelWindow() const
{
    if (!connection || xcb_connection_has_error(connection) || !window) return nullptr;
    return reinterpret_cast<void*>(static_cast<uintptr_t>(topLevelWindowOf(connection, window)));
}

int X11Frame::eventFileDescriptor() const
{
    if (!connection || xcb_connection_has_error(connection)) return -1;
    return xcb_get_file_descriptor(connection);
}

int32_t X11Frame::modifiers(uint16_t state)
{
    // Lock and NumLock (Mod2) never count.
    int32_t b = 0;
    if (state & XCB_MOD_MASK_SHIFT) b |= kShift;
    if (state & XCB_MOD_MASK_CONTROL) b |= kControl;
    if (state & (XCB_MOD_MASK_1 | XCB_MOD_MASK_5)) b |= kAlt;
    return b;
}

void X11Frame::processEvents()
{
    if (!connection || xcb_connection_has_error(connection)) return; // server gone: stay inert
    std::vector<xcb_generic_event_t*> events;
    while (xcb_generic_event_t* e = xcb_poll_for_event(connection))
        events.push_back(e);
    for (size_t i = 0; i < events.size(); ++i)
    {
        // Of a run of motions only the last matters.
        const bool skip = (events[i]->response_type & 0x7F) == XCB_MOTION_NOTIFY &&
                          i + 1 < events.size() &&
                          (events[i + 1]->response_type & 0x7F) == XCB_MOTION_NOTIFY;
        if (!skip) handleEvent(events[i]);
        free(events[i]);
    }
}

void X11Frame::handleEvent(xcb_generic_event_t* event)
{
    switch (event->response_type & 0x7F)
    {
    case 0: // an X error, for example a parent that is already gone: nothing else to do
        ++errorCount;
        break;
    case XCB_EXPOSE:
        // The server has already painted the exposed part from the background pixmap.
        break;
    case XCB_BUTTON_PRESS:
    {
        auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
        if (e->event != window) break;
        lastEventTime = e->time;
        CPoint where = framePoint(e->event_x, e->event_y);
        const int32_t mods = modifiers(e->state);
        if (e->detail >= 4 && e->detail <= 7)
        {
            const CMouseWheelAxis axis = e->detail <= 5 ? kMouseWheelAxisY : kMouseWheelAxisX;
            const float distance = (e->detail == 4 || e->detail == 7) ? 1.f : -1.f;
            callback->platformOnMouseWheel(where, axis, distance, mods);
            break;
        }
        int32_t button = e->detail == 1 ? kLButton : e->detail == 2 ? kMButton : kRButton;
        if (e->detail > 3) break;
        if (clicks.press(e->detail, e->event_x, e->event_y, e->time)) button |= kDoubleClick;
        buttonDown = true;
        callback->platformOnMouseDown(where, CButtonState(button | mods));
        break;
    }
    case XCB_BUTTON_RELEASE:
    {
        auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
        if (e->event != window || e->detail < 1 || e->detail > 3) break;
        lastEventTime = e->time;
        CPoint where = framePoint(e->event_x, e->event_y);
        const int32_t button = e->detail == 1 ? kLButton : e->detail == 2 ? kMButton : kRButton;
        buttonDown = false;
        callback->platformOnMouseUp(where, CButtonState(button | modifiers(e->state)));
        break;
    }
    case XCB_MOTION_NOTIFY:
    {
        auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
        if (e->event != window) break;
        lastEventTime = e->time;
        int32_t buttons = 0;
        if (e->state & XCB_BUTTON_MASK_1) buttons |= kLButton;
        if (e->state & XCB_BUTTON_MASK_2) buttons |= kMButton;
        if (e->state & XCB_BUTTON_MASK_3) buttons |= kRButton;
        if (buttons) clicks.motion(e->event_x, e->event_y);
        CPoint where = framePoint(e->event_x, e->event_y);
        callback->platformOnMouseMoved(where, CButtonState(buttons | modifiers(e->state)));
        break;
    }
    case XCB_LEAVE_NOTIFY:
    {
        auto* e = reinterpret_cast<xcb_leave_notify_event_t*>(event);
        if (e->event != window || e->detail == XCB_NOTIFY_DETAIL_INFERIOR || buttonDown) break;
        CPoint where = framePoint(e->event_x, e->event_y);
        callback->platformOnMouseExited(where, modifiers(e->state));
        break;
    }
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    {
        auto* e = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (!textInput) break;
        lastEventTime = e->time;
        VstKeyCode key;
        if (!keys.decode(e->detail, e->state, key)) break;
        if ((event->response_type & 0x7F) == XCB_KEY_PRESS)
            callback->platformOnKeyDown(key);
        else
            callback->platformOnKeyUp(key);
        break;
    }
    case XCB_FOCUS_OUT:
    {
        auto* e = reinterpret_cast<xcb_focus_out_event_t*>(event);
        // Taking the focus from PointerRoot sends a FocusOut of detail Pointer at once; grabs
        // come and go. Neither ends an edit.
        if (!textInput || e->event != window || e->detail == XCB_NOTIFY_DETAIL_POINTER ||
            e->detail == XCB_NOTIFY_DETAIL_INFERIOR || e->mode == XCB_NOTIFY_MODE_GRAB ||
            e->mode == XCB_NOTIFY_MODE_UNGRAB)
            break;
        callback->platformOnFocusLost();
        break;
    }
    default:
        break;
    }
}

void X11Frame::update()
{
    if (!connection || xcb_connection_has_error(connection)) return;
    cairo_region_t* drawn = buffer.render(callback);
    present(drawn);
    cairo_region_destroy(drawn);
    xcb_flush(connection);
}

void X11Frame::present(cairo_region_t* region)
{
    const int n = cairo_region_num_rectangles(region);
    if (n == 0 || !windowSurface) return;
    cairo_t* cr = cairo_create(windowSurface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, buffer.getSurface(), 0, 0);
    for (int i = 0; i < n; ++i)
    {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(windowSurface);
    // The window shows the new background where it changed.
    for (int i = 0; i < n; ++i)
    {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        xcb_clear_area(connection, 0, window, static_cast<int16_t>(r.x), static_cast<int16_t>(r.y),
                       static_cast<uint16_t>(r.width), static_cast<uint16_t>(r.height));
    }
}

void X11Frame::setTextInputActive(bool active)
{
    if (active == textInput || !connection || xcb_connection_has_error(connection)) return;
    textInput = active;
    if (active)
    {
        // The keymap may have changed since the last edit.
        keys.loadFromServer(connection);
        if (auto* focus =
                xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr))
        {
            savedFocus = focus->focus;
            free(focus);
        }
        const uint32_t mask = kTextEventMask;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window,
                            lastEventTime ? lastEventTime : XCB_CURRENT_TIME);
    }
    else
    {
        // Keys go back to the host as soon as the edit ends.
        const uint32_t mask = kBaseEventMask;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
        if (savedFocus != XCB_NONE)
            xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, savedFocus,
                                lastEventTime ? lastEventTime : XCB_CURRENT_TIME);
        savedFocus = 0;
    }
    xcb_flush(connection);
}

bool X11Frame::readPixels(PixelImage& out)
{
    if (!connection || xcb_connection_has_error(connection)) return false;
    const int w = buffer.getWidth(), h = buffer.getHeight();
    xcb_get_image_reply_t* img =
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                          static_cast<uint16_t>(w), static_cast<uint16_t>(h), ~0u),
                            nullptr);
    if (!img) return false;
    const int length = xcb_get_image_data_length(img);
    const uint8_t* data = xcb_get_image_data(img);
    // 24-bit visuals arrive as 32 bits per pixel, little-endian, rows without padding.
    if (length < w * h * 4)
    {
        free(img);
        return false;
    }
    out.width = w;
    out.height = h;
    out.pixels.resize(static_cast<size_t>(w) * h);
    const auto stride = static_cast<size_t>(length / h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const uint8_t* p = data + y * stride + static_cast<size_t>(x) * 4;
            out.pixels[static_cast<size_t>(y) * w + x] = static_cast<uint32_t>(p[0]) |
                                                         (static_cast<uint32_t>(p[1]) << 8) |
                                                         (static_cast<uint32_t>(p[2]) << 16);
        }
    free(img);
    return true;
}

} // namespace VSTGUI
