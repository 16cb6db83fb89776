#include "cview.h"
#include "cbitmap.h"
#include "cdrawcontext.h"
#include "cframe.h"

namespace VSTGUI
{

CView::CView(const CRect& r) : size(r), mouseableArea(r) {}

CView::CView(const CView& o)
    : CBaseObject(o), size(o.size), mouseableArea(o.mouseableArea), pBackground(o.pBackground),
      dirty(o.dirty), visible(o.visible), mouseEnabled(o.mouseEnabled), transparent(o.transparent),
      focusWanted(o.focusWanted)
{
    if (pBackground) pBackground->remember();
}

CView::~CView()
{
    if (pBackground) pBackground->forget();
}

void CView::draw(CDrawContext* context)
{
    if (pBackground) pBackground->draw(context, size);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/)
{
    draw(context);
}

void CView::invalid()
{
    setDirty(false);
    invalidRect(size);
}

void CView::invalidRect(const CRect& rect)
{
    if (viewAttached && pParentView) pParentView->invalidRect(rect);
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}
bool CView::onWheel(const CPoint&, const CMouseWheelAxis&, const float&, const CButtonState&)
{
    return false;
}
int32_t CView::onKeyDown(VstKeyCode&)
{
    return -1;
}
int32_t CView::onKeyUp(VstKeyCode&)
{
    return -1;
}

bool CView::hitTest(const CPoint& where, const CButtonState&)
{
    return mouseableArea.pointInside(where);
}

void CView::setBackground(CBitmap* background)
{
    if (background == pBackground) return;
    if (background) background->remember();
    if (pBackground) pBackground->forget();
    pBackground = background;
    setDirty(true);
}

bool CView::attached(CView* parent)
{
    if (viewAttached) return false;
    pParentView = parent;
    pParentFrame = parent ? parent->getFrame() : nullptr;
    viewAttached = true;
    return true;
}

bool CView::removed(CView* /*parent*/)
{
    if (!viewAttached) return false;
    pParentView = nullptr;
    pParentFrame = nullptr;
    viewAttached = false;
    return true;
}

} // namespace VSTGUI
