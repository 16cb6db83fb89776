#pragma once
#include "vstgui.h"

class CAbout;

// The about view: the about picture with the version text; a left click, Escape or Return
// closes it (it takes every other key while shown, too).
class CSplashScreenMyView : public CControl
{
public:
    CSplashScreenMyView(const CRect& size, CAbout* about, const CPoint& textPosition);
    CSplashScreenMyView(const CSplashScreenMyView& other);
    ~CSplashScreenMyView() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VSTGUI::VstKeyCode& key) override;

    CLASS_METHODS(CSplashScreenMyView, CControl)

private:
    friend class CAbout;
    void closeView();
    CAbout* about;
    CPoint textPosition;
};
