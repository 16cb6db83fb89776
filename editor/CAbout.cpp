#include "CAbout.h"
#include "CSplashScreenMyView.h"

CAbout::CAbout(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
               const CRect& toDisplay, const CPoint& offset, const CPoint& position)
    : CSplashScreen(size, listener, tag, background, toDisplay, offset), textPosition(position)
{
}

CAbout::CAbout(const CAbout& o) : CSplashScreen(o), textPosition(o.textPosition) {}

CAbout::~CAbout()
{
    releaseShownView();
}

CMouseEventResult CAbout::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    value = value == 0.f ? 1.f : 0.f;
    if (value == 0.f) return kMouseEventHandled;
    auto* view = new CSplashScreenMyView(toDisplay, this, textPosition);
    if (pParentFrame && pParentFrame->setModalView(view))
        shownView = view;
    else
        view->forget(); // nowhere to show it
    invalid();
    return kMouseEventHandled;
}

bool CAbout::removed(CView* parent)
{
    // The window is closing (or the hot spot is taken out) while the about view is shown: the
    // frame hands the view back without releasing it, so it is released here.
    releaseShownView();
    return CSplashScreen::removed(parent);
}

void CAbout::releaseShownView()
{
    CSplashScreenMyView* view = shownView;
    if (!view) return;
    shownView = nullptr;
    view->about = nullptr;
    if (pParentFrame && pParentFrame->getModalView() == view) pParentFrame->setModalView(nullptr);
    view->forget();
}
