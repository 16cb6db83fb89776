// Which file format orv-host writes, and whether a render of a given length fits it.
#pragma once

#include <sndfile.h>

#include <string>

struct OutputFormat
{
    const char* name;       // the --format name, also the usual extension
    const char* extensions; // further extensions that choose it, space separated
    int sndfileFormat;
    bool pipeable; // can be written to a pipe: no header field is patched at the end
    bool sizes32;  // the header holds the data size in 32 bits
};

// The format named by --format, or null with a reason listing the known names.
const OutputFormat* findOutputFormat(const std::string& name, std::string& error);
// The format an output path's extension chooses (32-bit float WAV without an extension), or null
// with a reason.
const OutputFormat* outputFormatForPath(const std::string& path, std::string& error);

// How one render is written: the libsndfile format and, for a format with 32-bit sizes, the most
// audio data it may hold.
struct OutputPlan
{
    const OutputFormat* format = nullptr;
    int sndfileFormat = 0;
    bool rf64Downgrade = false; // RF64 that libsndfile turns into plain WAV while it stays small
    long long dataLimit = -1;   // bytes of audio the file may hold; -1: no limit
};

// Bytes of audio a 32-bit size field still describes with room for the header chunks.
constexpr long long kMost32BitData = 0xFFFFFFFFLL - 65536;

// Plans writing about expectedFrames frames (-1: not known beforehand) of `channels` channels,
// into a file or into a pipe. A WAV file that may outgrow 32-bit sizes is written as RF64 (plain
// WAV again if it stays small); a file of another format with 32-bit sizes is refused with a
// reason naming formats that hold it when the expected audio does not fit, and otherwise
// limited to what fits. A pipe takes only the pipeable formats, without a limit.
bool planOutput(const OutputFormat& format, int channels, long long expectedFrames, bool toPipe,
                OutputPlan& plan, std::string& error);

// Bytes one sample takes in a libsndfile format, 0 for compressed formats.
int bytesPerSample(int sndfileFormat);

// The names of the formats that can be written to a pipe, for messages: "au, raw, flac or ogg".
std::string pipeableFormatNames();
