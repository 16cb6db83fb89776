#include "CLED.h"

CLED::CLED(const CRect& size, CBitmap* bmp)
    : CControl(size, nullptr, 0, nullptr), bitmap(bmp), offOffset(0, 0),
      onOffset(0, bmp ? 0.5 * bmp->getHeight() : 0), drawRect(size)
{
    if (bitmap) bitmap->remember();
    value = 0.f;
}

CLED::CLED(const CLED& o)
    : CControl(o), bitmap(o.bitmap), offOffset(o.offOffset), onOffset(o.onOffset),
      drawRect(o.drawRect)
{
    if (bitmap) bitmap->remember();
}

CLED::~CLED()
{
    if (bitmap) bitmap->forget();
}

void CLED::draw(CDrawContext* context)
{
    if (!bitmap) return;
    bitmap->draw(context, drawRect, value > 0.5f ? onOffset : CPoint(0, 0), 1.0f);
}
