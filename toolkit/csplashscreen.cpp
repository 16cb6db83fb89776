#include "csplashscreen.h"
#include "cbitmap.h"
#include "cframe.h"

namespace VSTGUI
{

namespace
{
// The view shown by default: the splash bitmap over toDisplay; a left click reports to the
// splash screen.
class CDefaultSplashScreenView : public CControl
{
public:
    CDefaultSplashScreenView(const CRect& size, CControlListener* l, CBitmap* background,
                             const CPoint& off)
        : CControl(size, l, 0, background), offset(off)
    {
    }
    void draw(CDrawContext* context) override
    {
        if (pBackground) pBackground->draw(context, size, offset);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState& buttons) override
    {
        if (!buttons.isLeftButton()) return kMouseEventNotHandled;
        valueChanged();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    CLASS_METHODS(CDefaultSplashScreenView, CControl)

private:
    CPoint offset;
};
} // namespace

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* l, int32_t tag,
                             CBitmap* background, const CRect& display, const CPoint& off)
    : CControl(size, l, tag, background), toDisplay(display), offset(off)
{
    modalView = new CDefaultSplashScreenView(toDisplay, this, background, offset);
}

CSplashScreen::CSplashScreen(const CSplashScreen& o)
    : CControl(o), CControlListener(o), toDisplay(o.toDisplay), offset(o.offset)
{
    modalView = new CDefaultSplashScreenView(toDisplay, this, pBackground, offset);
}

CSplashScreen::~CSplashScreen()
{
    if (modalView) modalView->forget();
}

void CSplashScreen::draw(CDrawContext*)
{
    setDirty(false);
}

bool CSplashScreen::hitTest(const CPoint& where, const CButtonState& buttons)
{
    return (buttons == -1 || (buttons & kLButton)) && CControl::hitTest(where, buttons);
}

CMouseEventResult CSplashScreen::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    value = value == getMax() ? getMin() : getMax();
    if (value == getMax() && modalView && pParentFrame && pParentFrame->setModalView(modalView))
        CControl::valueChanged();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CSplashScreen::unSplash()
{
    value = getMin();
    if (pParentFrame && modalView && pParentFrame->getModalView() == modalView)
    {
        modalView->invalid();
        pParentFrame->setModalView(nullptr);
    }
}

void CSplashScreen::valueChanged(CControl*)
{
    unSplash();
    CControl::valueChanged();
}

} // namespace VSTGUI
