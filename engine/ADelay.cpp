#include "engine/ADelay.h"

#include "plugin/PluginEntry.h"

#include <array>
#include <cstring>

namespace
{
struct FactoryProgram
{
    const char* name;
    std::array<float, kNumProgramValues> values; // Output, Mix, Decay, Damp, Transpose, Tune,
                                                 // Detune, Bypass
};

constexpr std::array<FactoryProgram, kNumPresetPrograms> kFactoryPrograms{{
    {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"Bright", {0.5f, 0.25f, 0.5f, 0.05f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"High", {0.5f, 0.25f, 0.5f, 0.1f, 0.75f, 0.5f, 0.0f, 0.0f}},
    {"Low & Dark", {0.5f, 0.25f, 0.6f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}},
    {"Almost reverb", {0.5f, 0.25f, 0.75f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
    {"Detuned", {0.5f, 0.25f, 0.6f, 0.25f, 0.5f, 0.5f, 1.0f, 0.0f}},
}};
} // namespace

ADelay::ADelay(audioMasterCallback audioMaster) : CPresetSystemEffect(audioMaster)
{
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing();
    setUniqueID(fourCharCode("OrSy"));

    // Seam: the engine's initial values and its twelve string buffers are set up here.

    // Seam: the editor object is created here; it exists for the effect's whole life.
    editor = nullptr;

    installFactoryPrograms();
    loadEditorDefaults();
    selectProgram(0);
    suspend();
}

ADelay::~ADelay() = default;

// The identity texts are constants well inside the published buffer limits (32, 64, 64).
bool ADelay::getEffectName(char* name)
{
    std::strcpy(name, "Orv Sympharon");
    return true;
}

bool ADelay::getVendorString(char* text)
{
    std::strcpy(text, "www.orvatone.com");
    return true;
}

bool ADelay::getProductString(char* text)
{
    std::strcpy(text, "Orv Sympharon - string rezonator plug-in");
    return true;
}

void ADelay::installFactoryPrograms()
{
    if (!programs) return;
    for (int i = 0; i < kNumPresetPrograms; ++i)
    {
        ProgramRecord& program = programs[i];
        for (int k = 0; k < kNumProgramValues; ++k)
            program.values[k] = kFactoryPrograms[i].values[k];
        storeProgramName(program, kFactoryPrograms[i].name);
    }
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    return new ADelay(audioMaster);
}
