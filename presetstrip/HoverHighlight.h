// Mouse behaviour shared by the strip's controls: each shows a highlighted image while the mouse
// is over it (the rocker: over one of its halves) and redraws when the mouse comes or goes. They
// act on the mouse alone: they never take the keyboard focus and use no key, so a key a host
// forwards (Return, Enter, Space) can neither store, clear nor open anything and goes back to
// the host unused.
#pragma once

#include "ccontrol.h"

#include <utility>

template <class Control> class HoverHighlight : public Control
{
public:
    template <class... Args>
    explicit HoverHighlight(Args&&... args) : Control(std::forward<Args>(args)...)
    {
        this->setWantsFocus(false);
    }

    VSTGUI::CMouseEventResult onMouseEntered(VSTGUI::CPoint& where,
                                             const VSTGUI::CButtonState&) override
    {
        showHover(partAt(where));
        return VSTGUI::kMouseEventHandled;
    }
    VSTGUI::CMouseEventResult onMouseExited(VSTGUI::CPoint&, const VSTGUI::CButtonState&) override
    {
        showHover(0);
        return VSTGUI::kMouseEventHandled;
    }
    int32_t onKeyDown(VSTGUI::VstKeyCode&) override { return -1; }
    int32_t onKeyUp(VSTGUI::VstKeyCode&) override { return -1; }

protected:
    // The part of the control under `where` (not 0); a plain button is one part.
    virtual int32_t partAt(const VSTGUI::CPoint&) const { return 1; }
    void showHover(int32_t part)
    {
        hoverPart = part;
        this->invalid();
    }

    // The part under the mouse, 0 when the mouse is elsewhere.
    int32_t hoverPart = 0;
};
