#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace resonator
{
struct Kernel;
struct BlockConstants;
struct Chunk;
struct GlideJob;
} // namespace resonator

// The string resonator: twelve tuned, damped feedback delay lines ("strings"), one per semitone
// from A2 upwards, excited by the mono sum of the input. Their filtered outputs and crossed taps
// of their rings form a stereo wet signal that is mixed with the dry input.
//
// The per-sample steps are in processSample; the blocks mostly go to vector kernels
// (ResonatorKernel.h), which give the same bits.
//
// Threads: the engine values (setters below) may be written from any thread while the audio
// thread processes; they are relaxed atomics and each block reads them once at its start.
// Everything else (rings, positions, filter states, glides) belongs to the audio thread;
// reset() must not overlap process(), as a host never suspends or resumes while processing.
class ResonatorCore
{
public:
    static constexpr int kNumStrings = 12;
    static constexpr int32_t kRingLength = 16384;
    static constexpr int32_t kRingMask = kRingLength - 1;
    // One ring per string, kRingStride samples apart in one block of memory: the padding of two
    // cache lines keeps equal positions of different strings out of the same cache set. (With one
    // line, the kernels measured 10 to 17 % slower on AMD Zen 4.)
    static constexpr int32_t kRingStride = kRingLength + 32;

    // Fundamental of each string (equal temperament, A2 = 110 Hz) and its detune spread: a
    // positive spread lengthens the string (lowers it) at full Detune, a negative one shortens it.
    static constexpr std::array<double, kNumStrings> kBaseFrequency{
        110.0,    116.5406,  123.4706,  130.81277, 138.5912,  146.832378,
        155.5631, 164.81377, 174.61411, 184.99723, 195.99767, 207.652346};
    static constexpr std::array<double, kNumStrings> kDetuneSpread{
        1.11, 0.599, -1.402, -0.797, 1.65, 0.35, -1.26, -0.498, 1.48, 0.866, -1.59, -0.43};

    // Allocates the rings and working buffers (the only allocations), starts untransposed, in tune,
    // without detune and not bypassed, and resets. The other engine values start at 0 until the
    // owner sets them.
    ResonatorCore();
    ~ResonatorCore();
    ResonatorCore(const ResonatorCore&) = delete;
    ResonatorCore& operator=(const ResonatorCore&) = delete;

    // Engine values, callable from any thread.
    void setOutputGain(float gain) { outputGain_.store(gain, std::memory_order_relaxed); }
    void setMixAmount(float mix) { mixAmount_.store(mix, std::memory_order_relaxed); }
    void setFeedback(float feedback) { feedback_.store(feedback, std::memory_order_relaxed); }
    void setDamping(float coefficient); // the same coefficient for all twelve strings
    // Records a new transposition factor and answers true when it differs from the current one.
    // The rings are cleared and the read positions recomputed by the audio thread at the start
    // of its next block (or by reset()), never under a running block. The caller recomputes the
    // feedback for the new factor.
    bool setTransposeFactor(float factor);
    void setTuneTarget(float target) { tuneTarget_.store(target, std::memory_order_relaxed); }
    void setDetuneTarget(float target) { detuneTarget_.store(target, std::memory_order_relaxed); }
    void setBypassed(int32_t bypassed) { bypassed_.store(bypassed, std::memory_order_relaxed); }

    float outputGain() const { return outputGain_.load(std::memory_order_relaxed); }
    float mixAmount() const { return mixAmount_.load(std::memory_order_relaxed); }
    float feedback() const { return feedback_.load(std::memory_order_relaxed); }
    float damping(int string) const { return damping_[string].load(std::memory_order_relaxed); }
    float transposeFactor() const { return transposeFactor_.load(std::memory_order_relaxed); }
    float tuneTarget() const { return tuneTarget_.load(std::memory_order_relaxed); }
    float detuneTarget() const { return detuneTarget_.load(std::memory_order_relaxed); }
    int32_t bypassed() const { return bypassed_.load(std::memory_order_relaxed); }

    // Silences the strings and lets the glides jump to their targets; the engine values stay.
    void reset();

    // The denormal guard added to the input alternates its sign every sample and starts at + in
    // every block, so the output depends on where the host cuts blocks (it does not, for blocks of
    // even length). Carried, the sign continues from the previous block instead, and the output
    // is the same for any cutting: the one of even blocks. reset() starts it at + again. Set
    // before processing starts.
    void setDenormalOffsetCarried(bool carried) { offsetCarried_ = carried; }

    // Processes frames stereo samples. Inputs are read before outputs are written for each
    // sample, so in0 == out0 and in1 == out1 are allowed. frames <= 0 changes nothing.
    // An input sample that is NaN, infinite or of magnitude 2^100 or more is not sound but damage
    // (no signal comes near that size, and FLT_MAX on both channels would overflow their sum): it
    // is taken as silence on its channel, for the dry path and the strings alike, so the output
    // and the strings stay finite and the strings keep sounding. Below that size the output is
    // the plain per-sample algorithm's, bit for bit.
    void process(const float* in0, const float* in1, float* out0, float* out1, int32_t frames,
                 float sampleRate);

    // For tests and benchmarks: makes this engine use the named kernel ("sse2", "avx2",
    // "avx512", "portable") instead of the one chosen for the process; false (and no change) if
    // this build lacks it or this processor cannot run it. Not while processing.
    bool useKernel(std::string_view name);
    const char* kernelName() const;

    // Running state, for tests and diagnostics (audio thread only).
    int32_t writePosition() const { return writePos_; }
    int32_t readPosition(int string) const { return readPos_[string]; }
    float dampState(int string) const { return dampState_[string]; }
    float tuneCurrent() const { return tuneCurrent_; }
    float detuneCurrent() const { return detuneCurrent_; }
    float ringValue(int string, int32_t position) const
    {
        return rings_[string * kRingStride + (position & kRingMask)];
    }

private:
    struct BlockValues;
    struct LoopState;
    struct Scratch;

    float* ring(int string) { return rings_.get() + string * kRingStride; }
    void applyPendingTransposition(float sampleRate);
    BlockValues readBlockValues() const;
    void processOrdinary(const BlockValues& v, LoopState& st, const float* in0, const float* in1,
                         float* out0, float* out1, int32_t frames, double sampleRate);
    void processSample(const BlockValues& v, LoopState& st, float in0, float in1, float& out0,
                       float& out1, double sampleRate);
    void processSteady(const BlockValues& v, LoopState& st,
                       const std::array<int32_t, kNumStrings>& delays, const float* in0,
                       const float* in1, float* out0, float* out1, int32_t frames);
    int32_t processGlide(const BlockValues& v, LoopState& st, const float* in0, const float* in1,
                         float* out0, float* out1, int32_t frames, double sampleRate);
    void processGlideStretch(const BlockValues& v, LoopState& st, int buffer, int32_t steps,
                             const float* in0, const float* in1, float* out0, float* out1,
                             double sampleRate, resonator::GlideJob* job);
    void glideDelays(const BlockValues& v, const LoopState& st, int buffer, int32_t steps,
                     double sampleRate, int32_t& smallest, int32_t& largest);
    void runChunk(const BlockValues& v, LoopState& st, resonator::Chunk& chunk, const float* in0,
                  const float* in1, float* out0, float* out1, int32_t frames);

    std::unique_ptr<float[]> rings_;
    std::unique_ptr<Scratch> scratch_;
    const resonator::Kernel* kernel_;
    int32_t writePos_ = 0;
    std::array<int32_t, kNumStrings> readPos_{};
    std::array<float, kNumStrings> dampState_{};
    float tuneCurrent_ = 1.0f;
    float detuneCurrent_ = 0.0f;

    std::atomic<float> outputGain_{0.0f};
    std::atomic<float> mixAmount_{0.0f};
    std::atomic<float> feedback_{0.0f};
    std::array<std::atomic<float>, kNumStrings> damping_{};
    std::atomic<float> transposeFactor_{1.0f};
    std::atomic<float> tuneTarget_{1.0f};
    std::atomic<float> detuneTarget_{0.0f};
    std::atomic<int32_t> bypassed_{0};
    std::atomic<bool> transpositionPending_{false};
    bool offsetCarried_ = false;
    float carriedOffset_ = 0.0f; // the guard's value for the next sample when carried

    // The audio thread must never wait on another thread.
    static_assert(std::atomic<float>::is_always_lock_free);
    static_assert(std::atomic<int32_t>::is_always_lock_free);
    static_assert(std::atomic<bool>::is_always_lock_free);
};
