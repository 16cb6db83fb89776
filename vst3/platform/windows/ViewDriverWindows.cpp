// Windows: the editor's own window timer (every 50 ms on the window's thread) handles its idle,
// and its window receives its events from the host's message loop. A thread timer of the same
// period brings the view's own work (telling the host of program changes) to the same thread.
#include "vst3/ViewDriver.h"

#include <windows.h>

#include <map>

namespace orv::vst3face
{

struct ViewDriver::Impl
{
    IdleFunction idle;
    void* owner;
    UINT_PTR timer = 0;
};

namespace
{
constexpr UINT kIdlePeriodMs = 50;

// The running drivers by timer id; the user-interface thread only.
std::map<UINT_PTR, ViewDriver::Impl*>& runningDrivers()
{
    static std::map<UINT_PTR, ViewDriver::Impl*> drivers;
    return drivers;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto found = runningDrivers().find(id);
    if (found != runningDrivers().end()) found->second->idle(found->second->owner);
}
} // namespace

const char* ViewDriver::platformType()
{
    return vst3::kPlatformTypeHWND;
}

ViewDriver::ViewDriver(IdleFunction idle, void* owner) : impl(std::make_unique<Impl>())
{
    impl->idle = idle;
    impl->owner = owner;
}

ViewDriver::~ViewDriver()
{
    stop();
}

bool ViewDriver::start(vst3::IPlugFrame*, vst3::FUnknown*, int)
{
    stop();
    impl->timer = SetTimer(nullptr, 0, kIdlePeriodMs, &onTimer);
    if (impl->timer) runningDrivers()[impl->timer] = impl.get();
    // The editor runs on its own window timer even when this one could not be made.
    return true;
}

void ViewDriver::stop()
{
    if (!impl->timer) return;
    KillTimer(nullptr, impl->timer);
    runningDrivers().erase(impl->timer);
    impl->timer = 0;
}

} // namespace orv::vst3face
