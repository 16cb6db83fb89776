// Renders a fixed signal through a built plug-in and writes the raw output (32-bit floats, left
// then right for each block) to a file. The Linux and the Windows builds of this program, fed
// their own platform's plug-in, must write the same bytes.
//   orv_render_fixed PLUGIN OUTPUT
#include "FixedSignal.h"
#include "tools/PluginLibrary.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
using namespace fixedsignal;

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: orv_render_fixed PLUGIN OUTPUT\n");
        return 2;
    }
    PluginLibrary library;
    std::string error;
    if (!library.load(argv[1], error))
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    AEffect* effect = library.instantiate(host, error);
    if (!effect)
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;

    const size_t frames = 5 * 4096 * 2;
    const std::vector<float> left = makeInput(frames, 1), right = makeInput(frames, 2);
    // Hosts split blocks at automation points: sizes vary from 1 up.
    const size_t blockSizes[] = {1, 7, 64, 512, 1000, 33};
    std::vector<float> outLeft(1000), outRight(1000);
    for (const Scene& scene : kScenes)
    {
        dispatch(effect, effMainsChanged, 0, 0);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, scene.sampleRate);
        dispatch(effect, effSetBlockSize, 0, 1000);
        for (VstInt32 k = 0; k < 8; ++k)
            effect->setParameter(effect, k, scene.values[k]);
        dispatch(effect, effMainsChanged, 0, 1);
        size_t at = 0;
        bool changed = false;
        for (size_t block = 0; at < frames; ++block)
        {
            if (!changed && at >= frames / 2)
            {
                effect->setParameter(effect, scene.changedIndex, scene.changedValue);
                changed = true;
            }
            const size_t n = std::min(blockSizes[block % 6], frames - at);
            float* inputs[2] = {const_cast<float*>(left.data() + at),
                                const_cast<float*>(right.data() + at)};
            float* outputs[2] = {outLeft.data(), outRight.data()};
            effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(n));
            std::fwrite(outLeft.data(), sizeof(float), n, out);
            std::fwrite(outRight.data(), sizeof(float), n, out);
            at += n;
        }
    }
    dispatch(effect, effClose);
    return std::fclose(out) == 0 ? 0 : 1;
}
