#include "x11windows.h"
#include <cstdlib>
#include <cstring>
#include <vector>

namespace VSTGUI
{

namespace
{
xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_atom_t result = XCB_ATOM_NONE;
    if (auto* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr))
    {
        result = r->atom;
        free(r);
    }
    return result;
}

// The 32-bit values of a property (empty when the window lacks it).
std::vector<uint32_t> property32(xcb_connection_t* c, xcb_window_t w, xcb_atom_t name,
                                 xcb_atom_t type, uint32_t maxValues)
{
    std::vector<uint32_t> values;
    if (name == XCB_ATOM_NONE) return values;
    auto* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, name, type, 0, maxValues), nullptr);
    if (!r) return values;
    if (r->format == 32)
    {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
        values.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    free(r);
    return values;
}

bool hasProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t name)
{
    if (name == XCB_ATOM_NONE) return false;
    auto* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, name, XCB_ATOM_ANY, 0, 0), nullptr);
    const bool has = r && r->type != XCB_ATOM_NONE;
    free(r);
    return has;
}
} // namespace

xcb_window_t topLevelWindowOf(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    xcb_window_t outermost = window;
    xcb_window_t current = window;
    // Depth limit: a window hierarchy is never this deep, a broken server reply could loop.
    for (int depth = 0; depth < 64; ++depth)
    {
        auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr);
        if (!tree) break;
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        free(tree);
        if (parent == XCB_NONE || parent == root) break;
        current = parent;
        if (hasProperty(c, current, wmState)) return current;
        outermost = current;
    }
    return outermost;
}

bool raiseWindowsOfProcess(uint32_t pid)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
    {
        xcb_disconnect(c);
        return false;
    }
    const xcb_atom_t wmPid = atom(c, "_NET_WM_PID");
    const xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t activeWindow = atom(c, "_NET_ACTIVE_WINDOW");
    bool found = false;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
    {
        const xcb_window_t root = it.data->root;
        // A window manager lists the windows it handles (shown or minimised); without one the
        // top-level windows are the root's children, of which only the shown ones count (a
        // toolkit keeps hidden helper windows there too).
        std::vector<uint32_t> windows = property32(c, root, clientList, XCB_ATOM_WINDOW, 4096);
        const bool managed = !windows.empty();
        if (!managed)
            if (auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr))
            {
                const xcb_window_t* kids = xcb_query_tree_children(tree);
                windows.assign(kids, kids + xcb_query_tree_children_length(tree));
                free(tree);
            }
        for (const xcb_window_t w : windows)
        {
            const std::vector<uint32_t> owner = property32(c, w, wmPid, XCB_ATOM_CARDINAL, 1);
            if (owner.empty() || owner[0] != pid) continue;
            if (!managed)
            {
                auto* attributes =
                    xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
                const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
                free(attributes);
                if (!shown) continue;
            }
            found = true;
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            if (activeWindow == XCB_ATOM_NONE) continue;
            // The request a pager sends (source 2): window managers honour it even while they
            // guard against programs that take the focus on their own.
            xcb_client_message_event_t message{};
            message.response_type = XCB_CLIENT_MESSAGE;
            message.format = 32;
            message.window = w;
            message.type = activeWindow;
            message.data.data32[0] = 2;
            message.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(c, 0, root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT |
                               XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&message));
        }
    }
    // One round trip: the requests have reached the server before the connection closes.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
    return found;
}

} // namespace VSTGUI
