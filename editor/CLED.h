#pragma once
// A two-state lamp: draws the upper (off) or lower (on) half of its bitmap. Display only.
#include "vstgui.h"

class CLED : public CControl
{
public:
    CLED(const CRect& size, CBitmap* bitmap);
    CLED(const CLED& other);
    ~CLED() override;

    void draw(CDrawContext* context) override;

    CLASS_METHODS(CLED, CControl)

private:
    CBitmap* bitmap;
    CPoint offOffset;
    CPoint onOffset;
    CRect drawRect;
};
