// Reads an audio file, or standard input for "-", through libsndfile block by block, so memory
// stays the same for any length.
#pragma once

#include "tools/SndfileReason.h"

#include <sndfile.h>

#include <string>

class AudioFileReader
{
public:
    // The sample rates orv-host renders at.
    static constexpr int kLowestRate = 8000;
    static constexpr int kHighestRate = 768000;

    AudioFileReader() = default;
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    // Opens a mono or stereo file at a rate orv-host renders at. False with one line that names
    // the file and says what to do.
    bool open(const std::string& path, std::string& error);
    int sampleRate() const { return info.samplerate; }
    int channels() const { return info.channels; }
    // The length the header gives, or -1 when it is not known (a pipe) or not believable. It is
    // only a hint: read() goes on until the data ends.
    long long lengthHint() const { return hint; }
    // Reads up to `frames` interleaved frames; fewer only at the end of the data. -1 with a
    // reason on a read error.
    long long read(float* interleaved, long long frames, std::string& error);
    // The name messages use for the input: the path, or "standard input".
    const std::string& name() const { return shownName; }

private:
    SNDFILE* file = nullptr;
    SF_INFO info{};
    int descriptor = -1;
    bool ownsDescriptor = false; // false for standard input
    long long hint = -1;
    long long framesRead = 0;
    std::string shownName;
};
