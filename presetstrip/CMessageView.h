// A short message shown over the editor (for example that no file dialog can be shown): a box
// with one line of text. It takes every click and key while shown; a click or Escape / Return
// closes it.
#pragma once

#include "vstgui.h"

#include <string>

class CMessageView : public VSTGUI::CView
{
public:
    CMessageView(const VSTGUI::CRect& size, const char* text);

    // Shows `text` centred above the strip of `frame` (which releases the view when it closes).
    static CMessageView* show(VSTGUI::CFrame* frame, const char* text);

    const char* getText() const { return text.c_str(); }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    int32_t onKeyDown(VSTGUI::VstKeyCode& key) override;

    CLASS_METHODS_NOCOPY(CMessageView, CView)

private:
    void close();
    std::string text;
};
