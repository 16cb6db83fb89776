// A small VST3 host of our own for the tests, written against our declarations (vst3/Vst3Abi.h):
// it loads a bundle's library as hosts do (module entry, factory), makes the effect, and offers
// the host objects a plug-in meets: memory streams, parameter change lists, a component handler
// that records what it is told. Single-threaded, as the tests drive it.
#pragma once

#include "ModuleLoader.h"
#include "vst3/Vst3Abi.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace vst3test
{
using namespace vst3;

// Host objects live on the test's stack: their counts only answer the rules.
template <class Interface> class HostObject : public Interface
{
public:
    tresult queryInterface(const TUID iid, void** obj) override
    {
        *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, Interface::iid) ? this : nullptr;
        return *obj ? kResultOk : kNoInterface;
    }
    uint32 addRef() override { return ++count; }
    uint32 release() override { return --count; }
    uint32 count = 1;
};

class MemoryStream : public HostObject<IBStream>
{
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}
    tresult read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        const int32 n = std::max<int32>(0, std::min<int32>(numBytes, size() - position));
        if (n > 0) std::memcpy(buffer, data.data() + position, static_cast<size_t>(n));
        position += n;
        if (numBytesRead) *numBytesRead = n;
        return kResultOk;
    }
    tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) override
    {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        if (numBytes < 0 || !buffer) return kInvalidArgument;
        data.resize(std::max<size_t>(data.size(), static_cast<size_t>(position + numBytes)));
        if (numBytes > 0) std::memcpy(data.data() + position, bytes, static_cast<size_t>(numBytes));
        position += numBytes;
        if (numBytesWritten) *numBytesWritten = numBytes;
        return kResultOk;
    }
    tresult seek(int64 pos, int32 mode, int64* result) override
    {
        const int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position : size();
        position = static_cast<int32>(std::clamp<int64>(base + pos, 0, size()));
        if (result) *result = position;
        return kResultOk;
    }
    tresult tell(int64* pos) override
    {
        if (pos) *pos = position;
        return kResultOk;
    }
    int32 size() const { return static_cast<int32>(data.size()); }
    std::vector<uint8_t> data;
    int32 position = 0;
};

class ValueQueue : public HostObject<IParamValueQueue>
{
public:
    explicit ValueQueue(ParamID id) : id(id) {}
    ParamID getParameterId() override { return id; }
    int32 getPointCount() override { return static_cast<int32>(points.size()); }
    tresult getPoint(int32 index, int32& sampleOffset, ParamValue& value) override
    {
        if (index < 0 || index >= getPointCount()) return kInvalidArgument;
        sampleOffset = points[static_cast<size_t>(index)].first;
        value = points[static_cast<size_t>(index)].second;
        return kResultOk;
    }
    tresult addPoint(int32 sampleOffset, ParamValue value, int32& index) override
    {
        index = getPointCount();
        points.emplace_back(sampleOffset, value);
        return kResultOk;
    }
    ParamID id;
    std::vector<std::pair<int32, ParamValue>> points;
};

class ChangeList : public HostObject<IParameterChanges>
{
public:
    int32 getParameterCount() override { return static_cast<int32>(queues.size()); }
    IParamValueQueue* getParameterData(int32 index) override
    {
        return index >= 0 && index < getParameterCount() ? &queues[static_cast<size_t>(index)]
                                                         : nullptr;
    }
    IParamValueQueue* addParameterData(const ParamID& id, int32& index) override
    {
        for (size_t i = 0; i < queues.size(); ++i)
            if (queues[i].id == id)
            {
                index = static_cast<int32>(i);
                return &queues[i];
            }
        index = getParameterCount();
        queues.emplace_back(id);
        return &queues.back();
    }
    void add(ParamID id, int32 offset, ParamValue value)
    {
        int32 index = 0;
        addParameterData(id, index)->addPoint(offset, value, index);
    }
    std::vector<ValueQueue> queues;
};

struct Edit
{
    char kind;        // 'b' begin, 'p' perform, 'e' end, 'r' restart, 'l' program list changed
    ParamID id;       // the program list's for 'l'
    ParamValue value; // the restart flags for 'r', the program index for 'l'
};

// The host's component handler, with the unit handler that hosts showing program lists offer.
class RecordingHandler : public HostObject<IComponentHandler>
{
public:
    tresult queryInterface(const TUID iid, void** obj) override
    {
        if (!sameUid(iid, IUnitHandler::iid)) return HostObject::queryInterface(iid, obj);
        *obj = &units;
        return kResultOk;
    }
    tresult beginEdit(ParamID id) override { return record('b', id, 0.0); }
    tresult performEdit(ParamID id, ParamValue value) override { return record('p', id, value); }
    tresult endEdit(ParamID id) override { return record('e', id, 0.0); }
    tresult restartComponent(int32 flags) override { return record('r', 0, flags); }
    tresult record(char kind, ParamID id, ParamValue value)
    {
        edits.push_back({kind, id, value});
        return kResultOk;
    }
    std::vector<Edit> edits;

private:
    class Units : public HostObject<IUnitHandler>
    {
    public:
        explicit Units(RecordingHandler& owner) : owner(owner) {}
        tresult notifyUnitSelection(UnitID) override { return kResultOk; }
        tresult notifyProgramListChange(ProgramListID list, int32 program) override
        {
            return owner.record('l', static_cast<ParamID>(list), program);
        }

    private:
        RecordingHandler& owner;
    } units{*this};
};

inline std::string utf8(const char16* text)
{
    std::string out;
    for (; *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

inline std::u16string utf16(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// The bundle's library, loaded and entered as hosts do; left loaded (the library asks for that).
class Module
{
public:
    explicit Module(const std::string& bundle)
    {
        handle = openModule(bundleLibrary(bundle));
        auto get =
            reinterpret_cast<IPluginFactory* (*)()>(moduleSymbol(handle, "GetPluginFactory"));
        if (get) factory = get();
    }
    ~Module()
    {
        if (factory) factory->release();
        closeModule(handle);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    void* handle = nullptr;
    IPluginFactory* factory = nullptr;
};

// One instance of the effect with the interfaces a host takes from it.
class Effect
{
public:
    explicit Effect(IPluginFactory* factory)
    {
        PClassInfo info{};
        if (!factory || factory->getClassInfo(0, &info) != kResultOk) return;
        void* obj = nullptr;
        if (factory->createInstance(info.cid, IComponent::iid.bytes, &obj) != kResultOk) return;
        component = static_cast<IComponent*>(obj);
        component->initialize(nullptr);
        processor = query<IAudioProcessor>();
        controller = query<IEditController>();
        units = query<IUnitInfo>();
        if (controller) controller->setComponentHandler(&handler);
    }
    ~Effect()
    {
        if (!component) return;
        component->setActive(false);
        if (controller) controller->setComponentHandler(nullptr);
        for (FUnknown* i : std::initializer_list<FUnknown*>{processor, controller, units})
            if (i) i->release();
        component->terminate();
        component->release();
    }
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    template <class I> I* query()
    {
        void* obj = nullptr;
        return component->queryInterface(I::iid.bytes, &obj) == kResultOk ? static_cast<I*>(obj)
                                                                          : nullptr;
    }

    // Set-up and activation as a host does before processing.
    void start(double rate, int32 maxBlock)
    {
        ProcessSetup setup{kRealtime, kSample32, maxBlock, rate};
        processor->setupProcessing(setup);
        component->setActive(true);
        processor->setProcessing(true);
    }

    // Processes one stereo block in place of `left`/`right` with the given changes.
    tresult process(float* inL, float* inR, float* outL, float* outR, int32 frames,
                    IParameterChanges* changes = nullptr)
    {
        float* in[2] = {inL, inR};
        float* out[2] = {outL, outR};
        AudioBusBuffers input{};
        input.numChannels = 2;
        input.channelBuffers32 = in;
        AudioBusBuffers output{};
        output.numChannels = 2;
        output.channelBuffers32 = out;
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &input;
        data.outputs = &output;
        data.inputParameterChanges = changes;
        const tresult result = processor->process(data);
        lastOutputSilence = output.silenceFlags;
        return result;
    }

    std::vector<uint8_t> state()
    {
        MemoryStream stream;
        component->getState(&stream);
        return stream.data;
    }
    tresult setState(const std::vector<uint8_t>& bytes)
    {
        MemoryStream stream(bytes);
        return component->setState(&stream);
    }

    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;
    IEditController* controller = nullptr;
    IUnitInfo* units = nullptr;
    RecordingHandler handler;
    uint64 lastOutputSilence = 0;
};

} // namespace vst3test
