// The three controls of the preset strip.
#include "presets/CPresetKickButton.h"
#include "presets/CPresetRockerSwitch.h"
#include "presets/CSaveLoadButton.h"

#include "cbitmap.h"

using namespace VSTGUI;

namespace
{
// Draws sub-image `image` of a vertically stacked bitmap, fully opaque, into the view's rectangle.
void drawSubImage(CBitmap* bitmap, CDrawContext* context, const CRect& size, const CPoint& offset,
                  CCoord heightOfOneImage, int image)
{
    if (bitmap)
        bitmap->draw(context, size, CPoint(offset.x, offset.y + image * heightOfOneImage), 1.f);
}
} // namespace

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, int32_t tag,
                                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset)
{
}

void CSaveLoadButton::draw(CDrawContext* context)
{
    const int image = value != 0.f ? 2 : hovered ? 1 : 0;
    drawSubImage(pBackground, context, size, offset, heightOfOneImage, image);
    setDirty(false);
}

CMouseEventResult CSaveLoadButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & (kLButton | kRButton)) || !listener) return kMouseEventNotHandled;
    // The right button alone, without any modifier, asks for the reversed byte order.
    value = buttons == CButtonState(kRButton) ? 0.5f : 1.f;
    // Held by the frame during the call: the dialog may run long and redraw in between.
    listener->valueChanged(this);
    value = 0.f;
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CSaveLoadButton::onMouseEntered(CPoint&, const CButtonState&)
{
    hovered = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CSaveLoadButton::onMouseExited(CPoint&, const CButtonState&)
{
    hovered = false;
    invalid();
    return kMouseEventHandled;
}

CPresetKickButton::CPresetKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                                     CCoord heightOfOneImage, CBitmap* background,
                                     const CPoint& offset, bool doubleClick)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset),
      needsDoubleClick(doubleClick)
{
}

void CPresetKickButton::draw(CDrawContext* context)
{
    const int image = pressed ? 2 : hovered ? 1 : 0;
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

CMouseEventResult CPresetKickButton::onMouseEntered(CPoint&, const CButtonState&)
{
    hovered = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPresetKickButton::onMouseExited(CPoint&, const CButtonState&)
{
    hovered = false;
    invalid();
    return kMouseEventHandled;
}

CPresetRockerSwitch::CPresetRockerSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                                         CCoord heightOfOneImage, CBitmap* background,
                                         const CPoint& offset, int32_t style)
    : CRockerSwitch(size, listener, tag, heightOfOneImage, background, offset, style)
{
}

// The centre line itself belongs to the right half.
int32_t CPresetRockerSwitch::sideOf(const CPoint& where) const
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
    else if (hoverSide != 0)
        image = hoverSide < 0 ? 1 : 2;
    drawSubImage(pBackground, context, size, CPoint(0, 0), heightOfOneImage, image);
    setDirty(false);
}

CMouseEventResult CPresetRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    value = static_cast<float>(sideOf(where));
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

CMouseEventResult CPresetRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (buttons & kLButton) return kMouseEventHandled;
    return onMouseEntered(where, buttons);
}

CMouseEventResult CPresetRockerSwitch::onMouseEntered(CPoint& where, const CButtonState&)
{
    hoverSide = sideOf(where);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPresetRockerSwitch::onMouseExited(CPoint&, const CButtonState&)
{
    hoverSide = 0;
    invalid();
    return kMouseEventHandled;
}
