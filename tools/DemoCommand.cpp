// orv-host demo: a short built-in phrase (plucked notes and a drum hit) played through each of
// the plug-in's stored programs in turn, into one file.
#include "tools/AudioFileWriter.h"
#include "tools/ProgressBar.h"
#include "tools/RenderOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace
{
constexpr int kSampleRate = 48000;
constexpr double kSegmentSeconds = 4.0;
constexpr double kPi = 3.14159265358979323846;

struct Stereo
{
    std::vector<float> left, right;
};

// A plucked string (Karplus-Strong): a burst of noise circulating in a short, slightly lossy
// delay line.
void addPluck(Stereo& out, double startSeconds, double frequency, float gain, float pan,
              std::minstd_rand& random)
{
    const size_t start = static_cast<size_t>(startSeconds * kSampleRate);
    const size_t period = static_cast<size_t>(std::lround(kSampleRate / frequency));
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> line(period);
    for (float& s : line)
        s = noise(random);
    const size_t length = static_cast<size_t>(1.5 * kSampleRate);
    float previous = 0.0f;
    for (size_t i = 0; i < length && start + i < out.left.size(); ++i)
    {
        float& s = line[i % period];
        const float value = s;
        s = 0.996f * 0.5f * (s + previous);
        previous = value;
        out.left[start + i] += gain * (1.0f - pan) * value;
        out.right[start + i] += gain * (1.0f + pan) * value;
    }
}

// A drum hit: a falling sine thump under a short noise crack.
void addDrum(Stereo& out, double startSeconds, std::minstd_rand& random)
{
    const size_t start = static_cast<size_t>(startSeconds * kSampleRate);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    double phase = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(0.6 * kSampleRate) && start + i < out.left.size();
         ++i)
    {
        const double t = static_cast<double>(i) / kSampleRate;
        const double frequency = 50.0 + 90.0 * std::exp(-t * 30.0);
        phase += 2.0 * kPi * frequency / kSampleRate;
        const double body = 0.8 * std::sin(phase) * std::exp(-t * 7.0);
        const double crack = 0.35 * noise(random) * std::exp(-t * 60.0);
        const float value = static_cast<float>(body + crack);
        out.left[start + i] += value;
        out.right[start + i] += value;
    }
}

Stereo makePhrase()
{
    const size_t frames = static_cast<size_t>(kSegmentSeconds * kSampleRate);
    Stereo phrase{std::vector<float>(frames), std::vector<float>(frames)};
    std::minstd_rand random(20261207);
    // An A major arpeggio, whose notes the strings (A2 to G#3) answer, then a drum hit.
    const double notes[] = {220.0, 277.18, 329.63, 440.0};
    for (int n = 0; n < 4; ++n)
        addPluck(phrase, 0.1 + 0.3 * n, notes[n], 0.3f, (n % 2 ? 0.3f : -0.3f), random);
    addDrum(phrase, 2.0, random);
    return phrase;
}
} // namespace

int runDemo(const Arguments& arguments)
{
    Arguments args = arguments;
    EffectSettings settings;
    std::string error;
    if (!takeEffectOptions(args, settings, error)) return fail(error);
    if (settings.program || !settings.set.empty())
        return fail("demo plays every program; --program and --set belong to render");
    for (const std::string& arg : args)
        if (arg.size() > 1 && arg[0] == '-') return fail("unknown option '" + arg + "'");
    if (args.size() != 1) return fail("demo needs one output file: orv-host demo OUT.wav");
    // demo lists the programs on standard output, so its audio cannot go there too.
    if (args[0] == "-")
        return fail("demo writes a file, not standard output: orv-host demo OUT.wav");

    EffectSession session;
    if (!session.open(settings.pluginPath, error)) return fail(error);
    const auto programs = session.programNames();
    if (programs.empty()) return fail("the plug-in names no programs");
    const Stereo phrase = makePhrase();
    const int frames = static_cast<int>(phrase.left.size());
    AudioFileWriter writer;
    if (!writer.open(args[0], "", kSampleRate, 2,
                     static_cast<long long>(frames) * static_cast<long long>(programs.size()),
                     error))
        return fail(error);
    constexpr int kBlock = 256;
    std::vector<float> outL(static_cast<size_t>(frames)), outR(outL.size()),
        interleaved(2 * outL.size());
    session.start(static_cast<float>(kSampleRate), kBlock);
    ProgressBar progress("demo");
    for (size_t p = 0; p < programs.size(); ++p)
    {
        if (!session.selectProgram(static_cast<int>(p), error)) return fail(error);
        session.reset();
        for (int at = 0; at < frames; at += kBlock)
        {
            const int n = std::min(kBlock, frames - at);
            session.process(phrase.left.data() + at, phrase.right.data() + at, outL.data() + at,
                            outR.data() + at, n);
        }
        for (size_t i = 0; i < outL.size(); ++i)
        {
            interleaved[2 * i] = outL[i];
            interleaved[2 * i + 1] = outR[i];
        }
        if (!writer.write(interleaved.data(), frames, error)) return fail(error);
        progress.update(static_cast<double>(p + 1) * frames / kSampleRate,
                        static_cast<double>(p + 1) / static_cast<double>(programs.size()));
        std::printf("%5.1f s  program %zu \"%s\"\n", static_cast<double>(p) * kSegmentSeconds, p,
                    programs[p].c_str());
    }
    progress.finish();
    session.stop();
    if (!writer.commit(error)) return fail(error);
    reportClipping(writer);
    std::printf("wrote %s: %.1f s, %d Hz stereo\n", args[0].c_str(),
                static_cast<double>(programs.size()) * kSegmentSeconds, kSampleRate);
    return 0;
}
