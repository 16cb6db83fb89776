#pragma once
#include "cview.h"
#include <vector>

namespace VSTGUI
{

class CControl;

// Receives the value changes and edit gestures of controls.
class CControlListener
{
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // Asked before a control sees a press with a modifier or the right button; non-zero
    // consumes the press.
    virtual int32_t controlModifierClicked(CControl* /*control*/, CButtonState /*button*/)
    {
        return 0;
    }
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};

// Style bits shared by all controls.
enum CControlEnum : int32_t
{
    kHorizontal = 1 << 0,
    kVertical = 1 << 1,
    kShadowText = 1 << 2,
    kLeft = 1 << 3,
    kRight = 1 << 4,
    kTop = 1 << 5,
    kBottom = 1 << 6,
    k3DIn = 1 << 7,
    k3DOut = 1 << 8,
    kPopupStyle = 1 << 9,
    kCheckStyle = 1 << 10,
    kMultipleCheckStyle = kCheckStyle + 1,
    kNoTextStyle = 1 << 11,
    kNoDrawStyle = 1 << 12,
    kDoubleClickStyle = 1 << 13,
    kNoFrame = 1 << 14,
    kRoundRectStyle = 1 << 15
};

// A view with a value in [min, max], a tag and a listener.
class CControl : public CView
{
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
             CBitmap* background = nullptr);
    CControl(const CControl& other);
    ~CControl() override;

    virtual void setValue(float val);
    virtual float getValue() const { return value; }
    virtual void setValueNormalized(float val);
    virtual float getValueNormalized() const;
    virtual float getMin() const { return vmin; }
    virtual void setMax(float val);
    virtual float getMax() const { return vmax; }
    float getRange() const { return getMax() - getMin(); }
    virtual void setDefaultValue(float val) { defaultValue = val; }
    float getDefaultValue() const { return defaultValue; }
    virtual void bounceValue();

    int32_t getTag() const { return tag; }
    CControlListener* getListener() const { return listener; }

    // Tells the listener; does not redraw.
    virtual void valueChanged();

    // Edit gesture: the first begin and the last end reach the listener and the editor.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editing > 0; }

    // Dirty means "value changed since it was last drawn or invalidated", or flagged.
    void setDirty(bool val = true) override;
    bool isDirty() const override;

    void setBackOffset(const CPoint& offset) { backOffset = offset; }

    // Ctrl + left click: apply the default value as one gesture. True when it was such a click.
    virtual bool checkDefaultValue(CButtonState button);

    static constexpr int32_t kZoomModifier = kShift;
    static constexpr int32_t kDefaultValueModifier = kControl;

    CLASS_METHODS_NOCOPY(CControl, CView)

protected:
    CControlListener* listener;
    int32_t tag;
    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float defaultValue = 0.5f;
    float oldValue = 1.f;
    float wheelInc = 0.1f;
    int32_t editing = 0;
    CPoint backOffset;
};

// Controls whose bitmap stacks several images vertically: image n starts at n * heightOfOneImage.
class IMultiBitmapControl
{
public:
    virtual ~IMultiBitmapControl() = default;
    virtual CCoord getHeightOfOneImage() const { return heightOfOneImage; }

protected:
    CCoord heightOfOneImage = 0;
};

} // namespace VSTGUI
