// How an open editor gets its events and idle time from a VST3 host. Linux: the host's run loop
// (IRunLoop, from the frame or the host context) watches the editor's X connection and calls a
// timer; a VST3 host sends no idle of its own. Windows: the editor's own 50 ms window timer runs
// it, so nothing is needed here. One implementation file per platform.
#pragma once

#include "vst3/Vst3Abi.h"

#include <memory>

namespace orv::vst3face
{

class ViewDriver
{
public:
    // The window type the editor embeds into ("X11EmbedWindowID", "HWND").
    static const char* platformType();

    // `idle` is called on the host's user-interface thread whenever the editor has work.
    using IdleFunction = void (*)(void* owner);
    ViewDriver(IdleFunction idle, void* owner);
    ~ViewDriver();
    ViewDriver(const ViewDriver&) = delete;
    ViewDriver& operator=(const ViewDriver&) = delete;

    // Starts for an editor whose window-system events arrive on `eventDescriptor` (-1: none).
    // The run loop is asked of `frame`, then of `context`. False when the host offers no way.
    bool start(vst3::IPlugFrame* frame, vst3::FUnknown* context, int eventDescriptor);
    void stop();

    struct Impl;

private:
    std::unique_ptr<Impl> impl;
};

} // namespace orv::vst3face
