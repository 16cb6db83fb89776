#pragma once
#include <cairo.h>
#include <cstdint>

namespace VSTGUI
{

struct FontFace
{
    cairo_font_face_t* face; // owned by the cache, valid for the process's life
    double capHeightPerEm;   // cap height as a fraction of the em size; 0 if unknown
};

// "Arial" (and its metric twin "Liberation Sans") come from the font built into the library, so
// text never depends on the fonts installed on the user's machine. Other names go through
// fontconfig.
FontFace fontFaceFor(const char* name, int32_t style);

} // namespace VSTGUI
