// The kernels of an x86-64 build and what the processor runs.
#include "engine/ResonatorKernel.h"

#include <array>

namespace resonator
{

extern const Kernel kSse2Kernel;
extern const Kernel kAvx2Kernel;
extern const Kernel kAvx512Kernel;

std::span<const Kernel* const> builtKernels()
{
    // The portable kernel last: it serves tests and measurements here, never as the best choice.
    static constexpr std::array<const Kernel*, 4> kernels{&kAvx512Kernel, &kAvx2Kernel,
                                                          &kSse2Kernel, &kPortableKernel};
    return kernels;
}

bool isSupported(const Kernel& kernel)
{
    // The processor's answers also require the operating system to save the wider registers.
    __builtin_cpu_init();
    if (&kernel == &kAvx512Kernel)
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
    if (&kernel == &kAvx2Kernel) return __builtin_cpu_supports("avx2");
    // Every x86-64 processor has SSE2, which the portable kernel is built for here.
    return &kernel == &kSse2Kernel || &kernel == &kPortableKernel;
}

} // namespace resonator
