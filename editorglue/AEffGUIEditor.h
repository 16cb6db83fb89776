// The editor base on the toolkit side: owns the editor rectangle and the frame pointer, hands
// idle time, keys and the knob mode to the frame, and passes the controls' edit gestures to the
// effect (and so to the host). It is also the toolkit's editor interface of its frame.
#pragma once

#include "editorglue/EditorPlatform.h"
#include "plugin/AEffEditor.h"
#include "vstgui.h"

class AEffGUIEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface
{
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* ptr) override;
    void idle() override;
    bool onKeyDown(::VstKeyCode& keyCode) override;
    bool onKeyUp(::VstKeyCode& keyCode) override;
    // Shared by every editor in the process.
    bool setKnobMode(VstInt32 val) override;

    // A parameter changed; concrete editors show the value. (The effect reaches its editor through
    // EditorParameterLink, which the concrete editor implements with this same function.)
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}

    // The toolkit's editor interface.
    int32_t getKnobMode() const override { return knobMode; }
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

protected:
    ERect rect{};

private:
    static VstInt32 knobMode;
    EditorPlatformScope platform;
    bool inIdle = false;
};
