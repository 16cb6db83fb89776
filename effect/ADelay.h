// The Orv Sympharon effect: a stereo string resonator on the program-store base.
#pragma once

#include "engine/ParameterMapping.h"
#include "engine/ResonatorCore.h"
#include "presets/CPresetSystemEffect.h"

#include "OrvVersion.h"

#include <array>
#include <atomic>

class ADelay : public CPresetSystemEffect
{
public:
    explicit ADelay(audioMasterCallback audioMaster);
    ~ADelay() override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return kOrvVendorVersion; }
    VstInt32 getPlugCategory() override { return kPlugCategRoomFx; }
    VstInt32 canDo(char*) override { return 0; }

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;

    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    void installFactoryPrograms() override;

    // Lets the input's denormal guard continue its alternating sign from block to block, so
    // that the output does not depend on how a host cuts the audio into blocks. The VST 2.4
    // face keeps the per-block start; the LV2 face, whose hosts may run single frames, carries
    // it. Called before processing starts.
    void setDenormalOffsetCarried(bool carried) { resonator.setDenormalOffsetCarried(carried); }

    // The engine as this effect feeds it, for inspection in tests (not reachable by a host).
    const ResonatorCore& engine() const { return resonator; }

protected:
    void applyParameter(VstInt32 index, float value) override;
    void storeLiveValues(uint32_t skipped) override;

private:
    // Brings the engine to the live value of parameter `index`.
    void followLiveValue(VstInt32 index);
    void settleFeedback();
    void orderEngineStores();
    void notifyEditor(VstInt32 index, float value);

    // The values as last set, clamped to 0..1; written by any thread, read by the host and the
    // editor on theirs.
    std::array<std::atomic<float>, kNumParams> paramValue{};
    std::atomic<uint32_t> engineOrder{0};
    ResonatorCore resonator;
};
