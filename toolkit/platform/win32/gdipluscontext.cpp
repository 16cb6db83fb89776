#include "gdipluscontext.h"
#include "../../cbitmap.h"
#include "gdiplusfonts.h"
#include "win32text.h"
#include <algorithm>
#include <cmath>
#include <cstring>

// windows.h first: the headers below build on it.
#include <windows.h>

#include <gdiplus.h>
#include <shlwapi.h>

namespace VSTGUI
{
namespace
{

// x * a / 255, rounded, as cairo's pixel arithmetic does it.
inline uint32_t mul255(uint32_t x, uint32_t a)
{
    const uint32_t t = x * a + 0x80;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t premultiply(uint32_t argb)
{
    const uint32_t a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    return (a << 24) | (mul255((argb >> 16) & 0xFF, a) << 16) |
           (mul255((argb >> 8) & 0xFF, a) << 8) | mul255(argb & 0xFF, a);
}

// Premultiplied source over premultiplied destination, channel by channel.
inline uint32_t over(uint32_t src, uint32_t dst)
{
    const uint32_t inverse = 255 - (src >> 24);
    if (inverse == 0) return src;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const uint32_t v = ((src >> shift) & 0xFF) + mul255((dst >> shift) & 0xFF, inverse);
        out |= std::min<uint32_t>(v, 255) << shift;
    }
    return out;
}

inline uint32_t scaleAll(uint32_t p, uint32_t m)
{
    return (mul255(p >> 24, m) << 24) | (mul255((p >> 16) & 0xFF, m) << 16) |
           (mul255((p >> 8) & 0xFF, m) << 8) | mul255(p & 0xFF, m);
}

Gdiplus::Color toColor(const CColor& c, float globalAlpha)
{
    const auto alpha = static_cast<BYTE>(std::lround(c.alpha * std::clamp(globalAlpha, 0.f, 1.f)));
    return Gdiplus::Color(alpha, c.red, c.green, c.blue);
}

bool isWhole(double v)
{
    return v == std::floor(v);
}

Gdiplus::RectF toRectF(const CRect& r)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(r.left), static_cast<Gdiplus::REAL>(r.top),
                          static_cast<Gdiplus::REAL>(r.getWidth()),
                          static_cast<Gdiplus::REAL>(r.getHeight()));
}

Gdiplus::PointF toPointF(const CPoint& p)
{
    return Gdiplus::PointF(static_cast<Gdiplus::REAL>(p.x), static_cast<Gdiplus::REAL>(p.y));
}

} // namespace

GdiplusBitmap::GdiplusBitmap(int w, int h)
    : width(std::max(w, 0)), height(std::max(h, 0)), pixels(static_cast<size_t>(width) * height, 0)
{
}

GdiplusBitmap::~GdiplusBitmap()
{
    wrapper.reset(); // before the session ends
}

Gdiplus::Bitmap* GdiplusBitmap::gdiplusBitmap()
{
    if (!wrapper && session.isReady() && width > 0 && height > 0)
        wrapper = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                                    reinterpret_cast<BYTE*>(pixels.data()));
    return wrapper.get();
}

std::unique_ptr<GdiplusBitmap> GdiplusBitmap::fromPng(const uint8_t* data, size_t size)
{
    if (!data || size == 0 || size > 0x7FFFFFFF) return nullptr;
    GdiplusSession decoding;
    if (!decoding.isReady()) return nullptr;
    IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
    if (!stream) return nullptr;
    std::unique_ptr<GdiplusBitmap> result;
    {
        std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
        if (decoded && decoded->GetLastStatus() == Gdiplus::Ok)
        {
            const auto w = static_cast<int>(decoded->GetWidth());
            const auto h = static_cast<int>(decoded->GetHeight());
            Gdiplus::Rect all(0, 0, w, h);
            Gdiplus::BitmapData locked{};
            // Straight alpha, exactly the PNG's values; premultiplied here the way cairo does.
            if (w > 0 && h > 0 &&
                decoded->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                  &locked) == Gdiplus::Ok)
            {
                result = std::make_unique<GdiplusBitmap>(w, h);
                for (int y = 0; y < h; ++y)
                {
                    const auto* row = reinterpret_cast<const uint32_t*>(
                        static_cast<const BYTE*>(locked.Scan0) +
                        static_cast<ptrdiff_t>(y) * locked.Stride);
                    uint32_t* out = result->pixels.data() + static_cast<size_t>(y) * w;
                    for (int x = 0; x < w; ++x)
                        out[x] = premultiply(row[x]);
                }
                decoded->UnlockBits(&locked);
            }
        }
    }
    stream->Release();
    return result;
}

GdiplusDrawContext::GdiplusDrawContext(const PixelSurface& t, double s)
    : CDrawContext(CRect(0, 0, t.width / s, t.height / s)), target(t), scale(s)
{
    if (session.isReady() && t.pixels && t.width > 0 && t.height > 0)
    {
        targetBitmap = std::make_unique<Gdiplus::Bitmap>(t.width, t.height, t.stride * 4,
                                                         PixelFormat32bppPARGB,
                                                         reinterpret_cast<BYTE*>(t.pixels));
        graphics = std::make_unique<Gdiplus::Graphics>(targetBitmap.get());
        if (graphics->GetLastStatus() != Gdiplus::Ok)
            graphics.reset();
        else
        {
            // Pixel centres at +0.5, as in cairo: a one-pixel line at x = 10.5 fills column 10.
            graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
            graphics->SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
            graphics->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
            if (scale != 1.0)
                graphics->ScaleTransform(static_cast<Gdiplus::REAL>(scale),
                                         static_cast<Gdiplus::REAL>(scale));
        }
    }
    applyClip();
}

GdiplusDrawContext::~GdiplusDrawContext()
{
    fonts.clear();
    if (graphics) graphics->Flush(Gdiplus::FlushIntentionSync);
    graphics.reset();
    targetBitmap.reset();
}

// On a scaled target the clip lies on whole pixels, its edges on the nearest ones (as in the
// cairo backend).
void GdiplusDrawContext::applyClip()
{
    if (!graphics) return;
    const CRect& c = currentState.clipRect;
    if (scale == 1.0)
    {
        graphics->SetClip(toRectF(c));
        return;
    }
    graphics->SetClip(
        toRectF(CRect(std::round(c.left * scale) / scale, std::round(c.top * scale) / scale,
                      std::round(c.right * scale) / scale, std::round(c.bottom * scale) / scale)));
}

// In the target's pixels.
bool GdiplusDrawContext::integralClip(int& left, int& top, int& right, int& bottom) const
{
    CRect c(currentState.clipRect);
    if (scale != 1.0)
        c = CRect(std::round(c.left * scale), std::round(c.top * scale),
                  std::round(c.right * scale), std::round(c.bottom * scale));
    c.bound(CRect(0, 0, target.width, target.height));
    if (!isWhole(c.left) || !isWhole(c.top) || !isWhole(c.right) || !isWhole(c.bottom))
        return false;
    left = static_cast<int>(c.left);
    top = static_cast<int>(c.top);
    right = static_cast<int>(c.right);
    bottom = static_cast<int>(c.bottom);
    return true;
}

void GdiplusDrawContext::fillAndStroke(CDrawStyle style, Gdiplus::GraphicsPath& path)
{
    if (!graphics) return;
    graphics->SetSmoothingMode(currentState.drawMode == kAntiAliasing
                                   ? Gdiplus::SmoothingModeAntiAlias
                                   : Gdiplus::SmoothingModeNone);
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        Gdiplus::SolidBrush brush(toColor(currentState.fillColor, currentState.globalAlpha));
        graphics->FillPath(&brush, &path);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        Gdiplus::Pen pen(toColor(currentState.frameColor, currentState.globalAlpha),
                         static_cast<Gdiplus::REAL>(currentState.lineWidth));
        const bool round = currentState.lineCap == kLineCapRound;
        pen.SetLineCap(round ? Gdiplus::LineCapRound : Gdiplus::LineCapFlat,
                       round ? Gdiplus::LineCapRound : Gdiplus::LineCapFlat,
                       round ? Gdiplus::DashCapRound : Gdiplus::DashCapFlat);
        if (currentState.lineStyle == kLineOnOffDash)
        {
            // On and off for one line width each, as the cairo backend draws it.
            const Gdiplus::REAL pattern[2] = {1.f, 1.f};
            pen.SetDashPattern(pattern, 2);
        }
        graphics->DrawPath(&pen, &path);
    }
}

void GdiplusDrawContext::drawRect(const CRect& r, CDrawStyle style)
{
    Gdiplus::GraphicsPath path;
    path.AddRectangle(toRectF(r));
    fillAndStroke(style, path);
}

void GdiplusDrawContext::drawLine(const CPoint& from, const CPoint& to)
{
    Gdiplus::GraphicsPath path;
    path.AddLine(toPointF(from), toPointF(to));
    fillAndStroke(kDrawStroked, path);
}

void GdiplusDrawContext::drawPolygon(const std::vector<CPoint>& points, CDrawStyle style)
{
    if (points.empty()) return;
    std::vector<Gdiplus::PointF> p;
    for (const CPoint& c : points)
        p.push_back(toPointF(c));
    Gdiplus::GraphicsPath path;
    if (p.size() == 1)
        path.AddLine(p[0], p[0]);
    else
        path.AddLines(p.data(), static_cast<INT>(p.size()));
    if (style != kDrawStroked) path.CloseFigure();
    fillAndStroke(style, path);
}

void GdiplusDrawContext::drawBitmap(CBitmap* bitmap, const CRect& destIn, const CPoint& offsetIn,
                                    float alpha)
{
    double setScale = 1.0;
    auto* pb =
        bitmap ? dynamic_cast<GdiplusBitmap*>(bitmap->getPlatformBitmap(scale, setScale)) : nullptr;
    if (!pb || destIn.getWidth() <= 0 || destIn.getHeight() <= 0) return;
    const float opacity = std::clamp(alpha * currentState.globalAlpha, 0.f, 1.f);
    // In the target's and the picture's own pixels.
    const CRect& original = destIn;
    const CRect dest(original.left * scale, original.top * scale, original.right * scale,
                     original.bottom * scale);
    const CPoint offset(offsetIn.x * setScale, offsetIn.y * setScale);
    int cl, ct, cr, cb;
    if (setScale == scale && isWhole(dest.left) && isWhole(dest.top) && isWhole(dest.right) &&
        isWhole(dest.bottom) && isWhole(offset.x) && isWhole(offset.y) &&
        integralClip(cl, ct, cr, cb))
    {
        // Whole pixels: copied one to one, no resampling, cairo's blending arithmetic.
        if (graphics) graphics->Flush(Gdiplus::FlushIntentionSync);
        const PixelSurface src = pb->surface();
        const int dx = static_cast<int>(dest.left) - static_cast<int>(offset.x);
        const int dy = static_cast<int>(dest.top) - static_cast<int>(offset.y);
        const int left = std::max({cl, static_cast<int>(dest.left), dx});
        const int right = std::min({cr, static_cast<int>(dest.right), dx + src.width});
        const int top = std::max({ct, static_cast<int>(dest.top), dy});
        const int bottom = std::min({cb, static_cast<int>(dest.bottom), dy + src.height});
        const auto m = static_cast<uint32_t>(std::lround(opacity * 255.f));
        if (m == 0) return;
        for (int y = top; y < bottom; ++y)
        {
            const uint32_t* s = src.pixels + static_cast<size_t>(y - dy) * src.stride;
            uint32_t* d = target.pixels + static_cast<size_t>(y) * target.stride;
            for (int x = left; x < right; ++x)
            {
                const uint32_t p = m == 255 ? s[x - dx] : scaleAll(s[x - dx], m);
                d[x] = over(p, d[x]);
            }
        }
        return;
    }
    Gdiplus::Bitmap* image = pb->gdiplusBitmap();
    if (!graphics || !image) return;
    Gdiplus::ImageAttributes attributes;
    Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                    {0, 1, 0, 0, 0},
                                    {0, 0, 1, 0, 0},
                                    {0, 0, 0, opacity, 0},
                                    {0, 0, 0, 0, 1}}};
    attributes.SetColorMatrix(&matrix);
    const bool resampled = setScale != scale;
    if (resampled)
    {
        // A finer set scaled down smoothly; the edges of the part shown are mirrored, not blended
        // with the neighbouring images of a strip.
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        graphics->SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    }
    graphics->DrawImage(image, toRectF(original), static_cast<Gdiplus::REAL>(offset.x),
                        static_cast<Gdiplus::REAL>(offset.y),
                        static_cast<Gdiplus::REAL>(original.getWidth() * setScale),
                        static_cast<Gdiplus::REAL>(original.getHeight() * setScale),
                        Gdiplus::UnitPixel, &attributes);
    if (resampled) graphics->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
}

GdiplusDrawContext::SelectedFont GdiplusDrawContext::selectFont(bool antialias)
{
    const CFontDesc& f = currentState.font;
    const GdiplusFace face = gdiplusFaceFor(f.getName(), f.getStyle());
    if (graphics)
        graphics->SetTextRenderingHint(antialias
                                           ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                           : Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
    if (!face.family || f.getSize() <= 0) return {nullptr, 0, 0};
    const std::string key = std::string(f.getName()) + "/" + std::to_string(f.getSize()) + "/" +
                            std::to_string(f.getStyle());
    auto it = fonts.find(key);
    if (it == fonts.end())
    {
        auto font =
            std::make_unique<Gdiplus::Font>(face.family, static_cast<Gdiplus::REAL>(f.getSize()),
                                            face.gdiplusStyle, Gdiplus::UnitPixel);
        if (font->GetLastStatus() != Gdiplus::Ok) font.reset();
        it = fonts.emplace(key, std::move(font)).first;
    }
    return {it->second.get(), face.capHeightPerEm * f.getSize(), face.ascentPerEm * f.getSize()};
}

namespace
{
// Typographic layout: no padding around the text, trailing spaces measured, one line.
void setTextLayout(Gdiplus::StringFormat& format)
{
    format.SetFormatFlags(format.GetFormatFlags() |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                          Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
}
} // namespace

CCoord GdiplusDrawContext::getStringWidth(const char* utf8)
{
    if (!utf8 || !*utf8 || !graphics) return 0;
    const SelectedFont f = selectFont(true);
    if (!f.font) return 0;
    const std::wstring text = displayTextToWide(utf8);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    setTextLayout(format);
    Gdiplus::RectF box;
    graphics->MeasureString(text.c_str(), static_cast<INT>(text.size()), f.font,
                            Gdiplus::PointF(0, 0), &format, &box);
    return box.Width;
}

void GdiplusDrawContext::drawText(const std::wstring& text, double x, double baseline,
                                  const SelectedFont& f)
{
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    setTextLayout(format);
    Gdiplus::SolidBrush brush(toColor(currentState.fontColor, currentState.globalAlpha));
    graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), f.font,
                         Gdiplus::PointF(static_cast<Gdiplus::REAL>(x),
                                         static_cast<Gdiplus::REAL>(baseline - f.ascent)),
                         &format, &brush);
}

void GdiplusDrawContext::drawString(const char* utf8, const CRect& rect, CHoriTxtAlign align,
                                    bool antialias)
{
    if (!utf8 || !*utf8 || !graphics) return;
    const SelectedFont f = selectFont(antialias);
    if (!f.font) return;
    const std::wstring text = displayTextToWide(utf8);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    setTextLayout(format);
    Gdiplus::RectF box;
    graphics->MeasureString(text.c_str(), static_cast<INT>(text.size()), f.font,
                            Gdiplus::PointF(0, 0), &format, &box);
    const double width = box.Width;
    double x = rect.left;
    if (align == kRightText)
        x = rect.right - width;
    else if (align == kCenterText)
        x = rect.left + rect.getWidth() / 2 - width / 2;
    // The same vertical placement as the cairo backend: the cap height centred in the rectangle.
    const double h = rect.getHeight();
    const double y = f.capHeight > 0 ? rect.bottom - (h / 2 - f.capHeight / 2)
                                     : rect.bottom - (h / 2 - currentState.font.getSize() / 2) - 1;
    const Gdiplus::GraphicsState saved = graphics->Save();
    graphics->IntersectClip(toRectF(rect));
    drawText(text, x, y, f);
    graphics->Restore(saved);
}

void GdiplusDrawContext::drawString(const char* utf8, const CPoint& baseline, bool antialias)
{
    if (!utf8 || !*utf8 || !graphics) return;
    const SelectedFont f = selectFont(antialias);
    if (!f.font) return;
    drawText(displayTextToWide(utf8), baseline.x, baseline.y, f);
}

GdiplusBackBuffer::GdiplusBackBuffer(int w, int h, double s)
    : frameWidth(w), frameHeight(h), scale(s), width(scaledPixels(w, s)), height(scaledPixels(h, s))
{
    create();
}

bool GdiplusBackBuffer::setScale(double s)
{
    destroy();
    scale = s;
    width = scaledPixels(frameWidth, s);
    height = scaledPixels(frameHeight, s);
    create();
    if (!dirty) return false;
    HRGN all = CreateRectRgn(0, 0, width, height);
    CombineRgn(static_cast<HRGN>(dirty), all, all, RGN_COPY);
    DeleteObject(all);
    return bits != nullptr;
}

void GdiplusBackBuffer::create()
{
    const int w = width, h = height;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc)
    {
        if (bitmap) DeleteObject(bitmap);
        return;
    }
    dib = bitmap;
    memoryDC = dc;
    oldBitmap = SelectObject(dc, bitmap);
    bits = static_cast<uint32_t*>(pixels);
    // Opaque black until drawn, like a fresh RGB image.
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i)
        bits[i] = 0xFF000000u;
    dirty = CreateRectRgn(0, 0, 0, 0);
}

GdiplusBackBuffer::~GdiplusBackBuffer()
{
    destroy();
}

void GdiplusBackBuffer::destroy()
{
    if (dirty) DeleteObject(static_cast<HRGN>(dirty));
    if (memoryDC)
    {
        SelectObject(static_cast<HDC>(memoryDC), static_cast<HGDIOBJ>(oldBitmap));
        DeleteDC(static_cast<HDC>(memoryDC));
    }
    if (dib) DeleteObject(static_cast<HBITMAP>(dib));
    dirty = nullptr;
    memoryDC = nullptr;
    oldBitmap = nullptr;
    dib = nullptr;
    bits = nullptr;
}

void GdiplusBackBuffer::invalidate(const CRect& rect)
{
    if (!dirty) return;
    CRect r(rect.left * scale, rect.top * scale, rect.right * scale, rect.bottom * scale);
    r.bound(CRect(0, 0, width, height));
    if (r.isEmpty()) return;
    HRGN add =
        CreateRectRgn(static_cast<int>(std::floor(r.left)), static_cast<int>(std::floor(r.top)),
                      static_cast<int>(std::ceil(r.right)), static_cast<int>(std::ceil(r.bottom)));
    CombineRgn(static_cast<HRGN>(dirty), static_cast<HRGN>(dirty), add, RGN_OR);
    DeleteObject(add);
}

std::vector<CRect> GdiplusBackBuffer::render(IPlatformFrameCallback* callback)
{
    std::vector<CRect> drawn;
    if (!dirty || !bits) return drawn;
    HRGN region = static_cast<HRGN>(dirty);
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) return drawn;
    std::vector<unsigned char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(region, size, data) == 0) return drawn;
    SetRectRgn(region, 0, 0, 0, 0);
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        drawn.emplace_back(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    if (drawn.empty() || !callback) return drawn;
    auto* context = new GdiplusDrawContext(PixelSurface{bits, width, height, width}, scale);
    for (const CRect& r : drawn)
    {
        const CRect area(r.left / scale, r.top / scale, r.right / scale, r.bottom / scale);
        context->setClipRect(area);
        callback->platformDrawRect(context, area);
    }
    context->forget();
    return drawn;
}

void GdiplusBackBuffer::readPixels(PixelImage& out) const
{
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * height, 0);
    if (!bits) return;
    for (size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = bits[i] & 0xFFFFFF;
}

} // namespace VSTGUI
