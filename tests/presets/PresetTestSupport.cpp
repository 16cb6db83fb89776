#include "PresetTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int& displayUpdates()
{
    static int count = 0;
    return count;
}

namespace
{
VstIntPtr countingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterUpdateDisplay) ++displayUpdates();
    return opcode == audioMasterVersion ? 2400 : 0;
}

AEffEditor* makeProbeEditor(CPresetSystemEffect* effect)
{
    return new ProbeEditor(effect);
}
} // namespace

TestEffect::TestEffect(bool withEditor) : TestEffect(withEditor ? makeProbeEditor : nullptr) {}

TestEffect::TestEffect(EditorMaker makeEditor) : CPresetSystemEffect(countingHost)
{
    setUniqueID(kTestUniqueID);
    if (makeEditor) setEditor(makeEditor(this));
    installFactoryPrograms();
    loadEditorDefaults();
    selectProgram(0);
}

void TestEffect::installFactoryPrograms()
{
    for (int p = 0; p < kNumPresetPrograms; ++p)
    {
        storeProgramName(programs[p], ("Program " + std::to_string(p)).c_str());
        for (int k = 0; k < kNumProgramValues; ++k)
            programs[p].values[k] = static_cast<float>(p) + static_cast<float>(k) / 8.0f;
    }
}

std::vector<unsigned char> TestEffect::storeBytes() const
{
    const auto* at = reinterpret_cast<const unsigned char*>(programs);
    return {at, at + kNumPresetPrograms * sizeof(ProgramRecord)};
}

TempFolder::TempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orv-presets-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    // Readable by the unprivileged user of runInChild.
    std::filesystem::permissions(pattern, std::filesystem::perms(0755));
    folder = pattern + "/";
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool runInChild(const std::function<bool()>& step, long limitFileSize)
{
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0)
    {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        if (limitFileSize >= 0)
        {
            // Writing past the limit then fails with EFBIG instead of killing the process.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(limitFileSize),
                               static_cast<rlim_t>(limitFileSize)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::_exit(step() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void PresetTest::SetUp()
{
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    displayUpdates() = 0;
}
