#include "tools/OutputFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace
{
// Floating point wherever the format has it, so nothing clips; FLAC holds at most 24 bits.
constexpr std::array<OutputFormat, 9> kFormats{{
    {"wav", "", SF_FORMAT_WAV | SF_FORMAT_FLOAT, false, true},
    {"rf64", "", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, false, false},
    {"w64", "", SF_FORMAT_W64 | SF_FORMAT_FLOAT, false, false},
    {"caf", "", SF_FORMAT_CAF | SF_FORMAT_FLOAT, false, false},
    {"flac", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, true, false},
    {"ogg", "oga", SF_FORMAT_OGG | SF_FORMAT_VORBIS, true, false},
    {"aiff", "aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, false, true},
    // On a pipe AU says "length unknown" and readers read to the end.
    {"au", "", SF_FORMAT_AU | SF_FORMAT_FLOAT, true, true},
    // Interleaved 32-bit float, little-endian, no header.
    {"raw", "", SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE, true, false},
}};

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool hasExtension(const OutputFormat& format, const std::string& ext)
{
    if (ext == format.name) return true;
    std::istringstream others(format.extensions);
    for (std::string other; others >> other;)
        if (ext == other) return true;
    return false;
}

std::string listOf(bool pipeableOnly, const char* prefix)
{
    std::string names;
    std::string last;
    for (const OutputFormat& format : kFormats)
    {
        if (pipeableOnly && !format.pipeable) continue;
        if (!last.empty()) names += (names.empty() ? "" : ", ") + last;
        last = std::string(prefix) + format.name;
    }
    return names.empty() ? last : names + " or " + last;
}

std::string sizeText(long long bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
    return text;
}
} // namespace

const OutputFormat* findOutputFormat(const std::string& name, std::string& error)
{
    const std::string wanted = lowered(name);
    for (const OutputFormat& format : kFormats)
        if (hasExtension(format, wanted)) return &format;
    error = "unknown --format '" + name + "' (use " + listOf(false, "") + ")";
    return nullptr;
}

const OutputFormat* outputFormatForPath(const std::string& path, std::string& error)
{
    std::string ext = lowered(std::filesystem::path(path).extension().string());
    if (ext.empty()) return &kFormats[0];
    for (const OutputFormat& format : kFormats)
        if (hasExtension(format, ext.substr(1))) return &format;
    error = "unknown output format '" + ext + "' (use " + listOf(false, ".") +
            ", or name one with --format)";
    return nullptr;
}

int bytesPerSample(int sndfileFormat)
{
    switch (sndfileFormat & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

bool planOutput(const OutputFormat& format, int channels, long long expectedFrames, bool toPipe,
                OutputPlan& plan, std::string& error)
{
    plan = OutputPlan{};
    plan.format = &format;
    plan.sndfileFormat = format.sndfileFormat;
    if (toPipe && !format.pipeable)
    {
        error = std::string("the ") + format.name +
                " format cannot be written to a pipe; use --format " + pipeableFormatNames() +
                " for standard output";
        return false;
    }
    if (toPipe || !format.sizes32) return true;
    const long long frameBytes =
        static_cast<long long>(bytesPerSample(format.sndfileFormat)) * channels;
    const bool known = expectedFrames >= 0;
    const bool fits = known && frameBytes > 0 && expectedFrames <= kMost32BitData / frameBytes;
    if (fits)
    {
        plan.dataLimit = kMost32BitData;
        return true;
    }
    if ((format.sndfileFormat & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV)
    {
        plan.sndfileFormat = SF_FORMAT_RF64 | (format.sndfileFormat & SF_FORMAT_SUBMASK);
        plan.rf64Downgrade = true;
        return true;
    }
    if (!known)
    {
        // Cannot be told before writing: stop when the audio would no longer fit.
        plan.dataLimit = kMost32BitData;
        return true;
    }
    error = "about " + sizeText(expectedFrames * frameBytes) + " of audio is more than the " +
            format.name + " format holds (4 GiB); write .w64, .caf or .rf64 instead";
    return false;
}

std::string pipeableFormatNames()
{
    return listOf(true, "");
}
