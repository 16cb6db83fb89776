// One effect instance driven offline, as a host drives it: loaded through the entry point,
// configured through the dispatcher, fed blocks through processReplacing.
#pragma once

#include "tools/PluginLibrary.h"

#include <string>
#include <vector>

class EffectSession
{
public:
    EffectSession() = default;
    ~EffectSession();
    EffectSession(const EffectSession&) = delete;
    EffectSession& operator=(const EffectSession&) = delete;

    // Loads the plug-in at pluginPath, or the default one (findDefaultPlugin) when it is empty.
    bool open(const std::string& pluginPath, std::string& error);
    // Takes over an effect made in this process (closed with effClose when the session ends).
    void adopt(AEffect* effect);

    // Finds a parameter by its name (case and surrounding blanks ignored) or its index.
    int findParameter(const std::string& nameOrIndex) const;
    std::vector<std::string> parameterNames() const;
    // Finds a stored program by name or number, among the names the plug-in lists.
    int findProgram(const std::string& nameOrNumber) const;
    std::vector<std::string> programNames() const;
    // Makes one of the plug-in's stored programs current. The host sees a single program, so
    // this goes through the plug-in's chunk: the same chunk with another current index.
    bool selectProgram(int index, std::string& error);
    void setParameter(int index, float value);

    void start(float sampleRate, int maxBlockSize);
    // Processes frames from two input channels into two output channels.
    void process(const float* inL, const float* inR, float* outL, float* outR, int frames);
    // Suspends and resumes: the strings start again from silence.
    void reset();
    void stop();

    AEffect* effect() const { return record; }

private:
    std::string askText(VstInt32 opcode, VstInt32 index) const;

    PluginLibrary library;
    AEffect* record = nullptr;
    bool running = false;
};

// Trims blanks and lowers the case, for forgiving name matches.
std::string normalizedName(const std::string& text);
