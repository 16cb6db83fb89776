// Linux: the host's run loop drives the editor. The X connection's descriptor brings events as
// they arrive; a timer keeps idle going (redraws, value updates from the host, the file dialog)
// when no event comes.
#include "vst3/ViewDriver.h"

namespace orv::vst3face
{
using namespace vst3;

namespace
{
// About the rate at which VST 2.4 hosts on Linux send their editor idle.
constexpr uint64 kIdlePeriodMs = 25;

// The run loop's handlers are part of the driver and live as long as it; the host holds no
// reference beyond unregistering them.
class EventHandler final : public IEventHandler
{
public:
    EventHandler(ViewDriver::IdleFunction idle, void* owner) : idle(idle), owner(owner) {}
    tresult queryInterface(const TUID iid, void** obj) override
    {
        if (!obj) return kInvalidArgument;
        *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, IEventHandler::iid) ? this : nullptr;
        return *obj ? kResultOk : kNoInterface;
    }
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }
    void onFDIsSet(int) override { idle(owner); }

private:
    ViewDriver::IdleFunction idle;
    void* owner;
};

class TimerHandler final : public ITimerHandler
{
public:
    TimerHandler(ViewDriver::IdleFunction idle, void* owner) : idle(idle), owner(owner) {}
    tresult queryInterface(const TUID iid, void** obj) override
    {
        if (!obj) return kInvalidArgument;
        *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, ITimerHandler::iid) ? this : nullptr;
        return *obj ? kResultOk : kNoInterface;
    }
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }
    void onTimer() override { idle(owner); }

private:
    ViewDriver::IdleFunction idle;
    void* owner;
};

IRunLoop* runLoopOf(FUnknown* object)
{
    void* loop = nullptr;
    if (!object || object->queryInterface(IRunLoop::iid.bytes, &loop) != kResultOk) return nullptr;
    return static_cast<IRunLoop*>(loop);
}
} // namespace

struct ViewDriver::Impl
{
    Impl(IdleFunction idle, void* owner) : events(idle, owner), timer(idle, owner) {}
    EventHandler events;
    TimerHandler timer;
    IRunLoop* loop = nullptr;
    bool eventsRegistered = false;
    bool timerRegistered = false;
};

const char* ViewDriver::platformType()
{
    return kPlatformTypeX11EmbedWindowID;
}

ViewDriver::ViewDriver(IdleFunction idle, void* owner) : impl(std::make_unique<Impl>(idle, owner))
{
}

ViewDriver::~ViewDriver()
{
    stop();
}

bool ViewDriver::start(IPlugFrame* frame, FUnknown* context, int eventDescriptor)
{
    stop();
    impl->loop = runLoopOf(frame);
    if (!impl->loop) impl->loop = runLoopOf(context);
    if (!impl->loop) return false;
    if (eventDescriptor >= 0)
        impl->eventsRegistered =
            impl->loop->registerEventHandler(&impl->events, eventDescriptor) == kResultOk;
    impl->timerRegistered = impl->loop->registerTimer(&impl->timer, kIdlePeriodMs) == kResultOk;
    if (impl->eventsRegistered || impl->timerRegistered) return true;
    stop();
    return false;
}

void ViewDriver::stop()
{
    if (!impl->loop) return;
    if (impl->eventsRegistered) impl->loop->unregisterEventHandler(&impl->events);
    if (impl->timerRegistered) impl->loop->unregisterTimer(&impl->timer);
    impl->eventsRegistered = impl->timerRegistered = false;
    impl->loop->release();
    impl->loop = nullptr;
}

} // namespace orv::vst3face
