#include "cbitmap.h"
#include "cdrawcontext.h"
#include "platform/iplatformframe.h"

namespace VSTGUI
{
namespace
{
BitmapResourceProvider resourceProvider = nullptr;
}

void setBitmapResourceProvider(BitmapResourceProvider provider)
{
    resourceProvider = provider;
}
BitmapResourceProvider getBitmapResourceProvider()
{
    return resourceProvider;
}

CBitmap::CBitmap(const CResourceDescription& desc)
{
    if (desc.type != CResourceDescription::kIntegerType || !resourceProvider) return;
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (resourceProvider(desc.resourceId, &data, &size))
        platformBitmap = createPlatformBitmapFromPng(data, size);
}

CBitmap::~CBitmap() = default;

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha)
{
    if (context && platformBitmap) context->drawBitmap(this, rect, offset, alpha);
}

CCoord CBitmap::getWidth() const
{
    return platformBitmap ? platformBitmap->getSize().x : 0;
}
CCoord CBitmap::getHeight() const
{
    return platformBitmap ? platformBitmap->getSize().y : 0;
}

} // namespace VSTGUI
