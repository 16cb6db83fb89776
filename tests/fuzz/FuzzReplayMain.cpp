// Runs a fuzz target once on every file of the given folders or files, without the fuzzing
// engine: the committed seeds and any input a fuzzing run found become ordinary tests.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    int inputs = 0;
    for (int i = 1; i < argc; ++i)
    {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argv[i]))
        {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        }
        else
            files.emplace_back(argv[i]);
        for (const auto& file : files)
        {
            std::ifstream in(file, std::ios::binary);
            const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++inputs;
        }
    }
    std::printf("%d inputs\n", inputs);
    return inputs > 0 ? 0 : 1;
}
