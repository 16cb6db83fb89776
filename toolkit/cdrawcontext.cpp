#include "cdrawcontext.h"

namespace VSTGUI
{

CDrawContext::CDrawContext(const CRect& rect) : surfaceRect(rect)
{
    currentState.clipRect = rect;
}

CDrawContext::~CDrawContext() = default;

void CDrawContext::setFont(const CFontDesc* font, double size, int32_t style)
{
    if (!font) return;
    currentState.font = CFontDesc(font->getName(), size > 0 ? size : font->getSize(),
                                  style >= 0 ? style : font->getStyle());
}

void CDrawContext::saveGlobalState()
{
    stateStack.push_back(currentState);
}

void CDrawContext::restoreGlobalState()
{
    if (stateStack.empty()) return;
    currentState = stateStack.back();
    stateStack.pop_back();
    applyClip();
}

void CDrawContext::setClipRect(const CRect& clip)
{
    currentState.clipRect = clip;
    currentState.clipRect.bound(surfaceRect);
    applyClip();
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = currentState.clipRect;
    return clip;
}

} // namespace VSTGUI
