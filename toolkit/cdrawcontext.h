#pragma once
// Drawing surface handed to views. The controls use only this interface; each platform provides
// one implementation (cairo on Linux and offscreen).
#include "cbaseobject.h"
#include "ccolor.h"
#include "cfont.h"
#include "cgeometry.h"
#include <vector>

namespace VSTGUI
{

class CBitmap;

enum CHoriTxtAlign : int32_t
{
    kLeftText = 0,
    kCenterText = 1,
    kRightText = 2
};

enum CDrawStyle : int32_t
{
    kDrawStroked = 0,
    kDrawFilled = 1,
    kDrawFilledAndStroked = 2
};

enum CDrawMode : int32_t
{
    kAliasing = 0,
    kAntiAliasing = 1
};

enum CLineStyle : int32_t
{
    kLineSolid = 0,
    kLineOnOffDash = 1
};

enum CLineCap : int32_t
{
    kLineCapButt = 0,
    kLineCapRound = 1
};

class CDrawContext : public CBaseObject
{
public:
    explicit CDrawContext(const CRect& surfaceRect);
    ~CDrawContext() override;

    // State
    void setFillColor(const CColor& c) { currentState.fillColor = c; }
    const CColor& getFillColor() const { return currentState.fillColor; }
    void setFrameColor(const CColor& c) { currentState.frameColor = c; }
    const CColor& getFrameColor() const { return currentState.frameColor; }
    void setFontColor(const CColor& c) { currentState.fontColor = c; }
    const CColor& getFontColor() const { return currentState.fontColor; }
    // A size above 0 or a style of 0 or more overrides the font's own.
    void setFont(const CFontDesc* font, double size = 0, int32_t style = -1);
    const CFontDesc& getFont() const { return currentState.font; }
    void setLineWidth(CCoord w) { currentState.lineWidth = w; }
    CCoord getLineWidth() const { return currentState.lineWidth; }
    void setLineStyle(CLineStyle s) { currentState.lineStyle = s; }
    void setLineCap(CLineCap c) { currentState.lineCap = c; }
    void setDrawMode(CDrawMode m) { currentState.drawMode = m; }
    CDrawMode getDrawMode() const { return currentState.drawMode; }
    void setGlobalAlpha(float a) { currentState.globalAlpha = a; }
    float getGlobalAlpha() const { return currentState.globalAlpha; }
    void saveGlobalState();
    void restoreGlobalState();

    // Clipping, in surface coordinates.
    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;
    void resetClipRect();

    // Shapes
    virtual void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked) = 0;
    virtual void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked) = 0;
    virtual void drawLine(const CPoint& from, const CPoint& to) = 0;
    virtual void drawPolygon(const std::vector<CPoint>& points,
                             CDrawStyle style = kDrawStroked) = 0;
    // Makes the pixels of rect transparent black.
    virtual void clearRect(const CRect& rect) = 0;
    void moveTo(const CPoint& p) { penPosition = p; }
    void lineTo(const CPoint& p)
    {
        drawLine(penPosition, p);
        penPosition = p;
    }

    // Copies the source area of `bitmap` that starts at `offset` (size of `dest`) into `dest`.
    virtual void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset,
                            float alpha) = 0;

    // Text: the cap height is centred vertically in rect; the string is clipped to rect. Texts are
    // byte strings: valid UTF-8 sequences are drawn as such and every other byte as the
    // Windows-1252 character it stands for (see text/TextBytes.h), so no text can break drawing.
    virtual void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                            bool antialias = true) = 0;
    virtual void drawString(const char* text, const CPoint& baseline, bool antialias = true) = 0;
    virtual CCoord getStringWidth(const char* text) = 0;

    const CRect& getSurfaceRect() const { return surfaceRect; }

protected:
    struct State
    {
        CColor fillColor = kWhiteCColor;
        CColor frameColor = kBlackCColor;
        CColor fontColor = kWhiteCColor;
        CFontDesc font{"Arial", 12, kNormalFace};
        CCoord lineWidth = 1;
        CLineStyle lineStyle = kLineSolid;
        CLineCap lineCap = kLineCapButt;
        CDrawMode drawMode = kAliasing;
        float globalAlpha = 1.f;
        CRect clipRect;
    };
    // Applies clipRect to the underlying surface.
    virtual void applyClip() = 0;

    State currentState;
    std::vector<State> stateStack;
    CRect surfaceRect;
    CPoint penPosition;
};

} // namespace VSTGUI
