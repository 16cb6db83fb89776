#include "presetstrip/CSaveLoadButton.h"

#include "presetstrip/SubImage.h"

using namespace VSTGUI;

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, int32_t tag,
                                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : HoverHighlight(size, listener, tag, heightOfOneImage, background, offset)
{
}

void CSaveLoadButton::draw(CDrawContext* context)
{
    const int image = value != 0.f || dialogOpen ? 2 : isHovered() ? 1 : 0;
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

void CSaveLoadButton::setDialogOpen(bool open)
{
    if (open == dialogOpen) return;
    dialogOpen = open;
    invalid();
}
