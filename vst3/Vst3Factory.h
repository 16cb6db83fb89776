// The module's factory: one audio-effect class, the effect. The factory is a single object that
// lives as long as the library; its reference count only answers the format's rules.
#pragma once

#include "vst3/Vst3Abi.h"

namespace orv::vst3face
{

class Vst3Factory final : public vst3::IPluginFactory3
{
public:
    static Vst3Factory& instance();

    vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
    vst3::uint32 addRef() override { return 1; }
    vst3::uint32 release() override { return 1; }

    vst3::tresult getFactoryInfo(vst3::PFactoryInfo* info) override;
    vst3::int32 countClasses() override { return 1; }
    vst3::tresult getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
    vst3::tresult createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj) override;
    vst3::tresult getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;
    vst3::tresult getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info) override;
    vst3::tresult setHostContext(vst3::FUnknown*) override { return vst3::kResultOk; }

private:
    Vst3Factory() = default;
};

} // namespace orv::vst3face
