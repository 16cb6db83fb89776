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
    void setFrameColor(const CColor& c) { currentState.frameColor = c; }
    void setFontColor(const CColor& c) { currentState.fontColor = c; }
    // A size above 0 or a style of 0 or more overrides the font's own.
    void setFont(const CFontDesc* font, double size = 0, int32_t style = -1);
    void setLineWidth(CCoord w) { currentState.lineWidth = w; }
    void setLineCap(CLineCap c) { currentState.lineCap = c; }
    void setDrawMode(CDrawMode m) { currentState.drawMode = m; }
    void saveGlobalState();
    void restoreGlobalState();

    // Clipping, in surface coordinates.
    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;

    // Shapes
    virtual void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked) = 0;
    virtual void drawLine(const CPoint& from, const CPoint& to) = 0;
    virtual void drawPolygon(const std::vector<CPoint>& points,
                             CDrawStyle style = kDrawStroked) = 0;

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
};

} // namespace VSTGUI
