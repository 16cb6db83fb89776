// The platform choices every backend shares: which backend kDefaultNative stands for, and the
// module the toolkit's code lives in. The backends themselves are made in the platform's own
// factory file (linux/ or win32/).
#include "iplatformframe.h"

namespace VSTGUI
{
namespace
{
PlatformType defaultType = kDefaultNative;
void* moduleHandle = nullptr;
} // namespace

void setDefaultPlatformType(PlatformType type)
{
    defaultType = type;
}
PlatformType getDefaultPlatformType()
{
    return defaultType;
}

void setPlatformModuleHandle(void* module)
{
    moduleHandle = module;
}
void* getPlatformModuleHandle()
{
    return moduleHandle;
}

} // namespace VSTGUI
