#pragma once
// What the frame and its controls ask of the editor that owns them.
#include <cstdint>

namespace VSTGUI
{

class CFrame;

class VSTGUIEditorInterface
{
public:
    virtual ~VSTGUIEditorInterface() = default;

    // -1: no preference; the frame then uses its default (circular).
    virtual int32_t getKnobMode() const { return -1; }
    // Start and end of a user gesture on the control with tag `index`.
    virtual void beginEdit(int32_t /*index*/) {}
    virtual void endEdit(int32_t /*index*/) {}
    virtual CFrame* getFrame() const { return frame; }

protected:
    VSTGUIEditorInterface() = default;
    CFrame* frame = nullptr;
};

} // namespace VSTGUI
