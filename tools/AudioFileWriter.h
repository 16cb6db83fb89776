// Writes an audio file through libsndfile, or standard output for "-". A written file appears
// under its name only when it is complete: until commit() it is a temporary file beside the
// target, removed again if anything fails or the process is stopped by SIGINT, SIGTERM or
// SIGHUP. An existing target that is not a regular file is never touched.
#pragma once

#include "tools/OutputFormat.h"

#include <sndfile.h>

#include <string>

class AudioFileWriter
{
public:
    AudioFileWriter() = default;
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Opens path ("-": standard output) for about expectedFrames frames (-1: not known). The
    // format is formatName's when given, else the extension's (32-bit float WAV without one),
    // and au for standard output. False with one line naming the file and what to do.
    bool open(const std::string& path, const std::string& formatName, int sampleRate, int channels,
              long long expectedFrames, std::string& error);
    bool write(const float* interleaved, long long frames, std::string& error);
    bool commit(std::string& error);
    // Samples written so far that lay beyond full scale and were clipped by an integer format.
    long long clippedSamples() const { return clipped; }
    // Removes the unfinished file.
    void abandon();
    // The name messages use for the output: the path, or "standard output".
    const std::string& name() const { return shownName; }

private:
    bool openTemporary(const std::string& path, std::string& error);
    std::string refusal(const std::string& reason) const;

    SNDFILE* file = nullptr;
    int descriptor = -1;
    bool ownsDescriptor = false; // false for standard output
    std::string target;
    std::string shownName;
    std::string temporary;
    OutputPlan plan;
    std::string formatWords; // "the FORMAT format does not take N channels at R Hz"
    int channelCount = 0;
    int sampleBytes = 0;
    long long dataBytes = 0;
    bool clips = false;
    long long clipped = 0;
    bool replacing = false;
    unsigned replacedMode = 0;
};

// Tells on stderr how many samples a finished file had clipped, if any.
void reportClipping(const AudioFileWriter& writer);

// Sets what a plan asks of a file libsndfile has just opened for writing: RF64's automatic
// downgrade and clipping in integer formats.
void applyOutputPlan(SNDFILE* file, const OutputPlan& plan);
