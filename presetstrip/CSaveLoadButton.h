// The load and save buttons of the preset strip. They act when the mouse button goes down: a
// press with the right button alone asks for an "endian-reversed" load (value 0.5), any other
// press with the left or right button a plain one (value 1.0). The listener starts the file
// dialog during the press; the value is back at 0 afterwards, and the button shows its pressed
// image for as long as the listener says its dialog is open.
#pragma once

#include "presetstrip/HoverHighlight.h"

#include "cbuttons.h"

class CSaveLoadButton : public HoverHighlight<VSTGUI::CKickButton>
{
public:
    CSaveLoadButton(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int32_t tag,
                    VSTGUI::CCoord heightOfOneImage, VSTGUI::CBitmap* background,
                    const VSTGUI::CPoint& offset);

    // Images, stacked: normal, hovered, pressed (value not 0, or while its dialog is open).
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

    bool isHovered() const { return hoverPart != 0; }

    // While the dialog this button started is open, the button stays pressed.
    void setDialogOpen(bool open);

private:
    bool dialogOpen = false;
};
