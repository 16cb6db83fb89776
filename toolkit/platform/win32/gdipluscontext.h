#pragma once
// The GDI+ implementation of the toolkit's drawing surface and bitmaps, shared by the Win32
// window and the offscreen backend (both draw into a 32-bit image back buffer, so their pixels
// are the same). Bitmaps are copied and blended by hand with the same arithmetic as cairo's, so
// the artwork lands on the same pixels as on Linux; shapes and text go through GDI+.
#include "../../cdrawcontext.h"
#include "../../cframe.h"
#include "gdiplussession.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Gdiplus
{
class Bitmap;
class Font;
class Graphics;
class GraphicsPath;
} // namespace Gdiplus

namespace VSTGUI
{

// 32-bit pixels with premultiplied alpha (GDI+'s PARGB): 0xAARRGGBB in memory order B, G, R, A.
struct PixelSurface
{
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0; // in pixels
};

class GdiplusBitmap : public IPlatformBitmap
{
public:
    GdiplusBitmap(int width, int height);
    ~GdiplusBitmap() override;
    CPoint getSize() const override { return CPoint(width, height); }

    // Decodes PNG bytes with GDI+ (any colour type). Null on any error.
    static std::unique_ptr<GdiplusBitmap> fromPng(const uint8_t* data, size_t size);

    PixelSurface surface() { return {pixels.data(), width, height, width}; }
    // A GDI+ bitmap over the same pixels, for drawing at fractional positions.
    Gdiplus::Bitmap* gdiplusBitmap();

private:
    GdiplusSession session;
    int width;
    int height;
    std::vector<uint32_t> pixels;
    std::unique_ptr<Gdiplus::Bitmap> wrapper;
};

class GdiplusDrawContext : public CDrawContext
{
public:
    // Draws into `target`, whose top-left pixel is (0, 0) of the frame; frame coordinates are
    // multiplied by `scale` to give the target's pixels. The pixels must outlive the context.
    explicit GdiplusDrawContext(const PixelSurface& target, double scale = 1.0);
    ~GdiplusDrawContext() override;

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked) override;
    void drawLine(const CPoint& from, const CPoint& to) override;
    void drawPolygon(const std::vector<CPoint>& points, CDrawStyle style = kDrawStroked) override;
    void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha) override;
    void drawString(const char* utf8, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true) override;
    void drawString(const char* utf8, const CPoint& baseline, bool antialias = true) override;
    CCoord getStringWidth(const char* utf8) override;

protected:
    void applyClip() override;

private:
    struct SelectedFont
    {
        Gdiplus::Font* font; // null when no font could be made
        double capHeight;    // pixels; 0 if unknown
        double ascent;       // pixels from the top of the text cell to the baseline
    };
    SelectedFont selectFont(bool antialias);
    void fillAndStroke(CDrawStyle style, Gdiplus::GraphicsPath& path);
    // The clip rectangle in whole pixels, or false when it is not on pixel edges.
    bool integralClip(int& left, int& top, int& right, int& bottom) const;
    void drawText(const std::wstring& text, double x, double baseline, const SelectedFont& f);

    GdiplusSession session;
    PixelSurface target;
    std::unique_ptr<Gdiplus::Bitmap> targetBitmap;
    std::unique_ptr<Gdiplus::Graphics> graphics;
    std::map<std::string, std::unique_ptr<Gdiplus::Font>> fonts;
    double scale;
};

// An image of the whole frame plus the part that needs redrawing. The frame's size is given in
// frame coordinates; the image has that size times the scale factor in pixels.
class GdiplusBackBuffer
{
public:
    GdiplusBackBuffer(int width, int height, double scale = 1.0);
    ~GdiplusBackBuffer();
    GdiplusBackBuffer(const GdiplusBackBuffer&) = delete;
    GdiplusBackBuffer& operator=(const GdiplusBackBuffer&) = delete;

    bool isValid() const { return bits != nullptr; }
    // `rect` in frame coordinates; marks every pixel it touches.
    void invalidate(const CRect& rect);
    // A new scale: a new image, all of it to be redrawn. False when it cannot be made.
    bool setScale(double scale);
    double getScale() const { return scale; }
    // Draws every invalid rectangle through the frame; returns the rectangles drawn (disjoint).
    std::vector<CRect> render(IPlatformFrameCallback* callback);
    void readPixels(PixelImage& out) const;
    // A memory device context with the image selected, for copying it to a window.
    void* getMemoryDC() const { return memoryDC; }
    // In pixels.
    int getWidth() const { return width; }
    int getHeight() const { return height; }

private:
    void create();
    void destroy();

    int frameWidth;
    int frameHeight;
    double scale;
    int width;
    int height;
    void* dib = nullptr;      // HBITMAP
    void* memoryDC = nullptr; // HDC
    void* oldBitmap = nullptr;
    uint32_t* bits = nullptr;
    void* dirty = nullptr; // HRGN
};

} // namespace VSTGUI
