#pragma once
#include "ccolor.h"
#include "ccontrol.h"

namespace VSTGUI
{

enum : int32_t
{
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2
};

// A rotary control: the background shows the knob, a handle (bitmap or drawn line) shows the
// value on a 270 degree arc from lower left (min) clockwise to lower right (max).
class CKnob : public CControl
{
public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
          CBitmap* handle, const CPoint& offset = CPoint(0, 0));
    CKnob(const CKnob& other);
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;

    void setHandleBitmap(CBitmap* bitmap);

    // Handle position for the current value, relative to the view's top-left corner.
    void valueToPoint(CPoint& point) const;
    // Value for a point relative to the view's top-left corner (circular mode).
    float valueFromPoint(CPoint& point) const;

    CLASS_METHODS(CKnob, CControl)

protected:
    void drawHandle(CDrawContext* context);

    CPoint offset;
    CBitmap* pHandle = nullptr;
    CColor colorHandle = kWhiteCColor;
    CColor colorShadowHandle = kGreyCColor;
    CCoord inset = 3;
    float startAngle;
    float rangeAngle;
    float zoomFactor = 1.5f;

private:
    // Drag state
    CPoint firstPoint;
    CPoint lastPoint;
    float startValue = 0;
    float entryValue = 0;
    float range = 0;
    float coef = 0;
    CButtonState oldButton;
    bool modeLinear = false;
};

} // namespace VSTGUI
