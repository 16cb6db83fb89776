#include "presetstrip/CMessageView.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace
{
const CColor kBoxColor(40, 40, 38, 255);
const CColor kFrameColor(200, 200, 196, 255);
constexpr CCoord kHeight = 24;
constexpr CCoord kMargin = 12;
} // namespace

CMessageView::CMessageView(const CRect& size, const char* t) : CView(size), text(t ? t : "") {}

CMessageView* CMessageView::show(CFrame* frame, const char* text)
{
    if (!frame || !frame->isOpen()) return nullptr;
    const CRect window = frame->getViewSize();
    CDrawContext* measure = createMeasureContext();
    CCoord width = 200;
    if (measure)
    {
        measure->setFont(kNormalFontSmall);
        width = measure->getStringWidth(text) + 2 * kMargin;
        measure->forget();
    }
    width = std::min(width, window.getWidth() - 8);
    // Just above the strip, in the middle of the window.
    const CCoord left = std::floor(window.left + (window.getWidth() - width) / 2);
    const CCoord top = window.bottom - 30 - kHeight;
    auto* view = new CMessageView(CRect(left, top, left + std::ceil(width), top + kHeight), text);
    frame->setPopupView(view);
    return view;
}

void CMessageView::draw(CDrawContext* context)
{
    context->saveGlobalState();
    context->setDrawMode(kAliasing);
    context->setFillColor(kBoxColor);
    context->drawRect(size, kDrawFilled);
    context->setFrameColor(kFrameColor);
    context->setLineWidth(1);
    CRect border(size);
    border.inset(0.5, 0.5);
    context->drawRect(border, kDrawStroked);
    context->setFont(kNormalFontSmall);
    context->setFontColor(kWhiteCColor);
    context->drawString(text.c_str(), size, kCenterText, true);
    context->restoreGlobalState();
    setDirty(false);
}

CMouseEventResult CMessageView::onMouseDown(CPoint&, const CButtonState&)
{
    close();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

int32_t CMessageView::onKeyDown(VstKeyCode& key)
{
    if (key.virt == VKEY_ESCAPE || key.virt == VKEY_RETURN || key.virt == VKEY_ENTER) close();
    return 1;
}

void CMessageView::close()
{
    // The frame releases this view: nothing of it is touched afterwards.
    if (CFrame* frame = getFrame()) frame->setPopupView(nullptr);
}
