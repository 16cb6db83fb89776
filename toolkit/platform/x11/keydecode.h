#pragma once
// X key events to the toolkit's key codes, through xkbcommon. Each event is decoded with its own
// modifier state, so late-handled batches decode correctly without tracking state changes.
#include "../../cbuttonstate.h"
#include <cstdint>
#include <xcb/xcb.h>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace VSTGUI
{

class KeyDecoder
{
public:
    KeyDecoder();
    ~KeyDecoder();
    KeyDecoder(const KeyDecoder&) = delete;
    KeyDecoder& operator=(const KeyDecoder&) = delete;

    // Keymap of the server's core keyboard.
    bool loadFromServer(xcb_connection_t* connection);
    // Keymap compiled from the rules on disk (tests without a server), e.g. "us", "de".
    bool loadFromNames(const char* layout);

    // False for keys that mean nothing to the toolkit (lone modifiers, unknown keys).
    bool decode(uint8_t keycode, uint16_t xState, VstKeyCode& out) const;

private:
    void setKeymap(xkb_keymap* keymap);
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
};

} // namespace VSTGUI
