#pragma once
// Font descriptions and the standard fonts. Sizes are pixels (the em size).
#include "cbaseobject.h"
#include <string>

namespace VSTGUI
{

enum CTxtFace : int32_t
{
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
    kUnderlineFace = 1 << 3,
    kStrikethroughFace = 1 << 4
};

class CFontDesc : public CBaseObject
{
public:
    CFontDesc(const char* name = "", double size = 0, int32_t style = kNormalFace)
        : fontName(name ? name : ""), fontSize(size), fontStyle(style)
    {
    }

    const char* getName() const { return fontName.c_str(); }
    double getSize() const { return fontSize; }
    int32_t getStyle() const { return fontStyle; }

private:
    std::string fontName;
    double fontSize;
    int32_t fontStyle;
};

using CFontRef = CFontDesc*;

// Process-lifetime objects: views remember and forget them like any font, and the balance never
// reaches zero.
extern const CFontRef kSystemFont;
extern const CFontRef kNormalFontVeryBig;
extern const CFontRef kNormalFontBig;
extern const CFontRef kNormalFont;
extern const CFontRef kNormalFontSmall;
extern const CFontRef kNormalFontSmaller;
extern const CFontRef kNormalFontVerySmall;
extern const CFontRef kSymbolFont;

} // namespace VSTGUI
