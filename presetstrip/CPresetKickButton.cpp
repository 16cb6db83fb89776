#include "presetstrip/CPresetKickButton.h"

#include "presetstrip/SubImage.h"

using namespace VSTGUI;

CPresetKickButton::CPresetKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                                     CCoord heightOfOneImage, CBitmap* background,
                                     const CPoint& offset, bool doubleClick)
    : HoverHighlight(size, listener, tag, heightOfOneImage, background, offset),
      needsDoubleClick(doubleClick)
{
}

void CPresetKickButton::draw(CDrawContext* context)
{
    const int image = pressed ? 2 : isHovered() ? 1 : 0;
    drawSubImage(pBackground, context, size, offset, heightOfOneImage, image);
    setDirty(false);
}

CMouseEventResult CPresetKickButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    // Presses that do not count are swallowed, so that nothing behind the button reacts.
    if (!(buttons & kLButton)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (needsDoubleClick && !(buttons & kDoubleClick))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    pressed = true;
    value = needsDoubleClick && (buttons & kControl) ? 0.5f : 1.f;
    if (listener) listener->valueChanged(this);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPresetKickButton::onMouseUp(CPoint&, const CButtonState&)
{
    value = 0.f;
    pressed = false;
    invalid();
    return kMouseEventHandled;
}
