#pragma once

#include "ResonatorCore.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The resonator's vector kernels. ResonatorCore cuts every block into chunks in which each string
// only reads ring positions written before the chunk started; a kernel then processes such a
// chunk with several frames in the vector lanes, except for the low-pass recursion, which runs
// frame after frame with the strings in the lanes. Every kernel forms each value with the same
// operations, precisions and order as the per-sample algorithm, so all of them give the same
// bits; they differ only in the instruction set they are built for.
//
// One kernel per instruction set, each built in its own file with its own compiler options: on
// x86-64 SSE2, AVX2 and AVX-512 (platform/x86/), and everywhere the portable kernel written with
// the compiler's generic vectors, the only one on other processors. The best one the processor
// supports is chosen once per process.
namespace resonator
{

// Scale of the twelve-term wet sum in the mix.
inline constexpr double kWetScale = 0.075;

// Engine values fixed for one block, in the form every processing path reads them.
struct BlockConstants
{
    float damping[ResonatorCore::kNumStrings];
    float feedback;
    float outputGain;
    double mixAmount;
    bool bypassed;
};

// Glide steps worked out ahead of the audio: from tune, detune, `count` steps written to tuneOut,
// detuneOut (see advanceGlide). The kernels advance it one step per frame they process, where
// its serial chain overlaps their work; `done` counts the steps written.
struct GlideJob
{
    float tune;
    float detune;
    float tuneTarget;
    float detuneTarget;
    int32_t done;
    int32_t count;
    float* tuneOut;
    float* detuneOut;
};

// A stretch of frames in which no string reads a ring position that the stretch itself writes,
// and no write wraps around the ring end. The ring of string k starts at rings + k * kRingStride.
// Frame i writes every string at writePos + i and reads string k at writePos + i - its delay
// (masked to the ring): its own ring there, and the crossed tap, the ring of string 11 - k.
// While the delays are fixed, delay[k] gives them and no read wraps around within the chunk.
// While they glide, delays[k * delayStride + i] gives the delay of string k in frame i, and,
// for the glide stretch the chunk belongs to (its frame 0 being the stretch's frame firstFrame),
// groupStarts[m * kNumStrings + k] tells where string k's reads of the stretch's frames
// kDelayGroup * m onwards start when they lie consecutively in the ring over that group, else -1.
// The inputs may be the outputs.
struct Chunk
{
    float* rings;
    int32_t writePos;
    int32_t delay[ResonatorCore::kNumStrings];
    const int32_t* delays; // null while the delays are fixed
    int32_t delayStride;
    const int32_t* groupStarts;
    int32_t firstFrame;
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
    int32_t frames;
    float offset; // the denormal guard of the first frame; its sign alternates every frame
    // Glide steps of a later stretch to advance along the way, one per frame (or null).
    GlideJob* glide;
};

// What the string lengths of a glide depend on besides Tune and Detune.
struct LengthTerms
{
    float transposeFactor;
    double sampleRate;
    double spreadTerm[ResonatorCore::kNumStrings];  // (rate * detune depth) * spread of string k
    double inverseBase[ResonatorCore::kNumStrings]; // 1 / base frequency of string k
};

// Smallest and largest delay written by stringDelays; smallest is -1 if any length needs the
// exact formula.
struct DelayRange
{
    int32_t smallest;
    int32_t largest;
};

struct Kernel
{
    const char* name;
    // Frames per vector: chunk lengths that are multiples of it run without a partial group.
    int32_t width;
    // Glide steps of a job (see GlideJob) it takes per `width` frames.
    int32_t glideSteps;
    // Processes one chunk of ordinary input (see inputsOrdinary); dampState holds the twelve
    // low-pass states and is updated.
    void (*processChunk)(const BlockConstants& constants, const Chunk& chunk, float* dampState);
    // True when every sample of both inputs is a number of magnitude below kLargestOrdinary.
    bool (*inputsOrdinary)(const float* in0, const float* in1, int32_t frames);
    // For each of `count` frames (a multiple of kDelayGroup) of a glide stretch whose string
    // lengths follow from tune[i], detune[i] (glide values that move monotonically towards fixed
    // targets): the whole-sample delay ceil(length) of every string, written to
    // delays[k * stride + i], or -1 where the length lies too close to a whole number or outside
    // 1..16383 for the product with the reciprocals to decide it (the exact formula must be used
    // then); and the group starts of Chunk for frame 0 written at writePos.
    DelayRange (*stringDelays)(const LengthTerms& terms, const float* tune, const float* detune,
                               int32_t count, int32_t writePos, int32_t* delays, int32_t stride,
                               int32_t* groupStarts);
};

// Input samples from this magnitude up (and NaN) are not sound but damage: 2^100. Below it the
// strings, the wet sum and the output stay far inside the float range at any setting: a string
// holds at most the excitation over 1 - feedback (below 2^11 times it), twelve of them are summed,
// and the output gain is at most 4.
inline constexpr float kLargestOrdinary = 0x1p100f;

// Frames whose string delays are decided together: Tune and Detune glide monotonically, and a
// string's length is monotone in each, so the lengths of a group lie between the lengths at the
// corners of its Tune x Detune box; when both corners give the same delay, so do all its frames.
inline constexpr int32_t kDelayGroup = 16;

// Lengths closer than this to a whole number go through the exact formula: the product with the
// reciprocals differs from the quotient by less than 2^-36 for lengths below the ring length, and
// the position arithmetic rounds by less than 2^-37.
inline constexpr double kWholeNumberMargin = 0x1p-30;

// Built on every processor.
extern const Kernel kPortableKernel;

// Every kernel of this build, fastest first; the last one runs on every processor the build is
// for.
std::span<const Kernel* const> builtKernels();
// True when this processor (and its operating system) can run the kernel.
bool isSupported(const Kernel& kernel);
// The kernel of that name ("sse2", "avx2", "avx512", "portable") if this build has it and this
// processor supports it, else null.
const Kernel* findKernel(std::string_view name);
// The fastest supported kernel, or the one `requested` names (empty or null: none). A name this
// build lacks or this processor cannot run is ignored, and `complaint` then says so in one line.
const Kernel& chooseKernel(const char* requested, std::string& complaint);
// The kernel of every engine: chosen on first use (when the first engine is built, never on the
// audio thread) from the environment variable ORV_KERNEL as chooseKernel does, with the complaint
// on stderr, and kept for the life of the process.
const Kernel& bestKernel();

} // namespace resonator
