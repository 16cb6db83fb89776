// The library's factory export, the one function hosts call to reach the effect.
#include "vst3/Vst3Factory.h"

// ORV_VST3_EXPORT comes from the build: the ELF visibility that exports the symbol on Linux,
// nothing on Windows, where the module-definition file names the exports.
extern "C" ORV_VST3_EXPORT vst3::IPluginFactory* GetPluginFactory()
{
    return &orv::vst3face::Vst3Factory::instance();
}
