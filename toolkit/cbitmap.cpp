#include "cbitmap.h"
#include "cdrawcontext.h"
#include "platform/iplatformframe.h"

namespace VSTGUI
{
namespace
{
BitmapResourceProvider resourceProvider = nullptr;
ScaledBitmapResourceProvider scaledResourceProvider = nullptr;
} // namespace

void setScaledBitmapResourceProvider(ScaledBitmapResourceProvider provider)
{
    scaledResourceProvider = provider;
}
ScaledBitmapResourceProvider getScaledBitmapResourceProvider()
{
    return scaledResourceProvider;
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
    resourceId = desc.resourceId;
}

IPlatformBitmap* CBitmap::getPlatformBitmap(double scale, double& setScale)
{
    setScale = 1.0;
    if (!platformBitmap) return nullptr;
    IPlatformBitmap* best = platformBitmap.get();
    if (scale <= 1.0) return best;
    for (int32_t k = 2; k <= kMaxSetScale; ++k)
    {
        const size_t slot = static_cast<size_t>(k - 2);
        if (!scaledTried[slot])
        {
            scaledTried[slot] = true;
            const uint8_t* data = nullptr;
            size_t size = 0;
            if (scaledResourceProvider && scaledResourceProvider(resourceId, k, &data, &size))
            {
                auto candidate = createPlatformBitmapFromPng(data, size);
                // Only an exact k-fold picture can stand in for the 1x one.
                const CPoint one = platformBitmap->getSize();
                if (candidate && candidate->getSize() == CPoint(one.x * k, one.y * k))
                    scaledBitmaps[slot] = std::move(candidate);
            }
        }
        if (!scaledBitmaps[slot]) continue;
        best = scaledBitmaps[slot].get();
        setScale = k;
        if (k >= scale) break;
    }
    return best;
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
