#include "tools/AudioFile.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstddef>
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
} // namespace

bool readAudioFile(const std::string& path, AudioData& data, std::string& error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
    {
        error = "cannot read '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.channels > 2)
    {
        error = "'" + path + "' has " + std::to_string(info.channels) +
                " channels; only mono and stereo input is supported";
        sf_close(file);
        return false;
    }
    if (info.samplerate <= 0 || info.frames < 0)
    {
        error = "'" + path + "' has no usable sample rate";
        sf_close(file);
        return false;
    }
    data.sampleRate = info.samplerate;
    data.channels = info.channels;
    // The length in the header is only a hint: a stream from a pipe or a damaged header may claim
    // far more than the file holds. Read block by block until the data ends, so memory follows
    // what is really there.
    constexpr sf_count_t kBlockFrames = 65536;
    constexpr sf_count_t kMostReservedFrames = sf_count_t{1} << 24;
    const auto channels = static_cast<size_t>(info.channels);
    data.samples.clear();
    data.samples.reserve(static_cast<size_t>(std::min(info.frames, kMostReservedFrames)) *
                         channels);
    std::vector<float> block(static_cast<size_t>(kBlockFrames) * channels);
    for (sf_count_t got; (got = sf_readf_float(file, block.data(), kBlockFrames)) > 0;)
        data.samples.insert(data.samples.end(), block.begin(),
                            block.begin() + static_cast<std::ptrdiff_t>(got) *
                                                static_cast<std::ptrdiff_t>(channels));
    sf_close(file);
    return true;
}

int outputFormatFor(const std::string& path, std::string& error)
{
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext.empty() || ext == ".wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (ext == ".flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (ext == ".ogg" || ext == ".oga") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    if (ext == ".aif" || ext == ".aiff") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    if (ext == ".au") return SF_FORMAT_AU | SF_FORMAT_FLOAT;
    if (ext == ".caf") return SF_FORMAT_CAF | SF_FORMAT_FLOAT;
    if (ext == ".w64") return SF_FORMAT_W64 | SF_FORMAT_FLOAT;
    error = "unknown output format '" + ext + "' (use .wav, .flac, .ogg, .aiff, .au, .caf or .w64)";
    return 0;
}

AudioFileWriter::~AudioFileWriter()
{
    abandon();
}

bool AudioFileWriter::open(const std::string& path, int sampleRate, int channels,
                           std::string& error)
{
    const int format = outputFormatFor(path, error);
    if (!format) return false;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
    {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    // Replacing the file by a rename would pass over its write protection; respect it as
    // writing into it would. The replacement keeps the old file's permission bits.
    struct stat old
    {
    };
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing && ::access(path.c_str(), W_OK) != 0)
    {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    target = path;
    const auto fsTarget = std::filesystem::path(path);
    // Same folder as the target, so the final rename cannot cross file systems.
    temporary = (fsTarget.parent_path() /
                 ("." + fsTarget.filename().string() + ".partial-" + std::to_string(getpid())))
                    .string();
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    channelCount = channels;
    info.format = format;
    if (!sf_format_check(&info))
    {
        error = "cannot write '" + path +
                "': the format does not take this sample rate or channel count";
        return false;
    }
    rememberUnfinished(temporary);
    file = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (!file)
    {
        haveUnfinished = 0;
        error = "cannot write '" + path + "': " + sf_strerror(nullptr);
        temporary.clear();
        return false;
    }
    if (replacing) ::chmod(temporary.c_str(), old.st_mode & 07777);
    // Integer formats clip what lies beyond full scale instead of failing or wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const int subtype = format & SF_FORMAT_SUBMASK;
    clips =
        subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE && subtype != SF_FORMAT_VORBIS;
    clipped = 0;
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long long frames, std::string& error)
{
    if (clips)
        clipped += std::count_if(interleaved, interleaved + frames * channelCount,
                                 [](float s) { return !(std::fabs(s) <= 1.0f); });
    if (sf_writef_float(file, interleaved, frames) != frames)
    {
        error = "cannot write '" + target + "': " + sf_strerror(file);
        return false;
    }
    return true;
}

bool AudioFileWriter::commit(std::string& error)
{
    if (!file)
    {
        error = "cannot write '" + target + "': not open";
        return false;
    }
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0)
    {
        error = "cannot write '" + target + "': " + sf_error_number(closed);
        abandon();
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        error = "cannot write '" + target + "': " + std::strerror(errno);
        abandon();
        return false;
    }
    haveUnfinished = 0;
    temporary.clear();
    return true;
}

void reportClipping(const AudioFileWriter& writer, const std::string& path)
{
    if (writer.clippedSamples() == 0) return;
    std::fprintf(stderr,
                 "orv-host: warning: %lld samples beyond full scale were clipped in '%s' (lower "
                 "Output or write a float format such as .wav)\n",
                 writer.clippedSamples(), path.c_str());
}

void AudioFileWriter::abandon()
{
    if (file) sf_close(file);
    file = nullptr;
    if (!temporary.empty()) std::remove(temporary.c_str());
    haveUnfinished = 0;
    temporary.clear();
}
