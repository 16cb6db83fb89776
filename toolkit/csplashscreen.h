#pragma once
#include "ccontrol.h"

namespace VSTGUI
{

// An invisible hot spot: a left click shows a view as the frame's modal view, a click on that
// view hides it again.
class CSplashScreen : public CControl, public CControlListener
{
public:
    CSplashScreen(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                  const CRect& toDisplay, const CPoint& offset = CPoint(0, 0));
    CSplashScreen(const CSplashScreen& other);
    ~CSplashScreen() override;

    void draw(CDrawContext* context) override;
    bool hitTest(const CPoint& where, const CButtonState& buttons = -1) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    virtual void unSplash();
    // The default view's click.
    void valueChanged(CControl* control) override;
    using CControl::valueChanged;

    CLASS_METHODS(CSplashScreen, CControl)

protected:
    CView* modalView = nullptr;
    CRect toDisplay;
    CPoint offset;
};

} // namespace VSTGUI
