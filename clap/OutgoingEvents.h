// The editor's parameter events on their way to the host: the editor (on the main thread) adds
// gestures and values, and the next process or flush call takes them out in the same order and
// passes them to the host's output event list. One thread adds and one takes out at a time, so
// a ring of fixed size with two atomic positions suffices: no lock and no allocation.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace orv::clap
{

struct OutgoingEvent
{
    uint16_t type; // CLAP_EVENT_PARAM_VALUE, _GESTURE_BEGIN or _GESTURE_END
    uint32_t param;
    double value; // in the parameter's unit (values only)
};

class OutgoingEvents
{
public:
    static constexpr uint32_t kCapacity = 1024;

    // False when the ring is full (the host has not taken events for a long time): the event is
    // dropped.
    bool add(const OutgoingEvent& event)
    {
        const uint32_t tail = end.load(std::memory_order_relaxed);
        if (tail - begin.load(std::memory_order_acquire) >= kCapacity) return false;
        ring[tail % kCapacity] = event;
        end.store(tail + 1, std::memory_order_release);
        return true;
    }

    bool empty() const
    {
        return begin.load(std::memory_order_relaxed) == end.load(std::memory_order_acquire);
    }

    // The oldest event, if any; taken out only when `take` returns true for it.
    template <typename Take> void drain(Take take)
    {
        uint32_t head = begin.load(std::memory_order_relaxed);
        const uint32_t tail = end.load(std::memory_order_acquire);
        while (head != tail && take(ring[head % kCapacity]))
            ++head;
        begin.store(head, std::memory_order_release);
    }

private:
    std::array<OutgoingEvent, kCapacity> ring{};
    std::atomic<uint32_t> begin{0};
    std::atomic<uint32_t> end{0};
};

} // namespace orv::clap
