// orv-host's file side without the plug-in: which format a render is written in, a WAV over
// 4 GiB read back at its full length, and the progress line.
#include "tools/AudioFileWriter.h"
#include "tools/OutputFormat.h"
#include "tools/ProgressBar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct PlanCase
{
    const char* what;
    const char* format; // --format name
    int channels;
    long long expectedFrames; // -1: unknown
    bool toPipe;
    bool accepted;
    int sndfileFormat; // when accepted
    bool rf64Downgrade;
    long long dataLimit;
    const char* refusalHas; // when refused
};

constexpr long long kFramesOf4GiBStereoFloat = (1LL << 32) / 8;

TEST(OutputPlan, FormatsAndSizesAreChosenOrRefusedBeforeWriting)
{
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const int rf64Float = SF_FORMAT_RF64 | SF_FORMAT_FLOAT;
    const PlanCase cases[] = {
        {"short WAV stays WAV", "wav", 2, 44100, false, true, wavFloat, false, kMost32BitData,
         nullptr},
        {"WAV just fitting stays WAV", "wav", 2, kMost32BitData / 8, false, true, wavFloat, false,
         kMost32BitData, nullptr},
        {"WAV just beyond 4 GiB becomes RF64", "wav", 2, kMost32BitData / 8 + 1, false, true,
         rf64Float, true, -1, nullptr},
        {"mono WAV fits twice as many frames", "wav", 1, kFramesOf4GiBStereoFloat + 10, false, true,
         wavFloat, false, kMost32BitData, nullptr},
        {"WAV of unknown length may grow: RF64", "wav", 2, -1, false, true, rf64Float, true, -1,
         nullptr},
        {"explicit RF64 is not downgraded", "rf64", 2, 10, false, true, rf64Float, false, -1,
         nullptr},
        {"W64 has 64-bit sizes", "w64", 2, 4 * kFramesOf4GiBStereoFloat, false, true,
         SF_FORMAT_W64 | SF_FORMAT_FLOAT, false, -1, nullptr},
        {"CAF has 64-bit sizes", "caf", 2, 4 * kFramesOf4GiBStereoFloat, false, true,
         SF_FORMAT_CAF | SF_FORMAT_FLOAT, false, -1, nullptr},
        {"AIFF over 4 GiB is refused", "aiff", 2, kFramesOf4GiBStereoFloat, false, false, 0, false,
         0, "aiff format holds (4 GiB); write .w64, .caf or .rf64"},
        {"AU over 4 GiB is refused", "au", 2, kFramesOf4GiBStereoFloat, false, false, 0, false, 0,
         ".w64, .caf or .rf64"},
        {"AIFF of unknown length is limited", "aiff", 2, -1, false, true,
         SF_FORMAT_AIFF | SF_FORMAT_FLOAT, false, kMost32BitData, nullptr},
        {"AU on a pipe has no size to overflow", "au", 2, -1, true, true,
         SF_FORMAT_AU | SF_FORMAT_FLOAT, false, -1, nullptr},
        {"raw on a pipe", "raw", 2, kFramesOf4GiBStereoFloat, true, true,
         SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE, false, -1, nullptr},
        {"WAV cannot go into a pipe", "wav", 2, 10, true, false, 0, false, 0,
         "use --format flac, ogg, au or raw"},
        {"CAF cannot go into a pipe", "caf", 2, 10, true, false, 0, false, 0, "cannot be written"},
    };
    for (const PlanCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string error;
        const OutputFormat* format = findOutputFormat(c.format, error);
        ASSERT_NE(format, nullptr) << error;
        OutputPlan plan;
        const bool accepted =
            planOutput(*format, c.channels, c.expectedFrames, c.toPipe, plan, error);
        ASSERT_EQ(accepted, c.accepted) << error;
        if (accepted)
        {
            EXPECT_EQ(plan.sndfileFormat, c.sndfileFormat);
            EXPECT_EQ(plan.rf64Downgrade, c.rf64Downgrade);
            EXPECT_EQ(plan.dataLimit, c.dataLimit);
        }
        else
            EXPECT_NE(error.find(c.refusalHas), std::string::npos) << error;
    }
}

TEST(OutputPlan, ExtensionsAndNamesFindTheirFormat)
{
    const std::pair<const char*, int> paths[] = {
        {"out.wav", SF_FORMAT_WAV},   {"OUT.WAV", SF_FORMAT_WAV}, {"no-extension", SF_FORMAT_WAV},
        {"a.rf64", SF_FORMAT_RF64},   {"a.w64", SF_FORMAT_W64},   {"a.caf", SF_FORMAT_CAF},
        {"a.flac", SF_FORMAT_FLAC},   {"a.oga", SF_FORMAT_OGG},   {"a.aif", SF_FORMAT_AIFF},
        {"dir.x/a.au", SF_FORMAT_AU}, {"a.raw", SF_FORMAT_RAW},
    };
    for (const auto& [path, type] : paths)
    {
        std::string error;
        const OutputFormat* format = outputFormatForPath(path, error);
        ASSERT_NE(format, nullptr) << path << ": " << error;
        EXPECT_EQ(format->sndfileFormat & SF_FORMAT_TYPEMASK, type) << path;
    }
    std::string error;
    EXPECT_EQ(outputFormatForPath("a.mp3", error), nullptr);
    EXPECT_NE(error.find("unknown output format '.mp3'"), std::string::npos) << error;
    EXPECT_EQ(findOutputFormat("mp3", error), nullptr);
    EXPECT_NE(error.find("unknown --format 'mp3'"), std::string::npos) << error;
}

// A file in memory for libsndfile that keeps only its first bytes (the header) and forgets the
// audio, so a file of several GiB costs nothing; reading gives the header back, then zeros.
struct HeaderOnlyFile
{
    static constexpr sf_count_t kKept = 1 << 16;
    std::vector<unsigned char> head = std::vector<unsigned char>(kKept, 0);
    sf_count_t length = 0;
    sf_count_t position = 0;

    static HeaderOnlyFile& of(void* user) { return *static_cast<HeaderOnlyFile*>(user); }
    static sf_count_t getLength(void* user) { return of(user).length; }
    static sf_count_t seek(sf_count_t offset, int whence, void* user)
    {
        HeaderOnlyFile& f = of(user);
        f.position = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f.position : f.length) + offset;
        return f.position;
    }
    static sf_count_t read(void* ptr, sf_count_t count, void* user)
    {
        HeaderOnlyFile& f = of(user);
        count = std::max<sf_count_t>(0, std::min(count, f.length - f.position));
        auto* out = static_cast<unsigned char*>(ptr);
        for (sf_count_t i = 0; i < count; ++i, ++f.position)
            out[i] = f.position < kKept ? f.head[static_cast<size_t>(f.position)] : 0;
        return count;
    }
    static sf_count_t write(const void* ptr, sf_count_t count, void* user)
    {
        HeaderOnlyFile& f = of(user);
        const auto* in = static_cast<const unsigned char*>(ptr);
        if (f.position < kKept)
            std::memcpy(f.head.data() + f.position, in,
                        static_cast<size_t>(std::min(count, kKept - f.position)));
        f.position += count;
        f.length = std::max(f.length, f.position);
        return count;
    }
    static sf_count_t tell(void* user) { return of(user).position; }
    SF_VIRTUAL_IO io{getLength, seek, read, write, tell};
};

// Writes `frames` frames of silence as planned and returns the frame count libsndfile reads
// back from the header, and the container it finds.
long long writeAndReadBack(const OutputPlan& plan, long long frames, int& container)
{
    HeaderOnlyFile file;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = plan.sndfileFormat;
    SNDFILE* out = sf_open_virtual(&file.io, SFM_WRITE, &info, &file);
    if (!out) return -1;
    applyOutputPlan(out, plan);
    const std::vector<float> silence(2 * 1048576, 0.0f);
    for (long long done = 0; done < frames;)
    {
        const long long n = std::min<long long>(1048576, frames - done);
        if (sf_writef_float(out, silence.data(), n) != n) return -2;
        done += n;
    }
    if (sf_close(out) != 0) return -3;
    file.position = 0;
    SF_INFO back{};
    SNDFILE* in = sf_open_virtual(&file.io, SFM_READ, &back, &file);
    if (!in) return -4;
    sf_close(in);
    container = back.format & SF_FORMAT_TYPEMASK;
    return back.frames;
}

TEST(OutputPlan, WavBeyondFourGiBReadsBackAtItsFullLength)
{
    std::string error;
    const OutputFormat* wav = findOutputFormat("wav", error);
    ASSERT_NE(wav, nullptr);
    // 4 GiB of stereo float and a little more: a 32-bit size would wrap around to 1000 frames.
    const long long frames = kFramesOf4GiBStereoFloat + 1000;
    OutputPlan plan;
    ASSERT_TRUE(planOutput(*wav, 2, frames, false, plan, error)) << error;
    int container = 0;
    EXPECT_EQ(writeAndReadBack(plan, frames, container), frames);
    EXPECT_EQ(container, SF_FORMAT_RF64);

    // The same plan for a render that stays small gives a plain RIFF WAV (the extensible kind).
    EXPECT_EQ(writeAndReadBack(plan, 48000, container), 48000);
    EXPECT_TRUE(container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX) << container;
}

// The progress line, with a clock the test moves and a temporary file as the terminal.
struct ProgressRun
{
    double now = 100.0;
    std::FILE* out = std::tmpfile();
    ~ProgressRun()
    {
        if (out) std::fclose(out);
    }
    std::string text()
    {
        std::fflush(out);
        std::rewind(out);
        std::string all;
        for (int c; (c = std::fgetc(out)) != EOF;)
            all += static_cast<char>(c);
        return all;
    }
};

TEST(ProgressBar, RedrawsAtMostTenTimesASecondAndEndsWithItsLine)
{
    struct Case
    {
        const char* what;
        double fraction; // negative: total unknown
        const char* shows;
    };
    for (const Case& c :
         {Case{"known total", 0.5, "100%"}, Case{"unknown total", -1.0, "of audio"}})
    {
        SCOPED_TRACE(c.what);
        ProgressRun run;
        ASSERT_NE(run.out, nullptr);
        {
            ProgressBar bar("rendering", true, run.out, [&run] { return run.now; });
            // Two seconds of rendering in 2000 small steps, 100 seconds of audio.
            for (int step = 1; step <= 2000; ++step)
            {
                run.now += 0.001;
                bar.update(step * 0.05, c.fraction < 0 ? -1.0 : step / 2000.0);
            }
            bar.finish();
            bar.update(1.0, 0.5); // after the end: nothing more
        }
        const std::string text = run.text();
        const auto redraws = std::count(text.begin(), text.end(), '\r');
        EXPECT_GE(redraws, 19);
        EXPECT_LE(redraws, 21); // ten a second, and the final state
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
        const std::string last = text.substr(text.rfind('\r'));
        EXPECT_NE(last.find(c.shows), std::string::npos) << last;
        EXPECT_NE(last.find("0:02 elapsed"), std::string::npos) << last;
        EXPECT_NE(last.find("50.0x real time"), std::string::npos) << last;
    }
}

TEST(ProgressBar, SaysNothingWhenDisabledOrEndedWithoutDrawing)
{
    ProgressRun run;
    ASSERT_NE(run.out, nullptr);
    {
        ProgressBar off("rendering", false, run.out, [&run] { return run.now += 1.0; });
        off.update(10.0, 0.5);
        off.finish();
    }
    {
        // A failure before the first redraw leaves the terminal untouched.
        ProgressBar failed("rendering", true, run.out, [&run] { return run.now; });
        failed.update(1.0, 0.1);
        failed.finish(false);
    }
    EXPECT_EQ(run.text(), "");
}
} // namespace
