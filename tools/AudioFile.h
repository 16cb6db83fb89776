// Reading and writing audio files through libsndfile. A written file appears under its name
// only when it is complete: until commit() it is a temporary file beside the target, removed
// again if anything fails or the process is stopped by SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

struct AudioData
{
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples; // interleaved
    long long frames() const
    {
        return channels ? static_cast<long long>(samples.size()) / channels : 0;
    }
};

bool readAudioFile(const std::string& path, AudioData& data, std::string& error);

class AudioFileWriter
{
public:
    AudioFileWriter() = default;
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // The format follows the extension (wav, flac, ogg, aiff, au, caf, w64); a path without an
    // extension gets 32-bit float WAV.
    bool open(const std::string& path, int sampleRate, int channels, std::string& error);
    bool write(const float* interleaved, long long frames, std::string& error);
    bool commit(std::string& error);
    // Samples written so far that lay beyond full scale and were clipped by an integer format.
    long long clippedSamples() const { return clipped; }
    // Removes the unfinished file.
    void abandon();

private:
    SNDFILE* file = nullptr;
    std::string target;
    std::string temporary;
    int channelCount = 0;
    bool clips = false;
    long long clipped = 0;
};

// Tells on stderr how many samples a finished file had clipped, if any.
void reportClipping(const AudioFileWriter& writer, const std::string& path);

// The libsndfile format for an output path, or 0 with a reason for an unknown extension.
int outputFormatFor(const std::string& path, std::string& error);
