// Renders the fixed test signal through the VST 2.4 plug-in and through the VST3 bundle of the
// same build, in blocks of even length (the VST 2.4 plug-in's output depends on block cuts
// otherwise), and compares the two bit for bit. Built for Linux and for Windows (run under Wine).
//   orv_vst3_render_compare VST2_LIBRARY VST3_BUNDLE
#include "../effect/FixedSignal.h"
#include "Vst3TestHost.h"
#include "tools/PluginLibrary.h"

#include <cstdio>
#include <cstring>

namespace
{
using namespace fixedsignal;

VstIntPtr vst2Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

constexpr size_t kFrames = 5 * 4096 * 2;

// The frame where a scene's change applies: the start of the VST 2.4 plug-in's first block at or
// after the middle.
size_t changeFrame(const size_t (&blocks)[6])
{
    size_t at = 0;
    for (size_t block = 0; at < kFrames / 2; ++block)
        at += blocks[block % 6];
    return at;
}

bool renderVst2(const PluginLibrary& library, const Scene& scene, const size_t (&blocks)[6],
                std::vector<float>& outL, std::vector<float>& outR)
{
    std::string error;
    AEffect* effect = library.instantiate(vst2Host, error);
    if (!effect) return false;
    std::vector<float> left = makeInput(kFrames, 1), right = makeInput(kFrames, 2);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, scene.sampleRate);
    dispatch(effect, effSetBlockSize, 0, 4096);
    for (VstInt32 k = 0; k < 8; ++k)
        effect->setParameter(effect, k, scene.values[k]);
    dispatch(effect, effMainsChanged, 0, 1);
    const size_t change = changeFrame(blocks);
    for (size_t at = 0, block = 0; at < kFrames; ++block)
    {
        if (at == change) effect->setParameter(effect, scene.changedIndex, scene.changedValue);
        const size_t n = std::min(blocks[block % 6], kFrames - at);
        float* in[2] = {left.data() + at, right.data() + at};
        float* out[2] = {outL.data() + at, outR.data() + at};
        effect->processReplacing(effect, in, out, static_cast<VstInt32>(n));
        at += n;
    }
    dispatch(effect, effClose);
    return true;
}

bool renderVst3(vst3test::Module& module, const Scene& scene, size_t change,
                std::vector<float>& outL, std::vector<float>& outR)
{
    vst3test::Effect effect(module.factory);
    if (!effect.processor || !effect.controller) return false;
    std::vector<float> left = makeInput(kFrames, 1), right = makeInput(kFrames, 2);
    // Values set while inactive apply at once, as the VST 2.4 plug-in's do before it resumes.
    for (vst3::ParamID k = 0; k < 8; ++k)
        effect.controller->setParamNormalized(k, scene.values[k]);
    effect.start(scene.sampleRate, 4096);
    // Other block sizes than the VST 2.4 side's; the change lands inside a block.
    const size_t blocks[] = {4096, 2, 1000, 334, 64, 4096};
    for (size_t at = 0, block = 0; at < kFrames; ++block)
    {
        const size_t n = std::min(blocks[block % 6], kFrames - at);
        vst3test::ChangeList changes;
        if (change >= at && change < at + n)
            changes.add(static_cast<vst3::ParamID>(scene.changedIndex),
                        static_cast<vst3::int32>(change - at), scene.changedValue);
        if (effect.process(left.data() + at, right.data() + at, outL.data() + at, outR.data() + at,
                           static_cast<vst3::int32>(n), &changes) != vst3::kResultOk)
            return false;
        at += n;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: orv_vst3_render_compare VST2_LIBRARY VST3_BUNDLE\n");
        return 2;
    }
    PluginLibrary vst2;
    std::string error;
    if (!vst2.load(argv[1], error))
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    vst3test::Module vst3(argv[2]);
    if (!vst3.factory)
    {
        std::fprintf(stderr, "no factory in %s\n", argv[2]);
        return 1;
    }
    const size_t blocks[6] = {64, 512, 1000, 2, 4096, 256};
    size_t compared = 0;
    for (const Scene& scene : kScenes)
    {
        std::vector<float> l2(kFrames), r2(kFrames), l3(kFrames), r3(kFrames);
        if (!renderVst2(vst2, scene, blocks, l2, r2) ||
            !renderVst3(vst3, scene, changeFrame(blocks), l3, r3))
        {
            std::fprintf(stderr, "rendering failed\n");
            return 1;
        }
        for (size_t i = 0; i < kFrames; ++i)
            if (std::memcmp(&l2[i], &l3[i], sizeof(float)) != 0 ||
                std::memcmp(&r2[i], &r3[i], sizeof(float)) != 0)
            {
                std::fprintf(stderr, "differs at %.0f Hz, frame %zu: %.9g %.9g / %.9g %.9g\n",
                             static_cast<double>(scene.sampleRate), i, l2[i], r2[i], l3[i], r3[i]);
                return 1;
            }
        compared += 2 * kFrames;
    }
    std::printf("identical: %zu samples\n", compared);
    return 0;
}
