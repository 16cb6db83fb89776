#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

// The string resonator: twelve tuned, damped feedback delay lines ("strings"), one per semitone
// from A2 upwards, excited by the mono sum of the input. Their filtered outputs and crossed taps
// of their rings form a stereo wet signal that is mixed with the dry input.
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

    // Fundamental of each string (equal temperament, A2 = 110 Hz) and its detune spread: a
    // positive spread lengthens the string (lowers it) at full Detune, a negative one shortens it.
    static constexpr std::array<double, kNumStrings> kBaseFrequency{
        110.0,    116.5406,  123.4706,  130.81277, 138.5912,  146.832378,
        155.5631, 164.81377, 174.61411, 184.99723, 195.99767, 207.652346};
    static constexpr std::array<double, kNumStrings> kDetuneSpread{
        1.11, 0.599, -1.402, -0.797, 1.65, 0.35, -1.26, -0.498, 1.48, 0.866, -1.59, -0.43};

    // Allocates the rings (the only allocation), starts untransposed, in tune, without detune and
    // not bypassed, and resets. The other engine values start at 0 until the owner sets them.
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
    void process(const float* in0, const float* in1, float* out0, float* out1, int32_t frames,
                 float sampleRate);

    // The twelve rings are interleaved: one row holds the sample of every string at one ring
    // position. A sample's twelve writes then go to one row, and each string's own read and the
    // crossed tap taken at the same position come from the same row.
    struct alignas(16) Row
    {
        float s[kNumStrings];
    };

    // Running state, for tests and diagnostics (audio thread only).
    int32_t writePosition() const { return writePos_; }
    int32_t readPosition(int string) const { return readPos_[string]; }
    float dampState(int string) const { return dampState_[string]; }
    float tuneCurrent() const { return tuneCurrent_; }
    float detuneCurrent() const { return detuneCurrent_; }
    float ringValue(int string, int32_t position) const
    {
        return rows_[position & kRingMask].s[string];
    }

private:
    struct BlockValues;
    struct LoopState;

    void applyPendingTransposition(float sampleRate);
    static bool computeFixedDelays(double sampleRate, float transposeFactor, float tuneCurrent,
                                   float detuneCurrent, std::array<int32_t, kNumStrings>& delays);
    static void processSample(Row* rows, const BlockValues& v, LoopState& st, const float* in0,
                              const float* in1, float* out0, float* out1, int32_t n, double sr);
    template <bool Bypassed>
    static int32_t processGlideRun(Row* rows, const BlockValues& v, LoopState& st, const float* in0,
                                   const float* in1, float* out0, float* out1, int32_t begin,
                                   int32_t end, double sr);
    template <bool Bypassed>
    static void processFixedRun(Row* rows, const BlockValues& v, LoopState& st,
                                const std::array<int32_t, kNumStrings>& delays, const float* in0,
                                const float* in1, float* out0, float* out1, int32_t begin,
                                int32_t end);

    std::unique_ptr<Row[]> rows_;
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
