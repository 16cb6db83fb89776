#pragma once
#include "cbaseobject.h"
#include "cbuttonstate.h"
#include "cgeometry.h"

namespace VSTGUI
{

class CBitmap;
class CDrawContext;
class CFrame;
class VSTGUIEditorInterface;

// A rectangle of the window that draws itself and may take mouse and key input. Its size and all
// mouse positions are in the parent's coordinates; views sit directly in the frame, so these
// are window pixels.
class CView : public CBaseObject
{
public:
    explicit CView(const CRect& size);
    CView(const CView& other);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(const CRect& updateRect) const { return updateRect.rectOverlap(size); }

    virtual void setDirty(bool state = true) { dirty = state; }
    virtual bool isDirty() const { return dirty; }
    // Clears the dirty flag and asks the frame to redraw the view's area.
    virtual void invalid();
    virtual void invalidRect(const CRect& rect);

    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    virtual bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                         const CButtonState& buttons);
    virtual int32_t onKeyDown(VstKeyCode& keyCode);
    virtual int32_t onKeyUp(VstKeyCode& keyCode);

    virtual bool hitTest(const CPoint& where, const CButtonState& buttons = -1);

    const CRect& getViewSize() const { return size; }
    CRect& getViewSize(CRect& r) const
    {
        r = size;
        return r;
    }
    // Moves or resizes the view (its mouseable area follows), redrawing both places.
    virtual void setViewSize(const CRect& rect, bool invalid = true)
    {
        if (invalid) this->invalid();
        size = rect;
        mouseableArea = rect;
        if (invalid) this->invalid();
    }
    const CRect& getMouseableArea() const { return mouseableArea; }
    CCoord getWidth() const { return size.getWidth(); }
    CCoord getHeight() const { return size.getHeight(); }

    bool isVisible() const { return visible; }
    virtual void setMouseEnabled(bool state = true) { mouseEnabled = state; }
    bool getMouseEnabled() const { return mouseEnabled; }
    virtual void setTransparency(bool state) { transparent = state; }
    bool getTransparency() const { return transparent; }
    void setWantsFocus(bool state) { focusWanted = state; }
    bool wantsFocus() const { return focusWanted; }
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    // Remembers the bitmap (and forgets the previous one); marks the view dirty.
    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return pBackground; }

    virtual bool attached(CView* parent);
    virtual bool removed(CView* parent);
    bool isAttached() const { return viewAttached; }
    CFrame* getFrame() const { return pParentFrame; }

    CLASS_METHODS(CView, CBaseObject)

protected:
    CRect size;
    CRect mouseableArea;
    CFrame* pParentFrame = nullptr;
    CView* pParentView = nullptr;
    CBitmap* pBackground = nullptr;
    bool dirty = false;
    bool visible = true;
    bool mouseEnabled = true;
    bool transparent = false;
    bool focusWanted = false;
    bool viewAttached = false;

    friend class CFrame;
};

} // namespace VSTGUI
