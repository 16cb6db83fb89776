// The host's chunk reader (setChunk) on any bytes of any size. A chunk is either refused (-1)
// and changes nothing, or loaded; a loaded state is saved with a current program in range, and
// what is saved loads again to exactly the same state.
#include "FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Effect& effect = *new fuzz::Effect();
    // The bytes with the size the host claims, and the first 368 of them as a chunk of the right
    // size, so that the content is tried whatever the length.
    fuzz::Bytes whole(data, data + size);
    const size_t first = size < kPresetChunkSize ? size : kPresetChunkSize;
    fuzz::Bytes sized(data, data + first);
    for (fuzz::Bytes* input : {&whole, &sized})
    {
        const fuzz::Bytes before = effect.chunk();
        const auto length = static_cast<VstInt32>(input->size());
        const VstInt32 result = effect.setChunk(input->empty() ? nullptr : input->data(), length);
        const fuzz::Bytes after = effect.chunk();
        if (result != 0)
        {
            FUZZ_CHECK(result == -1);
            FUZZ_CHECK(after == before);
            continue;
        }
        FUZZ_CHECK(length == kPresetChunkSize);
        // The saved current program is the loaded one, in range.
        int32_t current, loadedCurrent;
        std::memcpy(&current, after.data() + 12, 4);
        std::memcpy(&loadedCurrent, input->data() + 12, 4);
        if (std::memcmp(input->data() + 4, after.data() + 4, 4) != 0) byteSwap32(&loadedCurrent);
        FUZZ_CHECK(current == loadedCurrent);
        FUZZ_CHECK(current >= 0 && current < kNumPresetPrograms);
        // Names are byte strings: they are stored exactly as they came.
        for (int p = 0; p < kNumPresetPrograms; ++p)
            FUZZ_CHECK(std::memcmp(after.data() + 32 + 56 * p, input->data() + 32 + 56 * p,
                                   kProgramNameLength) == 0);
        fuzz::Bytes again = after;
        FUZZ_CHECK(effect.setChunk(again.data(), kPresetChunkSize) == 0);
        FUZZ_CHECK(effect.chunk() == after);
    }
    return 0;
}
