// Windows: the editor's own window timer (every 50 ms on the window's thread) handles its idle,
// and its window receives its events from the host's message loop: nothing to drive here.
#include "vst3/ViewDriver.h"

namespace orv::vst3face
{

struct ViewDriver::Impl
{
};

const char* ViewDriver::platformType()
{
    return vst3::kPlatformTypeHWND;
}

ViewDriver::ViewDriver(IdleFunction, void*) {}

ViewDriver::~ViewDriver() = default;

bool ViewDriver::start(vst3::IPlugFrame*, vst3::FUnknown*, int)
{
    return true;
}

void ViewDriver::stop() {}

} // namespace orv::vst3face
