#include "tests/support/RecordingHost.h"

#include <atomic>
#include <stdexcept>

namespace
{
std::atomic<RecordingHost*> activeHost{nullptr};
}

RecordingHost::RecordingHost()
{
    activeHost.store(this);
}

RecordingHost::~RecordingHost()
{
    RecordingHost* self = this;
    activeHost.compare_exchange_strong(self, nullptr);
}

VstIntPtr RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void*, float opt)
{
    RecordingHost* host = activeHost.load();
    if (!host) return 0;
    {
        std::lock_guard<std::mutex> lock(host->mutex);
        host->recorded.push_back({effect, opcode, index, value, opt});
    }
    switch (opcode)
    {
    case audioMasterVersion:
        return host->versionAnswer;
    case audioMasterSizeWindow:
        return host->sizeWindowAnswer;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterUpdateDisplay:
        return 1;
    default:
        return 0;
    }
}

std::vector<HostCall> RecordingHost::calls() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return recorded;
}

std::vector<HostCall> RecordingHost::callsWith(VstInt32 opcode) const
{
    std::vector<HostCall> matching;
    for (const HostCall& call : calls())
        if (call.opcode == opcode) matching.push_back(call);
    return matching;
}

void RecordingHost::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    recorded.clear();
}

LoadedPlugin::LoadedPlugin(RecordingHost&, const std::string& path)
{
    std::string error;
    if (!library.load(path, error)) throw std::runtime_error(error);
    record = library.instantiate(&RecordingHost::callback, error);
    if (!record) throw std::runtime_error(error);
}

LoadedPlugin::~LoadedPlugin()
{
    close();
}

VstIntPtr LoadedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) const
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

std::vector<unsigned char> LoadedPlugin::chunk() const
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

VstIntPtr LoadedPlugin::close()
{
    if (!record) return 0;
    const VstIntPtr result = record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    record = nullptr;
    return result;
}
