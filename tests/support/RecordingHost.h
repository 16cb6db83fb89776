// A host callback that records every request a plug-in sends, for tests that drive the built
// plug-in through its entry point. One RecordingHost is active at a time: the plain callback
// function has no user pointer, and a plug-in calls it before the host knows its record.
#pragma once

#include "plugin/vst24.h"
#include "tools/PluginLibrary.h"

#include <mutex>
#include <string>
#include <vector>

struct HostCall
{
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class RecordingHost
{
public:
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);

    std::vector<HostCall> calls() const;
    std::vector<HostCall> callsWith(VstInt32 opcode) const;
    void clear();

    // What the host answers to audioMasterVersion (0 makes the plug-in refuse to load).
    VstIntPtr versionAnswer = kVstVersion;
    // What it answers to audioMasterSizeWindow (1: it resized the editor's window).
    VstIntPtr sizeWindowAnswer = 0;

private:
    mutable std::mutex mutex;
    std::vector<HostCall> recorded;
};

// The built plug-in, loaded once per test through its exported entry point with the active
// recording host. Closes the effect (effClose) when it goes away.
class LoadedPlugin
{
public:
    explicit LoadedPlugin(RecordingHost& host, const std::string& path = ORV_PLUGIN_PATH);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    AEffect* effect() const { return record; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    float getParameter(VstInt32 index) const { return record->getParameter(record, index); }
    void setParameter(VstInt32 index, float value) const
    {
        record->setParameter(record, index, value);
    }
    std::vector<unsigned char> chunk() const;
    // Closes the effect now (the record is invalid afterwards); returns effClose's answer.
    VstIntPtr close();

private:
    PluginLibrary library;
    AEffect* record = nullptr;
};
