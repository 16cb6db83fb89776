#include "keydecode.h"
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace VSTGUI
{

KeyDecoder::KeyDecoder() : context(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

KeyDecoder::~KeyDecoder()
{
    setKeymap(nullptr);
    if (context) xkb_context_unref(context);
}

void KeyDecoder::setKeymap(xkb_keymap* km)
{
    if (state) xkb_state_unref(state);
    if (keymap) xkb_keymap_unref(keymap);
    keymap = km;
    state = km ? xkb_state_new(km) : nullptr;
}

bool KeyDecoder::loadFromServer(xcb_connection_t* c)
{
    if (!context || !c) return false;
    if (!xkb_x11_setup_xkb_extension(
            c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return false;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(c);
    if (device < 0) return false;
    xkb_keymap* km =
        xkb_x11_keymap_new_from_device(context, c, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!km) return false;
    setKeymap(km);
    return state != nullptr;
}

bool KeyDecoder::loadFromNames(const char* layout)
{
    if (!context) return false;
    xkb_rule_names names{};
    names.layout = layout;
    xkb_keymap* km = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!km) return false;
    setKeymap(km);
    return state != nullptr;
}

bool KeyDecoder::decode(uint8_t keycode, uint16_t xState, VstKeyCode& out) const
{
    if (!state) return false;
    // Modifier bits and the layout group come from the event itself.
    xkb_state_update_mask(state, xState & 0xFF, 0, 0, 0, 0, (xState >> 13) & 3);
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(state, keycode);
    out = VstKeyCode{};
    if (xState & XCB_MOD_MASK_SHIFT) out.modifier |= MODIFIER_SHIFT;
    if (xState & XCB_MOD_MASK_CONTROL) out.modifier |= MODIFIER_CONTROL;
    if (xState & (XCB_MOD_MASK_1 | XCB_MOD_MASK_5)) out.modifier |= MODIFIER_ALTERNATE;

    struct Entry
    {
        xkb_keysym_t sym;
        unsigned char virt;
    };
    static constexpr Entry table[] = {
        {XKB_KEY_BackSpace, VKEY_BACK},   {XKB_KEY_Tab, VKEY_TAB},
        {XKB_KEY_ISO_Left_Tab, VKEY_TAB}, {XKB_KEY_Clear, VKEY_CLEAR},
        {XKB_KEY_Return, VKEY_RETURN},    {XKB_KEY_Pause, VKEY_PAUSE},
        {XKB_KEY_Escape, VKEY_ESCAPE},    {XKB_KEY_space, VKEY_SPACE},
        {XKB_KEY_End, VKEY_END},          {XKB_KEY_Home, VKEY_HOME},
        {XKB_KEY_Left, VKEY_LEFT},        {XKB_KEY_Up, VKEY_UP},
        {XKB_KEY_Right, VKEY_RIGHT},      {XKB_KEY_Down, VKEY_DOWN},
        {XKB_KEY_Page_Up, VKEY_PAGEUP},   {XKB_KEY_Page_Down, VKEY_PAGEDOWN},
        {XKB_KEY_Select, VKEY_SELECT},    {XKB_KEY_Print, VKEY_PRINT},
        {XKB_KEY_KP_Enter, VKEY_ENTER},   {XKB_KEY_Insert, VKEY_INSERT},
        {XKB_KEY_Delete, VKEY_DELETE},    {XKB_KEY_Help, VKEY_HELP},
        {XKB_KEY_Num_Lock, VKEY_NUMLOCK}, {XKB_KEY_Scroll_Lock, VKEY_SCROLL},
    };
    for (const Entry& e : table)
        if (e.sym == sym)
        {
            out.virt = e.virt;
            if (e.virt == VKEY_SPACE) out.character = ' ';
            return true;
        }
    if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F12)
    {
        out.virt = static_cast<unsigned char>(VKEY_F1 + (sym - XKB_KEY_F1));
        return true;
    }
    if (sym == XKB_KEY_Shift_L || sym == XKB_KEY_Shift_R || sym == XKB_KEY_Control_L ||
        sym == XKB_KEY_Control_R || sym == XKB_KEY_Alt_L || sym == XKB_KEY_Alt_R ||
        sym == XKB_KEY_ISO_Level3_Shift || sym == XKB_KEY_Super_L || sym == XKB_KEY_Super_R)
        return false;
    // With Ctrl held xkb gives a control character; the key's own symbol is what matters.
    const uint32_t c = (out.modifier & MODIFIER_CONTROL) ? xkb_keysym_to_utf32(sym)
                                                         : xkb_state_key_get_utf32(state, keycode);
    if (c < 0x20 || c == 0x7F) return false;
    out.character = static_cast<int32_t>(c);
    return true;
}

} // namespace VSTGUI
