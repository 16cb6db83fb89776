#pragma once
// The editor's window: a toolkit frame opened as a child of the host's window. A right-click on
// its background (where no control is) or on its title opens the editor's window menu (Zoom).
#include "vstgui.h"

#include <functional>

class MyFrame : public CFrame
{
public:
    MyFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor);

    // `handler` gets the position of a right-click on the background or on the control tagged
    // `titleTag`.
    void setBackgroundMenu(std::function<void(const CPoint&)> handler, int32_t titleTag);

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    CLASS_METHODS_NOCOPY(MyFrame, CFrame)

private:
    std::function<void(const CPoint&)> menuHandler;
    int32_t menuTitleTag = -1;
};
