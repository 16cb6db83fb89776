// The bundle as the LV2 command-line tools meet it: the Turtle against the LV2 schemas
// (sord_validate), the ports as lv2info lists them, and a render by lv2apply, which runs the
// plug-in one frame at a time, against orv-host's render through the VST plug-in.
#include "lv2/Uris.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

struct Output
{
    int status;
    std::string text;
};

// Runs a shell command line; its stdout and stderr together.
Output run(const std::string& command)
{
    Output out{-1, {}};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.text.append(buffer.data(), n);
    out.status = pclose(pipe);
    return out;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class Lv2Tools : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("orv-lv2-tools-" + std::to_string(::getpid()));
        fs::create_directories(dir / "path");
        // LV2_PATH holds only the built bundle, so nothing installed on the machine interferes.
        fs::create_directory_symlink(ORV_LV2_BUNDLE, dir / "path" / "OrvSympharon.lv2");
        env = "LV2_PATH='" + (dir / "path").string() + "' XDG_CONFIG_HOME='" +
              (dir / "config").string() + "' ";
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    std::string env;
};

TEST_F(Lv2Tools, TurtleValidatesAgainstTheLv2Schemas)
{
    // The schemas of Debian's lv2-dev: every specification's Turtle it installs.
    const Output schemas = run("dpkg -L lv2-dev | grep '\\.ttl$' | tr '\\n' ' '");
    ASSERT_EQ(schemas.status, 0);
    ASSERT_GT(count(schemas.text, ".ttl"), 20u);
    const Output result = run("sord_validate " + schemas.text + " '" ORV_LV2_BUNDLE "'/*.ttl");
    EXPECT_EQ(result.status, 0) << result.text;
    EXPECT_NE(result.text.find("Found 0 errors"), std::string::npos) << result.text;
}

TEST_F(Lv2Tools, Lv2infoListsTheFourAudioPortsTheEightControlsAndThePresets)
{
    const Output info = run(env + "lv2info " ORV_LV2_PLUGIN_URI);
    ASSERT_EQ(info.status, 0) << info.text;
    EXPECT_EQ(count(info.text, "#AudioPort"), 4u) << info.text;
    EXPECT_EQ(count(info.text, "#ControlPort"), 8u);
    for (const char* symbol :
         {"output", "mix", "decay", "damp", "transpose", "tune", "detune", "bypass"})
        EXPECT_NE(info.text.find(std::string("Symbol:      ") + symbol + "\n"), std::string::npos)
            << symbol;
    for (const char* preset :
         {"Default", "Bright", "High", "Low & Dark", "Almost reverb", "Detuned"})
        EXPECT_NE(info.text.find(preset), std::string::npos) << preset;
}

std::vector<float> readAudio(const fs::path& path, SF_INFO& info)
{
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

TEST_F(Lv2Tools, Lv2applyRendersANoiseBurstLikeOrvHost)
{
    // Half a second of stereo noise, then a second and a half of silence.
    constexpr int kRate = 44100;
    constexpr sf_count_t kFrames = 2 * kRate;
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const fs::path input = dir / "burst.wav";
    SNDFILE* file = sf_open(input.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> burst(static_cast<size_t>(2 * kFrames), 0.0f);
    uint32_t seed = 12345;
    for (size_t i = 0; i < static_cast<size_t>(kRate); ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        burst[i] = static_cast<float>(static_cast<int32_t>(seed)) * 0x1p-32f;
    }
    sf_writef_float(file, burst.data(), kFrames);
    sf_close(file);

    const fs::path viaLv2 = dir / "lv2.wav";
    const fs::path viaVst = dir / "vst.wav";
    const Output lv2 = run(env + "lv2apply -i '" + input.string() + "' -o '" + viaLv2.string() +
                           "' -c mix 100 -c decay 80 " ORV_LV2_PLUGIN_URI);
    ASSERT_EQ(lv2.status, 0) << lv2.text;
    const Output vst = run(env + "'" ORV_HOST "' render '" + input.string() + "' '" +
                           viaVst.string() + "' --set Mix=1 --set Decay=0.8 --tail 0");
    ASSERT_EQ(vst.status, 0) << vst.text;

    SF_INFO a, b;
    const auto fromLv2 = readAudio(viaLv2, a);
    const auto fromVst = readAudio(viaVst, b);
    ASSERT_EQ(a.frames, kFrames);
    ASSERT_EQ(b.frames, kFrames);
    ASSERT_EQ(a.channels, 2);
    ASSERT_EQ(b.channels, 2);
    EXPECT_EQ(std::memcmp(fromLv2.data(), fromVst.data(), fromLv2.size() * sizeof(float)), 0)
        << "not bit-identical";

    // The strings ring on after the burst: the last half second is far from silent.
    double energy = 0.0;
    for (size_t i = static_cast<size_t>(2 * (kFrames - kRate / 2)); i < fromLv2.size(); ++i)
        energy += static_cast<double>(fromLv2[i]) * fromLv2[i];
    EXPECT_GT(std::sqrt(energy / (kRate)), 1e-3);
}

} // namespace
