#pragma once
// The top view of an editor window: owns its views, draws them over its background, dispatches
// mouse, wheel and keys, and turns dirty views into redraws in idle.
#include "ccolor.h"
#include "cview.h"
#include "platform/iplatformframe.h"
#include "vstguieditorinterface.h"
#include <functional>
#include <memory>
#include <vector>

namespace VSTGUI
{

class CFrame : public CView, private IPlatformFrameCallback
{
public:
    CFrame(const CRect& size, VSTGUIEditorInterface* editor);

    // Creates the platform window as a child of `parentWindow`. False if already open or the
    // backend cannot be made. The window is the frame's size times the scale factor, which the
    // editor gives (else the one set on the frame).
    bool open(void* parentWindow, PlatformType type = kDefaultNative);

    // Window pixels per frame coordinate unit (1 .. 3). Views, hit areas and drags stay in frame
    // coordinates; only the window and its drawing scale. While open, the window is resized and
    // redrawn; false when the backend cannot resize (the factor then applies at the next open).
    bool setScaleFactor(double scale);
    double getScaleFactor() const { return scaleFactor; }
    bool isOpen() const { return platformFrame != nullptr; }
    // Removes the modal view without releasing it, removes and releases every other view,
    // destroys the window and releases the frame itself (with only the creator's reference the
    // frame is deleted).
    void close();

    // Turns dirty views into redraws and lets the platform handle its events and repaint.
    void idle();
    // Redraws what is dirty and shows it, without handling any input (used while a modal
    // dialog waits inside an event handler).
    void updateNow();

    // The frame takes over the creator's reference and holds one of its own.
    bool addView(CView* view);
    // withForget: releases both references; otherwise hands the creator's reference back.
    bool removeView(CView* view, bool withForget = true);
    bool removeAll(bool withForget = true);
    bool isChild(const CView* view) const;
    int32_t getNbViews() const { return static_cast<int32_t>(children.size()); }

    // While a modal view is set, the mouse reaches only it. Null removes it without releasing.
    bool setModalView(CView* view);
    // The topmost visible view taking the mouse at `where` (the modal view hides the others).
    CView* getViewAt(const CPoint& where) const { return viewAt(where); }
    CView* getModalView() const { return modalView; }

    void setBackgroundColor(const CColor& c) { backgroundColor = c; }

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void invalid() override;
    void invalidRect(const CRect& rect) override;
    void setDirty(bool state = true) override { dirty = state; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;

    VSTGUIEditorInterface* getEditor() const { return editor; }
    int32_t getKnobMode() const;
    void beginEdit(int32_t index);
    void endEdit(int32_t index);

    bool setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }

    IPlatformFrame* getPlatformFrame() const { return platformFrame.get(); }

    // A transient view drawn above everything and given every mouse event while shown (the
    // option menu's list). Null ends it; the frame releases the view it was given.
    void setPopupView(CView* view);
    CView* getPopupView() const { return popupView; }

    // Called at every idle while registered (a running file dialog). Token for removal.
    int32_t addIdleHandler(std::function<void()> handler);
    void removeIdleHandler(int32_t token);

    // Keyboard input from the window system is wanted while a text field edits (and while a
    // popup or modal view is shown).
    void setTextInputActive(bool active);

    static constexpr int32_t kDefaultKnobMode = 0;

    CLASS_METHODS_NOCOPY(CFrame, CView)

protected:
    ~CFrame() override;

private:
    void platformDrawRect(CDrawContext* context, const CRect& rect) override;
    CMouseEventResult platformOnMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult platformOnMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult platformOnMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult platformOnMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool platformOnMouseWheel(const CPoint& where, const CMouseWheelAxis& axis,
                              const float& distance, const CButtonState& buttons) override;
    int32_t platformOnKeyDown(VstKeyCode& key) override;
    int32_t platformOnKeyUp(VstKeyCode& key) override;
    void platformOnFocusLost() override;
    void platformOnScaleChanged() override;

    void invalidateDirtyViews();
    CView* viewAt(const CPoint& where) const;
    void setHoverView(CView* view, CPoint& where, const CButtonState& buttons);
    void checkMouseViews(CPoint& where, const CButtonState& buttons);
    void endTextEdit();
    void updateKeyboard();

    VSTGUIEditorInterface* editor;
    std::unique_ptr<IPlatformFrame> platformFrame;
    std::vector<CView*> children;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    CView* mouseDownView = nullptr;
    CView* hoverView = nullptr;
    CView* popupView = nullptr;
    CColor backgroundColor = kBlackCColor;
    struct IdleHandler
    {
        int32_t token;
        std::function<void()> fn;
    };
    std::vector<IdleHandler> idleHandlers;
    int32_t nextIdleToken = 1;
    bool textInputActive = false;
    double scaleFactor = 1.0;
};

} // namespace VSTGUI
