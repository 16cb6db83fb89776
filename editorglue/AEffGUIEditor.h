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

    // The window's size: the editor's own size (rect) times its scale factor.
    bool getRect(ERect** rect) override;
    bool open(void* ptr) override;
    // The host's content scale; 1 when the factor is usable (any factor is brought into 1 .. 3).
    bool setHostScaleFactor(float factor) override;
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
    // The factor the window shows (while open) or will open at.
    double getScaleFactor() const override;
    // The desktop's scale changed: followed unless the user or the host chose one.
    void systemScaleChanged() override { updateScale(); }

    // Where the scale comes from, first that applies: the user's zoom (0 = automatic), the
    // host's factor (0 = none given), the desktop's.
    double getUserZoom() const { return userZoom; }
    double getHostScaleFactor() const { return hostScale; }
    // A new user's zoom (0 = automatic), applied at once while open.
    void setUserZoom(double zoom);

protected:
    // The user's zoom as remembered (0 = automatic); read before each open. The preset layer
    // reads it from the user's settings.
    virtual double rememberedZoom() { return userZoom; }
    // Chooses the scale again and, while the window is open, resizes it when the host resizes
    // its own window (audioMasterSizeWindow); a host that cannot keeps the old size until the
    // window is opened again.
    void updateScale();

    // The editor's own size, in frame coordinates.
    ERect rect{};

private:
    double chooseScale(void* parentWindow) const;

    static VstInt32 knobMode;
    EditorPlatformScope platform;
    bool inIdle = false;
    double userZoom = 0.0;
    double hostScale = 0.0;
    double openScale = 1.0;
    double resizingTo = 0.0;
    ERect scaledRect{};
};
