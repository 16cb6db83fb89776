#include "ctextedit.h"
#include "cframe.h"
#include <cmath>

namespace VSTGUI
{

namespace
{
// Appends a code point as UTF-8.
void appendUtf8(std::string& s, uint32_t c)
{
    if (c < 0x80)
        s += static_cast<char>(c);
    else if (c < 0x800)
    {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x110000)
    {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Removes the last UTF-8 character (all of its bytes).
void popUtf8(std::string& s)
{
    while (!s.empty())
    {
        const auto b = static_cast<unsigned char>(s.back());
        s.pop_back();
        if ((b & 0xC0) != 0x80) break;
    }
}
} // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* l, int32_t tag, const char* txt,
                     CBitmap* background, int32_t s)
    : CParamDisplay(size, background, s), text(txt ? txt : "")
{
    listener = l;
    this->tag = tag;
    setWantsFocus(true);
}

CTextEdit::CTextEdit(const CTextEdit& o) : CParamDisplay(o), text(o.text) {}

CTextEdit::~CTextEdit() = default;

void CTextEdit::setText(const char* txt)
{
    const std::string t = txt ? txt : "";
    if (t == text) return;
    text = t;
    setDirty(true);
}

void CTextEdit::draw(CDrawContext* context)
{
    if (style & kNoDrawStyle)
    {
        setDirty(false);
        return;
    }
    drawBack(context);
    if (editingText)
    {
        drawText(context, editText.c_str());
        // Caret after the text, drawn where the text ends for the current alignment.
        context->setFont(fontID);
        const CCoord w = context->getStringWidth(editText.c_str());
        CRect r(size);
        r.inset(textInset.x, textInset.y);
        CCoord x = r.left + w;
        if (horiTxtAlign == kCenterText)
            x = r.left + r.getWidth() / 2 + w / 2;
        else if (horiTxtAlign == kRightText)
            x = r.right - 1;
        x = std::floor(x) + 0.5;
        context->setFrameColor(fontColor);
        context->setLineWidth(1);
        context->setDrawMode(kAliasing);
        context->drawLine(CPoint(x, r.top + 2), CPoint(x, r.bottom - 2));
    }
    else
        drawText(context, text.c_str());
    setDirty(false);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (style & kDoubleClickStyle && !buttons.isDoubleClick()) return kMouseEventNotHandled;
    if (pParentFrame && pParentFrame->getFocusView() != this) pParentFrame->setFocusView(this);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::takeFocus()
{
    if (editingText) return;
    editingText = true;
    cancelled = false;
    editText = text;
    if (pParentFrame) pParentFrame->setTextInputActive(true);
    invalid();
}

void CTextEdit::looseFocus()
{
    if (!editingText) return;
    editingText = false;
    if (pParentFrame) pParentFrame->setTextInputActive(false);
    invalid();
    if (cancelled || editText == text) return;
    // Commit as one gesture.
    CBaseObjectGuard guard(this);
    beginEdit();
    setText(editText.c_str());
    valueChanged();
    endEdit();
}

int32_t CTextEdit::onKeyDown(VstKeyCode& key)
{
    if (!editingText) return -1;
    switch (key.virt)
    {
    case VKEY_RETURN:
    case VKEY_ENTER:
        if (pParentFrame) pParentFrame->setFocusView(nullptr);
        return 1;
    case VKEY_ESCAPE:
        cancelled = true;
        editText = text;
        if (pParentFrame) pParentFrame->setFocusView(nullptr);
        return 1;
    case VKEY_BACK:
        popUtf8(editText);
        invalid();
        return 1;
    case VKEY_SPACE:
        editText += ' ';
        invalid();
        return 1;
    case 0:
        break;
    default:
        return -1;
    }
    // Printable characters only; control characters and Ctrl chords are not text.
    if (key.character < 0x20 || key.character == 0x7F || (key.modifier & MODIFIER_CONTROL))
        return -1;
    appendUtf8(editText, static_cast<uint32_t>(key.character));
    invalid();
    return 1;
}

} // namespace VSTGUI
