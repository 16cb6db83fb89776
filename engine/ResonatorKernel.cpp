#include "ResonatorKernel.h"

#include <cstdio>
#include <cstdlib>

namespace resonator
{

const Kernel* findKernel(std::string_view name)
{
    for (const Kernel* k : builtKernels())
        if (name == k->name) return isSupported(*k) ? k : nullptr;
    return nullptr;
}

const Kernel& chooseKernel(const char* requested, std::string& complaint)
{
    complaint.clear();
    const std::span<const Kernel* const> kernels = builtKernels();
    const Kernel* fastest = kernels.back();
    for (const Kernel* k : kernels)
        if (isSupported(*k))
        {
            fastest = k;
            break;
        }
    if (requested == nullptr || *requested == '\0') return *fastest;
    const std::string_view name = requested;
    for (const Kernel* k : kernels)
        if (name == k->name)
        {
            if (isSupported(*k)) return *k;
            complaint = "ORV_KERNEL=" + std::string(name) +
                        " ignored: this processor cannot run it; using " + fastest->name;
            return *fastest;
        }
    std::string names;
    for (const Kernel* k : kernels)
        names += std::string(names.empty() ? "" : ", ") + k->name;
    complaint = "ORV_KERNEL=" + std::string(name) + " ignored: not a kernel of this build (" +
                names + "); using " + fastest->name;
    return *fastest;
}

const Kernel& bestKernel()
{
    static const Kernel& best = []() -> const Kernel&
    {
        std::string complaint;
        const Kernel& chosen = chooseKernel(std::getenv("ORV_KERNEL"), complaint);
        if (!complaint.empty()) std::fprintf(stderr, "orv: %s\n", complaint.c_str());
        return chosen;
    }();
    return best;
}

} // namespace resonator
