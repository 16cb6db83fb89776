#pragma once
// Fonts for GDI+ drawing. "Arial" (and its metric twin "Liberation Sans") is the Liberation Sans
// built into the library, loaded into a private font collection: a Windows (or Wine) system
// without Arial still draws every text, and text looks the same as on Linux. Other names are
// looked up among the installed fonts, and the built-in face stands in for any that is missing.
#include <cstdint>

namespace Gdiplus
{
class FontFamily;
}

namespace VSTGUI
{

struct GdiplusFace
{
    const Gdiplus::FontFamily* family; // owned by the cache; null only when GDI+ failed
    int gdiplusStyle;                  // Gdiplus::FontStyle available in that family
    double capHeightPerEm;             // 0 when unknown
    double ascentPerEm;                // baseline below the top of the text cell
};

// A GdiplusSession must be alive.
GdiplusFace gdiplusFaceFor(const char* name, int32_t style);

// Drops every cached family; called just before GDI+ shuts down.
void releaseGdiplusFonts();

// The cap height of a TrueType face as a fraction of its em (from its OS/2 and head tables), or
// 0 when the bytes do not say.
double capHeightPerEmOf(const unsigned char* font, size_t size);

} // namespace VSTGUI
