#include "cparamdisplay.h"
#include "cbitmap.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace VSTGUI
{

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t s)
    : CControl(size, nullptr, -1, background), fontID(kNormalFont), style(s)
{
    fontID->remember();
}

CParamDisplay::CParamDisplay(const CParamDisplay& o)
    : CControl(o), stringConvert(o.stringConvert), fontID(o.fontID), fontColor(o.fontColor),
      backColor(o.backColor), frameColor(o.frameColor), shadowColor(o.shadowColor),
      horiTxtAlign(o.horiTxtAlign), style(o.style), precision(o.precision), antialias(o.antialias),
      textInset(o.textInset)
{
    fontID->remember();
}

CParamDisplay::~CParamDisplay()
{
    fontID->forget();
}

void CParamDisplay::setStringConvert(StringConvert convert)
{
    stringConvert = convert;
    setDirty(true);
}

void CParamDisplay::setFont(CFontRef font)
{
    if (!font || font == fontID) return;
    font->remember();
    fontID->forget();
    fontID = font;
    setDirty(true);
}

#define ORV_SET_AND_DIRTY(member, v)                                                               \
    if (member != v)                                                                               \
    {                                                                                              \
        member = v;                                                                                \
        setDirty(true);                                                                            \
    }

void CParamDisplay::setFontColor(const CColor& c)
{
    ORV_SET_AND_DIRTY(fontColor, c)
}
void CParamDisplay::setBackColor(const CColor& c)
{
    ORV_SET_AND_DIRTY(backColor, c)
}
void CParamDisplay::setFrameColor(const CColor& c)
{
    ORV_SET_AND_DIRTY(frameColor, c)
}
void CParamDisplay::setHoriAlign(CHoriTxtAlign a)
{
    ORV_SET_AND_DIRTY(horiTxtAlign, a)
}
void CParamDisplay::setStyle(int32_t s)
{
    ORV_SET_AND_DIRTY(style, s)
}

#undef ORV_SET_AND_DIRTY

void CParamDisplay::formatValue(char* string) const
{
    string[0] = 0;
    if (stringConvert)
    {
        stringConvert(value, string);
        string[255] = 0;
        return;
    }
    std::snprintf(string, 256, "%.*f", static_cast<int>(std::clamp(precision, 0, 20)),
                  static_cast<double>(value));
}

void CParamDisplay::draw(CDrawContext* context)
{
    if (style & kNoDrawStyle)
    {
        setDirty(false);
        return;
    }
    char string[256];
    formatValue(string);
    drawBack(context);
    drawText(context, string);
    setDirty(false);
}

void CParamDisplay::drawBack(CDrawContext* context, CBitmap* newBack)
{
    CBitmap* back = newBack ? newBack : pBackground;
    if (back)
    {
        back->draw(context, size, backOffset);
        return;
    }
    if (transparent) return;
    context->setFillColor(backColor);
    context->drawRect(size, kDrawFilled);
    if (!(style & (k3DIn | k3DOut | kNoFrame)))
    {
        context->setLineWidth(1);
        context->setFrameColor(frameColor);
        CRect r(size);
        r.inset(0.5, 0.5);
        context->drawRect(r, kDrawStroked);
    }
    if (style & (k3DIn | k3DOut))
    {
        const CColor topLeft = (style & k3DIn) ? backColor : frameColor;
        const CColor bottomRight = (style & k3DIn) ? frameColor : backColor;
        context->setLineWidth(1);
        context->setFrameColor(topLeft);
        context->drawLine(CPoint(size.left + 0.5, size.bottom - 0.5),
                          CPoint(size.left + 0.5, size.top + 0.5));
        context->drawLine(CPoint(size.left + 0.5, size.top + 0.5),
                          CPoint(size.right - 0.5, size.top + 0.5));
        context->setFrameColor(bottomRight);
        context->drawLine(CPoint(size.right - 0.5, size.top + 0.5),
                          CPoint(size.right - 0.5, size.bottom - 0.5));
        context->drawLine(CPoint(size.right - 0.5, size.bottom - 0.5),
                          CPoint(size.left + 0.5, size.bottom - 0.5));
    }
}

void CParamDisplay::drawText(CDrawContext* context, const char* string)
{
    if ((style & kNoTextStyle) || !string || !*string) return;
    CRect textRect(size);
    textRect.inset(textInset.x, textInset.y);
    context->setFont(fontID);
    if (style & kShadowText)
    {
        CRect shadowRect(textRect);
        shadowRect.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(string, shadowRect, horiTxtAlign, antialias);
    }
    context->setFontColor(fontColor);
    context->drawString(string, textRect, horiTxtAlign, antialias);
}

} // namespace VSTGUI
