#include "FuzzSupport.h"

#include "presets/platform/linux/XdgSettingsStore.h"

#include <filesystem>
#include <unistd.h>

namespace fuzz
{
namespace
{
VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}
} // namespace

Effect::Effect(std::unique_ptr<SettingsStore> settings) : CPresetSystemEffect(host)
{
    setUniqueID(kUniqueID);
    if (settings) setEditor(new PresetLayer(this, std::move(settings)));
    installFactoryPrograms();
    loadEditorDefaults();
    selectProgram(0);
}

void Effect::installFactoryPrograms()
{
    for (int p = 0; p < kNumPresetPrograms; ++p)
    {
        storeProgramName(programs[p], ("Program " + std::to_string(p)).c_str());
        for (int k = 0; k < kNumProgramValues; ++k)
            programs[p].values[k] = static_cast<float>(p) + static_cast<float>(k) / 8.0f;
    }
}

Bytes Effect::chunk()
{
    void* data = nullptr;
    const VstInt32 size = getChunk(&data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return Bytes(bytes, bytes + size);
}

const std::string& scratchFolder()
{
    // Removed with everything in it when the process ends normally.
    struct Folder
    {
        std::string path;
        ~Folder() { std::filesystem::remove_all(path); }
    };
    static const Folder folder = []
    {
        const auto path =
            std::filesystem::temp_directory_path() / ("orv-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        // Nothing here may reach the real user's settings.
        ::setenv("XDG_CONFIG_HOME", path.c_str(), 1);
        return Folder{path.string() + "/"};
    }();
    return folder.path;
}

} // namespace fuzz
