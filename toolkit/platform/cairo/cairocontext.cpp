#include "cairocontext.h"
#include "../../cbitmap.h"
#include "fontfaces.h"
#include "text/TextBytes.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace VSTGUI
{

CPoint CairoBitmap::getSize() const
{
    return {static_cast<CCoord>(cairo_image_surface_get_width(surface)),
            static_cast<CCoord>(cairo_image_surface_get_height(surface))};
}

namespace
{
struct PngReader
{
    const uint8_t* data;
    size_t size;
    size_t pos;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length)
{
    auto* r = static_cast<PngReader*>(closure);
    if (r->size - r->pos < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}
} // namespace

std::unique_ptr<CairoBitmap> CairoBitmap::fromPng(const uint8_t* data, size_t size)
{
    if (!data || size == 0) return nullptr;
    PngReader reader{data, size, 0};
    // Never null: failures come back as an error surface.
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(s);
        return nullptr;
    }
    if (cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32)
    {
        const int w = cairo_image_surface_get_width(s);
        const int h = cairo_image_surface_get_height(s);
        cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* c = cairo_create(argb);
        cairo_set_source_surface(c, s, 0, 0);
        cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
        cairo_paint(c);
        cairo_destroy(c);
        cairo_surface_destroy(s);
        s = argb;
    }
    return std::make_unique<CairoBitmap>(s);
}

CairoDrawContext::CairoDrawContext(cairo_surface_t* surface, double s)
    : CDrawContext(CRect(0, 0, cairo_image_surface_get_width(surface) / s,
                         cairo_image_surface_get_height(surface) / s)),
      cr(cairo_create(surface)), scale(s)
{
    cairo_scale(cr, scale, scale);
    applyClip();
}

CairoDrawContext::~CairoDrawContext()
{
    cairo_destroy(cr);
}

// A cairo context that has met an error ignores every later request, so one bad call would blank
// everything drawn after it in the same pass. Should that ever happen, a fresh context on the
// same surface takes over with the current clip.
void CairoDrawContext::keepUsable()
{
    if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) return;
    cairo_surface_t* surface = cairo_get_target(cr);
    cairo_surface_reference(surface);
    cairo_destroy(cr);
    cr = cairo_create(surface);
    cairo_surface_destroy(surface);
    cairo_scale(cr, scale, scale);
    applyClip();
}

// On a scaled surface the clip lies on whole pixels, its edges on the nearest ones: views that
// meet at a fractional pixel share it without a seam or a doubly drawn column.
void CairoDrawContext::applyClip()
{
    cairo_reset_clip(cr);
    const CRect& c = currentState.clipRect;
    if (scale == 1.0)
    {
        cairo_rectangle(cr, c.left, c.top, c.getWidth(), c.getHeight());
        cairo_clip(cr);
        return;
    }
    const double left = std::round(c.left * scale) / scale;
    const double top = std::round(c.top * scale) / scale;
    const double right = std::round(c.right * scale) / scale;
    const double bottom = std::round(c.bottom * scale) / scale;
    cairo_rectangle(cr, left, top, std::max(0.0, right - left), std::max(0.0, bottom - top));
    cairo_clip(cr);
}

void CairoDrawContext::setSourceColor(const CColor& c)
{
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0,
                          c.alpha / 255.0 * currentState.globalAlpha);
}

void CairoDrawContext::fillAndStroke(CDrawStyle style)
{
    cairo_set_antialias(cr, currentState.drawMode == kAntiAliasing ? CAIRO_ANTIALIAS_DEFAULT
                                                                   : CAIRO_ANTIALIAS_NONE);
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        setSourceColor(currentState.fillColor);
        if (style == kDrawFilledAndStroked)
            cairo_fill_preserve(cr);
        else
            cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        setSourceColor(currentState.frameColor);
        cairo_set_line_width(cr, currentState.lineWidth);
        cairo_set_line_cap(cr, currentState.lineCap == kLineCapRound ? CAIRO_LINE_CAP_ROUND
                                                                     : CAIRO_LINE_CAP_BUTT);
        if (currentState.lineStyle == kLineOnOffDash)
        {
            const double dash = currentState.lineWidth;
            cairo_set_dash(cr, &dash, 1, 0);
        }
        else
            cairo_set_dash(cr, nullptr, 0, 0);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    keepUsable();
}

void CairoDrawContext::drawRect(const CRect& r, CDrawStyle style)
{
    cairo_rectangle(cr, r.left, r.top, r.getWidth(), r.getHeight());
    fillAndStroke(style);
}

void CairoDrawContext::drawLine(const CPoint& from, const CPoint& to)
{
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x, to.y);
    fillAndStroke(kDrawStroked);
}

void CairoDrawContext::drawPolygon(const std::vector<CPoint>& points, CDrawStyle style)
{
    if (points.empty()) return;
    cairo_move_to(cr, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        cairo_line_to(cr, points[i].x, points[i].y);
    if (style != kDrawStroked) cairo_close_path(cr);
    fillAndStroke(style);
}

void CairoDrawContext::drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset,
                                  float alpha)
{
    double setScale = 1.0;
    auto* pb =
        bitmap ? dynamic_cast<CairoBitmap*>(bitmap->getPlatformBitmap(scale, setScale)) : nullptr;
    if (!pb || dest.getWidth() <= 0 || dest.getHeight() <= 0) return;
    cairo_save(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cr);
    const double deviceLeft = dest.left * scale, deviceTop = dest.top * scale;
    if (setScale == scale && deviceLeft == std::floor(deviceLeft) &&
        deviceTop == std::floor(deviceTop))
    {
        // The picture's pixels are the surface's: a pixel-exact copy, never resampled.
        cairo_translate(cr, dest.left - offset.x, dest.top - offset.y);
        cairo_scale(cr, 1.0 / setScale, 1.0 / setScale);
        cairo_set_source_surface(cr, pb->getSurface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    }
    else
    {
        // A finer set scaled down smoothly (or a missing finer set scaled up). Only the part of
        // the picture that is shown is sampled, its edges extended: the filter must not blend in
        // the neighbouring images of a strip.
        const double x0 = std::floor(offset.x * setScale), y0 = std::floor(offset.y * setScale);
        const double w =
            std::min(std::ceil(dest.getWidth() * setScale),
                     static_cast<double>(cairo_image_surface_get_width(pb->getSurface())) - x0);
        const double h =
            std::min(std::ceil(dest.getHeight() * setScale),
                     static_cast<double>(cairo_image_surface_get_height(pb->getSurface())) - y0);
        if (w <= 0 || h <= 0)
        {
            cairo_restore(cr);
            return;
        }
        cairo_surface_t* part = cairo_surface_create_for_rectangle(pb->getSurface(), x0, y0, w, h);
        cairo_translate(cr, dest.left, dest.top);
        cairo_scale(cr, 1.0 / setScale, 1.0 / setScale);
        cairo_set_source_surface(cr, part, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_surface_destroy(part);
    }
    cairo_paint_with_alpha(cr, alpha * currentState.globalAlpha);
    cairo_restore(cr);
    keepUsable();
}

double CairoDrawContext::selectFont(bool antialias)
{
    const CFontDesc& f = currentState.font;
    FontFace face = fontFaceFor(f.getName(), f.getStyle());
    cairo_set_font_face(cr, face.face);
    cairo_set_font_size(cr, f.getSize());
    cairo_font_options_t* opts = cairo_font_options_create();
    // Fixed options: text looks the same whatever the desktop's font settings are.
    cairo_font_options_set_antialias(opts, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(opts, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, opts);
    cairo_font_options_destroy(opts);
    return face.capHeightPerEm * f.getSize();
}

// cairo takes only valid UTF-8 (anything else puts the context into an error state); names from
// Windows carry Windows-1252 bytes, which are shown as the characters they stand for.
CCoord CairoDrawContext::getStringWidth(const char* text)
{
    if (!text || !*text) return 0;
    const std::string utf8 = orv::toDisplayUtf8(text);
    selectFont(true);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, utf8.c_str(), &ext);
    keepUsable();
    return ext.x_advance;
}

void CairoDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align,
                                  bool antialias)
{
    if (!text || !*text) return;
    const std::string utf8 = orv::toDisplayUtf8(text);
    const double capHeight = selectFont(antialias);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, utf8.c_str(), &ext);
    const double width = ext.x_advance;
    double x = rect.left;
    if (align == kRightText)
        x = rect.right - width;
    else if (align == kCenterText)
        x = rect.left + rect.getWidth() / 2 - width / 2;
    const double h = rect.getHeight();
    const double y = capHeight > 0 ? rect.bottom - (h / 2 - capHeight / 2)
                                   : rect.bottom - (h / 2 - currentState.font.getSize() / 2) - 1;
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    setSourceColor(currentState.fontColor);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, utf8.c_str());
    cairo_new_path(cr);
    cairo_restore(cr);
    keepUsable();
}

void CairoDrawContext::drawString(const char* text, const CPoint& baseline, bool antialias)
{
    if (!text || !*text) return;
    const std::string utf8 = orv::toDisplayUtf8(text);
    selectFont(antialias);
    setSourceColor(currentState.fontColor);
    cairo_move_to(cr, baseline.x, baseline.y);
    cairo_show_text(cr, utf8.c_str());
    cairo_new_path(cr);
    keepUsable();
}

CairoBackBuffer::CairoBackBuffer(int w, int h, double s)
    : frameWidth(w), frameHeight(h), scale(s), width(scaledPixels(w, s)),
      height(scaledPixels(h, s)),
      surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      dirtyRegion(cairo_region_create())
{
}

void CairoBackBuffer::setScale(double s)
{
    scale = s;
    width = scaledPixels(frameWidth, s);
    height = scaledPixels(frameHeight, s);
    cairo_surface_destroy(surface);
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_region_destroy(dirtyRegion);
    const cairo_rectangle_int_t all{0, 0, width, height};
    dirtyRegion = cairo_region_create_rectangle(&all);
}

CairoBackBuffer::~CairoBackBuffer()
{
    cairo_region_destroy(dirtyRegion);
    cairo_surface_destroy(surface);
}

void CairoBackBuffer::invalidate(const CRect& rect)
{
    CRect r(rect.left * scale, rect.top * scale, rect.right * scale, rect.bottom * scale);
    r.bound(CRect(0, 0, width, height));
    if (r.isEmpty()) return;
    const cairo_rectangle_int_t ir{static_cast<int>(std::floor(r.left)),
                                   static_cast<int>(std::floor(r.top)),
                                   static_cast<int>(std::ceil(r.right) - std::floor(r.left)),
                                   static_cast<int>(std::ceil(r.bottom) - std::floor(r.top))};
    cairo_region_union_rectangle(dirtyRegion, &ir);
}

cairo_region_t* CairoBackBuffer::render(IPlatformFrameCallback* callback)
{
    cairo_region_t* drawn = dirtyRegion;
    dirtyRegion = cairo_region_create();
    const int n = cairo_region_num_rectangles(drawn);
    if (n == 0) return drawn;
    auto* context = new CairoDrawContext(surface, scale);
    for (int i = 0; i < n; ++i)
    {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(drawn, i, &r);
        const CRect area(r.x / scale, r.y / scale, (r.x + r.width) / scale,
                         (r.y + r.height) / scale);
        context->setClipRect(area);
        callback->platformDrawRect(context, area);
    }
    context->forget();
    cairo_surface_flush(surface);
    return drawn;
}

void CairoBackBuffer::readPixels(PixelImage& out)
{
    cairo_surface_flush(surface);
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
    {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x)
            out.pixels[static_cast<size_t>(y) * width + x] = row[x] & 0xFFFFFF;
    }
}

} // namespace VSTGUI
