#include "CSplashScreenMyView.h"
#include "CAbout.h"

#include "OrvVersion.h"

CSplashScreenMyView::CSplashScreenMyView(const CRect& size, CAbout* a, const CPoint& position)
    : CControl(size, nullptr, 0, a ? a->getAboutBitmap() : nullptr), about(a),
      textPosition(position)
{
}

CSplashScreenMyView::CSplashScreenMyView(const CSplashScreenMyView& o)
    : CControl(o), about(o.about), textPosition(o.textPosition)
{
}

CSplashScreenMyView::~CSplashScreenMyView()
{
    if (about && about->shownView == this) about->shownView = nullptr;
}

void CSplashScreenMyView::draw(CDrawContext* context)
{
    if (pBackground) pBackground->draw(context, size, CPoint(0, 0), 1.0f);
    context->setFontColor(kBlackCColor);
    context->setFont(kNormalFontVerySmall);
    const CRect textRect(size.left + textPosition.x, size.top + textPosition.y,
                         size.left + textPosition.x + 100, size.top + textPosition.y + 15);
    context->drawString("v." ORV_VERSION_TEXT, textRect, kLeftText, true);
    setDirty(false);
}

CMouseEventResult CSplashScreenMyView::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    closeView();
    return kMouseEventHandled;
}

int32_t CSplashScreenMyView::onKeyDown(VSTGUI::VstKeyCode& key)
{
    if (key.virt == VKEY_ESCAPE || key.virt == VKEY_RETURN || key.virt == VKEY_ENTER)
    {
        CBaseObjectGuard guard(this);
        closeView();
    }
    return 1;
}

void CSplashScreenMyView::closeView()
{
    CFrame* frame = getFrame();
    if (about)
    {
        about->unSplash();
        about->shownView = nullptr;
    }
    if (frame)
    {
        frame->setDirty(true);
        frame->setModalView(nullptr);
    }
    // The creator's reference; the frame still holds one while it dispatches this event.
    forget();
}
