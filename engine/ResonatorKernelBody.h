// The body every resonator kernel shares, written once against a small traits class T that
// supplies the vector types and the few operations that differ between instruction sets (loads,
// conversions, transposes, masks). Arithmetic is written with the ordinary operators, lane by
// lane, in the order of the per-sample algorithm.
//
// Include this only from a kernel file (ResonatorKernel<Isa>.cpp), after the intrinsics header
// and the traits class. Everything here lives in an anonymous namespace on purpose: each kernel
// file compiles its own copy with its own instruction set, and no copy may be shared with
// another file through the linker.
#include "ResonatorGlide.h"
#include "ResonatorKernel.h"

#include <cstdint>

namespace resonator
{
namespace
{

// The vector form of the block's engine values, built once per chunk for every path.
template <class T> struct VectorConstants
{
    typename T::Strings damping;
    typename T::F feedback;
    typename T::F gain;
    typename T::F half;
    typename T::F offsets; // the denormal guard of each frame of a group
    typename T::Wide mix;
    typename T::Wide wetScale;

    VectorConstants(const BlockConstants& b, float offset)
        : damping(T::loadStrings(b.damping)), feedback(T::splat(b.feedback)),
          gain(T::splat(b.outputGain)), half(T::splat(0.5f)), offsets(T::alternating(offset)),
          mix(T::splatWide(b.mixAmount)), wetScale(T::splatWide(kWetScale))
    {
    }
};

// While gliding, where each string's reads of a group start (-1: gathered frame by frame).
template <class T> struct Group
{
    int32_t from[ResonatorCore::kNumStrings];
};

// The chunk's inputs and outputs.
struct Io
{
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
};

// Whole groups with fixed delays reach the rings through one base pointer: frame i writes string
// k at base + i + k * ResonatorCore::kRingStride and reads it at base + i + read[k], its crossed
// tap at the same index plus (11 - 2k) * ResonatorCore::kRingStride. Both displacements are
// constants, and one index serves both.
template <class T> struct FixedAccess
{
    float* base;
    ptrdiff_t read[ResonatorCore::kNumStrings];

    explicit FixedAccess(const Chunk& ch) : base(ch.rings + ch.writePos)
    {
        for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
            read[k] = static_cast<ptrdiff_t>(k) * ResonatorCore::kRingStride +
                      ((ch.writePos - ch.delay[k]) & ResonatorCore::kRingMask) - ch.writePos;
    }
    void locate(Group<T>&, int32_t) const {}
    const float* ownPointer(int k, int32_t i) const { return base + i + read[k]; }
    typename T::F own(const Group<T>&, int k, int32_t i) const
    {
        return T::load(base + i + read[k]);
    }
    typename T::F tap(const Group<T>&, int k, int32_t i) const
    {
        return T::load(base + i + read[k] +
                       static_cast<ptrdiff_t>(ResonatorCore::kNumStrings - 1 - 2 * k) *
                           ResonatorCore::kRingStride);
    }
    float* write(int k, int32_t i) const
    {
        return base + i + static_cast<ptrdiff_t>(k) * ResonatorCore::kRingStride;
    }
    // Frame i alone, for padded copies.
    float ownAt(int k, int32_t i) const { return base[i + read[k]]; }
    float tapAt(int k, int32_t i) const
    {
        return base[i + read[k] +
                    static_cast<ptrdiff_t>(ResonatorCore::kNumStrings - 1 - 2 * k) *
                        ResonatorCore::kRingStride];
    }
};

// Gliding delays: over one group a string's delay usually stays the same, and then its reads lie
// consecutively in the ring; otherwise (or where they wrap around the ring end) they are gathered
// frame by frame.
template <class T> struct GlidingAccess
{
    float* rings;
    int32_t writePos;
    const int32_t* delays;
    int32_t delayStride;
    const int32_t* groupStarts;
    int32_t firstFrame;

    explicit GlidingAccess(const Chunk& ch)
        : rings(ch.rings), writePos(ch.writePos), delays(ch.delays), delayStride(ch.delayStride),
          groupStarts(ch.groupStarts), firstFrame(ch.firstFrame)
    {
    }
    int32_t position(int k, int32_t i) const
    {
        return (writePos + i - delays[k * delayStride + i]) & ResonatorCore::kRingMask;
    }
    void locate(Group<T>& g, int32_t i) const
    {
        const int32_t frame = firstFrame + i;
        const int32_t offset = frame % kDelayGroup;
        if (offset + T::kWidth <= kDelayGroup)
        {
            // Inside one group of the delay pass, which has decided it already.
            const int32_t* starts = groupStarts + frame / kDelayGroup * ResonatorCore::kNumStrings;
            for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
                g.from[k] = starts[k] >= 0 ? starts[k] + offset : -1;
            return;
        }
        for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
        {
            const int32_t from = position(k, i);
            g.from[k] = T::allSame(delays + k * delayStride + i) &&
                                from + T::kWidth <= ResonatorCore::kRingLength
                            ? from
                            : -1;
        }
    }
    typename T::F read(const Group<T>& g, int ring, int k, int32_t i) const
    {
        const float* r = rings + static_cast<ptrdiff_t>(ring) * ResonatorCore::kRingStride;
        if (g.from[k] >= 0) return T::load(r + g.from[k]);
        float v[T::kWidth];
        for (int j = 0; j < T::kWidth; ++j)
            v[j] = r[position(k, i + j)];
        return T::load(v);
    }
    typename T::F own(const Group<T>& g, int k, int32_t i) const { return read(g, k, k, i); }
    typename T::F tap(const Group<T>& g, int k, int32_t i) const
    {
        return read(g, ResonatorCore::kNumStrings - 1 - k, k, i);
    }
    float* write(int k, int32_t i) const
    {
        return rings + static_cast<ptrdiff_t>(k) * ResonatorCore::kRingStride + writePos + i;
    }
    float ownAt(int k, int32_t i) const
    {
        return rings[static_cast<ptrdiff_t>(k) * ResonatorCore::kRingStride + position(k, i)];
    }
    float tapAt(int k, int32_t i) const
    {
        return rings[static_cast<ptrdiff_t>(ResonatorCore::kNumStrings - 1 - k) *
                         ResonatorCore::kRingStride +
                     position(k, i)];
    }
};

// The last frames of a chunk, fewer than a group, as padded copies, so that no load or store
// reaches past the chunk.
template <class T> struct PaddedAccess
{
    float ownCopy[ResonatorCore::kNumStrings][T::kWidth] = {};
    float tapCopy[ResonatorCore::kNumStrings][T::kWidth] = {};
    float writeCopy[ResonatorCore::kNumStrings][T::kWidth];

    void locate(Group<T>&, int32_t) const {}
    const float* ownPointer(int k, int32_t) const { return ownCopy[k]; }
    typename T::F own(const Group<T>&, int k, int32_t) const { return T::load(ownCopy[k]); }
    typename T::F tap(const Group<T>&, int k, int32_t) const { return T::load(tapCopy[k]); }
    float* write(int k, int32_t) { return writeCopy[k]; }
};

// True where a kernel reads its own reads frame-major straight from memory (T::toFramesFrom) and
// the access has them in place there: that saves loading whole strings first and the first stage
// of the transposes. Gathered reads are loaded whole instead, as they were just stored sample
// by sample and a load of part of them would wait for those stores to complete.
template <class T, class Access>
constexpr bool readsInPlace = requires(const Access& access,
                                       const float* const (&own)[ResonatorCore::kNumStrings],
                                       typename T::Strings (&frame)[T::kWidth])
{
    access.ownPointer(0, 0);
    T::toFramesFrom(own, frame);
};

// Whether the low-pass recursion takes a glide step after frame j of its group.
constexpr bool glideStepAfter(int32_t j)
{
    return j == 3 || j == 7;
}

// The glide steps a group of `width` frames takes: two around its reads, those along the low-pass
// and four along the rest of its work.
constexpr int32_t glideStepsPerGroup(int32_t width)
{
    int32_t steps = 6;
    for (int32_t j = 0; j < width; ++j)
        steps += glideStepAfter(j) ? 1 : 0;
    return steps;
}

// One glide step of a job, when it has steps left.
[[gnu::always_inline]] inline void glideOnce(GlideJob& job)
{
    if (job.done < job.count)
    {
        glideStep(job.tune, job.detune, job.tuneTarget, job.detuneTarget);
        job.tuneOut[job.done] = job.tune;
        job.detuneOut[job.done] = job.detune;
        ++job.done;
    }
}

// The low-pass of every string over the first `count` frames of the group starting at frame i,
// frame after frame: the one truly serial step. The strings' reads are turned into one vector per
// frame for it, and the filtered values back into one vector per string. With a glide job, some of
// its steps go along (glideStepsPerGroup in all with the rest of the group, spread over the
// group's work so that their serial chain overlaps it rather than holding it up).
template <class T, bool WithJob, class Access>
inline __attribute__((always_inline)) void
lowPass(const VectorConstants<T>& c, Access& access, int32_t i, int32_t count, Group<T>& g,
        typename T::Strings& state, GlideJob& job,
        typename T::F (&filtered)[ResonatorCore::kNumStrings])
{
    if constexpr (WithJob) glideOnce(job);
    access.locate(g, i);
    if constexpr (WithJob) glideOnce(job);
    typename T::Strings frame[T::kWidth];
    if constexpr (readsInPlace<T, Access>)
    {
        // In place in memory: turned frame-major straight from there.
        const float* own[ResonatorCore::kNumStrings];
#pragma GCC unroll 12
        for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
            own[k] = access.ownPointer(k, i);
        T::toFramesFrom(own, frame);
    }
    else
    {
        typename T::F own[ResonatorCore::kNumStrings];
#pragma GCC unroll 12
        for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
            own[k] = access.own(g, k, i);
        T::toFrames(own, frame);
    }
#pragma GCC unroll 16
    for (int32_t j = 0; j < count; ++j)
    {
        if constexpr (WithJob)
            if (glideStepAfter(j)) glideOnce(job);
        state = (frame[j] - state) * c.damping + state;
        T::assign(frame[j], state);
    }
    T::toStrings(frame, filtered);
}

// Everything after the low-pass for the group starting at frame i: feedback writes, wet sums,
// mix and outputs.
// between(part) runs at four points of it (part 0 to 3): the next group's low-pass steps go there.
template <class T, bool Bypassed, bool WithJob, class Access, class Between>
inline __attribute__((always_inline)) void
finishGroup(const VectorConstants<T>& c, Access& access, const Io& io, int32_t i, const Group<T>& g,
            const typename T::F (&filtered)[ResonatorCore::kNumStrings], GlideJob& job,
            Between&& between)
{
    if constexpr (WithJob) glideOnce(job);
    using F = typename T::F;
    between(0);

    // Dry inputs and the excitation x = 0.5 * (dryL + dryR), the float sum halved in double. The
    // kernels take ordinary input only: each dry sample is then 0 or at least 2^-54 in magnitude
    // (the guard of 1e-9 is added to it), so their sum is 0 or far above the subnormal range and
    // halving it in float is exact. With x a float value, the feedback write can be summed in
    // float: double carries more than twice float's precision, so rounding the double sum to
    // float gives the float sum.
    const F inL = T::load(io.inL + i);
    const F inR = T::load(io.inR + i);
    F dryL;
    F dryR;
    F excitation;
    if constexpr (Bypassed)
    {
        dryL = inL;
        dryR = inR;
        excitation = c.offsets; // the strings receive only the guard
    }
    else
    {
        dryL = inL + c.offsets;
        dryR = inR + c.offsets;
        excitation = (dryL + dryR) * c.half;
    }

    // Feedback writes: the float product plus the excitation. Each filtered value first joins its
    // side's sum of own strings, the first terms of the wet sums below, so that the product may
    // take over its register.
    F ownL; // filtered[0] + [2] + [4] + ... + [10], in this order
    F ownR; // filtered[3] + [1] + [5] + ... + [11]
#pragma GCC unroll 12
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
    {
        if (k == 2)
            ownL = filtered[0] + filtered[2];
        else if (k == 3)
            ownR = filtered[3] + filtered[1];
        else if (k > 3 && k % 2 == 0)
            ownL = ownL + filtered[k];
        else if (k > 3)
            ownR = ownR + filtered[k];
        T::store(access.write(k, i), filtered[k] * c.feedback + excitation);
    }
    if constexpr (WithJob) glideOnce(job);
    between(1);

    // Wet sums, each in this order (the output depends on it): own filtered strings first, then
    // the crossed taps, read after the writes above.
    auto tap = [&](int k) { return access.tap(g, k, i); };
    const F wetL = ownL + tap(10) + tap(8) + tap(6) + tap(4) + tap(2) + tap(0);
    if constexpr (WithJob) glideOnce(job);
    between(2);
    const F wetR = ownR + tap(11) + tap(9) + tap(7) + tap(5) + tap(3) + tap(1);

    // Mix in double, rounded to float, then the output gain in float.
    auto mix = [&c](F wet, F dry)
    {
        const auto wide = T::widen(dry);
        return T::narrow((T::widen(wet) * c.wetScale - wide) * c.mix + wide);
    };
    T::store(io.outL + i, mix(wetL, dryL) * c.gain);
    if constexpr (WithJob) glideOnce(job);
    between(3);
    T::store(io.outR + i, mix(wetR, dryR) * c.gain);
}

// A group's low-pass in its three steps: the reads turned into one vector per frame, the serial
// recursion frame after frame, and the filtered values turned back into one vector per string.
template <class T, bool WithJob, class Access>
inline __attribute__((always_inline)) void lowPassReads(Access& access, int32_t i, Group<T>& g,
                                                        GlideJob& job,
                                                        typename T::Strings (&frame)[T::kWidth])
{
    if constexpr (WithJob) glideOnce(job);
    access.locate(g, i);
    if constexpr (WithJob) glideOnce(job);
    typename T::F own[ResonatorCore::kNumStrings];
#pragma GCC unroll 12
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
        own[k] = access.own(g, k, i);
    T::toFrames(own, frame);
}

template <class T, bool WithJob>
inline __attribute__((always_inline)) void
lowPassSteps(const VectorConstants<T>& c, int32_t from, int32_t to, typename T::Strings& state,
             GlideJob& job, typename T::Strings (&frame)[T::kWidth])
{
#pragma GCC unroll 16
    for (int32_t j = from; j < to; ++j)
    {
        if constexpr (WithJob)
            if (glideStepAfter(j)) glideOnce(job);
        state = (frame[j] - state) * c.damping + state;
        T::assign(frame[j], state);
    }
}

template <class T, bool Bypassed, class Access>
void processPartialGroup(const VectorConstants<T>& c, const Access& access, const Io& io, int32_t i,
                         int32_t steps, typename T::Strings& state)
{
    constexpr int W = T::kWidth;
    PaddedAccess<T> padded;
    float inL[W] = {};
    float inR[W] = {};
    float outL[W];
    float outR[W];
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
        for (int32_t j = 0; j < steps; ++j)
        {
            padded.ownCopy[k][j] = access.ownAt(k, i + j);
            padded.tapCopy[k][j] = access.tapAt(k, i + j);
        }
    for (int32_t j = 0; j < steps; ++j)
    {
        inL[j] = io.inL[i + j];
        inR[j] = io.inR[i + j];
    }
    Group<T> g;
    typename T::F filtered[ResonatorCore::kNumStrings];
    GlideJob none{};
    lowPass<T, false>(c, padded, 0, steps, g, state, none, filtered);
    finishGroup<T, Bypassed, false>(c, padded, Io{inL, inR, outL, outR}, 0, g, filtered, none,
                                    [](int) {});
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
    {
        float* to = const_cast<Access&>(access).write(k, i);
        for (int32_t j = 0; j < steps; ++j)
            to[j] = padded.writeCopy[k][j];
    }
    for (int32_t j = 0; j < steps; ++j)
    {
        io.outL[i + j] = outL[j];
        io.outR[i + j] = outR[j];
    }
}

// The whole groups of a chunk, then the partial one, and the glide steps of the job along the
// way, one per frame of the whole groups. Interleaved (T::kInterleaved), the low-pass recursion
// of the next group runs in steps spread over the rest of the current group's work, which no
// longer depends on it (the low-pass only reads ring positions from before the chunk and writes
// nothing): the processor works through one while the other's serial chain waits, instead of
// finishing a group before the next one's chain starts. That pays where the vector registers
// hold both groups (the 256-bit kernels); with sixteen 128-bit registers the spills cost more.
template <class T, bool Bypassed, bool WithJob, class Access>
void processGroups(const VectorConstants<T>& c, Access& access, const Io& io, int32_t frames,
                   GlideJob* job, typename T::Strings& lowPassState)
{
    constexpr int W = T::kWidth;
    // Local copies: no store of the loop can touch them, so they stay in registers.
    typename T::Strings state = lowPassState;
    GlideJob glide{};
    if constexpr (WithJob) glide = *job;
    int32_t i = 0;
    if constexpr (!T::kInterleaved)
    {
        for (; i + W <= frames; i += W)
        {
            Group<T> g;
            typename T::F filtered[ResonatorCore::kNumStrings];
            lowPass<T, WithJob>(c, access, i, W, g, state, glide, filtered);
            finishGroup<T, Bypassed, WithJob>(c, access, io, i, g, filtered, glide, [](int) {});
        }
    }
    else if (frames >= W)
    {
        Group<T> g;
        typename T::F filtered[ResonatorCore::kNumStrings];
        lowPass<T, WithJob>(c, access, 0, W, g, state, glide, filtered);
        for (; i + 2 * W <= frames; i += W)
        {
            Group<T> nextGroup;
            typename T::Strings frame[W];
            lowPassReads<T, WithJob>(access, i + W, nextGroup, glide, frame);
            finishGroup<T, Bypassed, WithJob>(c, access, io, i, g, filtered, glide,
                                              [&](int part) {
                                                  lowPassSteps<T, WithJob>(c, part * W / 4,
                                                                           (part + 1) * W / 4,
                                                                           state, glide, frame);
                                              });
            T::toStrings(frame, filtered);
            g = nextGroup;
        }
        finishGroup<T, Bypassed, WithJob>(c, access, io, i, g, filtered, glide, [](int) {});
        i += W;
    }
    if (i < frames) processPartialGroup<T, Bypassed>(c, access, io, i, frames - i, state);
    lowPassState = state;
    if constexpr (WithJob) *job = glide;
}

template <class T, bool Bypassed, class Access>
void processGroupsOf(const VectorConstants<T>& c, Access& access, const Chunk& ch,
                     typename T::Strings& state)
{
    const Io io{ch.inL, ch.inR, ch.outL, ch.outR};
    if (ch.glide != nullptr && ch.glide->done < ch.glide->count)
        processGroups<T, Bypassed, true>(c, access, io, ch.frames, ch.glide, state);
    else
        processGroups<T, Bypassed, false>(c, access, io, ch.frames, nullptr, state);
}

template <class T, bool Bypassed>
void processChunkWith(const VectorConstants<T>& c, const Chunk& ch, typename T::Strings& state)
{
    if (ch.delays == nullptr)
    {
        FixedAccess<T> access(ch);
        processGroupsOf<T, Bypassed>(c, access, ch, state);
    }
    else
    {
        GlidingAccess<T> access(ch);
        processGroupsOf<T, Bypassed>(c, access, ch, state);
    }
}

template <class T>
void processChunk(const BlockConstants& constants, const Chunk& chunk, float* dampState)
{
    const VectorConstants<T> c(constants, chunk.offset);
    typename T::Strings state = T::loadStrings(dampState);
    if (constants.bypassed)
        processChunkWith<T, true>(c, chunk, state);
    else
        processChunkWith<T, false>(c, chunk, state);
    T::storeStrings(dampState, state);
}

template <class T> bool inputsOrdinary(const float* in0, const float* in1, int32_t frames)
{
    constexpr int W = T::kWidth;
    const typename T::F limit = T::splat(kLargestOrdinary);
    typename T::F bad = T::splat(0.0f);
    auto notOrdinary = [&limit](const float* p) { return T::notBelowMagnitude(T::load(p), limit); };
    int32_t i = 0;
    // Two groups per pass, which halves the counting and branching per frame.
    for (; i + 2 * W <= frames; i += 2 * W)
        bad = T::either(bad,
                        T::either(T::either(notOrdinary(in0 + i), notOrdinary(in1 + i)),
                                  T::either(notOrdinary(in0 + i + W), notOrdinary(in1 + i + W))));
    for (; i + W <= frames; i += W)
        bad = T::either(bad, T::either(notOrdinary(in0 + i), notOrdinary(in1 + i)));
    bool ordinary = !T::any(bad);
    for (; i < frames; ++i)
        ordinary = ordinary && __builtin_fabsf(in0[i]) < kLargestOrdinary &&
                   __builtin_fabsf(in1[i]) < kLargestOrdinary;
    return ordinary;
}

// Length of string k: (rate + spreadTerm[k] * detune) / (ratio * base[k]), here as the product
// with the reciprocals, which decides ceil(length) wherever the length is not within the margin
// of a whole number. The float ratio and the numerator are formed exactly as in the algorithm,
// and every step is monotone in Tune and in Detune.
template <class T> struct LengthVectors
{
    using D = typename T::D;
    static constexpr int H = T::kWidth / 2;                  // doubles per vector
    static constexpr int Q = ResonatorCore::kNumStrings / H; // vectors per twelve strings
    D rate;
    D spread[Q]; // spreadTerm of the strings q * H ...
    D inverseBase[Q];
    D lengthens[Q]; // lanes of strings that Detune lengthens
    D one;
    D margin;
    D farFromNext;
    D longest; // the longest length the ring holds
    D exactNeeded;

    explicit LengthVectors(const LengthTerms& terms)
        : rate(T::splatD(terms.sampleRate)), one(T::splatD(1.0)),
          margin(T::splatD(kWholeNumberMargin)), farFromNext(T::splatD(1.0 - kWholeNumberMargin)),
          longest(T::splatD(ResonatorCore::kRingMask)), exactNeeded(T::splatD(-1.0))
    {
        for (int q = 0; q < Q; ++q)
        {
            spread[q] = T::loadD(terms.spreadTerm + q * H);
            inverseBase[q] = T::loadD(terms.inverseBase + q * H);
            lengthens[q] = T::less(T::splatD(0.0), spread[q]);
        }
    }

    // ceil(length) of one length per lane, or -1 where it is not safely decided.
    D delayOf(D length) const
    {
        const D whole = T::truncated(length);
        const D fraction = length - whole;
        const D safe = T::both(T::both(T::less(one, length), T::less(length, longest)),
                               T::both(T::less(margin, fraction), T::less(fraction, farFromNext)));
        return T::select(safe, whole + one, exactNeeded);
    }
};

template <class T>
DelayRange stringDelays(const LengthTerms& terms, const float* tune, const float* detune,
                        int32_t count, int32_t writePos, int32_t* delays, int32_t stride,
                        int32_t* groupStarts)
{
    using F = typename T::F;
    using D = typename T::D;
    using L = LengthVectors<T>;
    constexpr int W = T::kWidth;
    constexpr int H = L::H;
    constexpr int G = kDelayGroup;
    static_assert(G % W == 0);
    const L v(terms);
    const D half = T::splatD(0.5);
    const D lastWhole = T::splatD(ResonatorCore::kRingMask - 0.5);
    const D ringLength = T::splatD(ResonatorCore::kRingLength);
    D smallest = ringLength;
    D largest = T::splatD(0.0);

    for (int32_t a = 0; a < count; a += G)
    {
        // The corners of the group's box: its first and last frames bound the ones between.
        const bool tuneRises = tune[a] < tune[a + G - 1];
        const float tuneLow = tuneRises ? tune[a] : tune[a + G - 1];
        const float tuneHigh = tuneRises ? tune[a + G - 1] : tune[a];
        const bool detuneRises = detune[a] < detune[a + G - 1];
        const D detuneLow = T::splatD(detuneRises ? detune[a] : detune[a + G - 1]);
        const D detuneHigh = T::splatD(detuneRises ? detune[a + G - 1] : detune[a]);
        const D inverseLow = v.one / T::splatD(terms.transposeFactor * tuneHigh);
        const D inverseHigh = v.one / T::splatD(terms.transposeFactor * tuneLow);

        int32_t groupDelay[ResonatorCore::kNumStrings];
        for (int q = 0; q < L::Q; ++q)
        {
            const D longDetune = T::select(v.lengthens[q], detuneHigh, detuneLow);
            const D shortDetune = T::select(v.lengthens[q], detuneLow, detuneHigh);
            const D longLength =
                (v.rate + v.spread[q] * longDetune) * inverseHigh * v.inverseBase[q];
            const D shortLength =
                (v.rate + v.spread[q] * shortDetune) * inverseLow * v.inverseBase[q];
            const D low = T::truncated(shortLength - v.margin);
            const D high = T::truncated(longLength + v.margin);
            const D same =
                T::both(T::equal(low, high), T::both(T::less(half, low), T::less(high, lastWhole)));
            const D delay = T::select(same, high + v.one, v.exactNeeded);
            smallest = T::smaller(smallest, T::select(same, delay, ringLength));
            largest = T::larger(largest, delay);
            T::storeWhole(groupDelay + q * H, delay);
        }

        bool inverseReady = false;
        D inverse[G / H];
        D detunes[G / H];
        int32_t* starts = groupStarts + a / G * ResonatorCore::kNumStrings;
        for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
        {
            int32_t* out = delays + k * stride + a;
            starts[k] = -1;
            if (groupDelay[k] > 0)
            {
                for (int f = 0; f < G; f += W)
                    T::fillInts(out + f, groupDelay[k]);
                const int32_t from = (writePos + a - groupDelay[k]) & ResonatorCore::kRingMask;
                if (from + G <= ResonatorCore::kRingLength) starts[k] = from;
                continue;
            }
            // The box straddles a delay change: frame by frame.
            if (!inverseReady)
            {
                for (int f = 0; f < G; f += W)
                {
                    const F ratio = T::splat(terms.transposeFactor) * T::load(tune + a + f);
                    const F frameDetune = T::load(detune + a + f);
                    inverse[f / H] = v.one / T::low(ratio);
                    inverse[f / H + 1] = v.one / T::high(ratio);
                    detunes[f / H] = T::low(frameDetune);
                    detunes[f / H + 1] = T::high(frameDetune);
                }
                inverseReady = true;
            }
            const D spread = T::splatD(terms.spreadTerm[k]);
            const D inverseBase = T::splatD(terms.inverseBase[k]);
            for (int h = 0; h < G / H; ++h)
            {
                const D delay =
                    v.delayOf((v.rate + spread * detunes[h]) * inverse[h] * inverseBase);
                smallest = T::smaller(smallest, delay);
                largest = T::larger(largest, delay);
                T::storeWhole(out + h * H, delay);
            }
        }
    }
    return {static_cast<int32_t>(T::lowest(smallest)), static_cast<int32_t>(T::highest(largest))};
}

template <class T> constexpr Kernel makeKernel(const char* name)
{
    return Kernel{name,
                  T::kWidth,
                  glideStepsPerGroup(T::kWidth),
                  &processChunk<T>,
                  &inputsOrdinary<T>,
                  &stringDelays<T>};
}

} // namespace
} // namespace resonator
