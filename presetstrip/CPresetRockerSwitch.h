// The previous/next program rocker of the preset strip. A left press on its left half reports
// -1, at or right of the centre +1, once per press; holding and moving the mouse does nothing
// more, and the release tells nobody. The half under the mouse is highlighted.
#pragma once

#include "presetstrip/HoverHighlight.h"

#include "cbuttons.h"

class CPresetRockerSwitch : public HoverHighlight<VSTGUI::CRockerSwitch>
{
public:
    CPresetRockerSwitch(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener, int32_t tag,
                        VSTGUI::CCoord heightOfOneImage, VSTGUI::CBitmap* background,
                        const VSTGUI::CPoint& offset, int32_t style);

    // Images, stacked: normal, hover left, hover right, pressed left (-1), pressed right (+1).
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

    // -1 over the left half, +1 over the right half, 0 not over the control.
    int32_t getHoverSide() const { return hoverPart; }

protected:
    // The centre line itself belongs to the right half.
    int32_t partAt(const VSTGUI::CPoint& where) const override;
};
