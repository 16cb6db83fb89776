#include "cframe.h"
#include "cbitmap.h"
#include "ccontrol.h"
#include "cdrawcontext.h"
#include <algorithm>

namespace VSTGUI
{

CFrame::CFrame(const CRect& size, VSTGUIEditorInterface* ed) : CView(size), editor(ed)
{
    pParentFrame = this;
    viewAttached = true;
}

CFrame::~CFrame()
{
    modalView = nullptr;
    setPopupView(nullptr);
    removeAll(true);
    platformFrame.reset();
    pParentFrame = nullptr;
}

bool CFrame::open(void* parentWindow, PlatformType type)
{
    if (platformFrame) return false;
    if (editor && editor->getScaleFactor() > 0)
        scaleFactor = clampScaleFactor(editor->getScaleFactor());
    platformFrame = createPlatformFrame(type, this, size, parentWindow, scaleFactor);
    if (!platformFrame) return false;
    scaleFactor = platformFrame->getScaleFactor();
    invalid();
    return true;
}

bool CFrame::setScaleFactor(double scale)
{
    scale = clampScaleFactor(scale);
    if (!platformFrame)
    {
        scaleFactor = scale;
        return true;
    }
    if (scale == scaleFactor) return true;
    if (!platformFrame->setScaleFactor(scale)) return false;
    scaleFactor = scale;
    invalid();
    platformFrame->update();
    return true;
}

void CFrame::close()
{
    hoverView = nullptr;
    mouseDownView = nullptr;
    setPopupView(nullptr);
    // An edit in progress is dropped, not reported: the editor is tearing its controls down.
    if (focusView)
    {
        focusView = nullptr;
        setTextInputActive(false);
    }
    if (modalView) setModalView(nullptr);
    removeAll(true);
    idleHandlers.clear();
    platformFrame.reset();
    forget();
}

void CFrame::idle()
{
    if (!platformFrame) return;
    CBaseObjectGuard guard(this);
    platformFrame->processEvents();
    if (!platformFrame) return;
    // Handlers may remove themselves (or others) while they run.
    std::vector<int32_t> tokens;
    for (const auto& h : idleHandlers)
        tokens.push_back(h.token);
    for (int32_t token : tokens)
    {
        auto it = std::find_if(idleHandlers.begin(), idleHandlers.end(),
                               [token](const IdleHandler& h) { return h.token == token; });
        if (it != idleHandlers.end())
        {
            auto fn = it->fn;
            fn();
        }
    }
    invalidateDirtyViews();
    if (platformFrame) platformFrame->update();
}

void CFrame::updateNow()
{
    if (!platformFrame) return;
    invalidateDirtyViews();
    platformFrame->update();
}

void CFrame::invalidateDirtyViews()
{
    if (isDirty())
    {
        // A dirty frame means "redraw the whole window".
        dirty = false;
        invalid();
    }
    for (CView* v : children)
        if (v->isVisible() && v->isDirty()) v->invalid();
    if (popupView && popupView->isDirty()) popupView->invalid();
}

bool CFrame::addView(CView* view)
{
    if (!view || isChild(view) || view->isAttached()) return false;
    view->remember();
    children.push_back(view);
    view->attached(this);
    view->invalid();
    return true;
}

bool CFrame::removeView(CView* view, bool withForget)
{
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end()) return false;
    view->invalid();
    children.erase(it);
    if (view == focusView)
    {
        focusView = nullptr;
        view->looseFocus();
    }
    if (view == mouseDownView) mouseDownView = nullptr;
    if (view == hoverView) hoverView = nullptr;
    if (view == modalView)
    {
        modalView = nullptr;
        updateKeyboard();
    }
    view->removed(this);
    if (withForget) view->forget();
    view->forget();
    return true;
}

bool CFrame::removeAll(bool withForget)
{
    while (!children.empty())
        removeView(children.front(), withForget);
    return true;
}

bool CFrame::isChild(const CView* view) const
{
    return std::find(children.begin(), children.end(), view) != children.end();
}

bool CFrame::setModalView(CView* view)
{
    if (view)
    {
        if (modalView || view->isAttached()) return false;
        if (!addView(view)) return false;
        modalView = view;
        if (hoverView)
        {
            CView* old = hoverView;
            hoverView = nullptr;
            CPoint p;
            old->onMouseExited(p, 0);
        }
        setFocusView(view);
        updateKeyboard();
        return true;
    }
    if (modalView)
    {
        CView* old = modalView;
        modalView = nullptr;
        removeView(old, false);
    }
    updateKeyboard();
    return true;
}

void CFrame::draw(CDrawContext* context)
{
    drawRect(context, size);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (!context || updateRect.getWidth() <= 0 || updateRect.getHeight() <= 0) return;
    CBaseObjectGuard contextGuard(context);
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip(updateRect);
    clip.bound(oldClip);
    context->setClipRect(clip);

    CRect frameRect(size);
    frameRect.originize();
    if (pBackground)
        pBackground->draw(context, frameRect);
    else if (!transparent)
    {
        context->setFillColor(backgroundColor);
        context->drawRect(frameRect, kDrawFilled);
    }

    auto drawChild = [&](CView* v)
    {
        if (!v->isVisible() || !v->checkUpdate(clip)) return;
        CRect area(v->getViewSize());
        area.bound(clip);
        if (area.getWidth() <= 0 || area.getHeight() <= 0) return;
        context->setClipRect(area);
        v->drawRect(context, area);
        context->setClipRect(clip);
    };
    // Copy: drawing must not be disturbed by views that change the list.
    const std::vector<CView*> order(children);
    for (CView* v : order)
        drawChild(v);
    if (popupView) drawChild(popupView);

    context->setClipRect(oldClip);
}

void CFrame::invalid()
{
    dirty = false;
    invalidRect(size);
}

void CFrame::invalidRect(const CRect& rect)
{
    if (!platformFrame || !visible) return;
    CRect r(rect);
    r.makeIntegral();
    platformFrame->invalidRect(r);
}

// Hit test from the top; the modal view hides all others.
CView* CFrame::viewAt(const CPoint& where) const
{
    if (modalView)
        return (modalView->isVisible() && modalView->getMouseEnabled() &&
                modalView->hitTest(where, 0))
                   ? modalView
                   : nullptr;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
    {
        CView* v = *it;
        if (v->isVisible() && v->getMouseEnabled() && v->hitTest(where, 0)) return v;
    }
    return nullptr;
}

void CFrame::endTextEdit()
{
    if (focusView && focusView->isTypeOf("CTextEdit")) setFocusView(nullptr);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    CBaseObjectGuard guard(this);
    if (popupView)
    {
        CBaseObjectGuard popupGuard(popupView);
        CView* popup = popupView;
        CMouseEventResult r = popup->onMouseDown(where, buttons);
        mouseDownView = (r == kMouseEventHandled && popupView == popup) ? popup : nullptr;
        return r;
    }
    // A press outside the field being edited ends the edit (and commits it).
    if (focusView && focusView->isTypeOf("CTextEdit") &&
        !focusView->getViewSize().pointInside(where))
        endTextEdit();
    mouseDownView = nullptr;

    auto tryView = [&](CView* v, CMouseEventResult& result) -> bool
    {
        if (!v->isVisible() || !v->getMouseEnabled() || !v->hitTest(where, buttons)) return false;
        auto* control = dynamic_cast<CControl*>(v);
        if (control && control->getListener() &&
            (buttons & (kAlt | kShift | kControl | kApple | kRButton)))
        {
            if (control->getListener()->controlModifierClicked(control, buttons) != 0)
            {
                result = kMouseEventHandled;
                return true;
            }
        }
        CBaseObjectGuard viewGuard(v);
        CView* focusBefore = focusView;
        result = v->onMouseDown(where, buttons);
        if (result != kMouseEventNotHandled && result != kMouseEventNotImplemented)
        {
            const bool stillHere = v->isAttached() && v->getNbReference() > 1;
            if (result == kMouseEventHandled && stillHere) mouseDownView = v;
            if (stillHere && v->wantsFocus() && focusView == focusBefore) setFocusView(v);
            return true;
        }
        // An opaque view swallows the click; a transparent one lets it fall through.
        return !v->getTransparency();
    };

    CMouseEventResult result = kMouseEventNotHandled;
    if (modalView)
    {
        tryView(modalView, result);
        return result;
    }
    const std::vector<CView*> order(children);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
    {
        if (!isChild(*it)) continue;
        if (tryView(*it, result)) return result;
    }
    return result;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    CBaseObjectGuard guard(this);
    CMouseEventResult result = kMouseEventNotHandled;
    if (mouseDownView)
    {
        CView* v = mouseDownView;
        CBaseObjectGuard viewGuard(v);
        result = v->onMouseUp(where, buttons);
        if (mouseDownView == v) mouseDownView = nullptr;
    }
    else if (popupView)
    {
        CBaseObjectGuard popupGuard(popupView);
        result = popupView->onMouseUp(where, buttons);
    }
    checkMouseViews(where, 0);
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    CBaseObjectGuard guard(this);
    if (mouseDownView)
    {
        CView* v = mouseDownView;
        CBaseObjectGuard viewGuard(v);
        CMouseEventResult r = v->onMouseMoved(where, buttons);
        if (r != kMouseEventHandled && r != kMouseEventNotImplemented && mouseDownView == v)
            mouseDownView = nullptr;
        return r;
    }
    if (popupView)
    {
        CBaseObjectGuard popupGuard(popupView);
        return popupView->onMouseMoved(where, buttons);
    }
    checkMouseViews(where, buttons);
    if (hoverView)
    {
        // Views under a free-moving pointer hear of moves with the modifiers only.
        CBaseObjectGuard viewGuard(hoverView);
        return hoverView->onMouseMoved(where, buttons & (kShift | kControl | kAlt | kApple));
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons)
{
    CBaseObjectGuard guard(this);
    if (!mouseDownView) setHoverView(nullptr, where, buttons);
    return kMouseEventHandled;
}

void CFrame::setHoverView(CView* view, CPoint& where, const CButtonState& buttons)
{
    if (view == hoverView) return;
    CView* old = hoverView;
    hoverView = view;
    if (old)
    {
        CBaseObjectGuard g(old);
        old->onMouseExited(where, buttons);
    }
    if (view && hoverView == view)
    {
        CBaseObjectGuard g(view);
        view->onMouseEntered(where, buttons);
    }
}

void CFrame::checkMouseViews(CPoint& where, const CButtonState& buttons)
{
    if (mouseDownView || popupView) return;
    setHoverView(viewAt(where), where, buttons);
}

bool CFrame::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                     const CButtonState& buttons)
{
    CBaseObjectGuard guard(this);
    if (popupView) return false;
    if (modalView)
    {
        CView* v = viewAt(where);
        return v ? v->onWheel(where, axis, distance, buttons) : false;
    }
    const std::vector<CView*> order(children);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
    {
        CView* v = *it;
        if (!isChild(v) || !v->isVisible() || !v->getMouseEnabled() ||
            !v->getMouseableArea().pointInside(where))
            continue;
        CBaseObjectGuard viewGuard(v);
        if (v->onWheel(where, axis, distance, buttons)) return true;
        if (!v->getTransparency()) return false;
    }
    return false;
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode)
{
    CBaseObjectGuard guard(this);
    if (popupView) return popupView->onKeyDown(keyCode);
    if (focusView && focusView->getMouseEnabled())
    {
        CBaseObjectGuard g(focusView);
        if (focusView->onKeyDown(keyCode) == 1) return 1;
    }
    if (modalView && modalView != focusView) return modalView->onKeyDown(keyCode);
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode)
{
    CBaseObjectGuard guard(this);
    if (focusView && focusView->getMouseEnabled())
    {
        CBaseObjectGuard g(focusView);
        if (focusView->onKeyUp(keyCode) == 1) return 1;
    }
    if (modalView && modalView != focusView) return modalView->onKeyUp(keyCode);
    return -1;
}

int32_t CFrame::getKnobMode() const
{
    const int32_t mode = editor ? editor->getKnobMode() : -1;
    return mode == -1 ? kDefaultKnobMode : mode;
}

void CFrame::beginEdit(int32_t index)
{
    if (editor) editor->beginEdit(index);
}

void CFrame::endEdit(int32_t index)
{
    if (editor) editor->endEdit(index);
}

bool CFrame::setFocusView(CView* view)
{
    if (view == focusView) return true;
    CView* old = focusView;
    focusView = view;
    if (old) old->looseFocus();
    if (focusView && focusView == view) focusView->takeFocus();
    return true;
}

void CFrame::setPopupView(CView* view)
{
    if (popupView)
    {
        CView* old = popupView;
        popupView = nullptr;
        if (mouseDownView == old) mouseDownView = nullptr;
        invalidRect(old->getViewSize());
        old->removed(this);
        old->forget();
    }
    if (view)
    {
        popupView = view;
        view->attached(this);
        view->invalid();
    }
    updateKeyboard();
}

int32_t CFrame::addIdleHandler(std::function<void()> handler)
{
    const int32_t token = nextIdleToken++;
    idleHandlers.push_back({token, std::move(handler)});
    return token;
}

void CFrame::removeIdleHandler(int32_t token)
{
    std::erase_if(idleHandlers, [token](const IdleHandler& h) { return h.token == token; });
}

void CFrame::setTextInputActive(bool active)
{
    textInputActive = active;
    updateKeyboard();
}

// The window listens to the keyboard while a text field edits and while a popup list or a modal
// view (the about screen) is shown, which Escape, the arrows and Return work; otherwise keys stay
// with the host.
void CFrame::updateKeyboard()
{
    const bool wanted = textInputActive || popupView != nullptr || modalView != nullptr;
    if (platformFrame) platformFrame->setTextInputActive(wanted);
}

void CFrame::platformDrawRect(CDrawContext* context, const CRect& rect)
{
    drawRect(context, rect);
}
CMouseEventResult CFrame::platformOnMouseDown(CPoint& where, const CButtonState& buttons)
{
    return onMouseDown(where, buttons);
}
CMouseEventResult CFrame::platformOnMouseMoved(CPoint& where, const CButtonState& buttons)
{
    return onMouseMoved(where, buttons);
}
CMouseEventResult CFrame::platformOnMouseUp(CPoint& where, const CButtonState& buttons)
{
    return onMouseUp(where, buttons);
}
CMouseEventResult CFrame::platformOnMouseExited(CPoint& where, const CButtonState& buttons)
{
    return onMouseExited(where, buttons);
}
bool CFrame::platformOnMouseWheel(const CPoint& where, const CMouseWheelAxis& axis,
                                  const float& distance, const CButtonState& buttons)
{
    return onWheel(where, axis, distance, buttons);
}
int32_t CFrame::platformOnKeyDown(VstKeyCode& key)
{
    return onKeyDown(key);
}
int32_t CFrame::platformOnKeyUp(VstKeyCode& key)
{
    return onKeyUp(key);
}
void CFrame::platformOnFocusLost()
{
    endTextEdit();
}
void CFrame::platformOnScaleChanged()
{
    if (editor) editor->systemScaleChanged();
}

} // namespace VSTGUI
