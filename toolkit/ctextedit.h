#pragma once
#include "cparamdisplay.h"
#include <string>

namespace VSTGUI
{

// A one-line text field. A left click starts editing in place (drawn by the toolkit); Return or
// a click elsewhere commits, Escape restores the old text. The text is kept as the bytes it was
// given; typed characters are added as UTF-8.
class CTextEdit : public CParamDisplay
{
public:
    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag,
              const char* text = nullptr, CBitmap* background = nullptr, int32_t style = 0);
    CTextEdit(const CTextEdit& other);
    ~CTextEdit() override;

    void setText(const char* text);
    const char* getText() const { return text.c_str(); }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    void takeFocus() override;
    void looseFocus() override;

    bool isEditingText() const { return editingText; }
    const char* getEditText() const { return editText.c_str(); }

    CLASS_METHODS(CTextEdit, CParamDisplay)

private:
    void drawEditText(CDrawContext* context);

    std::string text;
    std::string editText;
    bool editingText = false;
    bool cancelled = false;
};

} // namespace VSTGUI
