// The resonator kernel for AVX2 processors: eight frames per vector. Built with -mavx2 only
// (no FMA: nothing may be contracted).
#include "ResonatorKernelAvxTraits.h"

namespace resonator
{
extern const Kernel kAvx2Kernel;
const Kernel kAvx2Kernel = makeKernel<Avx>("avx2");
} // namespace resonator
