#include "cbuttons.h"
#include "cbitmap.h"
#include "cdrawcontext.h"

namespace VSTGUI
{

// The style is accepted for source compatibility; this button has no style variants.
COnOffButton::COnOffButton(const CRect& size, CControlListener* l, int32_t tag, CBitmap* background,
                           int32_t /*style*/)
    : CControl(size, l, tag, background)
{
    setWantsFocus(true);
}

void COnOffButton::draw(CDrawContext* context)
{
    if (pBackground)
    {
        const CCoord off = value == getMax() ? pBackground->getHeight() / 2 : 0;
        pBackground->draw(context, size, CPoint(0, off));
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    value = value == getMax() ? getMin() : getMax();
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

int32_t COnOffButton::onKeyDown(VstKeyCode& key)
{
    if (key.modifier != 0 || (key.virt != VKEY_RETURN && key.virt != VKEY_ENTER)) return -1;
    value = value == getMax() ? getMin() : getMax();
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return 1;
}

CKickButton::CKickButton(const CRect& size, CControlListener* l, int32_t tag, CBitmap* background,
                         const CPoint& off)
    : CControl(size, l, tag, background), offset(off)
{
    heightOfOneImage = size.getHeight();
    setWantsFocus(true);
}

CKickButton::CKickButton(const CRect& size, CControlListener* l, int32_t tag, CCoord imageHeight,
                         CBitmap* background, const CPoint& off)
    : CControl(size, l, tag, background), offset(off)
{
    heightOfOneImage = imageHeight;
    setWantsFocus(true);
}

void CKickButton::draw(CDrawContext* context)
{
    CPoint where(offset);
    if (value == getMax()) where.y += heightOfOneImage;
    if (pBackground) pBackground->draw(context, size, where);
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!isEditing()) return kMouseEventNotHandled;
    if (buttons.isLeftButton())
    {
        // Edges count as inside here.
        const bool inside = where.x >= size.left && where.y >= size.top && where.x <= size.right &&
                            where.y <= size.bottom;
        value = inside ? getMax() : getMin();
        if (isDirty()) invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&)
{
    if (!isEditing()) return kMouseEventNotHandled;
    if (value > 0) valueChanged();
    value = getMin();
    valueChanged();
    if (isDirty()) invalid();
    endEdit();
    return kMouseEventHandled;
}

int32_t CKickButton::onKeyDown(VstKeyCode& key)
{
    if (key.modifier != 0 || (key.virt != VKEY_RETURN && key.virt != VKEY_ENTER)) return -1;
    beginEdit();
    value = getMax();
    invalid();
    valueChanged();
    return 1;
}

int32_t CKickButton::onKeyUp(VstKeyCode& key)
{
    if (key.modifier != 0 || (key.virt != VKEY_RETURN && key.virt != VKEY_ENTER) || !isEditing())
        return -1;
    value = getMin();
    invalid();
    valueChanged();
    endEdit();
    return 1;
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* l, int32_t tag,
                             CBitmap* background, const CPoint& off, int32_t s)
    : CRockerSwitch(size, l, tag, size.getHeight(), background, off, s)
{
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* l, int32_t tag,
                             CCoord imageHeight, CBitmap* background, const CPoint& off, int32_t s)
    : CControl(size, l, tag, background), offset(off), style(s)
{
    heightOfOneImage = imageHeight;
    vmin = -1.f;
    vmax = 1.f;
    value = 0.f;
    setWantsFocus(true);
}

void CRockerSwitch::draw(CDrawContext* context)
{
    CPoint where(offset);
    if (value == getMax())
        where.y += 2 * heightOfOneImage;
    else if (value == (getMax() + getMin()) / 2.f)
        where.y += heightOfOneImage;
    if (pBackground) pBackground->draw(context, size, where);
    setDirty(false);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    startValue = value;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!isEditing() || !buttons.isLeftButton()) return kMouseEventHandled;
    // Bounds inclusive; the mid-line belongs to the first half.
    const bool inside = where.x >= size.left && where.y >= size.top && where.x <= size.right &&
                        where.y <= size.bottom;
    if (!inside)
        value = startValue;
    else if (style & kHorizontal)
        value = where.x <= size.left + size.getWidth() / 2 ? getMin() : getMax();
    else
        value = where.y <= size.top + size.getHeight() / 2 ? getMin() : getMax();
    if (isDirty())
    {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    if (!isEditing()) return kMouseEventNotHandled;
    // Back to rest without telling the listener: it only ever hears min or max from the mouse.
    value = (getMax() + getMin()) / 2.f;
    if (isDirty()) invalid();
    endEdit();
    return kMouseEventHandled;
}

} // namespace VSTGUI
