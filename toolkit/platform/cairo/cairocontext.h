#pragma once
// The cairo implementation of the toolkit's drawing surface and bitmaps, shared by the offscreen
// and the X11 backends (both draw into an image back buffer, so their pixels are the same).
#include "../../cdrawcontext.h"
#include "../../cframe.h"
#include <cairo.h>
#include <memory>

namespace VSTGUI
{

class CairoBitmap : public IPlatformBitmap
{
public:
    explicit CairoBitmap(cairo_surface_t* s) : surface(s) {}
    ~CairoBitmap() override { cairo_surface_destroy(surface); }
    CPoint getSize() const override;
    cairo_surface_t* getSurface() const { return surface; }

    // Decodes PNG bytes (any PNG colour type; stored as 32-bit ARGB). Null on any error.
    static std::unique_ptr<CairoBitmap> fromPng(const uint8_t* data, size_t size);

private:
    cairo_surface_t* surface;
};

class CairoDrawContext : public CDrawContext
{
public:
    // Draws into `surface`, whose top-left pixel is (0, 0) of the frame; frame coordinates are
    // multiplied by `scale` to give the surface's pixels.
    explicit CairoDrawContext(cairo_surface_t* surface, double scale = 1.0);
    ~CairoDrawContext() override;

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked) override;
    void drawLine(const CPoint& from, const CPoint& to) override;
    void drawPolygon(const std::vector<CPoint>& points, CDrawStyle style = kDrawStroked) override;
    void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha) override;
    // Text of any bytes: UTF-8 where it is valid, Windows-1252 elsewhere.
    void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true) override;
    void drawString(const char* text, const CPoint& baseline, bool antialias = true) override;
    CCoord getStringWidth(const char* text) override;

protected:
    void applyClip() override;

private:
    void setSourceColor(const CColor& c);
    void fillAndStroke(CDrawStyle style);
    // Selects the current font; returns its cap height in pixels (0 if unknown).
    double selectFont(bool antialias);
    // Replaces the cairo context if a request has put it into an error state.
    void keepUsable();
    cairo_t* cr;
    double scale;
};

// An RGB24 image of the whole frame plus the region that needs redrawing. The frame's size is
// given in frame coordinates; the image has that size times the scale factor in pixels.
class CairoBackBuffer
{
public:
    CairoBackBuffer(int width, int height, double scale = 1.0);
    ~CairoBackBuffer();
    CairoBackBuffer(const CairoBackBuffer&) = delete;
    CairoBackBuffer& operator=(const CairoBackBuffer&) = delete;

    // `rect` in frame coordinates; marks every pixel it touches.
    void invalidate(const CRect& rect);
    // A new scale: a new image, all of it to be redrawn.
    void setScale(double scale);
    double getScale() const { return scale; }
    // Draws every invalid rectangle through the frame; returns the region drawn (caller owns
    // it, may be empty).
    cairo_region_t* render(IPlatformFrameCallback* callback);
    void readPixels(PixelImage& out);
    cairo_surface_t* getSurface() const { return surface; }
    // In pixels.
    int getWidth() const { return width; }
    int getHeight() const { return height; }

private:
    int frameWidth;
    int frameHeight;
    double scale;
    int width;
    int height;
    cairo_surface_t* surface;
    cairo_region_t* dirtyRegion;
};

} // namespace VSTGUI
