#include "ctextedit.h"
#include "cframe.h"
#include "text/TextBytes.h"
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

// Space kept between the caret and the field's edge once the text is scrolled.
constexpr CCoord kCaretMargin = 2;
const CColor kSelectionColor(48, 96, 160, 255);
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
        drawEditText(context);
    else
    {
        CRect r(size);
        r.inset(textInset.x, textInset.y);
        context->setFont(fontID);
        drawText(context, fitTextToWidth(context, text, r.getWidth() - 2 * kCaretMargin).c_str());
    }
    setDirty(false);
}

std::string fitTextToWidth(CDrawContext* context, const std::string& text, CCoord width)
{
    if (text.empty() || context->getStringWidth(text.c_str()) <= width) return text;
    static constexpr char kEllipsis[] = "\xE2\x80\xA6"; // U+2026 in UTF-8
    std::string shown = text;
    while (!shown.empty())
    {
        shown.resize(orv::lastCharacterStart(shown));
        // No space left hanging before the ellipsis.
        std::string candidate = shown;
        while (!candidate.empty() && candidate.back() == ' ')
            candidate.pop_back();
        candidate += kEllipsis;
        if (context->getStringWidth(candidate.c_str()) <= width) return candidate;
    }
    return kEllipsis;
}

// The text being typed and the caret after it. While the text fits, it is drawn as the field's
// text always is; once it is wider, it is scrolled left so that its end and the caret stay inside
// the field, and what no longer fits is cut off at the field's left edge.
void CTextEdit::drawEditText(CDrawContext* context)
{
    CRect r(size);
    r.inset(textInset.x, textInset.y);
    context->setFont(fontID);
    const CCoord w = context->getStringWidth(editText.c_str());
    const bool scrolled = w > r.getWidth() - 2 * kCaretMargin;
    CCoord caret = r.left + w;
    if (scrolled)
        caret = r.right - kCaretMargin;
    else if (horiTxtAlign == kCenterText)
        caret = r.left + r.getWidth() / 2 + w / 2;
    else if (horiTxtAlign == kRightText)
        caret = r.right - 1;

    context->saveGlobalState();
    CRect clip;
    context->getClipRect(clip);
    clip.bound(r);
    context->setClipRect(clip);
    if (allSelected && w > 0)
    {
        // The selection: the text's extent in the selection colour, the text over it in white.
        const CCoord start = scrolled ? r.left : caret - w;
        CRect band(std::floor(start), r.top + 1, std::ceil(caret), r.bottom - 1);
        context->setFillColor(kSelectionColor);
        context->setDrawMode(kAliasing);
        context->drawRect(band, kDrawFilled);
    }
    const CColor textColor = fontColor;
    if (allSelected) fontColor = kWhiteCColor;
    if (!scrolled)
        drawText(context, editText.c_str());
    else if (!(style & kNoTextStyle))
    {
        // Right-aligned against the caret; the rectangle reaches far enough left for any width.
        const CRect textRect(r.left - w, r.top, r.right - kCaretMargin, r.bottom);
        if (style & kShadowText)
        {
            CRect shadowRect(textRect);
            shadowRect.offset(1, 1);
            context->setFontColor(shadowColor);
            context->drawString(editText.c_str(), shadowRect, kRightText, antialias);
        }
        context->setFontColor(fontColor);
        context->drawString(editText.c_str(), textRect, kRightText, antialias);
    }
    fontColor = textColor;
    const CCoord x = std::floor(caret) + 0.5;
    context->setFrameColor(fontColor);
    context->setLineWidth(1);
    context->setDrawMode(kAliasing);
    context->drawLine(CPoint(x, r.top + 2), CPoint(x, r.bottom - 2));
    context->restoreGlobalState();
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
    allSelected = true;
    editText = text;
    if (pParentFrame) pParentFrame->setTextInputActive(true);
    invalid();
}

void CTextEdit::looseFocus()
{
    if (!editingText) return;
    editingText = false;
    allSelected = false;
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
    case VKEY_DELETE:
        // One character as drawn: a UTF-8 sequence or a single Windows-1252 byte.
        if (allSelected)
            replaceSelection();
        else if (key.virt == VKEY_BACK)
            editText.resize(orv::lastCharacterStart(editText));
        invalid();
        return 1;
    case VKEY_SPACE:
        replaceSelection();
        editText += ' ';
        invalid();
        return 1;
    case VKEY_LEFT:
    case VKEY_RIGHT:
    case VKEY_HOME:
    case VKEY_END:
        // The caret stays at the end; moving it only ends the selection.
        if (allSelected)
        {
            allSelected = false;
            invalid();
        }
        return 1;
    case 0:
        break;
    default:
        return -1;
    }
    if ((key.modifier & MODIFIER_CONTROL) && (key.character == 'a' || key.character == 'A'))
    {
        allSelected = true;
        invalid();
        return 1;
    }
    // Printable characters only; control characters, Ctrl chords and numbers that are no
    // character (surrogates, beyond U+10FFFF) are not text.
    if (key.character < 0x20 || key.character == 0x7F || (key.modifier & MODIFIER_CONTROL) ||
        (key.character >= 0xD800 && key.character <= 0xDFFF) || key.character > 0x10FFFF)
        return -1;
    replaceSelection();
    appendUtf8(editText, static_cast<uint32_t>(key.character));
    invalid();
    return 1;
}

void CTextEdit::replaceSelection()
{
    if (!allSelected) return;
    allSelected = false;
    editText.clear();
}

} // namespace VSTGUI
