#include "ResonatorCore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

ResonatorCore::ResonatorCore() : rows_(std::make_unique_for_overwrite<Row[]>(kRingLength))
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
    carriedOffset_ = kDenormalOffset;
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

#if defined(__SSE2__)

namespace
{

// Block constants of the vector loops.
struct VectorConstants
{
    __m128 damp0, damp1, damp2; // strings 0-3, 4-7, 8-11
    __m128 feedback;
    __m128 gain;
    __m128d mix;
    __m128d wetScale;
};

inline __m128 loadPair(const float* a, const float* b)
{
    return _mm_unpacklo_ps(_mm_load_ss(a), _mm_load_ss(b)); // {a, b, 0, 0}
}

inline __m128 loadQuad(const float* a, const float* b, const float* c, const float* d)
{
    return _mm_movelh_ps(loadPair(a, b), loadPair(c, d));
}

// One sample for all twelve strings, four at a time. rowOf(k) is the row string k reads. The
// values are formed with the same operations, precision and order as in processSample; the
// vectors only compute several of them at once. Answers yL, yR (before the gain) in lanes 0, 1.
template <bool Bypassed, typename RowOf>
inline __attribute__((always_inline)) void
vectorSample(ResonatorCore::Row* pw, RowOf rowOf, float inL, float inR, float& offset, __m128& ds0,
             __m128& ds1, __m128& ds2, const VectorConstants& c, float& outL, float& outR)
{
    const __m128 in = _mm_unpacklo_ps(_mm_set_ss(inL), _mm_set_ss(inR));
    __m128 dry; // {dryL, dryR, 0, 0}
    __m128 xf;  // the excitation in all lanes, when it is a float value
    bool xIsFloat = true;
    double x;
    if constexpr (Bypassed)
    {
        dry = in;
        x = offset;
        xf = _mm_set1_ps(offset);
    }
    else
    {
        dry = _mm_add_ps(in, _mm_set1_ps(offset));
        const float sum = _mm_cvtss_f32(dry) + _mm_cvtss_f32(_mm_shuffle_ps(dry, dry, 1));
        x = 0.5 * static_cast<double>(sum);
        // Half a float sum is a float value unless it falls below the normal range; then the
        // write below is formed in double as written.
        const float half = sum * 0.5f;
        xIsFloat = half + half == sum;
        xf = _mm_set1_ps(half);
    }
    offset = -offset;

    const __m128 own0 =
        loadQuad(&rowOf(0)->s[0], &rowOf(1)->s[1], &rowOf(2)->s[2], &rowOf(3)->s[3]);
    const __m128 own1 =
        loadQuad(&rowOf(4)->s[4], &rowOf(5)->s[5], &rowOf(6)->s[6], &rowOf(7)->s[7]);
    const __m128 own2 =
        loadQuad(&rowOf(8)->s[8], &rowOf(9)->s[9], &rowOf(10)->s[10], &rowOf(11)->s[11]);
    ds0 = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(own0, ds0), c.damp0), ds0);
    ds1 = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(own1, ds1), c.damp1), ds1);
    ds2 = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(own2, ds2), c.damp2), ds2);

    // Feedback write: the float product plus the excitation, summed in double and rounded to
    // float. When the excitation is a float value, the float sum is that same number: double
    // carries more than twice float's precision, so rounding to double first changes nothing.
    const __m128 f0 = _mm_mul_ps(ds0, c.feedback);
    const __m128 f1 = _mm_mul_ps(ds1, c.feedback);
    const __m128 f2 = _mm_mul_ps(ds2, c.feedback);
    if (__builtin_expect(xIsFloat, 1))
    {
        _mm_store_ps(&pw->s[0], _mm_add_ps(f0, xf));
        _mm_store_ps(&pw->s[4], _mm_add_ps(f1, xf));
        _mm_store_ps(&pw->s[8], _mm_add_ps(f2, xf));
    }
    else
    {
        const __m128d xd = _mm_set1_pd(x);
        auto write = [&xd](float* to, __m128 f)
        {
            const __m128 lo = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(f), xd));
            const __m128 hi = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(f, f)), xd));
            _mm_store_ps(to, _mm_movelh_ps(lo, hi));
        };
        write(&pw->s[0], f0);
        write(&pw->s[4], f1);
        write(&pw->s[8], f2);
    }

    // Wet sums, left in lane 0 and right in lane 1, each added in its fixed order (the output
    // depends on it): left  ds0 ds2 ds4 ds6 ds8 ds10 t10 t8 t6 t4 t2 t0,
    //                 right ds3 ds1 ds5 ds7 ds9 ds11 t11 t9 t7 t5 t3 t1,
    // where tk is string 11-k's ring read at string k's position, loaded after the write above.
    __m128 wet = _mm_shuffle_ps(ds0, ds0, _MM_SHUFFLE(3, 0, 3, 0));
    wet = _mm_add_ps(wet, _mm_shuffle_ps(ds0, ds0, _MM_SHUFFLE(1, 2, 1, 2)));
    wet = _mm_add_ps(wet, ds1);
    wet = _mm_add_ps(wet, _mm_movehl_ps(ds1, ds1));
    wet = _mm_add_ps(wet, ds2);
    wet = _mm_add_ps(wet, _mm_movehl_ps(ds2, ds2));
    wet = _mm_add_ps(wet, loadPair(&rowOf(10)->s[1], &rowOf(11)->s[0]));
    wet = _mm_add_ps(wet, loadPair(&rowOf(8)->s[3], &rowOf(9)->s[2]));
    wet = _mm_add_ps(wet, loadPair(&rowOf(6)->s[5], &rowOf(7)->s[4]));
    wet = _mm_add_ps(wet, loadPair(&rowOf(4)->s[7], &rowOf(5)->s[6]));
    wet = _mm_add_ps(wet, loadPair(&rowOf(2)->s[9], &rowOf(3)->s[8]));
    wet = _mm_add_ps(wet, loadPair(&rowOf(0)->s[11], &rowOf(1)->s[10]));

    // Mix in double, rounded to float, then the gain in float.
    const __m128d dryD = _mm_cvtps_pd(dry);
    const __m128d y = _mm_add_pd(
        _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(_mm_cvtps_pd(wet), c.wetScale), dryD), c.mix), dryD);
    const __m128 out = _mm_mul_ps(_mm_cvtpd_ps(y), c.gain);
    outL = _mm_cvtss_f32(out);
    outR = _mm_cvtss_f32(_mm_shuffle_ps(out, out, 1));
}

} // namespace

// Steady state: no glide, and every string's read position trails the write position by its
// fixed whole-sample delay. The block is cut into stretches in which no position wraps around
// the ring, so that each string reads through its own row pointer without masking.
template <bool Bypassed>
void ResonatorCore::processFixedRun(Row* rows, const BlockValues& v, LoopState& st,
                                    const std::array<int32_t, kNumStrings>& delays,
                                    const float* in0, const float* in1, float* out0, float* out1,
                                    int32_t begin, int32_t end)
{
    const VectorConstants c{_mm_loadu_ps(&v.damping[0]), _mm_loadu_ps(&v.damping[4]),
                            _mm_loadu_ps(&v.damping[8]), _mm_set1_ps(v.feedback),
                            _mm_set1_ps(v.outputGain),   _mm_set1_pd(v.mixAmount),
                            _mm_set1_pd(0.075)};
    __m128 ds0 = _mm_loadu_ps(&st.dampState[0]);
    __m128 ds1 = _mm_loadu_ps(&st.dampState[4]);
    __m128 ds2 = _mm_loadu_ps(&st.dampState[8]);
    float offset = st.offset;
    int32_t writePos = st.writePos;

    int32_t n = begin;
    while (n < end)
    {
        // The longest stretch in which neither the write row nor any read row wraps.
        int32_t run = std::min(end - n, kRingLength - writePos);
        const Row* base[kStrings];
        for (int k = 0; k < kStrings; ++k)
        {
            const int32_t row = (writePos - delays[k]) & kMask;
            run = std::min(run, kRingLength - row);
            base[k] = rows + row;
        }
        Row* const pw = rows + writePos;
        for (int32_t i = 0; i < run; ++i)
        {
            vectorSample<Bypassed>(
                pw + i, [&base, i](int k) { return base[k] + i; }, in0[n + i], in1[n + i], offset,
                ds0, ds1, ds2, c, out0[n + i], out1[n + i]);
        }
        n += run;
        writePos = (writePos + run) & kMask;
    }

    st.writePos = writePos;
    st.offset = offset;
    for (int k = 0; k < kStrings; ++k)
        st.readPos[k] = (writePos - delays[k]) & kMask;
    _mm_storeu_ps(&st.dampState[0], ds0);
    _mm_storeu_ps(&st.dampState[4], ds1);
    _mm_storeu_ps(&st.dampState[8], ds2);
    // Without a glide each sample sets the current values to their targets.
    st.tuneCurrent = v.tuneTarget;
    st.detuneCurrent = v.detuneTarget;
}

// While Tune or Detune glide: the string lengths change every sample and are recomputed, two at a
// time, exactly as in processSample. Stops after the sample in which both glides arrive.
template <bool Bypassed>
int32_t ResonatorCore::processGlideRun(Row* rows, const BlockValues& v, LoopState& st,
                                       const float* in0, const float* in1, float* out0, float* out1,
                                       int32_t begin, int32_t end, double sr)
{
    const VectorConstants c{_mm_loadu_ps(&v.damping[0]), _mm_loadu_ps(&v.damping[4]),
                            _mm_loadu_ps(&v.damping[8]), _mm_set1_ps(v.feedback),
                            _mm_set1_ps(v.outputGain),   _mm_set1_pd(v.mixAmount),
                            _mm_set1_pd(0.075)};
    // (sr * 0.015) * spread, the part of each length's numerator that is fixed for the block.
    alignas(16) double spreadTerm[kStrings];
    for (int k = 0; k < kStrings; ++k)
        spreadTerm[k] = sr * 0.015 * kDetuneSpread[k];
    const __m128d srV = _mm_set1_pd(sr);
    const __m128d ringV = _mm_set1_pd(16384.0);

    __m128 ds0 = _mm_loadu_ps(&st.dampState[0]);
    __m128 ds1 = _mm_loadu_ps(&st.dampState[4]);
    __m128 ds2 = _mm_loadu_ps(&st.dampState[8]);
    float offset = st.offset;
    int32_t writePos = st.writePos;
    alignas(16) int32_t rp[kStrings];
    for (int k = 0; k < kStrings; ++k)
        rp[k] = st.readPos[k];
    float tuneCurrent = st.tuneCurrent;
    float detuneCurrent = st.detuneCurrent;

    int32_t n = begin;
    while (n < end && !(tuneCurrent == v.tuneTarget && detuneCurrent == v.detuneTarget))
    {
        vectorSample<Bypassed>(
            rows + writePos, [&rows, &rp](int k) { return rows + rp[k]; }, in0[n], in1[n], offset,
            ds0, ds1, ds2, c, out0[n], out1[n]);

        const float dDetune = v.detuneTarget - detuneCurrent;
        if (std::fabs(dDetune) > 0.002)
            detuneCurrent = static_cast<float>(detuneCurrent + dDetune * 0.00075);
        else
            detuneCurrent = v.detuneTarget;
        const float dTune = v.tuneTarget - tuneCurrent;
        if (std::fabs(dTune) > 0.0015)
        {
            float cand = static_cast<float>(tuneCurrent + dTune * 0.00025);
            if (std::fabs(tuneCurrent - cand) > 0.00002)
                cand = cand > tuneCurrent ? static_cast<float>(tuneCurrent + 0.00002)
                                          : static_cast<float>(tuneCurrent - 0.00002);
            tuneCurrent = cand;
        }
        else
        {
            tuneCurrent = v.tuneTarget;
        }

        // Lengths (sr + spreadTerm * detune) / (ratio * base), positions truncated toward zero;
        // the conversion answers INT32_MIN out of range, as truncateToInt does.
        const float ratio = v.transposeFactor * tuneCurrent;
        const __m128d ratioV = _mm_set1_pd(ratio);
        const __m128d detuneV = _mm_set1_pd(detuneCurrent);
        const __m128d writeV = _mm_set1_pd(writePos);
        const __m128i mask = _mm_set1_epi32(kMask);
        const __m128i one = _mm_set1_epi32(1);
        for (int k = 0; k < kStrings; k += 4)
        {
            __m128i pos[2];
            for (int h = 0; h < 2; ++h)
            {
                const int j = k + 2 * h;
                const __m128d num =
                    _mm_add_pd(srV, _mm_mul_pd(_mm_load_pd(&spreadTerm[j]), detuneV));
                const __m128d den = _mm_mul_pd(ratioV, _mm_loadu_pd(&kBaseFrequency[j]));
                const __m128d length = _mm_div_pd(num, den);
                pos[h] = _mm_cvttpd_epi32(_mm_add_pd(_mm_sub_pd(writeV, length), ringV));
            }
            __m128i p = _mm_unpacklo_epi64(pos[0], pos[1]);
            p = _mm_and_si128(_mm_add_epi32(_mm_and_si128(p, mask), one), mask);
            _mm_store_si128(reinterpret_cast<__m128i*>(&rp[k]), p);
        }
        writePos = (writePos + 1) & kMask;
        ++n;
    }

    st.writePos = writePos;
    st.offset = offset;
    for (int k = 0; k < kStrings; ++k)
        st.readPos[k] = rp[k];
    _mm_storeu_ps(&st.dampState[0], ds0);
    _mm_storeu_ps(&st.dampState[4], ds1);
    _mm_storeu_ps(&st.dampState[8], ds2);
    st.tuneCurrent = tuneCurrent;
    st.detuneCurrent = detuneCurrent;
    return n;
}

#endif

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

    LoopState st{writePos_,    readPos_,       dampState_,
                 tuneCurrent_, detuneCurrent_, offsetCarried_ ? carriedOffset_ : kDenormalOffset};
    Row* const rows = rows_.get();
    const double sr = sampleRate;

    int32_t n = 0;
#if defined(__SSE2__)
    std::array<int32_t, kNumStrings> delays{};
    bool delaysChecked = false;
    bool delaysFixed = false;
    while (n < frames)
    {
        // The targets are fixed for the block, so once the glides have arrived they stay.
        if (!(st.tuneCurrent == v.tuneTarget && st.detuneCurrent == v.detuneTarget))
        {
            n = v.bypassed == 0
                    ? processGlideRun<false>(rows, v, st, in0, in1, out0, out1, n, frames, sr)
                    : processGlideRun<true>(rows, v, st, in0, in1, out0, out1, n, frames, sr);
            continue;
        }
        if (!delaysChecked)
        {
            delaysFixed =
                computeFixedDelays(sr, v.transposeFactor, st.tuneCurrent, st.detuneCurrent, delays);
            delaysChecked = true;
        }
        // The first sample after a reset or a transposition change reads from provisional
        // positions; it goes through processSample, after which the delays hold.
        bool trailing = delaysFixed;
        for (int k = 0; k < kNumStrings; ++k)
            trailing = trailing && st.readPos[k] == ((st.writePos - delays[k]) & kMask);
        if (trailing)
        {
            if (v.bypassed == 0)
                processFixedRun<false>(rows, v, st, delays, in0, in1, out0, out1, n, frames);
            else
                processFixedRun<true>(rows, v, st, delays, in0, in1, out0, out1, n, frames);
            n = frames;
            break;
        }
        processSample(rows, v, st, in0, in1, out0, out1, n, sr);
        ++n;
    }
#endif
    // Without vector instructions every sample takes the plain steps.
    for (; n < frames; ++n)
        processSample(rows, v, st, in0, in1, out0, out1, n, sr);

    writePos_ = st.writePos;
    readPos_ = st.readPos;
    dampState_ = st.dampState;
    tuneCurrent_ = st.tuneCurrent;
    detuneCurrent_ = st.detuneCurrent;
    carriedOffset_ = st.offset;
}
