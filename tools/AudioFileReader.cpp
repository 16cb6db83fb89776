#include "tools/AudioFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace
{
// A header claiming more than this (about six years at 48 kHz) is taken as damaged.
constexpr long long kMostBelievableFrames = 1LL << 43;

std::string quoted(const std::string& name)
{
    return name == "standard input" ? name : "'" + name + "'";
}
} // namespace

AudioFileReader::~AudioFileReader()
{
    if (file) sf_close(file);
    if (ownsDescriptor) ::close(descriptor);
}

bool AudioFileReader::open(const std::string& path, std::string& error)
{
    const bool standardInput = path == "-";
    shownName = standardInput ? "standard input" : path;
    const std::string who = quoted(shownName);
    if (standardInput)
    {
        // libsndfile would wait for audio typed at the keyboard.
        if (::isatty(0))
        {
            error = "standard input is a terminal; send audio into orv-host through a pipe or "
                    "name a file";
            return false;
        }
        descriptor = 0;
    }
    else
    {
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ownsDescriptor = descriptor >= 0;
        if (descriptor < 0)
        {
            error = "cannot read " + who + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat status
    {
    };
    const bool isRegular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    if (S_ISDIR(status.st_mode))
    {
        error = "cannot read " + who + ": it is a folder; name an audio file";
        return false;
    }
    info = SF_INFO{};
    file = sf_open_fd(descriptor, SFM_READ, &info, SF_FALSE);
    if (!file)
    {
        switch (sf_error(nullptr))
        {
        case SF_ERR_UNRECOGNISED_FORMAT:
            error = who + ": not an audio file orv-host can read" +
                    (isRegular ? "; convert it to WAV or FLAC first"
                               : " from a pipe; send AU or WAV, or name a file");
            break;
        case SF_ERR_SYSTEM:
            error = "cannot read " + who + ": " + sndfileReason(nullptr);
            break;
        case SF_ERR_UNSUPPORTED_ENCODING:
            error = who + ": an audio encoding orv-host cannot decode; convert it to WAV or FLAC";
            break;
        default:
            // libsndfile refuses a header without a sample rate or channels before we see it.
            if (std::strstr(sf_strerror(nullptr), "SF_INFO") != nullptr)
                error = who + ": its header gives no sample rate or no channels; the file is "
                              "damaged";
            else
                error = who + ": damaged, or not an audio file orv-host can read" +
                        (isRegular ? "; convert it to WAV or FLAC first"
                                   : " from a pipe; send AU or WAV, or name a file");
            break;
        }
        return false;
    }
    if (info.channels < 1 || info.channels > 2)
    {
        error = who + " has " + std::to_string(info.channels) +
                " channels; only mono and stereo input is supported (mix it down first)";
        return false;
    }
    if (info.samplerate < kLowestRate || info.samplerate > kHighestRate)
    {
        error = "rate " + std::to_string(info.samplerate) + " Hz in " + who +
                " is not supported (orv-host takes " + std::to_string(kLowestRate) + " to " +
                std::to_string(kHighestRate) + " Hz)";
        return false;
    }
    hint = isRegular && info.frames >= 0 && info.frames <= kMostBelievableFrames ? info.frames : -1;
    framesRead = 0;
    return true;
}

long long AudioFileReader::read(float* interleaved, long long frames, std::string& error)
{
    // libsndfile returns short counts only at the end or on an error; ask again until either.
    long long got = 0;
    while (got < frames)
    {
        const sf_count_t n = sf_readf_float(file, interleaved + got * info.channels, frames - got);
        if (n <= 0) break;
        got += n;
    }
    framesRead += got;
    if (got < frames && sf_error(file) != SF_ERR_NO_ERROR)
    {
        const std::string where =
            " after " + std::to_string(framesRead / info.samplerate) + " s of audio";
        error = sf_error(file) == SF_ERR_SYSTEM
                    ? "cannot read " + quoted(shownName) + where + ": " + sndfileReason(file)
                    : quoted(shownName) + " is damaged" + where +
                          "; repair or re-export it (nothing was written)";
        return -1;
    }
    return got;
}
