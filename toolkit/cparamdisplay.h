#pragma once
#include "ccolor.h"
#include "ccontrol.h"
#include "cdrawcontext.h"

namespace VSTGUI
{

// Shows a value as text over a background (bitmap or filled box).
class CParamDisplay : public CControl
{
public:
    using StringConvert = void (*)(float value, char* string);

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    CParamDisplay(const CParamDisplay& other);
    ~CParamDisplay() override;

    void draw(CDrawContext* context) override;

    // Writes the value's text into a buffer of 256 bytes; null restores the "%.2f" format.
    void setStringConvert(StringConvert convert);

    void setFont(CFontRef font);
    void setFontColor(const CColor& c);
    void setBackColor(const CColor& c);
    void setFrameColor(const CColor& c);
    void setHoriAlign(CHoriTxtAlign align);
    void setStyle(int32_t val);
    int32_t getStyle() const { return style; }

    CLASS_METHODS(CParamDisplay, CControl)

protected:
    virtual void drawBack(CDrawContext* context, CBitmap* newBack = nullptr);
    virtual void drawText(CDrawContext* context, const char* string);
    // The text for the current value.
    void formatValue(char* string) const;

    StringConvert stringConvert = nullptr;
    CFontRef fontID;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CColor shadowColor = kRedCColor;
    CHoriTxtAlign horiTxtAlign = kCenterText;
    int32_t style;
    int32_t precision = 2;
    bool antialias = true;
    CPoint textInset;
};

} // namespace VSTGUI
