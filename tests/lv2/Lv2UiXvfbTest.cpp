// The LV2 editor as a host shows it: the plug-in made through lilv, the editor library loaded
// from the bundle and embedded in a real X window with instance access, driven by the host's
// idle calls and XTest input. The port writes and gestures it sends are recorded and passed on
// to the plug-in's ports, as a host does.
#include "Lv2TestHost.h"
#include "XHostWindow.h"
#include "XvfbServer.h"
#include "editor/ADEditor.h"
#include "plugin/PluginEntry.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace
{
using namespace lv2test;

constexpr int kWidth = 320;
constexpr int kHeight = 257;

struct UiEvent
{
    bool touch; // a gesture's start or end, else a port write
    uint32_t port;
    float value; // the value written, or 1 for grabbed and 0 for released
};

class Lv2EditorInHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start (package xvfb)";
        config =
            std::filesystem::temp_directory_path() / ("orv-lv2-ui-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ASSERT_TRUE(x.open(server.name(), 400, 300));
        ASSERT_NE(world.plugin, nullptr);
        instance = std::make_unique<Instance>(world);
        instance->activate();
        instance->run(64);
        library = dlopen(ORV_LV2_BUNDLE "/OrvSympharon_ui.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_EQ(entry(1), nullptr);
    }
    void TearDown() override
    {
        closeUi();
        instance.reset();
        // The library stays loaded: hosts do not unload UI libraries while a process runs.
        std::filesystem::remove_all(config);
    }

    bool openUi()
    {
        parentFeature = {LV2_UI__parent, x.handle()};
        instanceFeature = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(instance->instance)};
        touch = {this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                     static_cast<Lv2EditorInHost*>(h)->events.push_back(
                         {true, port, grabbed ? 1.0f : 0.0f});
                 }};
        touchFeature = {LV2_UI__touch, &touch};
        resize = {this, [](LV2UI_Feature_Handle h, int width, int height)
                  {
                      static_cast<Lv2EditorInHost*>(h)->requestedSize = {width, height};
                      return 0;
                  }};
        resizeFeature = {LV2_UI__resize, &resize};
        const LV2_Feature* features[] = {&parentFeature, &instanceFeature,        &touchFeature,
                                         &resizeFeature, world.urids.features[0], nullptr};
        ui = descriptor->instantiate(
            descriptor, ORV_LV2_PLUGIN_URI, ORV_LV2_BUNDLE "/",
            [](LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer)
            {
                float v = 0.0f;
                if (format == 0 && size == sizeof v) std::memcpy(&v, buffer, sizeof v);
                static_cast<Lv2EditorInHost*>(c)->events.push_back({false, port, v});
            },
            this, &widget, features);
        if (!ui) return false;
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        // A host tells a new UI the values of its control ports.
        for (int32_t k = 0; k < kNumParams; ++k)
            tellUi(k);
        return idleInterface != nullptr;
    }
    void closeUi()
    {
        if (ui) descriptor->cleanup(ui);
        ui = nullptr;
    }
    void tellUi(int32_t parameter)
    {
        descriptor->port_event(ui, kFirstControlPort + parameter, sizeof(float), 0,
                               &instance->control[parameter]);
    }

    // One pass of the host's loop: the UI's idle, its new port writes passed to the plug-in's
    // ports, a run of the plug-in.
    void pump()
    {
        idleInterface->idle(ui);
        for (; forwarded < events.size(); ++forwarded)
            if (!events[forwarded].touch)
                instance->control[events[forwarded].port - kFirstControlPort] =
                    events[forwarded].value;
        instance->run(64);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    void pumpFor(int passes)
    {
        for (int i = 0; i < passes; ++i)
            pump();
    }
    template <class F> bool pumpUntil(F done)
    {
        return guitest::waitFor(
            [&]
            {
                pump();
                return done();
            });
    }
    void click(int px, int py)
    {
        x.pointer(px, py);
        pumpFor(2);
        x.button(XCB_BUTTON_PRESS);
        pumpFor(2);
        x.button(XCB_BUTTON_RELEASE);
        pumpFor(2);
    }

    // The same editor made in this process from the plug-in's saved program store, drawn
    // offscreen.
    std::vector<uint32_t> offscreenPixels()
    {
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        AudioEffect* twin = createEffectInstance(
            [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr
            { return opcode == audioMasterVersion ? kVstVersion : 0; });
        auto chunk = instance->savedChunk();
        twin->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()));
        auto* editor = dynamic_cast<ADEditor*>(twin->getEditor());
        editor->open(nullptr);
        editor->idle();
        VSTGUI::PixelImage image;
        editor->getFrame()->getPlatformFrame()->readPixels(image);
        twin->getAeffect()->dispatcher(twin->getAeffect(), effClose, 0, 0, nullptr, 0.0f);
        VSTGUI::setDefaultPlatformType(VSTGUI::kDefaultNative);
        for (uint32_t& p : image.pixels)
            p &= 0xFFFFFF;
        return image.pixels;
    }
    ::testing::AssertionResult showsLikeOffscreen()
    {
        x.pointer(390, 290); // no hover highlight anywhere in the editor
        const auto expected = offscreenPixels();
        std::vector<uint32_t> shown;
        if (pumpUntil(
                [&]
                {
                    const auto kids = x.children();
                    shown = kids.size() == 1 ? x.pixels(kids[0], kWidth, kHeight)
                                             : std::vector<uint32_t>{};
                    return shown == expected;
                }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the window differs from the offscreen drawing ("
                                             << shown.size() << " pixels read)";
    }

    std::vector<UiEvent> writesTo(uint32_t port) const
    {
        std::vector<UiEvent> found;
        for (const UiEvent& e : events)
            if (!e.touch && e.port == port) found.push_back(e);
        return found;
    }

    guitest::XvfbServer server;
    std::filesystem::path config;
    guitest::XHostWindow x;
    World world;
    std::unique_ptr<Instance> instance;
    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    LV2_Feature parentFeature{}, instanceFeature{}, touchFeature{}, resizeFeature{};
    LV2UI_Touch touch{};
    LV2UI_Resize resize{};
    std::pair<int, int> requestedSize{};
    std::vector<UiEvent> events;
    size_t forwarded = 0;
};

TEST_F(Lv2EditorInHost, EmbedsTheEditorAndAKnobDragReachesTheHost)
{
    ASSERT_TRUE(openUi());
    const auto kids = x.children();
    ASSERT_EQ(kids.size(), 1u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(widget), kids[0]);
    EXPECT_EQ(requestedSize, std::make_pair(kWidth, kHeight));
    EXPECT_TRUE(showsLikeOffscreen());
    events.clear();
    forwarded = 0;

    // Drag the Decay knob upwards.
    const uint32_t decayPort = kFirstControlPort + kDecay;
    x.pointer(72, 93);
    pumpFor(2);
    x.button(XCB_BUTTON_PRESS);
    for (int y = 88; y >= 63; y -= 5)
    {
        x.pointer(72, y);
        pumpFor(1);
    }
    x.button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(pumpUntil([&] { return !events.empty() && events.back().touch; }));

    ASSERT_GE(events.size(), 3u);
    EXPECT_TRUE(events.front().touch && events.front().port == decayPort &&
                events.front().value == 1.0f);
    EXPECT_TRUE(events.back().touch && events.back().port == decayPort &&
                events.back().value == 0.0f);
    const auto writes = writesTo(decayPort);
    EXPECT_EQ(writes.size() + 2, events.size()) << "only Decay is written";
    ASSERT_FALSE(writes.empty());
    for (size_t i = 1; i < writes.size(); ++i)
        EXPECT_GT(writes[i].value, writes[i - 1].value);
    EXPECT_GT(writes.back().value, 25.0f);

    // The plug-in keeps the knob's own value once the host has passed the port write back.
    pumpFor(3);
    const float decay = programValueOf(instance->savedChunk(), 0, kDecay);
    EXPECT_EQ(toPortValue(kDecay, decay), writes.back().value);
    EXPECT_TRUE(showsLikeOffscreen());
}

TEST_F(Lv2EditorInHost, HostPortsReachTheKnobsAndTheStripsProgramsReachThePorts)
{
    ASSERT_TRUE(openUi());
    pumpFor(3);

    // The host moves Damp: the knob and display follow.
    instance->control[kDamp] = 90.0f;
    tellUi(kDamp);
    instance->run(64);
    EXPECT_TRUE(showsLikeOffscreen());
    EXPECT_EQ(programValueOf(instance->savedChunk(), 0, kDamp), 0.9f);

    // The strip's rocker selects "Bright": the host's ports follow with the values that changed.
    events.clear();
    forwarded = 0;
    click(250, 240);
    ASSERT_TRUE(pumpUntil([&] { return currentProgramOf(instance->savedChunk()) == 1; }));
    pumpFor(2);
    const auto decay = writesTo(kFirstControlPort + kDecay);
    const auto damp = writesTo(kFirstControlPort + kDamp);
    ASSERT_EQ(decay.size(), 1u);
    ASSERT_EQ(damp.size(), 1u);
    EXPECT_EQ(decay[0].value, 50.0f);
    EXPECT_EQ(damp[0].value, 5.0f);
    EXPECT_EQ(events.size(), 2u) << "no other port written";
    EXPECT_EQ(instance->control[kDamp], 5.0f);
    EXPECT_EQ(programValueOf(instance->savedChunk(), 1, kDamp), 0.05f);
    EXPECT_TRUE(showsLikeOffscreen());

    closeUi();
    EXPECT_TRUE(guitest::waitFor([&] { return x.children().empty(); }));
}

} // namespace
