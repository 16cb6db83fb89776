// The effect as one VST3 object: processor (IComponent, IAudioProcessor) and controller
// (IEditController, IUnitInfo) in one, as the format allows. The component answers
// queryInterface for IEditController, so hosts use the same object for both and no messages
// pass between halves: the controller's view of the parameters is the effect itself.
//
// Parameters: ids 0..7 are the effect's parameters in their VST 2.4 order with the same
// normalized values; id 8 selects one of the six programs (the program list of the root unit).
// Component state is the effect's 368-byte chunk.
//
// Threads: process() on the host's audio thread (no allocation, lock or system call); the rest
// on the host's user-interface thread, except setActive/setupProcessing, which some hosts call
// from yet another thread while no processing runs.
#pragma once

#include "effecthost/EffectInstance.h"
#include "effecthost/EffectListener.h"
#include "vst3/Vst3Abi.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace orv::vst3face
{

class Vst3View;

// The class id of the effect: fixed once, never to change (sessions store it).
inline constexpr vst3::Uid kEffectClassId =
    vst3::makeUid(0xEA53F790, 0xAF444783, 0x9534567C, 0x888F1D6E);
inline constexpr vst3::ParamID kProgramParameterId = 8;
inline constexpr vst3::ProgramListID kProgramListId = 1;

// IComponent and IEditController both have setState and getState with the same signature; in
// one class a single override would serve both. These bases give each its own name.
class ComponentSide : public vst3::IComponent
{
public:
    vst3::tresult setState(vst3::IBStream* state) final { return setComponentStateBytes(state); }
    vst3::tresult getState(vst3::IBStream* state) final { return getComponentStateBytes(state); }

protected:
    virtual vst3::tresult setComponentStateBytes(vst3::IBStream* state) = 0;
    virtual vst3::tresult getComponentStateBytes(vst3::IBStream* state) = 0;
};

class ControllerSide : public vst3::IEditController
{
public:
    vst3::tresult setState(vst3::IBStream* state) final { return setControllerState(state); }
    vst3::tresult getState(vst3::IBStream* state) final { return getControllerState(state); }

protected:
    virtual vst3::tresult setControllerState(vst3::IBStream* state) = 0;
    virtual vst3::tresult getControllerState(vst3::IBStream* state) = 0;
};

class Vst3Plugin final : public ComponentSide,
                         public vst3::IAudioProcessor,
                         public vst3::IProcessContextRequirements,
                         public ControllerSide,
                         public vst3::IUnitInfo,
                         private effecthost::EffectListener
{
public:
    // Null when the effect cannot be made. The caller owns the one reference.
    static Vst3Plugin* create();

    // FUnknown
    vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
    vst3::uint32 addRef() override;
    vst3::uint32 release() override;

    // IPluginBase
    vst3::tresult initialize(vst3::FUnknown* context) override;
    vst3::tresult terminate() override;

    // IComponent
    vst3::tresult getControllerClassId(vst3::TUID classId) override;
    vst3::tresult setIoMode(vst3::IoMode mode) override;
    vst3::int32 getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
    vst3::tresult getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                             vst3::BusInfo& bus) override;
    vst3::tresult getRoutingInfo(vst3::RoutingInfo& inInfo, vst3::RoutingInfo& outInfo) override;
    vst3::tresult activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                              vst3::TBool state) override;
    vst3::tresult setActive(vst3::TBool state) override;

    // IAudioProcessor
    vst3::tresult setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                     vst3::SpeakerArrangement* outputs,
                                     vst3::int32 numOuts) override;
    vst3::tresult getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                    vst3::SpeakerArrangement& arr) override;
    vst3::tresult canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
    vst3::uint32 getLatencySamples() override { return 0; }
    vst3::tresult setupProcessing(vst3::ProcessSetup& setup) override;
    vst3::tresult setProcessing(vst3::TBool state) override;
    vst3::tresult process(vst3::ProcessData& data) override;
    vst3::uint32 getTailSamples() override;

    // IProcessContextRequirements: the effect needs no transport or tempo.
    vst3::uint32 getProcessContextRequirements() override { return 0; }

    // IEditController
    vst3::tresult setComponentState(vst3::IBStream* state) override;
    vst3::int32 getParameterCount() override;
    vst3::tresult getParameterInfo(vst3::int32 paramIndex, vst3::ParameterInfo& info) override;
    vst3::tresult getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                        vst3::String128 string) override;
    vst3::tresult getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                        vst3::ParamValue& valueNormalized) override;
    vst3::ParamValue normalizedParamToPlain(vst3::ParamID id,
                                            vst3::ParamValue valueNormalized) override;
    vst3::ParamValue plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
    vst3::ParamValue getParamNormalized(vst3::ParamID id) override;
    vst3::tresult setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::tresult setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* createView(vst3::FIDString name) override;

    // IUnitInfo: one root unit holding the program list.
    vst3::int32 getUnitCount() override { return 1; }
    vst3::tresult getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info) override;
    vst3::int32 getProgramListCount() override { return 1; }
    vst3::tresult getProgramListInfo(vst3::int32 listIndex, vst3::ProgramListInfo& info) override;
    vst3::tresult getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                 vst3::String128 name) override;
    vst3::tresult getProgramInfo(vst3::ProgramListID, vst3::int32, vst3::CString,
                                 vst3::String128) override
    {
        return vst3::kResultFalse;
    }
    vst3::tresult hasProgramPitchNames(vst3::ProgramListID, vst3::int32) override
    {
        return vst3::kResultFalse;
    }
    vst3::tresult getProgramPitchName(vst3::ProgramListID, vst3::int32, vst3::int16,
                                      vst3::String128) override
    {
        return vst3::kResultFalse;
    }
    vst3::UnitID getSelectedUnit() override { return vst3::kRootUnitId; }
    vst3::tresult selectUnit(vst3::UnitID unitId) override;
    vst3::tresult getUnitByBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 busIndex,
                               vst3::int32 channel, vst3::UnitID& unitId) override;
    vst3::tresult setUnitProgramData(vst3::int32, vst3::int32, vst3::IBStream*) override
    {
        return vst3::kNotImplemented;
    }

    // For the view.
    effecthost::EffectInstance& instance() { return *effect; }
    void viewClosed(Vst3View* view);
    void editorClosed();
    // The context the host gave at initialize (may offer the run loop), or null.
    vst3::FUnknown* context() const { return hostContext; }
    // Tells the host of program changes the effect reported (the open editor's idle calls this,
    // outside any call of the host).
    void deliverPendingNotices();

private:
    Vst3Plugin() = default;
    ~Vst3Plugin();

    // Component state: the effect's chunk. Controller state: nothing of its own (the
    // component state holds every value).
    vst3::tresult setComponentStateBytes(vst3::IBStream* state) override;
    vst3::tresult getComponentStateBytes(vst3::IBStream* state) override;
    vst3::tresult setControllerState(vst3::IBStream*) override { return vst3::kResultOk; }
    vst3::tresult getControllerState(vst3::IBStream*) override { return vst3::kResultOk; }
    // Reads a whole state from the stream; false when it is not one of the effect's.
    static bool readState(vst3::IBStream* stream, effecthost::EffectInstance::State& bytes);

    // EffectListener: the effect's requests.
    void parameterAutomated(int32_t index, float value) override;
    void gestureBegan(int32_t index) override;
    void gestureEnded(int32_t index) override;
    void displayUpdated() override;
    bool resizeRequested(int32_t width, int32_t height) override;

    bool onUiThread() const { return std::this_thread::get_id() == uiThread; }
    // The name of program 0..5 as the program list and the program parameter give it.
    std::string listedProgramName(vst3::int32 programIndex) const;
    // Values the host set while the effect was processing reach the effect through process; a
    // state taken before that happens holds them too.
    void applyHostValues();

    std::atomic<vst3::uint32> references{1};
    std::unique_ptr<effecthost::EffectInstance> effect;
    vst3::IComponentHandler* handler = nullptr;
    // The handler's IUnitHandler where it has one: told when program names may have changed.
    vst3::IUnitHandler* unitHandler = nullptr;
    vst3::FUnknown* hostContext = nullptr;
    Vst3View* view = nullptr;
    std::thread::id uiThread = std::this_thread::get_id();

    std::atomic<bool> active{false};
    // Host values set with setParamNormalized not yet applied to the effect (one bit each).
    std::array<std::atomic<float>, effecthost::EffectInstance::kNumParameters> hostValue{};
    std::atomic<uint32_t> hostPending{0};
    // Parameters the user is moving in the editor: their older values coming back from the host
    // through process are not applied over the editor's.
    std::atomic<uint32_t> gestures{0};
    // A program was applied or renamed since the host was last told.
    std::atomic<bool> valuesChangedNotice{false};
    effecthost::ParameterChanges changes;
};

} // namespace orv::vst3face
