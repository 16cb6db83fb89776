// The kernels of a build for any other processor: the portable one alone.
#include "engine/ResonatorKernel.h"

#include <array>

namespace resonator
{

std::span<const Kernel* const> builtKernels()
{
    static constexpr std::array<const Kernel*, 1> kernels{&kPortableKernel};
    return kernels;
}

bool isSupported(const Kernel& kernel)
{
    return &kernel == &kPortableKernel;
}

} // namespace resonator
