// The LV2 editor as a host shows it: the plug-in made through lilv, the editor library loaded
// from the bundle and embedded in a real X window with instance access, driven by the host's
// idle calls and XTest input. Its port writes and gestures are recorded and the writes passed
// on to the plug-in's ports, as a host does.
#include "Lv2TestHost.h"
#include "XHostWindow.h"
#include "XvfbServer.h"
#include "editor/ADEditor.h"
#include "plugin/PluginEntry.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <filesystem>
#include <memory>

namespace
{
using namespace lv2test;

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
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ASSERT_TRUE(x.open(server.name(), 400, 300));
        ASSERT_NE(world.plugin, nullptr);
        instance = std::make_unique<Instance>(world);
        instance->activate();
        void* library = dlopen(ORV_LV2_BUNDLE "/OrvSympharon_ui.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_TRUE(entry && (descriptor = entry(0)));
        instantiateUi(0.0f);
    }
    // A UI with the host's features; with a scale above 0 also the ui:scaleFactor option.
    void instantiateUi(float scale)
    {
        const LV2_Feature parent{LV2_UI__parent, x.handle()};
        const LV2_Feature access{LV2_INSTANCE_ACCESS_URI,
                                 lilv_instance_get_handle(instance->instance)};
        const LV2_Feature touchFeature{LV2_UI__touch, &touch};
        const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0,
                                               world.id(LV2_UI__scaleFactor), sizeof scale,
                                               world.id(LV2_ATOM__Float), &scale},
                                              {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                         const_cast<LV2_Options_Option*>(options)};
        const LV2_Feature mapFeature{LV2_URID__map, &world.map};
        const LV2_Feature* features[] = {&parent,
                                         &access,
                                         &touchFeature,
                                         &resizeFeature,
                                         scale > 0 ? &optionsFeature : nullptr,
                                         &mapFeature,
                                         nullptr};
        ui = descriptor->instantiate(
            descriptor, ORV_LV2_PLUGIN_URI, ORV_LV2_BUNDLE "/",
            [](LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* data)
            {
                float v = 0.0f;
                if (format == 0 && size == sizeof v) std::memcpy(&v, data, sizeof v);
                static_cast<Lv2EditorInHost*>(c)->events.push_back({false, port, v});
            },
            this, &widget, features);
        ASSERT_NE(ui, nullptr);
        idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);
        // A host tells a new UI the values of its control ports.
        for (uint32_t k = 0; k < kNumParams; ++k)
            tellUi(k);
    }
    void TearDown() override
    {
        if (ui) descriptor->cleanup(ui);
        instance.reset();
        std::filesystem::remove_all(config);
    }

    void tellUi(uint32_t parameter)
    {
        descriptor->port_event(ui, kFirstControlPort + parameter, sizeof(float), 0,
                               &instance->control(parameter));
    }
    // One pass of the host's loop: the UI's idle, its new port writes passed to the plug-in's
    // control ports, a run of the plug-in.
    void pump()
    {
        idle->idle(ui);
        for (; forwarded < events.size(); ++forwarded)
            if (!events[forwarded].touch)
                instance->control(events[forwarded].port - kFirstControlPort) =
                    events[forwarded].value;
        instance->run(64);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
    std::vector<UiEvent> writesTo(uint32_t parameter) const
    {
        std::vector<UiEvent> found;
        for (const UiEvent& e : events)
            if (!e.touch && e.port == kFirstControlPort + parameter) found.push_back(e);
        return found;
    }

    // The editor window shows what the same editor, made in this process from the plug-in's
    // saved program store, draws offscreen.
    ::testing::AssertionResult showsLikeOffscreen()
    {
        x.pointer(390, 290); // no hover highlight anywhere in the editor
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        AudioEffect* twin = createEffectInstance(
            [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr
            { return opcode == audioMasterVersion ? kVstVersion : 0; });
        auto chunk = instance->savedChunk();
        twin->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()));
        auto* editor = dynamic_cast<ADEditor*>(twin->getEditor());
        editor->open(nullptr);
        editor->idle();
        VSTGUI::PixelImage expected;
        editor->getFrame()->getPlatformFrame()->readPixels(expected);
        twin->getAeffect()->dispatcher(twin->getAeffect(), effClose, 0, 0, nullptr, 0.0f);
        VSTGUI::setDefaultPlatformType(VSTGUI::kDefaultNative);
        for (uint32_t& p : expected.pixels)
            p &= 0xFFFFFF;
        if (pumpUntil([&] { return x.pixels(x.children().at(0), 320, 257) == expected.pixels; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the window differs from the offscreen drawing";
    }

    guitest::XvfbServer server;
    std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("orv-lv2-ui-" + std::to_string(::getpid()));
    guitest::XHostWindow x;
    World world;
    std::unique_ptr<Instance> instance;
    const LV2UI_Descriptor* descriptor = nullptr;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    std::vector<UiEvent> events;
    size_t forwarded = 0;
    std::pair<int, int> requestedSize{};
    LV2UI_Touch touch{
        this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
            static_cast<Lv2EditorInHost*>(h)->events.push_back({true, port, grabbed ? 1.0f : 0.0f});
        }};
    LV2UI_Resize resize{this, [](LV2UI_Feature_Handle h, int width, int height)
                        {
                            static_cast<Lv2EditorInHost*>(h)->requestedSize = {width, height};
                            return 0;
                        }};
};

TEST_F(Lv2EditorInHost, EmbedsTheEditorAndAKnobDragReachesTheHost)
{
    ASSERT_EQ(x.children(), std::vector<xcb_window_t>{
                                static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(widget))});
    EXPECT_EQ(requestedSize, std::make_pair(320, 257));
    EXPECT_TRUE(showsLikeOffscreen());
    events.clear();
    forwarded = 0;

    // Drag the Decay knob upwards: a gesture on its port with rising values in between.
    x.pointer(72, 93);
    pump();
    x.button(XCB_BUTTON_PRESS);
    for (int y = 88; y >= 63; y -= 5)
    {
        x.pointer(72, y);
        pump();
    }
    x.button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(pumpUntil([&] { return events.size() > 2 && events.back().touch; }));
    const uint32_t decayPort = kFirstControlPort + kDecay;
    EXPECT_TRUE(events.front().touch && events.front().port == decayPort &&
                events.front().value == 1.0f);
    EXPECT_TRUE(events.back().port == decayPort && events.back().value == 0.0f);
    const auto writes = writesTo(kDecay);
    ASSERT_EQ(writes.size() + 2, events.size()) << "only Decay is written";
    for (size_t i = 1; i < writes.size(); ++i)
        EXPECT_GT(writes[i].value, writes[i - 1].value);
    EXPECT_GT(writes.back().value, 25.0f);

    // Once the host has passed the writes back, the plug-in still holds the knob's own value.
    pump();
    pump();
    EXPECT_EQ(toUnitValue(kDecay, programValueOf(instance->savedChunk(), 0, kDecay)),
              writes.back().value);
    EXPECT_TRUE(showsLikeOffscreen());
}

TEST_F(Lv2EditorInHost, HostPortsReachTheKnobsAndTheStripsProgramsReachThePorts)
{
    // The host moves Damp: knob and display follow.
    instance->control(kDamp) = 90.0f;
    tellUi(kDamp);
    EXPECT_TRUE(showsLikeOffscreen());
    EXPECT_EQ(programValueOf(instance->savedChunk(), 0, kDamp), 0.9f);

    // The strip's rocker selects "Bright": the ports that changed follow, and only those.
    events.clear();
    forwarded = 0;
    x.pointer(250, 240);
    pump();
    x.button(XCB_BUTTON_PRESS);
    pump();
    x.button(XCB_BUTTON_RELEASE);
    ASSERT_TRUE(pumpUntil([&] { return currentProgramOf(instance->savedChunk()) == 1; }));
    pump();
    ASSERT_EQ(events.size(), 2u);
    ASSERT_EQ(writesTo(kDecay).size(), 1u);
    ASSERT_EQ(writesTo(kDamp).size(), 1u);
    EXPECT_EQ(writesTo(kDecay)[0].value, 50.0f);
    EXPECT_EQ(writesTo(kDamp)[0].value, 5.0f);
    EXPECT_EQ(programValueOf(instance->savedChunk(), 1, kDamp), 0.05f);
    EXPECT_TRUE(showsLikeOffscreen());

    descriptor->cleanup(ui);
    ui = nullptr;
    EXPECT_TRUE(guitest::waitFor([&] { return x.children().empty(); }));
}

} // namespace

// The host's ui:scaleFactor reaches the editor: the window and the size asked of the host are
// twice the editor's own.
TEST_F(Lv2EditorInHost, HostScaleFactorSizesTheEditor)
{
    EXPECT_EQ(requestedSize, std::pair(320, 257));
    descriptor->cleanup(ui);
    ui = nullptr;
    instantiateUi(2.0f);
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(requestedSize, std::pair(640, 514));
    const auto window = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(widget));
    auto* geometry =
        xcb_get_geometry_reply(x.connection, xcb_get_geometry(x.connection, window), nullptr);
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(geometry->width, 640);
    EXPECT_EQ(geometry->height, 514);
    free(geometry);
}
