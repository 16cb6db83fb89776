#pragma once
#include "cparamdisplay.h"
#include <string>

namespace VSTGUI
{

// A one-line text field. A left click starts editing in place (drawn by the toolkit) with the
// whole text selected, so typing replaces it; Ctrl+A selects it all again. Return or a click
// elsewhere commits, Escape restores the old text. The text is kept as the bytes it was given;
// typed characters are added as UTF-8. A text wider than the field is shown from its start and
// cut at the right with an ellipsis.
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
    bool isTextSelected() const { return editingText && allSelected; }
    const char* getEditText() const { return editText.c_str(); }

    CLASS_METHODS(CTextEdit, CParamDisplay)

private:
    void drawEditText(CDrawContext* context);
    // Typing or deleting while everything is selected starts from an empty text.
    void replaceSelection();

    std::string text;
    std::string editText;
    bool editingText = false;
    bool cancelled = false;
    bool allSelected = false;
};

// The longest start of `text` (whole characters) that fits `width` with "…" after it; the text
// itself when it fits.
std::string fitTextToWidth(CDrawContext* context, const std::string& text, CCoord width);

} // namespace VSTGUI
