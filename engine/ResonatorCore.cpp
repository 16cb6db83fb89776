#include "ResonatorCore.h"

#include "ResonatorGlide.h"
#include "ResonatorKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace
{

using resonator::BlockConstants;
using resonator::Chunk;

// The denormal guard: a tiny offset whose sign alternates every sample, added to the dry inputs
// (or fed alone to the strings while bypassed). It restarts at + every block.
constexpr float kDenormalOffset = 1e-9f;

// At full Detune string k is longer by kDetuneDepth * kDetuneSpread[k] of its length.
constexpr double kDetuneDepth = 0.015;

constexpr double kRingLengthAsDouble = ResonatorCore::kRingLength;

// Frames of a block with damaged input that are cleaned into the scratch buffers at a time.
constexpr int32_t kCleanFrames = 1024;
// Frames of a glide whose Tune and Detune values and string delays are worked out at once; a
// multiple of every kernel's width.
constexpr int32_t kGlideFrames = 256;
// Frames of the first stretch of a glide that no earlier stretch worked out: its glide steps are
// worked out alone, before any audio, so it is kept short.
constexpr int32_t kFirstGlideFrames = 32;
// Frames of a glide stretch whose string delays are worked out: every frame, the frame after the
// last, and padding to whole groups of frames.
constexpr int32_t kGlideDelayFrames = (kGlideFrames + 1 + resonator::kDelayGroup - 1) /
                                      resonator::kDelayGroup * resonator::kDelayGroup;

constexpr std::array<double, ResonatorCore::kNumStrings> inverseBaseFrequencies()
{
    std::array<double, ResonatorCore::kNumStrings> inverse{};
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
        inverse[k] = 1.0 / ResonatorCore::kBaseFrequency[k];
    return inverse;
}
constexpr std::array<double, ResonatorCore::kNumStrings> kInverseBaseFrequency =
    inverseBaseFrequencies();

// Truncation toward zero as the ring index arithmetic needs it, defined for every double: a value
// outside the int32 range (or NaN, from a nonsensical sample rate) gives INT32_MIN, the answer of
// the x86 conversion instruction, which the mask turns into position 0.
inline int32_t truncateToInt(double value)
{
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return std::numeric_limits<int32_t>::min();
}

// Length of string k in samples (fractional), in double precision.
inline double stringLength(int k, double sampleRate, float transposeFactor, float tuneCurrent,
                           float detuneCurrent)
{
    const float ratio = transposeFactor * tuneCurrent; // float product
    return (sampleRate +
            sampleRate * kDetuneDepth * ResonatorCore::kDetuneSpread[k] * detuneCurrent) /
           (ratio * ResonatorCore::kBaseFrequency[k]);
}

// Read position of a string of length `length` behind writePos.
inline int32_t readPositionFor(int32_t writePos, double length)
{
    return truncateToInt(writePos - length + kRingLengthAsDouble) & ResonatorCore::kRingMask;
}

// The delay with which the sample after one written at writePos reads a string of that length.
inline int32_t delayAfter(int32_t writePos, double length)
{
    return (writePos - readPositionFor(writePos, length)) & ResonatorCore::kRingMask;
}

// String delays in whole samples while Tune and Detune rest. The read position of string k
// trails the write position by ceil(length) samples (the length itself when whole), unless the
// length lies within rounding distance of a whole number or outside the ring: then false, and the
// per-sample formula is used instead, so the result is the same in every case.
bool fixedDelays(double sampleRate, float transposeFactor, float tuneCurrent, float detuneCurrent,
                 std::array<int32_t, ResonatorCore::kNumStrings>& delays)
{
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
    {
        const double length =
            stringLength(k, sampleRate, transposeFactor, tuneCurrent, detuneCurrent);
        if (!(length >= 1.0 && length <= ResonatorCore::kRingMask)) return false;
        const double whole = std::floor(length);
        if (length != whole && (length - whole < resonator::kWholeNumberMargin ||
                                whole + 1.0 - length < resonator::kWholeNumberMargin))
            return false;
        delays[k] = static_cast<int32_t>(std::ceil(length));
    }
    return true;
}

inline float ordinaryOrSilence(float sample)
{
    return std::fabs(sample) < resonator::kLargestOrdinary ? sample : 0.0f;
}

} // namespace

// Engine values as one block reads them: once, at its start.
struct ResonatorCore::BlockValues
{
    BlockConstants constants;
    float transposeFactor;
    float tuneTarget;
    float detuneTarget;
};

// The audio thread's running state, copied into locals for a block and written back once.
struct ResonatorCore::LoopState
{
    int32_t writePos;
    std::array<int32_t, kNumStrings> readPos;
    std::array<float, kNumStrings> dampState;
    float tuneCurrent;
    float detuneCurrent;
    float offset;
};

// Working memory of the audio thread, allocated with the engine.
struct ResonatorCore::Scratch
{
    // Input cleaned of damage.
    float inL[kCleanFrames];
    float inR[kCleanFrames];
    // The Tune and Detune values that decide the string lengths of each frame of a glide
    // stretch: index 0 holds the values before it, index i + 1 those after the glide step of its
    // frame i; for the stretch being processed and the one after it.
    float tune[2][kGlideDelayFrames];
    float detune[2][kGlideDelayFrames];
    // Each string's delay per frame of the stretch, and where its reads of each group of frames
    // start in the ring (see resonator::Chunk).
    int32_t delays[kNumStrings][kGlideDelayFrames];
    int32_t groupStarts[kGlideDelayFrames / resonator::kDelayGroup][kNumStrings];
    // Glide values worked out at the end of a block for the start of the next: valid for a
    // glide that starts from the same values towards the same targets.
    struct
    {
        bool valid = false;
        int buffer;
        int32_t count;
        float tune;
        float detune;
        float tuneTarget;
        float detuneTarget;
    } ahead;
    // The steady delays last worked out, and what they follow from: a block at rest mostly
    // finds the same values as the block before it.
    struct
    {
        bool valid = false;
        bool fixed;
        double sampleRate;
        float transposeFactor;
        float tune;
        float detune;
        std::array<int32_t, kNumStrings> delays;
    } steady;
};

ResonatorCore::ResonatorCore()
    : rings_(std::make_unique_for_overwrite<float[]>(kNumStrings * kRingStride)),
      scratch_(std::make_unique<Scratch>()), kernel_(&resonator::bestKernel())
{
    for (auto& d : damping_)
        d.store(0.0f, std::memory_order_relaxed);
    reset();
}

ResonatorCore::~ResonatorCore() = default;

void ResonatorCore::setDamping(float coefficient)
{
    for (auto& d : damping_)
        d.store(coefficient, std::memory_order_relaxed);
}

bool ResonatorCore::setTransposeFactor(float factor)
{
    if (factor == transposeFactor_.load(std::memory_order_relaxed)) return false;
    transposeFactor_.store(factor, std::memory_order_relaxed);
    // Release: the audio thread that sees the flag also sees the factor stored before it.
    transpositionPending_.store(true, std::memory_order_release);
    return true;
}

bool ResonatorCore::useKernel(std::string_view name)
{
    const resonator::Kernel* kernel = resonator::findKernel(name);
    if (kernel == nullptr) return false;
    kernel_ = kernel;
    return true;
}

const char* ResonatorCore::kernelName() const
{
    return kernel_->name;
}

void ResonatorCore::reset()
{
    std::memset(rings_.get(), 0, sizeof(float) * kNumStrings * kRingStride);
    writePos_ = kRingLength - 1;
    // Provisional read positions: the first sample reads zeros wherever they point (they differ
    // from the write position, so no tap sees that sample's own write) and then recomputes them.
    readPos_.fill(0);
    dampState_.fill(0.0f);
    detuneCurrent_ = detuneTarget_.load(std::memory_order_relaxed);
    tuneCurrent_ = tuneTarget_.load(std::memory_order_relaxed);
    // The cleared rings already are what a pending transposition would produce.
    transpositionPending_.store(false, std::memory_order_relaxed);
    carriedOffset_ = kDenormalOffset;
}

void ResonatorCore::applyPendingTransposition(float sampleRate)
{
    if (!transpositionPending_.exchange(false, std::memory_order_acquire)) return;
    std::memset(rings_.get(), 0, sizeof(float) * kNumStrings * kRingStride);
    const float factor = transposeFactor_.load(std::memory_order_relaxed);
    for (int k = 0; k < kNumStrings; ++k)
        readPos_[k] = readPositionFor(
            writePos_, stringLength(k, sampleRate, factor, tuneCurrent_, detuneCurrent_));
}

ResonatorCore::BlockValues ResonatorCore::readBlockValues() const
{
    BlockValues v;
    v.constants.outputGain = outputGain_.load(std::memory_order_relaxed);
    v.constants.mixAmount = mixAmount_.load(std::memory_order_relaxed);
    v.constants.feedback = feedback_.load(std::memory_order_relaxed);
    for (int k = 0; k < kNumStrings; ++k)
        v.constants.damping[k] = damping_[k].load(std::memory_order_relaxed);
    v.constants.bypassed = bypassed_.load(std::memory_order_relaxed) != 0;
    v.transposeFactor = transposeFactor_.load(std::memory_order_relaxed);
    v.tuneTarget = tuneTarget_.load(std::memory_order_relaxed);
    v.detuneTarget = detuneTarget_.load(std::memory_order_relaxed);
    return v;
}

void ResonatorCore::process(const float* in0, const float* in1, float* out0, float* out1,
                            int32_t frames, float sampleRate)
{
    if (frames <= 0) return;
    applyPendingTransposition(sampleRate);
    const BlockValues v = readBlockValues();
    LoopState st{writePos_,    readPos_,       dampState_,
                 tuneCurrent_, detuneCurrent_, offsetCarried_ ? carriedOffset_ : kDenormalOffset};
    const double sr = sampleRate;

    if (kernel_->inputsOrdinary(in0, in1, frames))
    {
        processOrdinary(v, st, in0, in1, out0, out1, frames, sr);
    }
    else
    {
        // Damaged input (rare): cleaned into scratch, piece by piece, then processed as usual.
        Scratch& s = *scratch_;
        for (int32_t n = 0; n < frames;)
        {
            const int32_t count = std::min(frames - n, kCleanFrames);
            for (int32_t i = 0; i < count; ++i)
            {
                s.inL[i] = ordinaryOrSilence(in0[n + i]);
                s.inR[i] = ordinaryOrSilence(in1[n + i]);
            }
            processOrdinary(v, st, s.inL, s.inR, out0 + n, out1 + n, count, sr);
            n += count;
        }
    }

    writePos_ = st.writePos;
    readPos_ = st.readPos;
    dampState_ = st.dampState;
    tuneCurrent_ = st.tuneCurrent;
    detuneCurrent_ = st.detuneCurrent;
    carriedOffset_ = st.offset;
}

void ResonatorCore::processOrdinary(const BlockValues& v, LoopState& st, const float* in0,
                                    const float* in1, float* out0, float* out1, int32_t frames,
                                    double sampleRate)
{
    std::array<int32_t, kNumStrings> delays{};
    bool delaysChecked = false;
    bool delaysFixed = false;
    int32_t n = 0;
    while (n < frames)
    {
        // The targets are fixed for the block, so once the glides have arrived they stay.
        if (!(st.tuneCurrent == v.tuneTarget && st.detuneCurrent == v.detuneTarget))
        {
            n += processGlide(v, st, in0 + n, in1 + n, out0 + n, out1 + n, frames - n, sampleRate);
            continue;
        }
        if (!delaysChecked)
        {
            auto& known = scratch_->steady;
            if (!(known.valid && known.sampleRate == sampleRate &&
                  known.transposeFactor == v.transposeFactor && known.tune == st.tuneCurrent &&
                  known.detune == st.detuneCurrent))
            {
                known.fixed = fixedDelays(sampleRate, v.transposeFactor, st.tuneCurrent,
                                          st.detuneCurrent, known.delays);
                known.sampleRate = sampleRate;
                known.transposeFactor = v.transposeFactor;
                known.tune = st.tuneCurrent;
                known.detune = st.detuneCurrent;
                known.valid = true;
            }
            delaysFixed = known.fixed;
            delays = known.delays;
            delaysChecked = true;
        }
        // The first sample after a reset, a transposition change or a rate change reads from
        // positions that do not trail by the delays; it takes the plain steps, then they hold.
        bool trailing = delaysFixed;
        for (int k = 0; k < kNumStrings; ++k)
            trailing = trailing && st.readPos[k] == ((st.writePos - delays[k]) & kRingMask);
        if (trailing)
        {
            processSteady(v, st, delays, in0 + n, in1 + n, out0 + n, out1 + n, frames - n);
            return;
        }
        processSample(v, st, in0[n], in1[n], out0[n], out1[n], sampleRate);
        ++n;
    }
}

// One sample, exactly in the steps of the algorithm: wherever the chunked paths do not apply.
void ResonatorCore::processSample(const BlockValues& v, LoopState& st, float in0, float in1,
                                  float& out0, float& out1, double sampleRate)
{
    const BlockConstants& c = v.constants;
    float dryL;
    float dryR;
    double x;
    if (!c.bypassed)
    {
        dryL = in0 + st.offset;
        dryR = in1 + st.offset;
        x = 0.5 * static_cast<double>(dryL + dryR);
    }
    else
    {
        dryL = in0;
        dryR = in1;
        x = st.offset; // the strings receive no signal
    }
    st.offset = -st.offset;

    auto& ds = st.dampState;
    for (int k = 0; k < kNumStrings; ++k)
        ds[k] = (ring(k)[st.readPos[k]] - ds[k]) * c.damping[k] + ds[k];
    for (int k = 0; k < kNumStrings; ++k)
        ring(k)[st.writePos] = static_cast<float>(static_cast<double>(ds[k] * c.feedback) + x);

    // Taps are read after the writes above (a read position may equal the write position).
    // Summed in this order: the output depends on it.
    auto tap = [this, &st](int k) { return ring(kNumStrings - 1 - k)[st.readPos[k]]; };
    const float wetL = ds[0] + ds[2] + ds[4] + ds[6] + ds[8] + ds[10] + tap(10) + tap(8) + tap(6) +
                       tap(4) + tap(2) + tap(0);
    const float wetR = ds[3] + ds[1] + ds[5] + ds[7] + ds[9] + ds[11] + tap(11) + tap(9) + tap(7) +
                       tap(5) + tap(3) + tap(1);

    const float yL = static_cast<float>((wetL * resonator::kWetScale - dryL) * c.mixAmount + dryL);
    const float yR = static_cast<float>((wetR * resonator::kWetScale - dryR) * c.mixAmount + dryR);

    resonator::glideStep(st.tuneCurrent, st.detuneCurrent, v.tuneTarget, v.detuneTarget);
    for (int k = 0; k < kNumStrings; ++k)
        st.readPos[k] =
            readPositionFor(st.writePos, stringLength(k, sampleRate, v.transposeFactor,
                                                      st.tuneCurrent, st.detuneCurrent));

    out0 = yL * c.outputGain;
    out1 = yR * c.outputGain;

    st.writePos = (st.writePos + 1) & kRingMask;
    for (int k = 0; k < kNumStrings; ++k)
        st.readPos[k] = (st.readPos[k] + 1) & kRingMask;
}

// Hands one chunk of `frames` frames, starting at the current write position, to the kernel;
// the delays are set by the caller.
void ResonatorCore::runChunk(const BlockValues& v, LoopState& st, Chunk& chunk, const float* in0,
                             const float* in1, float* out0, float* out1, int32_t frames)
{
    chunk.rings = rings_.get();
    chunk.writePos = st.writePos;
    chunk.inL = in0;
    chunk.inR = in1;
    chunk.outL = out0;
    chunk.outR = out1;
    chunk.frames = frames;
    chunk.offset = st.offset;
    kernel_->processChunk(v.constants, chunk, st.dampState.data());
    st.writePos = (st.writePos + frames) & kRingMask;
    if (frames % 2 != 0) st.offset = -st.offset;
}

// Steady state: no glide, and every string's read position trails the write position by its
// fixed delay. A chunk is no longer than the shortest delay (so every read comes from before it)
// and stops short of the longest delay's distance to a full ring (so no tap sees a later write
// that wrapped around) and of every ring end.
void ResonatorCore::processSteady(const BlockValues& v, LoopState& st,
                                  const std::array<int32_t, kNumStrings>& delays, const float* in0,
                                  const float* in1, float* out0, float* out1, int32_t frames)
{
    const auto [shortest, longest] = std::minmax_element(delays.begin(), delays.end());
    const int32_t longestChunk = std::min(*shortest, kRingLength - *longest);
    const int32_t width = kernel_->width;
    Chunk chunk;
    chunk.delays = nullptr;
    chunk.glide = nullptr;
    std::copy(delays.begin(), delays.end(), chunk.delay);
    int32_t n = 0;
    while (n < frames)
    {
        int32_t length = std::min({frames - n, longestChunk, kRingLength - st.writePos});
        for (int k = 0; k < kNumStrings; ++k)
            length = std::min(length, kRingLength - ((st.writePos - delays[k]) & kRingMask));
        // Whole groups, so that only the end of the block leaves a partial one.
        if (length < frames - n && length >= width) length -= length % width;
        runChunk(v, st, chunk, in0 + n, in1 + n, out0 + n, out1 + n, length);
        n += length;
    }
    for (int k = 0; k < kNumStrings; ++k)
        st.readPos[k] = (st.writePos - delays[k]) & kRingMask;
}

// While Tune or Detune glide, in stretches of up to kGlideFrames frames. The glide values of a
// stretch are worked out before it, by the kernels while they process the stretch before it,
// where the serial chain of glide steps overlaps the audio work: the last stretch of a block works
// out the first of the next, used if that block glides on from the same values to the same
// targets; otherwise the first stretch's values are worked out alone. Stops after the frame in
// which both glides arrive. Answers the frames processed (at least one).
int32_t ResonatorCore::processGlide(const BlockValues& v, LoopState& st, const float* in0,
                                    const float* in1, float* out0, float* out1, int32_t frames,
                                    double sampleRate)
{
    Scratch& s = *scratch_;
    int buffer = 0;
    int32_t count = std::min(frames, kGlideFrames);
    if (s.ahead.valid && s.ahead.tune == st.tuneCurrent && s.ahead.detune == st.detuneCurrent &&
        s.ahead.tuneTarget == v.tuneTarget && s.ahead.detuneTarget == v.detuneTarget)
    {
        buffer = s.ahead.buffer;
        count = std::min(count, s.ahead.count);
    }
    else
    {
        // Short if the kernels take more glide steps than frames, so that the stretches after
        // it can grow to full length on the steps the kernels work out.
        if (kernel_->glideSteps > kernel_->width) count = std::min(count, kFirstGlideFrames);
        s.tune[0][0] = st.tuneCurrent;
        s.detune[0][0] = st.detuneCurrent;
        resonator::GlideJob first{
            st.tuneCurrent, st.detuneCurrent, v.tuneTarget,   v.detuneTarget, 0,
            count,          s.tune[0] + 1,    s.detune[0] + 1};
        resonator::advanceGlide(first, count);
    }
    s.ahead.valid = false;

    int32_t n = 0;
    while (true)
    {
        // The stretch ends with the frame in which both glides arrive, if they do. Once at its
        // target a glide stays there, so that frame is found by bisection.
        auto atTargets = [&s, &v, buffer](int32_t i)
        { return s.tune[buffer][i] == v.tuneTarget && s.detune[buffer][i] == v.detuneTarget; };
        const bool arrived = atTargets(count);
        int32_t steps = count;
        if (arrived)
        {
            int32_t before = 0; // index 0 holds the values before the stretch, still gliding
            while (steps - before > 1)
            {
                const int32_t middle = before + (steps - before) / 2;
                (atTargets(middle) ? steps : before) = middle;
            }
        }
        // Glide steps for the next stretch, or, at the end of the frames, for the start of the
        // next block, should it keep the targets.
        const bool lastStretch = n + steps == frames;
        int32_t later = arrived       ? 0
                        : lastStretch ? kGlideFrames
                                      : std::min(frames - n - steps, kGlideFrames);
        const int other = 1 - buffer;
        s.tune[other][0] = s.tune[buffer][steps];
        s.detune[other][0] = s.detune[buffer][steps];
        resonator::GlideJob next{
            s.tune[other][0],  s.detune[other][0], v.tuneTarget, v.detuneTarget, 0, later,
            s.tune[other] + 1, s.detune[other] + 1};
        processGlideStretch(v, st, buffer, steps, in0 + n, in1 + n, out0 + n, out1 + n, sampleRate,
                            later > 0 ? &next : nullptr);
        n += steps;
        if (later == 0) return n;
        if (lastStretch)
        {
            // Only what the kernels worked out on the way: nothing is spent on a guess.
            if (next.done > 0)
                s.ahead = {true,         other,         next.done, st.tuneCurrent, st.detuneCurrent,
                           v.tuneTarget, v.detuneTarget};
            return n;
        }
        // Where the kernels took more steps than the stretch had frames, the next stretch ends
        // where their steps do, so that it grows to full length without steps worked out alone;
        // otherwise the steps they did not take are worked out here.
        const int32_t taken = next.done - next.done % kernel_->width;
        if (taken > steps && taken < later)
            later = taken;
        else
            resonator::advanceGlide(next, later);
        buffer = other;
        count = later;
    }
}

// One stretch of a glide, with its glide values in scratch buffer `buffer`: every string's delay
// in each frame, then the audio in chunks as in the steady state, each frame reading at its own
// delays. The kernels advance `job` along the way.
void ResonatorCore::processGlideStretch(const BlockValues& v, LoopState& st, int buffer,
                                        int32_t steps, const float* in0, const float* in1,
                                        float* out0, float* out1, double sampleRate,
                                        resonator::GlideJob* job)
{
    const Scratch& s = *scratch_;
    int32_t smallest = 0;
    int32_t largest = 0;
    glideDelays(v, st, buffer, steps, sampleRate, smallest, largest);
    if (smallest < 1)
    {
        // Strings shorter than one sample (nonsensical rates): every frame takes the plain steps.
        for (int32_t n = 0; n < steps; ++n)
            processSample(v, st, in0[n], in1[n], out0[n], out1[n], sampleRate);
        return;
    }

    // Frame 0 reads at the delays of the running state, which after a reset, a transposition or
    // a rate change may lie far from the others.
    int32_t firstSmallest = smallest;
    int32_t firstLargest = largest;
    for (int k = 0; k < kNumStrings; ++k)
    {
        firstSmallest = std::min(firstSmallest, s.delays[k][0]);
        firstLargest = std::max(firstLargest, s.delays[k][0]);
    }

    const int32_t width = kernel_->width;
    Chunk chunk;
    chunk.delayStride = kGlideDelayFrames;
    chunk.groupStarts = &s.groupStarts[0][0];
    chunk.glide = job;
    int32_t n = 0;
    while (n < steps)
    {
        const int32_t low = n == 0 ? firstSmallest : smallest;
        const int32_t high = n == 0 ? firstLargest : largest;
        int32_t length = std::min({steps - n, low, kRingLength - high, kRingLength - st.writePos});
        if (n == 0 && length < std::min(width, steps))
        {
            // Its glide step and positions are the ones already worked out for frame 1 on.
            processSample(v, st, in0[0], in1[0], out0[0], out1[0], sampleRate);
            n = 1;
            continue;
        }
        if (length < steps - n && length >= width) length -= length % width;
        chunk.delays = &s.delays[0][n];
        chunk.firstFrame = n;
        runChunk(v, st, chunk, in0 + n, in1 + n, out0 + n, out1 + n, length);
        n += length;
    }

    st.tuneCurrent = s.tune[buffer][steps];
    st.detuneCurrent = s.detune[buffer][steps];
    for (int k = 0; k < kNumStrings; ++k)
        st.readPos[k] = (st.writePos - s.delays[k][steps]) & kRingMask;
}

// Every string's delay in each frame of a glide stretch, including the frame after the last:
// frame 0 from the running state, the others from their glide values. Answers the smallest and
// largest delay of frames 1 on; smallest is below 1 when a string is shorter than one sample.
void ResonatorCore::glideDelays(const BlockValues& v, const LoopState& st, int buffer,
                                int32_t steps, double sampleRate, int32_t& smallest,
                                int32_t& largest)
{
    Scratch& s = *scratch_;
    float* tune = s.tune[buffer];
    float* detune = s.detune[buffer];
    // The last group of frames is padded with the last values.
    const int32_t count =
        (steps + 1 + resonator::kDelayGroup - 1) / resonator::kDelayGroup * resonator::kDelayGroup;
    for (int32_t i = steps + 1; i < count; ++i)
    {
        tune[i] = tune[steps];
        detune[i] = detune[steps];
    }

    resonator::LengthTerms terms;
    terms.transposeFactor = v.transposeFactor;
    terms.sampleRate = sampleRate;
    for (int k = 0; k < kNumStrings; ++k)
    {
        terms.spreadTerm[k] = sampleRate * kDetuneDepth * kDetuneSpread[k];
        terms.inverseBase[k] = kInverseBaseFrequency[k];
    }
    resonator::DelayRange range =
        kernel_->stringDelays(terms, tune, detune, count, st.writePos, &s.delays[0][0],
                              kGlideDelayFrames, &s.groupStarts[0][0]);
    // Frame 0 reads at the running state's delays. Where they are the ones the glide values gave
    // the whole first group, its reads still lie consecutively in the ring.
    for (int k = 0; k < kNumStrings; ++k)
    {
        const int32_t running = (st.writePos - st.readPos[k]) & kRingMask;
        if (running != s.delays[k][0]) s.groupStarts[0][k] = -1;
        s.delays[k][0] = running;
    }

    if (range.smallest < 1)
    {
        // Lengths near a whole number or outside the ring: the exact formula, with the write
        // position of the frame whose glide values they follow.
        range = {kRingLength, 0};
        for (int32_t i = 1; i <= steps; ++i)
        {
            const int32_t writePos = (st.writePos + i - 1) & kRingMask;
            for (int k = 0; k < kNumStrings; ++k)
            {
                int32_t& delay = s.delays[k][i];
                if (delay < 1)
                    delay = delayAfter(writePos, stringLength(k, sampleRate, v.transposeFactor,
                                                              tune[i], detune[i]));
                range.smallest = std::min(range.smallest, delay);
                range.largest = std::max(range.largest, delay);
            }
        }
    }
    smallest = range.smallest;
    largest = range.largest;
}
