#pragma once

#include <cstdint>

// What the effect asks of its editor when a parameter changes. The editor object implements it
// next to its editor base. The call may come on any thread (host automation often arrives on the
// audio thread), so the editor only marks the parameter there and updates its controls later on
// the GUI thread.
class EditorParameterLink
{
public:
    virtual void setParameter(int32_t index, float value) = 0;

protected:
    ~EditorParameterLink() = default;
};
