#include "vst3/Vst3Factory.h"
#include "vst3/Utf16.h"
#include "vst3/Vst3Plugin.h"

#include "OrvVersion.h"

#include <cstring>

namespace orv::vst3face
{
using namespace vst3;

namespace
{
constexpr const char* kVendor = "www.orvatone.com";
constexpr const char* kUrl = "https://www.orvatone.com";
constexpr const char* kEffectName = "Orv Sympharon";
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Fx|Reverb|Stereo";
constexpr const char* kSdkVersion = "VST 3.7.14";

template <size_t N> void copyText(char (&to)[N], const char* text)
{
    std::strncpy(to, text, N - 1);
    to[N - 1] = 0;
}

// What every class-info structure says alike of the one class: its id, instance count and
// category, on a zeroed structure.
template <typename ClassInfo> void describeClass(ClassInfo& info)
{
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.cid, kEffectClassId.bytes, sizeof info.cid);
    info.cardinality = kManyInstances;
    copyText(info.category, kCategory);
}
} // namespace

Vst3Factory& Vst3Factory::instance()
{
    static Vst3Factory factory;
    return factory;
}

tresult Vst3Factory::queryInterface(const TUID iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    const bool known = sameUid(iid, FUnknown::iid) || sameUid(iid, IPluginFactory::iid) ||
                       sameUid(iid, IPluginFactory2::iid) || sameUid(iid, IPluginFactory3::iid);
    *obj = known ? this : nullptr;
    return known ? kResultOk : kNoInterface;
}

tresult Vst3Factory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    copyText(info->vendor, kVendor);
    copyText(info->url, kUrl);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
}

tresult Vst3Factory::getClassInfo(int32 index, PClassInfo* info)
{
    if (index != 0 || !info) return kInvalidArgument;
    describeClass(*info);
    copyText(info->name, kEffectName);
    return kResultOk;
}

tresult Vst3Factory::getClassInfo2(int32 index, PClassInfo2* info)
{
    if (index != 0 || !info) return kInvalidArgument;
    describeClass(*info);
    copyText(info->name, kEffectName);
    copyText(info->subCategories, kSubCategories);
    copyText(info->vendor, kVendor);
    copyText(info->version, ORV_VERSION_TEXT);
    copyText(info->sdkVersion, kSdkVersion);
    return kResultOk;
}

tresult Vst3Factory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    if (index != 0 || !info) return kInvalidArgument;
    describeClass(*info);
    copyUtf16(info->name, 64, kEffectName);
    copyText(info->subCategories, kSubCategories);
    copyUtf16(info->vendor, 64, kVendor);
    copyUtf16(info->version, 64, ORV_VERSION_TEXT);
    copyUtf16(info->sdkVersion, 64, kSdkVersion);
    return kResultOk;
}

tresult Vst3Factory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid || !sameUid(cid, kEffectClassId)) return kNoInterface;
    Vst3Plugin* plugin = Vst3Plugin::create();
    if (!plugin) return kOutOfMemory;
    // The caller gets its own reference from queryInterface; the creation's goes.
    const tresult result = plugin->queryInterface(iid, obj);
    plugin->release();
    return result;
}

} // namespace orv::vst3face
