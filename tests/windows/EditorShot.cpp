// Draws the editor of a new instance offscreen, as the DLL's backend draws it, and writes the
// picture as a binary PPM: the Windows side of the comparison with the Linux drawing.
//   orv_editor_shot OUTPUT.ppm
#include "editor/ADEditor.h"
#include "plugin/PluginEntry.h"

#include <cstdio>

namespace
{
VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
    AudioEffect* effect = createEffectInstance(host);
    auto* editor = effect ? dynamic_cast<ADEditor*>(effect->getEditor()) : nullptr;
    if (!editor || !editor->open(nullptr)) return 1;
    editor->idle();
    VSTGUI::PixelImage image;
    if (!editor->getFrame()->getPlatformFrame()->readPixels(image)) return 1;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    std::fprintf(out, "P6 %d %d 255\n", image.width, image.height);
    for (uint32_t p : image.pixels)
    {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                      static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, out);
    }
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    return std::fclose(out) == 0 ? 0 : 1;
}
