#include "tools/EffectSession.h"

#include "tools/Commands.h"

#include <algorithm>
#include <cctype>
#include <cstring>

std::string normalizedName(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    std::string name = text.substr(first, last - first + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

namespace
{
bool parseIndex(const std::string& text, int limit, int& index)
{
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    index = std::stoi(text);
    return index < limit;
}
} // namespace

EffectSession::~EffectSession()
{
    if (record)
    {
        stop();
        dispatch(record, effClose);
    }
}

bool EffectSession::open(const std::string& givenPath, std::string& error)
{
    std::string pluginPath = givenPath;
    if (pluginPath.empty() && !findDefaultPlugin(pluginPath, error)) return false;
    if (!library.load(pluginPath, error)) return false;
    record = library.instantiate(orvHostCallback, error);
    if (!record) return false;
    if (record->numInputs != 2 || record->numOutputs != 2 ||
        !(record->flags & effFlagsCanReplacing))
    {
        error = "'" + pluginPath + "' is not a stereo effect with 32-bit processing";
        dispatch(record, effClose);
        record = nullptr;
        return false;
    }
    dispatch(record, effOpen);
    return true;
}

void EffectSession::adopt(AEffect* effect)
{
    record = effect;
    dispatch(record, effOpen);
}

std::string EffectSession::askText(VstInt32 opcode, VstInt32 index) const
{
    char buffer[256] = {};
    dispatch(record, opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

std::vector<std::string> EffectSession::parameterNames() const
{
    std::vector<std::string> names;
    for (VstInt32 i = 0; i < record->numParams; ++i)
        names.push_back(normalizedName(askText(effGetParamName, i)));
    return names;
}

int EffectSession::findParameter(const std::string& nameOrIndex) const
{
    int index;
    if (parseIndex(nameOrIndex, record->numParams, index)) return index;
    const auto names = parameterNames();
    const auto it = std::find(names.begin(), names.end(), normalizedName(nameOrIndex));
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::vector<std::string> EffectSession::programNames() const
{
    std::vector<std::string> names;
    for (VstInt32 i = 0; i < 1024; ++i)
    {
        char name[256] = {};
        if (dispatch(record, effGetProgramNameIndexed, i, 0, name) == 0) break;
        name[sizeof name - 1] = 0;
        names.push_back(name);
    }
    return names;
}

int EffectSession::findProgram(const std::string& nameOrNumber) const
{
    const auto names = programNames();
    int index;
    if (parseIndex(nameOrNumber, static_cast<int>(names.size()), index)) return index;
    for (size_t i = 0; i < names.size(); ++i)
        if (normalizedName(names[i]) == normalizedName(nameOrNumber)) return static_cast<int>(i);
    return -1;
}

bool EffectSession::selectProgram(int index, std::string& error)
{
    // The chunk's fourth 32-bit field is the current program; loading the chunk back with
    // another index applies that program.
    constexpr size_t kCurrentProgramField = 12;
    void* data = nullptr;
    const VstIntPtr size = dispatch(record, effGetChunk, 0, 0, &data);
    if (size < static_cast<VstIntPtr>(kCurrentProgramField + 4) || !data)
    {
        error = "the plug-in gave no program chunk";
        return false;
    }
    std::vector<unsigned char> chunk(static_cast<const unsigned char*>(data),
                                     static_cast<const unsigned char*>(data) + size);
    const int32_t current = index;
    std::memcpy(chunk.data() + kCurrentProgramField, &current, sizeof current);
    if (dispatch(record, effSetChunk, 0, size, chunk.data()) != 0)
    {
        error = "the plug-in refused to select program " + std::to_string(index);
        return false;
    }
    return true;
}

void EffectSession::setParameter(int index, float value)
{
    record->setParameter(record, index, value);
}

void EffectSession::start(float sampleRate, int maxBlockSize)
{
    dispatch(record, effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(record, effSetBlockSize, 0, maxBlockSize);
    dispatch(record, effMainsChanged, 0, 1);
    running = true;
}

void EffectSession::process(const float* inL, const float* inR, float* outL, float* outR,
                            int frames)
{
    float* inputs[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* outputs[2] = {outL, outR};
    record->processReplacing(record, inputs, outputs, frames);
}

void EffectSession::reset()
{
    dispatch(record, effMainsChanged, 0, 0);
    dispatch(record, effMainsChanged, 0, 1);
}

void EffectSession::stop()
{
    if (running) dispatch(record, effMainsChanged, 0, 0);
    running = false;
}
