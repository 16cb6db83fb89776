// The resonator kernel for AVX-512 processors: the 256-bit kernel built with AVX-512F/VL, whose
// 32 vector registers hold a whole transposed group without spilling.
#include "ResonatorKernelAvxTraits.h"

namespace resonator
{
extern const Kernel kAvx512Kernel;
const Kernel kAvx512Kernel = makeKernel<Avx>("avx512");
} // namespace resonator
