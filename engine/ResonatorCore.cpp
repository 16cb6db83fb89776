#include "ResonatorCore.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace
{

constexpr int kStrings = ResonatorCore::kNumStrings;
constexpr int32_t kMask = ResonatorCore::kRingMask;

// The denormal guard: a tiny offset whose sign alternates every sample, added to the dry inputs
// (or fed alone to the strings while bypassed). It restarts at + every block.
constexpr float kDenormalOffset = 1e-9f;

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
    return (sampleRate + sampleRate * 0.015 * ResonatorCore::kDetuneSpread[k] * detuneCurrent) /
           (ratio * ResonatorCore::kBaseFrequency[k]);
}

// Read position of a string of length `length` behind writePos.
inline int32_t readPositionFor(int32_t writePos, double length)
{
    return truncateToInt(writePos - length + 16384.0) & kMask;
}

} // namespace

// Engine values as one block reads them: once, at its start.
struct ResonatorCore::BlockValues
{
    float outputGain;
    float mixAmount;
    float feedback;
    std::array<float, kNumStrings> damping;
    float transposeFactor;
    float tuneTarget;
    float detuneTarget;
    int32_t bypassed;
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

ResonatorCore::ResonatorCore() : rows_(std::make_unique<Row[]>(kRingLength))
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

void ResonatorCore::reset()
{
    std::memset(static_cast<void*>(rows_.get()), 0, sizeof(Row) * kRingLength);
    writePos_ = kRingLength - 1;
    // Provisional read positions: the first sample reads zeros wherever they point (they differ
    // from the write position, so no tap sees that sample's own write) and then recomputes them.
    readPos_.fill(0);
    dampState_.fill(0.0f);
    detuneCurrent_ = detuneTarget_.load(std::memory_order_relaxed);
    tuneCurrent_ = tuneTarget_.load(std::memory_order_relaxed);
    // The cleared rings already are what a pending transposition would produce.
    transpositionPending_.store(false, std::memory_order_relaxed);
}

void ResonatorCore::applyPendingTransposition(float sampleRate)
{
    if (!transpositionPending_.exchange(false, std::memory_order_acquire)) return;
    std::memset(static_cast<void*>(rows_.get()), 0, sizeof(Row) * kRingLength);
    const float factor = transposeFactor_.load(std::memory_order_relaxed);
    for (int k = 0; k < kNumStrings; ++k)
        readPos_[k] = readPositionFor(
            writePos_, stringLength(k, sampleRate, factor, tuneCurrent_, detuneCurrent_));
}

// String delays in whole samples for a block in which Tune and Detune do not glide. The read
// position of string k trails the write position by ceil(length) samples (the length itself when
// whole), unless the length lies within rounding distance of a whole number or outside the ring:
// then the per-sample formula is used instead, so the result is the same in every case.
bool ResonatorCore::computeFixedDelays(double sampleRate, float transposeFactor, float tuneCurrent,
                                       float detuneCurrent,
                                       std::array<int32_t, kNumStrings>& delays)
{
    for (int k = 0; k < kNumStrings; ++k)
    {
        const double length =
            stringLength(k, sampleRate, transposeFactor, tuneCurrent, detuneCurrent);
        if (!(length >= 1.0 && length <= 16383.0)) return false;
        const double whole = std::floor(length);
        // The position arithmetic (writePos - length + 16384) rounds by less than 2^-37 for
        // lengths in this range; 2^-30 keeps well clear of that.
        constexpr double kMargin = 0x1p-30;
        if (length != whole && (length - whole < kMargin || whole + 1.0 - length < kMargin))
            return false;
        delays[k] = static_cast<int32_t>(std::ceil(length));
    }
    return true;
}

// One sample, exactly in the steps of the algorithm: used while Tune or Detune glide and wherever
// the fixed delays do not apply.
void ResonatorCore::processSample(Row* rows, const BlockValues& v, LoopState& st, const float* in0,
                                  const float* in1, float* out0, float* out1, int32_t n, double sr)
{
    float dryL;
    float dryR;
    double x;
    if (v.bypassed == 0)
    {
        dryL = in0[n] + st.offset;
        dryR = in1[n] + st.offset;
        x = 0.5 * static_cast<double>(dryL + dryR);
    }
    else
    {
        dryL = in0[n];
        dryR = in1[n];
        x = st.offset; // the strings receive no signal
    }
    st.offset = -st.offset;

    for (int k = 0; k < kStrings; ++k)
    {
        const float r = rows[st.readPos[k]].s[k];
        st.dampState[k] = (r - st.dampState[k]) * v.damping[k] + st.dampState[k];
    }
    Row& w = rows[st.writePos];
    for (int k = 0; k < kStrings; ++k)
        w.s[k] = static_cast<float>(static_cast<double>(st.dampState[k] * v.feedback) + x);

    // Taps are read after the writes above (a read position may equal the write position).
    // Summed in this order: the output depends on it.
    const auto& ds = st.dampState;
    const auto& rp = st.readPos;
    float wetL = ds[0] + ds[2] + ds[4] + ds[6] + ds[8] + ds[10];
    wetL = wetL + rows[rp[10]].s[1] + rows[rp[8]].s[3] + rows[rp[6]].s[5] + rows[rp[4]].s[7] +
           rows[rp[2]].s[9] + rows[rp[0]].s[11];
    float wetR = ds[3] + ds[1] + ds[5] + ds[7] + ds[9] + ds[11];
    wetR = wetR + rows[rp[11]].s[0] + rows[rp[9]].s[2] + rows[rp[7]].s[4] + rows[rp[5]].s[6] +
           rows[rp[3]].s[8] + rows[rp[1]].s[10];

    const double mix = v.mixAmount;
    const float yL = static_cast<float>((wetL * 0.075 - dryL) * mix + dryL);
    const float yR = static_cast<float>((wetR * 0.075 - dryR) * mix + dryR);

    const float dDetune = v.detuneTarget - st.detuneCurrent;
    if (std::fabs(dDetune) > 0.002)
        st.detuneCurrent = static_cast<float>(st.detuneCurrent + dDetune * 0.00075);
    else
        st.detuneCurrent = v.detuneTarget;

    const float dTune = v.tuneTarget - st.tuneCurrent;
    if (std::fabs(dTune) > 0.0015)
    {
        float c = static_cast<float>(st.tuneCurrent + dTune * 0.00025);
        if (std::fabs(st.tuneCurrent - c) > 0.00002)
            c = c > st.tuneCurrent ? static_cast<float>(st.tuneCurrent + 0.00002)
                                   : static_cast<float>(st.tuneCurrent - 0.00002);
        st.tuneCurrent = c;
    }
    else
    {
        st.tuneCurrent = v.tuneTarget;
    }

    for (int k = 0; k < kStrings; ++k)
        st.readPos[k] = readPositionFor(
            st.writePos, stringLength(k, sr, v.transposeFactor, st.tuneCurrent, st.detuneCurrent));

    out0[n] = yL * v.outputGain;
    out1[n] = yR * v.outputGain;

    st.writePos = (st.writePos + 1) & kMask;
    for (int k = 0; k < kStrings; ++k)
        st.readPos[k] = (st.readPos[k] + 1) & kMask;
}

// The steady-state loop: no glide, whole-sample delays known for the block, and no read position
// on the write position, so the crossed taps can be loaded together with each string's own read
// before the row is written. Same operations in the same precision as processSample.
template <bool Bypassed>
void ResonatorCore::processFixedRun(Row* rows, const BlockValues& v, LoopState& st,
                                    const std::array<int32_t, kNumStrings>& delays,
                                    const float* in0, const float* in1, float* out0, float* out1,
                                    int32_t begin, int32_t end)
{
    int32_t writePos = st.writePos;
    float offset = st.offset;
    int32_t rp[kStrings];
    float ds[kStrings];
    float damping[kStrings];
    int32_t delay[kStrings];
    for (int k = 0; k < kStrings; ++k)
    {
        rp[k] = st.readPos[k];
        ds[k] = st.dampState[k];
        damping[k] = v.damping[k];
        delay[k] = delays[k];
    }
    const float feedback = v.feedback;
    const double mix = v.mixAmount;
    const float gain = v.outputGain;

    for (int32_t n = begin; n < end; ++n)
    {
        float dryL;
        float dryR;
        double x;
        if constexpr (Bypassed)
        {
            dryL = in0[n];
            dryR = in1[n];
            x = offset;
        }
        else
        {
            dryL = in0[n] + offset;
            dryR = in1[n] + offset;
            x = 0.5 * static_cast<double>(dryL + dryR);
        }
        offset = -offset;

        float own[kStrings];
        float tap[kStrings]; // tap[k]: string 11-k read at string k's position
        for (int k = 0; k < kStrings; ++k)
        {
            const Row& r = rows[rp[k]];
            own[k] = r.s[k];
            tap[k] = r.s[kStrings - 1 - k];
        }
        for (int k = 0; k < kStrings; ++k)
            ds[k] = (own[k] - ds[k]) * damping[k] + ds[k];
        Row& w = rows[writePos];
        for (int k = 0; k < kStrings; ++k)
            w.s[k] = static_cast<float>(static_cast<double>(ds[k] * feedback) + x);

        // Summed in this order: the output depends on it.
        float wetL = ds[0] + ds[2] + ds[4] + ds[6] + ds[8] + ds[10];
        wetL = wetL + tap[10] + tap[8] + tap[6] + tap[4] + tap[2] + tap[0];
        float wetR = ds[3] + ds[1] + ds[5] + ds[7] + ds[9] + ds[11];
        wetR = wetR + tap[11] + tap[9] + tap[7] + tap[5] + tap[3] + tap[1];

        const float yL = static_cast<float>((wetL * 0.075 - dryL) * mix + dryL);
        const float yR = static_cast<float>((wetR * 0.075 - dryR) * mix + dryR);
        out0[n] = yL * gain;
        out1[n] = yR * gain;

        writePos = (writePos + 1) & kMask;
        for (int k = 0; k < kStrings; ++k)
            rp[k] = (writePos - delay[k]) & kMask;
    }

    st.writePos = writePos;
    st.offset = offset;
    for (int k = 0; k < kStrings; ++k)
    {
        st.readPos[k] = rp[k];
        st.dampState[k] = ds[k];
    }
    // Without a glide each sample sets the current values to their targets.
    st.tuneCurrent = v.tuneTarget;
    st.detuneCurrent = v.detuneTarget;
}

void ResonatorCore::process(const float* in0, const float* in1, float* out0, float* out1,
                            int32_t frames, float sampleRate)
{
    if (frames <= 0) return;
    applyPendingTransposition(sampleRate);

    BlockValues v;
    v.outputGain = outputGain_.load(std::memory_order_relaxed);
    v.mixAmount = mixAmount_.load(std::memory_order_relaxed);
    v.feedback = feedback_.load(std::memory_order_relaxed);
    for (int k = 0; k < kNumStrings; ++k)
        v.damping[k] = damping_[k].load(std::memory_order_relaxed);
    v.transposeFactor = transposeFactor_.load(std::memory_order_relaxed);
    v.tuneTarget = tuneTarget_.load(std::memory_order_relaxed);
    v.detuneTarget = detuneTarget_.load(std::memory_order_relaxed);
    v.bypassed = bypassed_.load(std::memory_order_relaxed);

    LoopState st{writePos_, readPos_, dampState_, tuneCurrent_, detuneCurrent_, kDenormalOffset};
    Row* const rows = rows_.get();
    const double sr = sampleRate;

    std::array<int32_t, kNumStrings> delays{};
    bool delaysChecked = false;
    bool delaysFixed = false;
    int32_t n = 0;
    while (n < frames)
    {
        // The targets are fixed for the block, so once the glides have arrived they stay.
        const bool gliding =
            !(st.tuneCurrent == v.tuneTarget && st.detuneCurrent == v.detuneTarget);
        if (!gliding)
        {
            if (!delaysChecked)
            {
                delaysFixed = computeFixedDelays(sr, v.transposeFactor, st.tuneCurrent,
                                                 st.detuneCurrent, delays);
                delaysChecked = true;
            }
            bool onWritePos = false;
            for (int k = 0; k < kNumStrings; ++k)
                onWritePos |= st.readPos[k] == st.writePos;
            if (delaysFixed && !onWritePos)
            {
                if (v.bypassed == 0)
                    processFixedRun<false>(rows, v, st, delays, in0, in1, out0, out1, n, frames);
                else
                    processFixedRun<true>(rows, v, st, delays, in0, in1, out0, out1, n, frames);
                break;
            }
        }
        processSample(rows, v, st, in0, in1, out0, out1, n, sr);
        ++n;
    }

    writePos_ = st.writePos;
    readPos_ = st.readPos;
    dampState_ = st.dampState;
    tuneCurrent_ = st.tuneCurrent;
    detuneCurrent_ = st.detuneCurrent;
}
