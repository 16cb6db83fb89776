// What the fuzz targets share: a program store built like the plug-in's effect (distinct values
// in every program, program 0 applied), optionally with the window-free preset layer as its
// editor, and a check that stops the run when a reader breaks a promise.
#pragma once

#include "plugin/AEffEditor.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/PresetSystemCore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                                                      \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz
{
using Bytes = std::vector<unsigned char>;

inline constexpr VstInt32 kUniqueID = fourCharCode("OrSy");

// The preset layer as an editor without a window.
class PresetLayer : public AEffEditor, public PresetSystemCore
{
public:
    PresetLayer(CPresetSystemEffect* effect, std::unique_ptr<SettingsStore> settings)
        : AEffEditor(effect), PresetSystemCore(effect, std::move(settings))
    {
    }
    void programNameChanged(const char*) override {}
};

class Effect : public CPresetSystemEffect
{
public:
    // With a settings store, the preset layer is its editor and loads the remembered defaults
    // from it; without one there is no editor.
    explicit Effect(std::unique_ptr<SettingsStore> settings = nullptr);
    void installFactoryPrograms() override;
    PresetLayer& layer() { return *static_cast<PresetLayer*>(editor); }
    // The whole stored state as the host saves it.
    Bytes chunk();
};

// A folder of its own under the temporary folder, made once per process; ends with '/'.
const std::string& scratchFolder();

} // namespace fuzz
