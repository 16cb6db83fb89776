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
    // The desktop's scale around the open window changed.
    virtual void systemScaleChanged() {}
    // The scale the editor's window is to open at (window pixels per frame unit); 0 leaves it
    // to the frame.
    virtual double getScaleFactor() const { return 0.0; }

protected:
    VSTGUIEditorInterface() = default;
    CFrame* frame = nullptr;
};

} // namespace VSTGUI
