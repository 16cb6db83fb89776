#include "gdiplusfonts.h"
#include "../../cfont.h"
#include "win32text.h"
#include <map>
#include <memory>
#include <string>

// windows.h first: the headers below build on it.
#include <windows.h>

#include <gdiplus.h>

// The embedded Liberation Sans Regular (SIL Open Font License), see CMakeLists.txt.
extern "C" const unsigned char orv_toolkit_sans_start[];
extern "C" const unsigned char orv_toolkit_sans_end[];

namespace VSTGUI
{
namespace
{

struct Cache
{
    std::unique_ptr<Gdiplus::PrivateFontCollection> collection;
    std::unique_ptr<Gdiplus::FontFamily> embedded;
    bool embeddedTried = false;
    double embeddedCapHeight = 0;
    // Installed families by name; null where the name is not installed.
    std::map<std::string, std::unique_ptr<Gdiplus::FontFamily>> installed;
};

Cache& cache()
{
    static Cache c;
    return c;
}

uint32_t readBig(const unsigned char* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

const Gdiplus::FontFamily* embeddedFamily()
{
    Cache& c = cache();
    if (!c.embeddedTried)
    {
        c.embeddedTried = true;
        const auto size = static_cast<INT>(orv_toolkit_sans_end - orv_toolkit_sans_start);
        c.collection = std::make_unique<Gdiplus::PrivateFontCollection>();
        if (c.collection->AddMemoryFont(orv_toolkit_sans_start, size) == Gdiplus::Ok &&
            c.collection->GetFamilyCount() > 0)
        {
            auto family = std::make_unique<Gdiplus::FontFamily>();
            INT found = 0;
            if (c.collection->GetFamilies(1, family.get(), &found) == Gdiplus::Ok && found == 1)
                c.embedded = std::move(family);
        }
        c.embeddedCapHeight = capHeightPerEmOf(orv_toolkit_sans_start, static_cast<size_t>(size));
    }
    return c.embedded.get();
}

int toGdiplusStyle(int32_t style)
{
    int s = Gdiplus::FontStyleRegular;
    if (style & kBoldFace) s |= Gdiplus::FontStyleBold;
    if (style & kItalicFace) s |= Gdiplus::FontStyleItalic;
    if (style & kUnderlineFace) s |= Gdiplus::FontStyleUnderline;
    if (style & kStrikethroughFace) s |= Gdiplus::FontStyleStrikeout;
    return s;
}

double ascentOf(const Gdiplus::FontFamily* family, int style)
{
    const UINT16 em = family->GetEmHeight(style);
    return em ? static_cast<double>(family->GetCellAscent(style)) / em : 0.8;
}

const Gdiplus::FontFamily* installedFamily(const std::string& name)
{
    auto& installed = cache().installed;
    auto it = installed.find(name);
    if (it == installed.end())
    {
        auto family = std::make_unique<Gdiplus::FontFamily>(utf8ToWide(name.c_str()).c_str());
        if (family->GetLastStatus() != Gdiplus::Ok || !family->IsAvailable()) family.reset();
        it = installed.emplace(name, std::move(family)).first;
    }
    return it->second.get();
}

bool isEmbeddedName(const char* name)
{
    return name && (lstrcmpiA(name, "Arial") == 0 || lstrcmpiA(name, "Liberation Sans") == 0);
}

} // namespace

double capHeightPerEmOf(const unsigned char* font, size_t size)
{
    if (!font || size < 12) return 0;
    const uint32_t tables = readBig(font + 4, 2);
    uint32_t unitsPerEm = 0;
    int32_t capHeight = 0;
    for (uint32_t i = 0; i < tables && 12 + 16 * (i + 1) <= size; ++i)
    {
        const unsigned char* record = font + 12 + 16 * i;
        const uint32_t offset = readBig(record + 8, 4);
        const uint32_t length = readBig(record + 12, 4);
        if (offset > size || length > size - offset) continue;
        const unsigned char* table = font + offset;
        if (std::string(reinterpret_cast<const char*>(record), 4) == "head" && length >= 20)
            unitsPerEm = readBig(table + 18, 2);
        // sCapHeight exists from OS/2 version 2 on.
        if (std::string(reinterpret_cast<const char*>(record), 4) == "OS/2" && length >= 90 &&
            readBig(table, 2) >= 2)
            capHeight = static_cast<int16_t>(readBig(table + 88, 2));
    }
    return unitsPerEm > 0 && capHeight > 0 ? static_cast<double>(capHeight) / unitsPerEm : 0;
}

GdiplusFace gdiplusFaceFor(const char* name, int32_t style)
{
    const int wanted = toGdiplusStyle(style);
    const bool plain = (style & (kBoldFace | kItalicFace)) == 0;
    if (!(plain && isEmbeddedName(name)))
    {
        const std::string family = (name && *name) ? name : "Arial";
        if (const Gdiplus::FontFamily* f = installedFamily(family);
            f && f->IsStyleAvailable(wanted))
            return {f, wanted, 0, ascentOf(f, wanted)};
    }
    // The built-in face: regular only, but underline and strike-out are drawn by GDI+ itself.
    const Gdiplus::FontFamily* f = embeddedFamily();
    if (!f)
    {
        // Should the built-in face ever fail to load, any installed sans face is better than
        // no text at all.
        for (const char* fallback : {"Arial", "Tahoma", "Microsoft Sans Serif", "DejaVu Sans"})
            if (const Gdiplus::FontFamily* g = installedFamily(fallback);
                g && g->IsStyleAvailable(Gdiplus::FontStyleRegular))
                return {g, Gdiplus::FontStyleRegular, 0, ascentOf(g, Gdiplus::FontStyleRegular)};
        return {nullptr, 0, 0, 0.8};
    }
    int s = wanted & (Gdiplus::FontStyleUnderline | Gdiplus::FontStyleStrikeout);
    if (!f->IsStyleAvailable(s)) s = Gdiplus::FontStyleRegular;
    return {f, s, cache().embeddedCapHeight, ascentOf(f, s)};
}

void releaseGdiplusFonts()
{
    Cache& c = cache();
    c.installed.clear();
    c.embedded.reset();
    c.collection.reset();
    c.embeddedTried = false;
}

} // namespace VSTGUI
