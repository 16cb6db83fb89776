#include "ResonatorKernel.h"

namespace resonator
{

bool isSupported(const Kernel& kernel)
{
    // The processor's answers also require the operating system to save the wider registers.
    __builtin_cpu_init();
    if (&kernel == &kAvx512Kernel)
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
    if (&kernel == &kAvx2Kernel) return __builtin_cpu_supports("avx2");
    return &kernel == &kSse2Kernel; // every x86-64 processor has SSE2
}

const Kernel& bestKernel()
{
    // Decided on first use (when the first engine is built, never on the audio thread) and kept.
    static const Kernel& best = []() -> const Kernel&
    {
        for (const Kernel* k : {&kAvx512Kernel, &kAvx2Kernel})
            if (isSupported(*k)) return *k;
        return kSse2Kernel;
    }();
    return best;
}

const Kernel* findKernel(std::string_view name)
{
    for (const Kernel* k : {&kSse2Kernel, &kAvx2Kernel, &kAvx512Kernel})
        if (name == k->name) return isSupported(*k) ? k : nullptr;
    return nullptr;
}

} // namespace resonator
