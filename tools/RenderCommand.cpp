// orv-host render: any audio file through the plug-in into another file.
#include "tools/AudioFile.h"
#include "tools/RenderOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
constexpr double kDefaultTailSeconds = 2.0;

bool parseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == 0 && std::isfinite(value);
}
} // namespace

int runRender(const Arguments& arguments)
{
    Arguments args = arguments;
    EffectSettings settings;
    std::string error;
    if (!takeEffectOptions(args, settings, error)) return fail(error);

    int blockSize = 512;
    double tailSeconds = kDefaultTailSeconds;
    Arguments files;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--block" || arg == "--tail")
        {
            if (i + 1 >= args.size()) return fail(arg + " needs a value");
            double value;
            if (!parseNumber(args[++i], value))
                return fail(arg + " needs a number, not '" + args[i] + "'");
            if (arg == "--block")
            {
                if (value < 1 || value > 65536 || value != std::floor(value))
                    return fail("--block takes a whole number of frames from 1 to 65536");
                blockSize = static_cast<int>(value);
            }
            else
            {
                if (value < 0 || value > 3600) return fail("--tail takes seconds from 0 to 3600");
                tailSeconds = value;
            }
        }
        else if (arg.size() > 1 && arg[0] == '-')
            return fail("unknown option '" + arg + "'");
        else
            files.push_back(arg);
    }
    if (files.size() != 2)
        return fail("render needs an input and an output file: orv-host render IN OUT [options]");

    AudioData input;
    if (!readAudioFile(files[0], input, error)) return fail(error);
    EffectSession session;
    if (!openConfiguredEffect(settings, session, error)) return fail(error);
    AudioFileWriter writer;
    if (!writer.open(files[1], input.sampleRate, 2, error)) return fail(error);

    const long long inputFrames = input.frames();
    const long long totalFrames =
        inputFrames + static_cast<long long>(std::llround(tailSeconds * input.sampleRate));
    std::vector<float> inL(static_cast<size_t>(blockSize)), inR(inL.size()), outL(inL.size()),
        outR(inL.size()), interleaved(2 * inL.size());
    session.start(static_cast<float>(input.sampleRate), blockSize);
    ProgressBar progress("rendering");
    for (long long done = 0; done < totalFrames;)
    {
        const int frames = static_cast<int>(std::min<long long>(blockSize, totalFrames - done));
        for (int i = 0; i < frames; ++i)
        {
            const long long at = done + i;
            if (at < inputFrames)
            {
                const size_t base = static_cast<size_t>(at) * static_cast<size_t>(input.channels);
                inL[static_cast<size_t>(i)] = input.samples[base];
                inR[static_cast<size_t>(i)] = input.samples[base + (input.channels == 2 ? 1 : 0)];
            }
            else
            {
                inL[static_cast<size_t>(i)] = inR[static_cast<size_t>(i)] = 0.0f;
            }
        }
        session.process(inL.data(), inR.data(), outL.data(), outR.data(), frames);
        for (int i = 0; i < frames; ++i)
        {
            interleaved[2 * static_cast<size_t>(i)] = outL[static_cast<size_t>(i)];
            interleaved[2 * static_cast<size_t>(i) + 1] = outR[static_cast<size_t>(i)];
        }
        if (!writer.write(interleaved.data(), frames, error))
        {
            progress.finish();
            return fail(error);
        }
        done += frames;
        progress.update(static_cast<double>(done) / static_cast<double>(totalFrames));
    }
    progress.finish();
    session.stop();
    if (!writer.commit(error)) return fail(error);
    reportClipping(writer, files[1]);
    return 0;
}
