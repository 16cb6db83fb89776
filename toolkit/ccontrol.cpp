#include "ccontrol.h"
#include "cframe.h"
#include <algorithm>

namespace VSTGUI
{

CControl::CControl(const CRect& size, CControlListener* l, int32_t t, CBitmap* background)
    : CView(size), listener(l), tag(t)
{
    setTransparency(false);
    setMouseEnabled(true);
    if (background) setBackground(background);
}

CControl::CControl(const CControl& o)
    : CView(o), listener(o.listener), tag(o.tag), value(o.value), vmin(o.vmin), vmax(o.vmax),
      defaultValue(o.defaultValue), oldValue(o.oldValue), wheelInc(o.wheelInc),
      backOffset(o.backOffset)
{
}

CControl::~CControl() = default;

void CControl::setValue(float val)
{
    value = std::clamp(val, getMin(), getMax());
}

void CControl::setValueNormalized(float val)
{
    val = std::clamp(val, 0.f, 1.f);
    setValue(getMin() + val * getRange());
}

float CControl::getValueNormalized() const
{
    const float range = getRange();
    return range == 0.f ? 0.f : (value - getMin()) / range;
}

void CControl::setMax(float val)
{
    vmax = val;
    bounceValue();
}

void CControl::bounceValue()
{
    if (value > getMax())
        value = getMax();
    else if (value < getMin())
        value = getMin();
}

void CControl::valueChanged()
{
    if (listener) listener->valueChanged(this);
}

void CControl::beginEdit()
{
    if (++editing != 1) return;
    if (listener) listener->controlBeginEdit(this);
    if (pParentFrame) pParentFrame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (editing == 0) return;
    if (--editing != 0) return;
    if (pParentFrame) pParentFrame->endEdit(tag);
    if (listener) listener->controlEndEdit(this);
}

void CControl::setDirty(bool val)
{
    CView::setDirty(val);
    if (val)
        oldValue = value == -1.f ? 0.f : -1.f;
    else
        oldValue = value;
}

bool CControl::isDirty() const
{
    return CView::isDirty() || oldValue != value;
}

bool CControl::checkDefaultValue(CButtonState button)
{
    if (!button.isLeftButton() || button.getModifierState() != kDefaultValueModifier) return false;
    if (getDefaultValue() != getValue())
    {
        beginEdit();
        setValue(getDefaultValue());
        valueChanged();
        invalid();
        endEdit();
    }
    return true;
}

} // namespace VSTGUI
