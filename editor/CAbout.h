#pragma once
// The about screen: CAbout is an invisible hot spot whose left click shows the about view
// (picture and version text) as the frame's modal view; a left click on the view closes it.
#include "vstgui.h"

class CSplashScreenMyView;

class CAbout : public CSplashScreen
{
public:
    CAbout(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
           const CRect& toDisplay, const CPoint& offset, const CPoint& textPosition);
    CAbout(const CAbout& other);
    ~CAbout() override;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool removed(CView* parent) override;

    const CRect& getDisplayArea() const { return toDisplay; }
    CBitmap* getAboutBitmap() const { return pBackground; }

private:
    friend class CSplashScreenMyView;
    // Releases a view that is still shown, taking it out of the frame first.
    void releaseShownView();

    CPoint textPosition;
    CSplashScreenMyView* shownView = nullptr;
};
