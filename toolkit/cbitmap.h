#pragma once
// Bitmaps loaded from the plug-in's embedded PNG resources by integer id.
#include "cbaseobject.h"
#include "cgeometry.h"
#include <cstddef>
#include <cstdint>
#include <memory>

namespace VSTGUI
{

class CDrawContext;
class IPlatformBitmap;

class CResourceDescription
{
public:
    enum Type : int32_t
    {
        kIntegerType = 0,
        kStringType = 1,
        kUnknownType = 2
    };
    CResourceDescription() = default;
    CResourceDescription(int32_t id) : type(kIntegerType), resourceId(id) {}

    Type type = kUnknownType;
    int32_t resourceId = 0;
};

// Where the toolkit finds the bytes of resource `id`; returns false when there is none. The
// plug-in installs its own lookup; the toolkit knows nothing of what is embedded.
using BitmapResourceProvider = bool (*)(int32_t id, const uint8_t** data, size_t* size);
void setBitmapResourceProvider(BitmapResourceProvider provider);
BitmapResourceProvider getBitmapResourceProvider();

// Where the toolkit finds the same picture drawn at `scale` (2 or 3) times its resolution, for
// sharp drawing on scaled frames; false when there is none (the 1x picture is scaled up then).
using ScaledBitmapResourceProvider = bool (*)(int32_t id, int32_t scale, const uint8_t** data,
                                              size_t* size);
void setScaledBitmapResourceProvider(ScaledBitmapResourceProvider provider);
ScaledBitmapResourceProvider getScaledBitmapResourceProvider();

class CBitmap : public CBaseObject
{
public:
    // Loads at once. A missing or undecodable resource gives an unloaded bitmap: size 0 x 0,
    // drawing does nothing.
    explicit CBitmap(const CResourceDescription& desc);
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(0, 0),
              float alpha = 1.f);
    CCoord getWidth() const;
    CCoord getHeight() const;
    bool isLoaded() const { return platformBitmap != nullptr; }
    // The picture at its own size (1x): width and height are those of the bitmap.
    IPlatformBitmap* getPlatformBitmap() const { return platformBitmap.get(); }
    // The picture to draw on a context scaled by `scale`: the smallest set that is at least as
    // fine (1x, 2x, 3x), else the finest there is. `setScale` gets that set's factor. Null when
    // the bitmap is not loaded.
    IPlatformBitmap* getPlatformBitmap(double scale, double& setScale);

    static constexpr int32_t kMaxSetScale = 3;

    CLASS_METHODS_NOCOPY(CBitmap, CBaseObject)

private:
    std::unique_ptr<IPlatformBitmap> platformBitmap;
    int32_t resourceId = -1;
    // The 2x and 3x sets, loaded when first needed.
    std::unique_ptr<IPlatformBitmap> scaledBitmaps[kMaxSetScale - 1];
    bool scaledTried[kMaxSetScale - 1] = {};
};

} // namespace VSTGUI
