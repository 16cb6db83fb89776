#include "cknob.h"
#include "cbitmap.h"
#include "cdrawcontext.h"
#include "cframe.h"
#include <algorithm>
#include <cmath>
#include <numbers>

namespace VSTGUI
{

namespace
{
constexpr float kPi = std::numbers::pi_v<float>;
// Pixels of straight drag for the full range.
constexpr float kLinearRange = 200.f;
} // namespace

CKnob::CKnob(const CRect& size, CControlListener* l, int32_t tag, CBitmap* background,
             CBitmap* handle, const CPoint& off)
    : CControl(size, l, tag, background), offset(off), startAngle(3.f * kPi / 4.f),
      rangeAngle(3.f * kPi / 2.f)
{
    setWantsFocus(true);
    setHandleBitmap(handle);
}

CKnob::CKnob(const CKnob& o)
    : CControl(o), offset(o.offset), pHandle(o.pHandle), colorHandle(o.colorHandle),
      colorShadowHandle(o.colorShadowHandle), inset(o.inset), startAngle(o.startAngle),
      rangeAngle(o.rangeAngle), zoomFactor(o.zoomFactor)
{
    if (pHandle) pHandle->remember();
}

CKnob::~CKnob()
{
    if (pHandle) pHandle->forget();
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (bitmap) bitmap->remember();
    if (pHandle) pHandle->forget();
    pHandle = bitmap;
    inset = pHandle ? pHandle->getWidth() / 2.0 + 2.5 : 3;
    setDirty(true);
}

void CKnob::valueToPoint(CPoint& point) const
{
    const float range = getMax() - getMin();
    const float n = range == 0.f ? 0.f : (value - getMin()) / range;
    const double a = startAngle + n * rangeAngle;
    const double cx = getWidth() / 2, cy = getHeight() / 2;
    const double rx = cx - inset, ry = cy - inset;
    point.x = cx + std::cos(a) * rx + 0.5;
    point.y = cy + std::sin(a) * ry + 0.5;
}

float CKnob::valueFromPoint(CPoint& point) const
{
    const double cx = getWidth() / 2, cy = getHeight() / 2;
    const double rx = std::max(1.0, cx - inset), ry = std::max(1.0, cy - inset);
    double a = std::atan2((point.y - cy) / ry, (point.x - cx) / rx);
    // Angle travelled clockwise from the start of the sweep, 0 .. 2 pi.
    double t = std::fmod(a - startAngle, 2.0 * std::numbers::pi);
    if (t < 0) t += 2.0 * std::numbers::pi;
    float n;
    if (t <= rangeAngle)
        n = static_cast<float>(t / rangeAngle);
    else
    {
        // In the dead gap: the half next to the end of the sweep snaps to max, the other to min.
        const double gap = 2.0 * std::numbers::pi - rangeAngle;
        n = (t - rangeAngle) < gap / 2 ? 1.f : 0.f;
    }
    return getMin() + n * (getMax() - getMin());
}

void CKnob::draw(CDrawContext* context)
{
    if (pBackground) pBackground->draw(context, size, offset);
    drawHandle(context);
    setDirty(false);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint p;
    valueToPoint(p);
    if (pHandle)
    {
        const CCoord w = pHandle->getWidth(), h = pHandle->getHeight();
        const CCoord x = std::floor(size.left + p.x - w / 2);
        const CCoord y = std::floor(size.top + p.y - h / 2);
        pHandle->draw(context, CRect(x, y, x + w, y + h));
        return;
    }
    const CPoint c(size.left + getWidth() / 2, size.top + getHeight() / 2);
    const CPoint hp(size.left + p.x, size.top + p.y);
    context->saveGlobalState();
    context->setDrawMode(kAntiAliasing);
    context->setLineCap(kLineCapRound);
    context->setLineWidth(1);
    context->setFrameColor(colorShadowHandle);
    context->drawLine(CPoint(hp.x - 1, hp.y), CPoint(c.x - 1, c.y));
    context->setFrameColor(colorHandle);
    context->drawLine(CPoint(hp.x, hp.y - 1), CPoint(c.x, c.y - 1));
    context->restoreGlobalState();
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    if (checkDefaultValue(buttons))
    {
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    firstPoint = where;
    lastPoint = CPoint(-1, -1);
    startValue = getValue();
    entryValue = getValue();
    oldButton = buttons;

    const int32_t mode = pParentFrame ? pParentFrame->getKnobMode() : CFrame::kDefaultKnobMode;
    // Alt swaps the frame's mode for this drag.
    modeLinear = (mode == kLinearMode) != ((buttons & kAlt) != 0);
    range = kLinearRange;
    if (buttons & kZoomModifier) range *= zoomFactor;
    coef = (getMax() - getMin()) / range;
    return onMouseMoved(where, buttons) == kMouseEventNotHandled ? kMouseEventNotHandled
                                                                 : kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!isEditing()) return kMouseEventNotHandled;
    if (where == lastPoint && !modeLinear) return kMouseEventHandled;
    const bool firstCall = lastPoint == CPoint(-1, -1);
    lastPoint = where;
    if (modeLinear)
    {
        // Shift pressed or released mid-drag: rebase so that the value does not jump.
        if ((buttons & kZoomModifier) != (oldButton & kZoomModifier))
        {
            range = kLinearRange;
            if (buttons & kZoomModifier) range *= zoomFactor;
            const float pixels =
                static_cast<float>((firstPoint.y - where.y) + (where.x - firstPoint.x));
            entryValue = getValue() - pixels * (getMax() - getMin()) / range;
            coef = (getMax() - getMin()) / range;
            oldButton = buttons;
        }
        const float pixels =
            static_cast<float>((firstPoint.y - where.y) + (where.x - firstPoint.x));
        value = std::clamp(entryValue + pixels * coef, getMin(), getMax());
    }
    else
    {
        // The press itself does not move a circular knob; the value follows from the first move.
        if (firstCall) return kMouseEventHandled;
        CPoint rel(where.x - size.left, where.y - size.top);
        float v = valueFromPoint(rel);
        // No wrapping from one end to the other: a jump of more than half the range pins.
        const float half = (getMax() - getMin()) / 2.f;
        if (v - value > half)
            v = getMin();
        else if (value - v > half)
            v = getMax();
        value = v;
    }
    if (value != oldValue) valueChanged();
    if (isDirty()) invalid();
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&)
{
    if (!isEditing()) return kMouseEventNotHandled;
    endEdit();
    return kMouseEventHandled;
}

bool CKnob::onWheel(const CPoint&, const CMouseWheelAxis&, const float& distance,
                    const CButtonState& buttons)
{
    const float before = value;
    float v = getValueNormalized();
    v += distance * wheelInc * ((buttons & kZoomModifier) ? 0.1f : 1.f);
    setValueNormalized(v);
    if (isDirty())
    {
        invalid();
        // A notch is a whole gesture, as a drag is: hosts record automation only between a
        // begin and an end.
        const bool changed = value != before;
        if (changed) beginEdit();
        valueChanged();
        if (changed) endEdit();
    }
    return true;
}

} // namespace VSTGUI
