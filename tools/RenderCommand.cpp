// orv-host render: any audio file through the plug-in into another file, streamed block by block
// so that memory stays the same for any length. Either end may be a pipe ("-").
#include "tools/AudioFileReader.h"
#include "tools/AudioFileWriter.h"
#include "tools/ProgressBar.h"
#include "tools/RenderOptions.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace
{
constexpr double kDefaultTailSeconds = 2.0;
constexpr double kMostTailSeconds = 3600.0;
// Frames read, processed and written at a time: large enough for few library calls, small
// enough to keep memory low.
constexpr long long kChunkFrames = 65536;

bool parseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == 0 && std::isfinite(value);
}

struct RenderRequest
{
    std::string in, out;
    std::string format;
    int blockSize = 512;
    double tailSeconds = kDefaultTailSeconds;
    bool quiet = false;
};

bool parseRenderArguments(const Arguments& args, RenderRequest& request, std::string& error)
{
    Arguments files;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--block" || arg == "--tail" || arg == "--format")
        {
            if (i + 1 >= args.size())
            {
                error = arg + " needs a value";
                return false;
            }
            const std::string& text = args[++i];
            if (arg == "--format")
            {
                request.format = text;
                continue;
            }
            double value;
            if (!parseNumber(text, value))
            {
                error = arg + " needs a number, not '" + text + "'";
                return false;
            }
            if (arg == "--block")
            {
                if (value < 1 || value > 65536 || value != std::floor(value))
                {
                    error = "--block takes a whole number of frames from 1 to 65536";
                    return false;
                }
                request.blockSize = static_cast<int>(value);
            }
            else
            {
                if (value < 0 || value > kMostTailSeconds)
                {
                    error = "--tail takes seconds from 0 to 3600 (one hour), not '" + text + "'";
                    return false;
                }
                request.tailSeconds = value;
            }
        }
        else if (arg == "--quiet" || arg == "-q")
            request.quiet = true;
        else if (arg.size() > 1 && arg[0] == '-')
        {
            error = "unknown option '" + arg + "'";
            return false;
        }
        else
            files.push_back(arg);
    }
    if (files.size() != 2)
    {
        error = "render needs an input and an output file: orv-host render IN OUT [options]";
        return false;
    }
    request.in = files[0];
    request.out = files[1];
    return true;
}
} // namespace

int runRender(const Arguments& arguments)
{
    Arguments args = arguments;
    EffectSettings settings;
    std::string error;
    if (!takeEffectOptions(args, settings, error)) return fail(error);
    RenderRequest request;
    if (!parseRenderArguments(args, request, error)) return fail(error);

    AudioFileReader reader;
    if (!reader.open(request.in, error)) return fail(error);
    EffectSession session;
    if (!openConfiguredEffect(settings, session, error)) return fail(error);
    const int rate = reader.sampleRate();
    const long long tailFrames = std::llround(request.tailSeconds * rate);
    const long long hint = reader.lengthHint();
    const long long expectedFrames = hint >= 0 ? hint + tailFrames : -1;
    AudioFileWriter writer;
    if (!writer.open(request.out, request.format, rate, 2, expectedFrames, error))
        return fail(error);

    // Every chunk but the last holds whole blocks, so the blocks the effect sees start at the
    // same frames as if the whole sound were processed in one piece.
    const int block = request.blockSize;
    const long long chunk = std::max<long long>(1, kChunkFrames / block) * block;
    const auto chunkSize = static_cast<size_t>(chunk);
    const int channels = reader.channels();
    std::vector<float> interleavedIn(chunkSize * static_cast<size_t>(channels)),
        interleavedOut(2 * chunkSize), inL(chunkSize), inR(chunkSize), outL(chunkSize),
        outR(chunkSize);

    session.start(static_cast<float>(rate), block);
    ProgressBar progress("rendering", request.quiet);
    bool inputOpen = true;
    long long tailLeft = tailFrames;
    long long done = 0;
    for (;;)
    {
        size_t filled = 0;
        if (inputOpen)
        {
            const long long got = reader.read(interleavedIn.data(), chunk, error);
            if (got < 0)
            {
                progress.finish(false);
                return fail(error);
            }
            inputOpen = got == chunk;
            filled = static_cast<size_t>(got);
            // Mono feeds both inputs.
            const size_t right = channels == 2 ? 1 : 0;
            for (size_t i = 0; i < filled; ++i)
            {
                inL[i] = interleavedIn[i * static_cast<size_t>(channels)];
                inR[i] = interleavedIn[i * static_cast<size_t>(channels) + right];
            }
        }
        const auto silent =
            static_cast<size_t>(std::min(tailLeft, static_cast<long long>(chunkSize - filled)));
        std::fill_n(inL.begin() + static_cast<std::ptrdiff_t>(filled), silent, 0.0f);
        std::fill_n(inR.begin() + static_cast<std::ptrdiff_t>(filled), silent, 0.0f);
        tailLeft -= static_cast<long long>(silent);
        filled += silent;
        if (filled == 0) break;

        for (size_t at = 0; at < filled; at += static_cast<size_t>(block))
        {
            const int frames = static_cast<int>(std::min(filled - at, static_cast<size_t>(block)));
            session.process(inL.data() + at, inR.data() + at, outL.data() + at, outR.data() + at,
                            frames);
        }
        for (size_t i = 0; i < filled; ++i)
        {
            interleavedOut[2 * i] = outL[i];
            interleavedOut[2 * i + 1] = outR[i];
        }
        if (!writer.write(interleavedOut.data(), static_cast<long long>(filled), error))
        {
            progress.finish(false);
            return fail(error);
        }
        done += static_cast<long long>(filled);
        progress.update(static_cast<double>(done) / rate,
                        expectedFrames > 0
                            ? static_cast<double>(done) / static_cast<double>(expectedFrames)
                            : -1.0);
        if (filled < chunkSize) break;
    }
    session.stop();
    if (!writer.commit(error))
    {
        progress.finish(false);
        return fail(error);
    }
    progress.finish(true);
    reportClipping(writer);
    return 0;
}
