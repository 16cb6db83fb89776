// Writes small WAV files for orv-host's command-line tests: make_test_audio PATH CHANNELS FRAMES
// [LEVEL] (a click train, the same on every channel; clicks of 0.5 unless LEVEL is given).
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
    {
        std::fprintf(stderr, "usage: make_test_audio PATH CHANNELS FRAMES [LEVEL]\n");
        return 2;
    }
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = std::atoi(argv[2]);
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const long frames = std::atol(argv[3]);
    const float level = argc == 5 ? std::strtof(argv[4], nullptr) : 0.5f;
    SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
    if (!file)
    {
        std::fprintf(stderr, "make_test_audio: %s\n", sf_strerror(nullptr));
        return 1;
    }
    std::vector<float> samples(static_cast<size_t>(frames * info.channels), 0.0f);
    for (long i = 0; i < frames; i += 4410)
        for (int c = 0; c < info.channels; ++c)
            samples[static_cast<size_t>(i * info.channels + c)] = level;
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    return 0;
}
