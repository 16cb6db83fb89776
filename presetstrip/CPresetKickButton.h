// The default and memory buttons of the preset strip. A memory button acts on a left press; a
// default button only on a left double-click, and a Ctrl + double-click (value 0.5) asks to
// clear the default instead of storing it (value 1.0). Releasing the mouse tells nobody.
#pragma once

#include "presetstrip/HoverHighlight.h"

#include "cbuttons.h"

class CPresetKickButton : public HoverHighlight<VSTGUI::CKickButton>
{
public:
    CPresetKickButton(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int32_t tag,
                      VSTGUI::CCoord heightOfOneImage, VSTGUI::CBitmap* background,
                      const VSTGUI::CPoint& offset, bool needsDoubleClick);

    // Images, stacked: normal, hovered, pressed.
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

    bool isHovered() const { return hoverPart != 0; }
    bool isPressed() const { return pressed; }

protected:
    bool needsDoubleClick;
    bool pressed = false;
};
