#include "fontfaces.h"
#include "../../cfont.h"
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <map>
#include <string>
#include <strings.h>

// The embedded Liberation Sans Regular (SIL Open Font License), see CMakeLists.txt.
extern "C" const unsigned char orv_toolkit_sans_start[];
extern "C" const unsigned char orv_toolkit_sans_end[];

namespace VSTGUI
{
namespace
{

FT_Library freetype()
{
    static FT_Library library = []
    {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
        return lib;
    }();
    return library;
}

void doneFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

FontFace embeddedSans()
{
    static const cairo_user_data_key_t key{};
    static FontFace result = []
    {
        FontFace f{nullptr, 0};
        FT_Library lib = freetype();
        FT_Face ftFace = nullptr;
        if (lib &&
            FT_New_Memory_Face(lib, orv_toolkit_sans_start,
                               static_cast<FT_Long>(orv_toolkit_sans_end - orv_toolkit_sans_start),
                               0, &ftFace) == 0)
        {
            f.face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
            // The FreeType face must outlive the cairo face.
            cairo_font_face_set_user_data(f.face, &key, ftFace, doneFace);
            if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
                os2 && os2->version >= 2 && ftFace->units_per_EM > 0)
                f.capHeightPerEm = static_cast<double>(os2->sCapHeight) / ftFace->units_per_EM;
        }
        if (!f.face)
            f.face = cairo_toy_font_face_create("Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                                                CAIRO_FONT_WEIGHT_NORMAL);
        return f;
    }();
    return result;
}

} // namespace

FontFace fontFaceFor(const char* name, int32_t style)
{
    const bool plain = (style & (kBoldFace | kItalicFace)) == 0;
    if (plain && name &&
        (strcasecmp(name, "Arial") == 0 || strcasecmp(name, "Liberation Sans") == 0))
        return embeddedSans();
    static std::map<std::pair<std::string, int32_t>, FontFace> cache;
    const std::string family = (name && *name) ? name : "Arial";
    auto key = std::make_pair(family, style & (kBoldFace | kItalicFace));
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    FontFace f{cairo_toy_font_face_create(
                   family.c_str(),
                   (style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                   (style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL),
               0};
    cache.emplace(key, f);
    return f;
}

} // namespace VSTGUI
