// The plug-in's editor window: 320 x 257 pixels of artwork with a knob and a value display for
// each continuous parameter, the bypass key and its LED, the about hot spot and (from the
// preset layer below it) the preset strip.
#pragma once

#include "plugin/EditorParameterLink.h"
#include "presetstrip/CPresetSystemEditor.h"

#include <array>
#include <atomic>

class CLED;
class CAbout;
namespace VSTGUI
{
class CKnob;
class CParamDisplay;
class COnOffButton;
class CBitmap;
} // namespace VSTGUI

// The displays' texts, in the toolkit's plain conversion form (the buffer holds 256 bytes).
void percentToString(float value, char* string);
void centsToString(float value, char* string);
void semitonesToString(float value, char* string);
void decibelsToString(float value, char* string);

class ADEditor : public CPresetSystemEditor, public EditorParameterLink
{
public:
    explicit ADEditor(AudioEffect* effect, std::unique_ptr<SettingsStore> settings = nullptr);
    ~ADEditor() override;

    bool open(void* ptr) override;
    void close() override;
    void idle() override;

    // Called after every parameter change, on whatever thread made it. It only notes which
    // parameter changed; the controls follow on the editor's thread at its next idle, reading
    // the effect's stored value (the value passed here is not used).
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(VSTGUI::CControl* control) override;

    // The parameter's knob or display while the window is open (for tests), else null.
    VSTGUI::CKnob* getKnob(VstInt32 index) const;
    VSTGUI::CParamDisplay* getDisplay(VstInt32 index) const;
    VSTGUI::COnOffButton* getBypassButton() const { return bypassButton; }
    CLED* getLED() const { return led; }
    CAbout* getAbout() const { return about; }

private:
    static constexpr int kNumContinuous = 7; // parameters 0..6 have a knob and a display

    // Brings the controls of one parameter up to date with the effect's stored value.
    void showParameter(VstInt32 index);
    void showPendingParameters();

    VSTGUI::COnOffButton* bypassButton = nullptr;
    CLED* led = nullptr;
    std::array<VSTGUI::CKnob*, kNumContinuous> knobs{};            // by parameter index
    std::array<VSTGUI::CParamDisplay*, kNumContinuous> displays{}; // by parameter index
    CAbout* about = nullptr;
    VSTGUI::CBitmap* background = nullptr;

    // One bit per parameter changed since the controls last showed it.
    std::atomic<uint32_t> pendingParameters{0};
};
