#include "MyFrame.h"

MyFrame::MyFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor)
    : CFrame(size, editor)
{
    open(parentWindow);
}

void MyFrame::setBackgroundMenu(std::function<void(const CPoint&)> handler, int32_t titleTag)
{
    menuHandler = std::move(handler);
    menuTitleTag = titleTag;
}

CMouseEventResult MyFrame::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    // While a list or the about screen is shown, clicks are theirs.
    if (menuHandler && (buttons & kRButton) && !getPopupView() && !getModalView())
    {
        CView* view = getViewAt(where);
        auto* control = dynamic_cast<CControl*>(view);
        if (!view || (control && control->getTag() == menuTitleTag))
        {
            CBaseObjectGuard guard(this);
            menuHandler(where);
            return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        }
    }
    return CFrame::onMouseDown(where, buttons);
}
