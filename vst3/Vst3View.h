// The effect's editor as a VST3 view: the same window the VST 2.4 plug-in opens, embedded in the
// host's window, driven by the host (ViewDriver), its size the editor's. Content scaling is
// passed on to the editor, which draws larger when it supports the factor.
#pragma once

#include "vst3/ViewDriver.h"
#include "vst3/Vst3Abi.h"

#include <atomic>

namespace orv::vst3face
{

class Vst3Plugin;

class Vst3View final : public vst3::IPlugView, public vst3::IPlugViewContentScaleSupport
{
public:
    // Holds a reference to the plug-in. Null when out of memory.
    static Vst3View* create(Vst3Plugin* plugin);

    vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
    vst3::uint32 addRef() override;
    vst3::uint32 release() override;

    vst3::tresult isPlatformTypeSupported(vst3::FIDString type) override;
    vst3::tresult attached(void* parent, vst3::FIDString type) override;
    vst3::tresult removed() override;
    vst3::tresult onWheel(float) override { return vst3::kResultFalse; }
    vst3::tresult onKeyDown(vst3::char16, vst3::int16, vst3::int16) override
    {
        return vst3::kResultFalse;
    }
    vst3::tresult onKeyUp(vst3::char16, vst3::int16, vst3::int16) override
    {
        return vst3::kResultFalse;
    }
    vst3::tresult getSize(vst3::ViewRect* size) override;
    vst3::tresult onSize(vst3::ViewRect* newSize) override;
    vst3::tresult onFocus(vst3::TBool) override { return vst3::kResultOk; }
    vst3::tresult setFrame(vst3::IPlugFrame* frame) override;
    vst3::tresult canResize() override { return vst3::kResultFalse; }
    vst3::tresult checkSizeConstraint(vst3::ViewRect* rect) override;

    vst3::tresult setContentScaleFactor(float factor) override;

    // The plug-in gives the editor to another view (or goes): this one closes and lets go of it.
    void detachFromPlugin();
    // The editor asks for another size.
    bool requestResize(int32_t width, int32_t height);

private:
    explicit Vst3View(Vst3Plugin* plugin);
    ~Vst3View();
    static void idle(void* self);
    void close();

    std::atomic<vst3::uint32> references{1};
    Vst3Plugin* plugin;
    vst3::IPlugFrame* frame = nullptr;
    ViewDriver driver;
    bool isAttached = false;
};

} // namespace orv::vst3face
