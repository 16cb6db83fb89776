#include "vst3/Vst3Plugin.h"
#include "vst3/Utf16.h"
#include "vst3/Vst3View.h"

#include "effect/ParameterTable.h"
#include "effecthost/ParameterText.h"
#include "effecthost/ParameterUnits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace orv::vst3face
{
using namespace vst3;
using effecthost::EffectInstance;

namespace
{
constexpr int32 kNumEffectParameters = EffectInstance::kNumParameters;
constexpr int32 kLastProgram = EffectInstance::kNumPrograms - 1;

bool isEffectParameter(ParamID id)
{
    return id < static_cast<ParamID>(kNumEffectParameters);
}

uint32_t bitOf(ParamID id)
{
    return 1u << id;
}

// The parameter table's names and labels carry blanks for VST 2.4 hosts; here they go.
std::string trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Units as hosts show them after a value.
constexpr const char* kUnitText[kNumEffectParameters] = {"dB", "%",     "%", "%",
                                                         "st", "cents", "%", ""};

int32 programFor(ParamValue normalized)
{
    // NaN and values below the range are the first program, values above it (up to infinity,
    // which would not fit the integer) the last.
    if (!(normalized >= 0.0)) return 0;
    if (normalized >= 1.0) return kLastProgram;
    return static_cast<int32>(normalized * kLastProgram + 0.5);
}

// A host's normalized value inside 0..1; false for NaN, which stands for no value.
bool normalizedInRange(ParamValue value, ParamValue& clamped)
{
    if (std::isnan(value)) return false;
    clamped = std::clamp(value, 0.0, 1.0);
    return true;
}

bool isStereo(SpeakerArrangement arrangement)
{
    return arrangement == kSpeakerArrStereo;
}

// The two channels of the first bus, when it has them.
bool stereoChannels(AudioBusBuffers* buses, int32 count, float* (&channels)[2])
{
    if (count < 1 || !buses || buses[0].numChannels < 2 || !buses[0].channelBuffers32) return false;
    channels[0] = buses[0].channelBuffers32[0];
    channels[1] = buses[0].channelBuffers32[1];
    return channels[0] && channels[1];
}

// The effect adds a tiny alternating offset (1e-9) against denormal numbers, so its output is
// never exactly zero: a channel counts as silent when every sample is below half the step of a
// 24-bit sample (it would be written as 0 there).
bool silent(const float* samples, int32 frames)
{
    constexpr float kSilenceLevel = 1.0f / 16777216.0f; // 2^-24
    for (int32 n = 0; n < frames; ++n)
        if (!(std::fabs(samples[n]) < kSilenceLevel)) return false;
    return true;
}
} // namespace

Vst3Plugin* Vst3Plugin::create()
{
    auto* plugin = new (std::nothrow) Vst3Plugin();
    if (!plugin) return nullptr;
    plugin->effect = EffectInstance::create(plugin);
    if (!plugin->effect)
    {
        delete plugin;
        return nullptr;
    }
    return plugin;
}

Vst3Plugin::~Vst3Plugin()
{
    // The effect (and its editor) goes first: it may still report to this object while closing.
    effect.reset();
    setComponentHandler(nullptr);
    if (hostContext) hostContext->release();
}

tresult Vst3Plugin::queryInterface(const TUID iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    void* found = nullptr;
    if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPluginBase::iid) ||
        sameUid(iid, IComponent::iid))
        found = static_cast<IComponent*>(this);
    else if (sameUid(iid, IAudioProcessor::iid))
        found = static_cast<IAudioProcessor*>(this);
    else if (sameUid(iid, IProcessContextRequirements::iid))
        found = static_cast<IProcessContextRequirements*>(this);
    else if (sameUid(iid, IEditController::iid))
        found = static_cast<IEditController*>(this);
    else if (sameUid(iid, IUnitInfo::iid))
        found = static_cast<IUnitInfo*>(this);
    *obj = found;
    if (!found) return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 Vst3Plugin::addRef()
{
    return references.fetch_add(1) + 1;
}

uint32 Vst3Plugin::release()
{
    const uint32 left = references.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

tresult Vst3Plugin::initialize(FUnknown* context)
{
    uiThread = std::this_thread::get_id();
    if (hostContext) hostContext->release();
    hostContext = context;
    if (hostContext) hostContext->addRef();
    return kResultOk;
}

tresult Vst3Plugin::terminate()
{
    setActive(false);
    setComponentHandler(nullptr);
    if (hostContext) hostContext->release();
    hostContext = nullptr;
    return kResultOk;
}

tresult Vst3Plugin::getControllerClassId(TUID)
{
    // The component is its own controller.
    return kNotImplemented;
}

tresult Vst3Plugin::setIoMode(IoMode)
{
    return kResultOk;
}

int32 Vst3Plugin::getBusCount(MediaType type, BusDirection dir)
{
    return type == kAudio && (dir == kInput || dir == vst3::kOutput) ? 1 : 0;
}

tresult Vst3Plugin::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
    if (type != kAudio || (dir != kInput && dir != vst3::kOutput) || index != 0)
        return kInvalidArgument;
    std::memset(&bus, 0, sizeof bus);
    bus.mediaType = kAudio;
    bus.direction = dir;
    bus.channelCount = 2;
    copyUtf16(bus.name, 128, dir == kInput ? "Stereo In" : "Stereo Out");
    bus.busType = kMain;
    bus.flags = kDefaultActive;
    return kResultOk;
}

tresult Vst3Plugin::getRoutingInfo(RoutingInfo&, RoutingInfo&)
{
    return kNotImplemented;
}

tresult Vst3Plugin::activateBus(MediaType type, BusDirection dir, int32 index, TBool)
{
    return type == kAudio && (dir == kInput || dir == vst3::kOutput) && index == 0
               ? kResultOk
               : kInvalidArgument;
}

tresult Vst3Plugin::setActive(TBool state)
{
    // No processing runs during this call: values the host set for the processor that no block
    // has carried yet take effect now, so the effect does not go on without them.
    applyHostValues();
    if (state)
    {
        effect->resume();
        active.store(true);
    }
    else
    {
        active.store(false);
        effect->suspend();
    }
    return kResultOk;
}

bool Vst3Plugin::readState(IBStream* stream, EffectInstance::State& bytes)
{
    if (!stream) return false;
    // One byte more than a state: a longer stream is no state of this effect.
    uint8_t buffer[EffectInstance::kStateSize + 1];
    int32 total = 0;
    while (total < static_cast<int32>(sizeof buffer))
    {
        int32 got = 0;
        if (stream->read(buffer + total, static_cast<int32>(sizeof buffer) - total, &got) !=
                kResultOk ||
            got <= 0)
            break;
        total += got;
    }
    if (total != EffectInstance::kStateSize) return false;
    std::memcpy(bytes.data(), buffer, bytes.size());
    return true;
}

tresult Vst3Plugin::setComponentStateBytes(IBStream* stream)
{
    EffectInstance::State bytes;
    if (!readState(stream, bytes) || !effect->setState(bytes.data(), bytes.size()))
        return kResultFalse;
    // The state wins over values the host set before restoring it.
    hostPending.store(0);
    return kResultOk;
}

tresult Vst3Plugin::getComponentStateBytes(IBStream* stream)
{
    if (!stream) return kInvalidArgument;
    applyHostValues();
    EffectInstance::State bytes;
    if (!effect->readState(bytes)) return kResultFalse;
    // A stream may take less than it is given per call: the rest follows until it takes nothing.
    int32 total = 0;
    while (total < static_cast<int32>(bytes.size()))
    {
        const int32 left = static_cast<int32>(bytes.size()) - total;
        int32 written = 0;
        if (stream->write(bytes.data() + total, left, &written) != kResultOk || written <= 0 ||
            written > left)
            return kResultFalse;
        total += written;
    }
    return kResultOk;
}

tresult Vst3Plugin::setComponentState(IBStream* stream)
{
    // The controller is the component: the state it is given is normally the one the component
    // has just taken. A different one (a host that restores the controller alone) is applied.
    // Values the host set give way to the state only once it is taken: a refused state changes
    // nothing, not even those.
    EffectInstance::State bytes;
    if (!readState(stream, bytes)) return kResultFalse;
    if (bytes != effect->state() && !effect->setState(bytes.data(), bytes.size()))
        return kResultFalse;
    hostPending.store(0);
    return kResultOk;
}

tresult Vst3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                       SpeakerArrangement* outputs, int32 numOuts)
{
    // Stereo in, stereo out, nothing else: the host then asks again with stereo.
    if (numIns == 1 && numOuts == 1 && inputs && outputs && isStereo(inputs[0]) &&
        isStereo(outputs[0]))
        return kResultTrue;
    return kResultFalse;
}

tresult Vst3Plugin::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
    if ((dir != kInput && dir != vst3::kOutput) || index != 0) return kInvalidArgument;
    arr = kSpeakerArrStereo;
    return kResultTrue;
}

tresult Vst3Plugin::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult Vst3Plugin::setupProcessing(ProcessSetup& setup)
{
    // Only 32-bit samples are processed (canProcessSampleSize says so).
    if (setup.symbolicSampleSize != kSample32) return kResultFalse;
    if (!effect->setSampleRate(setup.sampleRate)) return kInvalidArgument;
    effect->setBlockSize(setup.maxSamplesPerBlock);
    return kResultOk;
}

tresult Vst3Plugin::setProcessing(TBool)
{
    return kResultOk;
}

tresult Vst3Plugin::process(ProcessData& data)
{
    if (data.symbolicSampleSize != kSample32) return kInvalidArgument;
    changes.clear();
    if (IParameterChanges* list = data.inputParameterChanges)
    {
        const int32 queues = list->getParameterCount();
        for (int32 q = 0; q < queues; ++q)
        {
            IParamValueQueue* queue = list->getParameterData(q);
            if (!queue) continue;
            const ParamID id = queue->getParameterId();
            // Program changes come through setParamNormalized on the user-interface thread,
            // where the program store may switch programs; here they are not applied.
            if (!isEffectParameter(id)) continue;
            const int32 points = queue->getPointCount();
            if (points <= 0) continue;
            // The processor now carries the host's value.
            hostPending.fetch_and(~bitOf(id));
            if (gestures.load(std::memory_order_relaxed) & bitOf(id)) continue;
            for (int32 p = 0; p < points; ++p)
            {
                int32 offset = 0;
                ParamValue value = 0.0;
                if (queue->getPoint(p, offset, value) != kResultOk) continue;
                changes.add(offset, static_cast<int32_t>(id), static_cast<float>(value));
            }
        }
    }

    const int32 frames = data.numSamples > 0 ? data.numSamples : 0;
    float* in[2] = {};
    float* out[2] = {};
    const bool haveIn = stereoChannels(data.inputs, data.numInputs, in);
    const bool haveOut = stereoChannels(data.outputs, data.numOutputs, out);
    // Inputs the host marks silent are read as silence.
    const bool inputSilent = haveIn && (data.inputs[0].silenceFlags & 3u) == 3u;
    const float* const* inputs = haveIn && !inputSilent ? in : nullptr;
    effect->process(inputs, haveOut ? out : nullptr, frames, changes);
    if (haveOut && frames > 0)
    {
        uint64 flags = 0;
        if (silent(out[0], frames)) flags |= 1u;
        if (silent(out[1], frames)) flags |= 2u;
        data.outputs[0].silenceFlags = flags;
    }
    return kResultOk;
}

uint32 Vst3Plugin::getTailSamples()
{
    return effect->tailSamples();
}

int32 Vst3Plugin::getParameterCount()
{
    return kNumEffectParameters + 1;
}

tresult Vst3Plugin::getParameterInfo(int32 paramIndex, vst3::ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex > kNumEffectParameters) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = static_cast<ParamID>(paramIndex);
    info.unitId = kRootUnitId;
    if (paramIndex == static_cast<int32>(kProgramParameterId))
    {
        copyUtf16(info.title, 128, "Program");
        copyUtf16(info.shortTitle, 128, "Program");
        info.stepCount = kLastProgram;
        info.defaultNormalizedValue = 0.0;
        info.flags = vst3::ParameterInfo::kIsProgramChange | vst3::ParameterInfo::kIsList;
        return kResultOk;
    }
    const std::string title = trimmed(kParameterInfo[static_cast<size_t>(paramIndex)].name);
    copyUtf16(info.title, 128, title);
    copyUtf16(info.shortTitle, 128, title);
    copyUtf16(info.units, 128, kUnitText[paramIndex]);
    info.stepCount = paramIndex == kTranspose ? 48 : paramIndex == kBypass ? 1 : 0;
    info.defaultNormalizedValue = kParameterInfo[static_cast<size_t>(paramIndex)].factoryDefault;
    // Bypass is the effect's own switch (the strings ring on, Mix and Output still apply), not a
    // pass-through, so it is an ordinary parameter and the host's bypass stays the host's.
    info.flags = vst3::ParameterInfo::kCanAutomate;
    return kResultOk;
}

tresult Vst3Plugin::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string)
{
    if (!string) return kInvalidArgument;
    string[0] = 0;
    if (id == kProgramParameterId)
    {
        copyUtf16(string, 128, listedProgramName(programFor(valueNormalized)));
        return kResultOk;
    }
    // Values beyond the range show as its ends (the effect takes them so); NaN shows nothing.
    ParamValue value = 0.0;
    char text[64];
    if (!isEffectParameter(id) || !normalizedInRange(valueNormalized, value) ||
        !effecthost::parameterText(static_cast<int32_t>(id), static_cast<float>(value), false, text,
                                   sizeof text))
        return kInvalidArgument;
    copyUtf16(string, 128, text);
    return kResultOk;
}

tresult Vst3Plugin::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized)
{
    if (!string) return kInvalidArgument;
    const std::string text = toUtf8(string, 128);
    if (id == kProgramParameterId)
    {
        for (int32 p = 0; p <= kLastProgram; ++p)
            if (trimmed(listedProgramName(p)) == trimmed(text))
            {
                valueNormalized = static_cast<ParamValue>(p) / kLastProgram;
                return kResultOk;
            }
        return kResultFalse;
    }
    float value = 0.0f;
    if (!isEffectParameter(id) ||
        !effecthost::parseParameterText(static_cast<int32_t>(id), text.c_str(), value))
        return kResultFalse;
    valueNormalized = value;
    return kResultOk;
}

ParamValue Vst3Plugin::normalizedParamToPlain(ParamID id, ParamValue valueNormalized)
{
    if (id == kProgramParameterId) return programFor(valueNormalized);
    if (!isEffectParameter(id)) return valueNormalized;
    return effecthost::toUnitValue(static_cast<int32_t>(id), static_cast<float>(valueNormalized));
}

ParamValue Vst3Plugin::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
    if (id == kProgramParameterId)
        return std::isnan(plainValue)
                   ? 0.0
                   : std::clamp(plainValue, 0.0, static_cast<double>(kLastProgram)) / kLastProgram;
    if (!isEffectParameter(id) || std::isnan(plainValue)) return 0.0;
    return effecthost::toNormalized(static_cast<int32_t>(id), static_cast<float>(plainValue));
}

ParamValue Vst3Plugin::getParamNormalized(ParamID id)
{
    if (id == kProgramParameterId)
        return static_cast<ParamValue>(effect->currentProgram()) / kLastProgram;
    if (!isEffectParameter(id)) return 0.0;
    if (hostPending.load() & bitOf(id)) return hostValue[id].load();
    return effect->parameter(static_cast<int32_t>(id));
}

tresult Vst3Plugin::setParamNormalized(ParamID id, ParamValue value)
{
    if (id == kProgramParameterId)
    {
        const int32 program = programFor(value);
        // The host is not told of the new values from inside this call: a restart request would
        // wait forever for a lock Ardour holds while it switches programs, and edits reported
        // here come back to the processor after a state the host restores next (Ardour restores
        // a session's program first, then its state), overriding it.
        if (program != effect->currentProgram()) effect->selectProgram(program);
        return kResultOk;
    }
    if (!isEffectParameter(id)) return kInvalidArgument;
    // The effect leaves a parameter as it is for NaN and takes the ends for values beyond them;
    // a value waiting for the processor is held the same way, so the host reads back what the
    // effect will hold.
    ParamValue inRange = 0.0;
    if (!normalizedInRange(value, inRange)) return kInvalidArgument;
    const float v = static_cast<float>(inRange);
    // Unchanged values (often the host echoing what the editor reported) need no work.
    if (!(hostPending.load() & bitOf(id)) && effect->parameter(static_cast<int32_t>(id)) == v)
        return kResultOk;
    if (!active.load())
    {
        // No processing runs: the value takes effect now, and the editor shows it.
        effect->setParameter(static_cast<int32_t>(id), v);
        hostPending.fetch_and(~bitOf(id));
        return kResultOk;
    }
    // While processing, the host sends the value to the processor at its sample offset; until
    // then the host sees its value here, and a state taken meanwhile holds it.
    hostValue[id].store(v);
    hostPending.fetch_or(bitOf(id));
    return kResultOk;
}

void Vst3Plugin::applyHostValues()
{
    const uint32_t pending = hostPending.exchange(0);
    for (int32 k = 0; k < kNumEffectParameters; ++k)
        if (pending & bitOf(static_cast<ParamID>(k)))
            effect->setParameter(k, hostValue[static_cast<size_t>(k)].load());
}

tresult Vst3Plugin::setComponentHandler(IComponentHandler* newHandler)
{
    if (newHandler == handler) return kResultOk;
    if (newHandler) newHandler->addRef();
    if (unitHandler) unitHandler->release();
    unitHandler = nullptr;
    if (handler) handler->release();
    handler = newHandler;
    void* units = nullptr;
    if (handler && handler->queryInterface(IUnitHandler::iid.bytes, &units) == kResultOk && units)
        unitHandler = static_cast<IUnitHandler*>(units);
    return kResultOk;
}

IPlugView* Vst3Plugin::createView(FIDString name)
{
    if (!name || std::strcmp(name, kEditorViewName) != 0) return nullptr;
    // One editor per effect: a second view takes it over from the first.
    if (view) view->detachFromPlugin();
    view = Vst3View::create(this);
    return view;
}

void Vst3Plugin::viewClosed(Vst3View* closed)
{
    if (view == closed) view = nullptr;
}

void Vst3Plugin::editorClosed()
{
    // A gesture cut short by the closing window ends here: the host's values apply again.
    const uint32_t moving = gestures.exchange(0);
    for (int32 k = 0; k < kNumEffectParameters; ++k)
        if (handler && (moving & bitOf(static_cast<ParamID>(k))))
            handler->endEdit(static_cast<ParamID>(k));
}

tresult Vst3Plugin::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex != 0) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    copyUtf16(info.name, 128, "Orv Sympharon");
    info.programListId = kProgramListId;
    return kResultOk;
}

tresult Vst3Plugin::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    if (listIndex != 0) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = kProgramListId;
    copyUtf16(info.name, 128, "Programs");
    info.programCount = EffectInstance::kNumPrograms;
    return kResultOk;
}

tresult Vst3Plugin::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
    if (listId != kProgramListId || programIndex < 0 || programIndex > kLastProgram || !name)
        return kInvalidArgument;
    copyUtf16(name, 128, listedProgramName(programIndex));
    return kResultOk;
}

std::string Vst3Plugin::listedProgramName(int32 programIndex) const
{
    std::string text = effect->programName(programIndex);
    // A program without a name still needs one to be listed, and the program parameter shows
    // and reads the same one.
    if (trimmed(text).empty()) text = "Program " + std::to_string(programIndex + 1);
    return text;
}

tresult Vst3Plugin::selectUnit(UnitID unitId)
{
    return unitId == kRootUnitId ? kResultOk : kInvalidArgument;
}

tresult Vst3Plugin::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID& unitId)
{
    unitId = kRootUnitId;
    return kResultOk;
}

void Vst3Plugin::deliverPendingNotices()
{
    // Only from the editor's own callbacks: a host may hold a lock of its own while it calls the
    // plug-in (Ardour does while it switches programs), and a restart request from inside such a
    // call would wait for that lock forever.
    if (!handler || !valuesChangedNotice.exchange(false)) return;
    handler->restartComponent(kParamValuesChanged);
    // A program applied, renamed or loaded with a bank or state may have changed any name of
    // the list the host shows.
    if (unitHandler) unitHandler->notifyProgramListChange(kProgramListId, kAllProgramInvalid);
}

void Vst3Plugin::parameterAutomated(int32_t index, float value)
{
    if (handler && onUiThread()) handler->performEdit(static_cast<ParamID>(index), value);
}

void Vst3Plugin::gestureBegan(int32_t index)
{
    gestures.fetch_or(bitOf(static_cast<ParamID>(index)));
    if (handler && onUiThread()) handler->beginEdit(static_cast<ParamID>(index));
}

void Vst3Plugin::gestureEnded(int32_t index)
{
    gestures.fetch_and(~bitOf(static_cast<ParamID>(index)));
    if (handler && onUiThread()) handler->endEdit(static_cast<ParamID>(index));
}

void Vst3Plugin::displayUpdated()
{
    // A program was applied or renamed (the editor's program strip, or a state the host loaded):
    // the host hears of it at the editor's next idle.
    valuesChangedNotice.store(true);
}

bool Vst3Plugin::resizeRequested(int32_t width, int32_t height)
{
    return view && view->requestResize(width, height);
}

} // namespace orv::vst3face
