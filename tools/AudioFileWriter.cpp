#include "tools/AudioFileWriter.h"

#include "tools/SndfileReason.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace
{
// The unfinished file being written, for the handler below: a render cut off by Ctrl-C, a
// terminal closing or a kill leaves the target as it was and no partial file behind.
char unfinishedPath[4096];
volatile sig_atomic_t haveUnfinished = 0;

void removeUnfinishedAndStop(int signal)
{
    if (haveUnfinished) ::unlink(unfinishedPath);
    // Then stop as the signal would have stopped the process.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void rememberUnfinished(const std::string& path)
{
    haveUnfinished = 0;
    if (path.empty() || path.size() >= sizeof unfinishedPath) return;
    std::memcpy(unfinishedPath, path.c_str(), path.size() + 1);
    haveUnfinished = 1;
    static const bool installed = []
    {
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            ::signal(s, removeUnfinishedAndStop);
        return true;
    }();
    (void)installed;
}

// What an existing path is, for a refusal; null for a regular file.
const char* kindOfNonRegular(mode_t mode)
{
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string nonRegularRefusal(const char* kind)
{
    return std::string("it is ") + kind +
           ", not a regular file; name a regular file, or '-' for standard output";
}
} // namespace

void applyOutputPlan(SNDFILE* file, const OutputPlan& plan)
{
    if (plan.rf64Downgrade) sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    // Integer formats clip what lies beyond full scale instead of failing or wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // No PEAK chunk in float WAV and AIFF files: libsndfile stamps it with the time of writing,
    // so the same sound rendered twice (or on another machine) would give different files.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioFileWriter::~AudioFileWriter()
{
    abandon();
}

std::string AudioFileWriter::refusal(const std::string& reason) const
{
    return (target == "-" ? std::string("cannot write to standard output")
                          : "cannot write '" + target + "'") +
           ": " + reason;
}

bool AudioFileWriter::open(const std::string& path, const std::string& formatName, int sampleRate,
                           int channels, long long expectedFrames, std::string& error)
{
    abandon();
    target = path;
    const bool toStandardOutput = path == "-";
    shownName = toStandardOutput ? "standard output" : path;
    const OutputFormat* format = nullptr;
    if (!formatName.empty())
        format = findOutputFormat(formatName, error);
    else if (toStandardOutput)
        format = findOutputFormat("au", error);
    else
        format = outputFormatForPath(path, error);
    if (!format) return false;

    replacing = false;
    if (toStandardOutput)
    {
        if (::isatty(1))
        {
            error = refusal("it is a terminal; send it into a pipe or a file (> OUT.au)");
            return false;
        }
    }
    else
    {
        // Only a regular file is replaced: a FIFO, a device node, a socket or a folder stays
        // exactly as it is.
        struct stat old
        {
        };
        if (::stat(path.c_str(), &old) == 0)
        {
            if (const char* kind = kindOfNonRegular(old.st_mode))
            {
                error = refusal(nonRegularRefusal(kind));
                return false;
            }
            // Replacing the file by a rename would pass over its write protection; respect it
            // as writing into it would. The replacement keeps the old file's permission bits.
            if (::access(path.c_str(), W_OK) != 0)
            {
                error = refusal(std::strerror(errno));
                return false;
            }
            replacing = true;
            replacedMode = old.st_mode & 07777;
        }
    }
    if (!planOutput(*format, channels, expectedFrames, toStandardOutput, plan, error))
    {
        error = refusal(error);
        return false;
    }

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = plan.sndfileFormat;
    formatWords = std::string("the ") + format->name + " format does not take " +
                  std::to_string(channels) + " channels at " + std::to_string(sampleRate) + " Hz";
    if (!sf_format_check(&info))
    {
        error = refusal(formatWords + "; write .wav, .w64 or .caf instead");
        return false;
    }
    if (toStandardOutput)
        descriptor = 1;
    else if (!openTemporary(path, error))
        return false;
    file = sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE);
    if (!file)
    {
        error = refusal(sf_error(nullptr) == SF_ERR_SYSTEM
                            ? sndfileReason(nullptr)
                            : formatWords + "; write .wav, .w64 or .caf instead");
        abandon();
        return false;
    }
    applyOutputPlan(file, plan);
    channelCount = channels;
    sampleBytes = bytesPerSample(plan.sndfileFormat);
    dataBytes = 0;
    const int subtype = plan.sndfileFormat & SF_FORMAT_SUBMASK;
    clips =
        subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE && subtype != SF_FORMAT_VORBIS;
    clipped = 0;
    return true;
}

bool AudioFileWriter::openTemporary(const std::string& path, std::string& error)
{
    const auto fsTarget = std::filesystem::path(path);
    // Same folder as the target, so the final rename cannot cross file systems.
    temporary = (fsTarget.parent_path() /
                 ("." + fsTarget.filename().string() + ".partial-" + std::to_string(getpid())))
                    .string();
    // Known to the signal handler before it exists, so no moment leaves it behind.
    rememberUnfinished(temporary);
    // O_EXCL: never write through something already standing under that name.
    ::unlink(temporary.c_str());
    descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        replacing ? replacedMode : 0644);
    if (descriptor < 0)
    {
        const int cause = errno;
        const char* advice = cause == ENOENT                     ? "; create its folder first"
                             : cause == EACCES || cause == EROFS ? "; the folder must be writable"
                                                                 : "";
        error = refusal(std::strerror(cause) + std::string(advice));
        haveUnfinished = 0;
        temporary.clear();
        return false;
    }
    ownsDescriptor = true;
    if (replacing) ::fchmod(descriptor, replacedMode);
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long long frames, std::string& error)
{
    if (!file)
    {
        error = refusal("not open");
        return false;
    }
    const long long bytes = frames * channelCount * sampleBytes;
    if (plan.dataLimit >= 0 && bytes > plan.dataLimit - dataBytes)
    {
        error = refusal(std::string("the audio grew beyond what the ") + plan.format->name +
                        " format holds (4 GiB); write .w64, .caf or .rf64 instead");
        abandon();
        return false;
    }
    if (clips)
        clipped += std::count_if(interleaved, interleaved + frames * channelCount,
                                 [](float s) { return !(std::fabs(s) <= 1.0f); });
    if (sf_writef_float(file, interleaved, frames) != frames)
    {
        // Some encoders (Vorbis at high rates) refuse only when the first audio arrives.
        error = refusal(sf_error(file) == SF_ERR_SYSTEM
                            ? sndfileReason(file)
                            : formatWords + "; write .wav, .w64 or .caf instead");
        abandon();
        return false;
    }
    dataBytes += bytes;
    return true;
}

bool AudioFileWriter::commit(std::string& error)
{
    if (!file)
    {
        error = refusal("not open");
        return false;
    }
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0)
    {
        error = refusal("the file could not be finished; check that the disk has room");
        abandon();
        return false;
    }
    if (!ownsDescriptor)
    {
        descriptor = -1;
        return true;
    }
    const bool closedWell = ::close(descriptor) == 0;
    descriptor = -1;
    ownsDescriptor = false;
    if (!closedWell)
    {
        error = refusal(std::strerror(errno));
        abandon();
        return false;
    }
    // Something else may have taken the name while the render ran.
    struct stat now
    {
    };
    if (::stat(target.c_str(), &now) == 0)
        if (const char* kind = kindOfNonRegular(now.st_mode))
        {
            error = refusal(nonRegularRefusal(kind));
            abandon();
            return false;
        }
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        error = refusal(std::strerror(errno));
        abandon();
        return false;
    }
    haveUnfinished = 0;
    temporary.clear();
    return true;
}

void reportClipping(const AudioFileWriter& writer)
{
    if (writer.clippedSamples() == 0) return;
    std::fprintf(stderr,
                 "orv-host: warning: %lld samples beyond full scale were clipped in '%s' (lower "
                 "Output or write a float format such as .wav)\n",
                 writer.clippedSamples(), writer.name().c_str());
}

void AudioFileWriter::abandon()
{
    if (file) sf_close(file);
    file = nullptr;
    if (ownsDescriptor) ::close(descriptor);
    descriptor = -1;
    ownsDescriptor = false;
    if (!temporary.empty()) ::unlink(temporary.c_str());
    haveUnfinished = 0;
    temporary.clear();
}
