// What the effect asks of its host, as a face receives it. The effect reaches its host through
// the VST 2.4 host callback; EffectInstance turns the few requests that matter to a face into
// these calls. They may arrive on any thread: the editor's requests come on the thread that runs
// the editor, a display update also from wherever a program was changed.
#pragma once

#include <cstdint>

namespace orv::effecthost
{

class EffectListener
{
public:
    // The user set parameter `index` (0..7) to `value` (normalized) in the editor; the effect
    // already holds it.
    virtual void parameterAutomated(int32_t index, float value) = 0;
    // The user started or finished moving parameter `index` (0..7).
    virtual void gestureBegan(int32_t index) = 0;
    virtual void gestureEnded(int32_t index) = 0;
    // A program was applied or renamed: every parameter value and the program names may differ.
    virtual void displayUpdated() = 0;
    // The editor asks for a new size of its window; true when the host agreed.
    virtual bool resizeRequested(int32_t width, int32_t height) = 0;

protected:
    ~EffectListener() = default;
};

} // namespace orv::effecthost
