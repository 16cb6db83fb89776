#include "presetstrip/CPresetRockerSwitch.h"

#include "presetstrip/SubImage.h"

using namespace VSTGUI;

CPresetRockerSwitch::CPresetRockerSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                                         CCoord heightOfOneImage, CBitmap* background,
                                         const CPoint& offset, int32_t style)
    : HoverHighlight(size, listener, tag, heightOfOneImage, background, offset, style)
{
}

int32_t CPresetRockerSwitch::partAt(const CPoint& where) const
{
    const CCoord centre = (size.left + size.right) / 2;
    return where.x < centre ? -1 : 1;
}

void CPresetRockerSwitch::draw(CDrawContext* context)
{
    int image = 0;
    if (value == -1.f)
        image = 3;
    else if (value == 1.f)
        image = 4;
    else if (hoverPart != 0)
        image = hoverPart < 0 ? 1 : 2;
    drawSubImage(pBackground, context, size, CPoint(0, 0), heightOfOneImage, image);
    setDirty(false);
}

CMouseEventResult CPresetRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    value = static_cast<float>(partAt(where));
    invalid();
    // One program step per press, at the press.
    if (listener) listener->valueChanged(this);
    return kMouseEventHandled;
}

CMouseEventResult CPresetRockerSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    value = 0.f;
    invalid();
    return kMouseEventHandled;
}

// Moving over the rocker without a button held moves the highlight between its halves.
CMouseEventResult CPresetRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (buttons & kLButton) return kMouseEventHandled;
    return onMouseEntered(where, buttons);
}
