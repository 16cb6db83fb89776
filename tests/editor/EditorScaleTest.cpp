// The editor at a scale: where the factor comes from (the user's Zoom menu, the host, the
// desktop) and in which order, the window's size, the picture at 1, 1.5 and 2 against small
// references, and the finer picture against the 1x one.
//
// Regenerate the references (tests/editor/data/scaled-*.png) after a deliberate change of the
// artwork or the drawing:
//   ORV_UPDATE_REFERENCES=1 build/tests/editor/orv_editor_scale_tests
#include "editor/ADEditor.h"
#include "effect/ADelay.h"
#include "plugin/AudioEffectX.h"
#include "plugin/PluginEntry.h"
#include "tests/support/RecordingHost.h"

#include "GuiTestSupport.h"
#include "platform/x11/x11frame.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

namespace
{
using VSTGUI::PixelImage;

class ScaledEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() /
                 ("orv-editor-scale-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        make();
    }
    void TearDown() override
    {
        drop();
        std::filesystem::remove_all(config);
    }
    void make()
    {
        effect = createEffectInstance(&RecordingHost::callback);
        ASSERT_NE(effect, nullptr);
        editor = dynamic_cast<ADEditor*>(effect->getEditor());
        ASSERT_NE(editor, nullptr);
    }
    void drop()
    {
        if (!effect) return;
        AEffect* record = effect->getAeffect();
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        effect = nullptr;
        editor = nullptr;
    }

    VstIntPtr hostScale(float factor)
    {
        return effect->dispatcher(effVendorSpecific, AudioEffectX::kVendorScaleIndex,
                                  AudioEffectX::kVendorScaleValue, nullptr, factor);
    }
    std::pair<int, int> rectSize()
    {
        ERect* rect = nullptr;
        EXPECT_EQ(effect->dispatcher(effEditGetRect, 0, 0, &rect, 0), 1);
        return rect ? std::pair{rect->right - rect->left, rect->bottom - rect->top}
                    : std::pair{0, 0};
    }
    PixelImage pixels()
    {
        editor->idle();
        PixelImage image;
        editor->getFrame()->getPlatformFrame()->readPixels(image);
        return image;
    }
    void rightClick(double x, double y)
    {
        VSTGUI::CPoint p(x, y);
        editor->getFrame()->onMouseDown(p, VSTGUI::kRButton);
        editor->getFrame()->onMouseUp(p, VSTGUI::kRButton);
    }
    // Chooses entry `index` of the open Zoom list with the keys a host forwards.
    void chooseZoom(int index)
    {
        auto key = [&](unsigned char virt)
        { effect->dispatcher(effEditKeyDown, 0, virt, nullptr, 0); };
        for (int i = 0; i < 8; ++i)
            key(VKEY_UP); // to the top, "Automatic"
        for (int i = 0; i < index; ++i)
            key(VKEY_DOWN);
        key(VKEY_RETURN);
    }
    std::string storedZoom()
    {
        std::ifstream in(config / "Orvatone" / "OrvSympharon" / "Zoom");
        std::string text;
        std::getline(in, text);
        return in ? text : "(none)";
    }

    std::filesystem::path config;
    RecordingHost host;
    AudioEffect* effect = nullptr;
    ADEditor* editor = nullptr;
};

int channelOf(uint32_t p, int c)
{
    return static_cast<int>((p >> (16 - 8 * c)) & 0xFF);
}

// The part of the editor a reference holds, in frame pixels: the Decay knob with its scale marks
// and its display's text.
constexpr int kCropLeft = 44, kCropTop = 64, kCropRight = 104, kCropBottom = 136;

PixelImage crop(const PixelImage& image, double scale)
{
    PixelImage out;
    const int x0 = static_cast<int>(std::lround(kCropLeft * scale));
    const int y0 = static_cast<int>(std::lround(kCropTop * scale));
    out.width = static_cast<int>(std::lround(kCropRight * scale)) - x0;
    out.height = static_cast<int>(std::lround(kCropBottom * scale)) - y0;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels.push_back(image.at(x0 + x, y0 + y));
    return out;
}

std::filesystem::path referencePath(double scale)
{
    return std::filesystem::path(ORV_SCALE_REFERENCES) /
           ("scaled-" + std::to_string(static_cast<int>(std::lround(scale * 100))) + ".png");
}

void writePng(const PixelImage& image, const std::filesystem::path& path)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
    auto* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = image.at(x, y);
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

PixelImage readPng(const std::filesystem::path& path)
{
    PixelImage image;
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS)
    {
        image.width = cairo_image_surface_get_width(s);
        image.height = cairo_image_surface_get_height(s);
        const auto* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                image.pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x] &
                                       0xFFFFFF);
    }
    cairo_surface_destroy(s);
    return image;
}
} // namespace

// The host's factor sets the reported size and the window; unusable factors are refused, others
// brought into 1 .. 3; while open the window follows only when the host resizes its own.
TEST_F(ScaledEditor, HostScaleSizesTheWindow)
{
    EXPECT_EQ(rectSize(), std::pair(320, 257));
    struct Case
    {
        float factor;
        VstIntPtr answer;
        std::pair<int, int> size;
    };
    const Case cases[] = {
        {2.0f, 1, {640, 514}},
        {1.5f, 1, {480, 386}},
        {1.25f, 1, {400, 321}},
        {3.0f, 1, {960, 771}},
        {7.0f, 1, {960, 771}}, // at most 3
        {0.5f, 1, {320, 257}}, // at least 1
        {0.0f, 0, {320, 257}}, // refused: the last factor stays
        {-2.0f, 0, {320, 257}},
        {std::numeric_limits<float>::quiet_NaN(), 0, {320, 257}},
        {std::numeric_limits<float>::infinity(), 0, {320, 257}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(hostScale(c.factor), c.answer) << c.factor;
        EXPECT_EQ(rectSize(), c.size) << c.factor;
    }
    // Another vendor request is not a scale.
    EXPECT_EQ(
        effect->dispatcher(effVendorSpecific, AudioEffectX::kVendorScaleIndex, 0, nullptr, 2.0f),
        0);

    EXPECT_EQ(hostScale(2.0f), 1);
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(pixels().width, 640);
    EXPECT_EQ(pixels().height, 514);
    // A host that cannot resize: the window keeps its size until it is opened again.
    host.sizeWindowAnswer = 0;
    host.clear();
    EXPECT_EQ(hostScale(1.5f), 1);
    ASSERT_EQ(host.callsWith(audioMasterSizeWindow).size(), 1u);
    EXPECT_EQ(host.callsWith(audioMasterSizeWindow)[0].index, 480);
    EXPECT_EQ(host.callsWith(audioMasterSizeWindow)[0].value, 386);
    EXPECT_EQ(pixels().width, 640);
    EXPECT_EQ(rectSize(), std::pair(640, 514));
    // One that can: the window follows at once.
    host.sizeWindowAnswer = 1;
    EXPECT_EQ(hostScale(1.25f), 1);
    EXPECT_EQ(pixels().width, 400);
    EXPECT_EQ(pixels().height, 321);
    EXPECT_EQ(rectSize(), std::pair(400, 321));
    editor->close();
    EXPECT_EQ(hostScale(1.5f), 1);
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(pixels().width, 480);
}

// The user's Zoom (right-click on the background or the title) comes before the host's factor,
// is remembered as text in percent, lasts into a new instance, and Automatic forgets it.
TEST_F(ScaledEditor, ZoomMenuChoiceWinsAndSurvivesAReopen)
{
    host.sizeWindowAnswer = 1;
    EXPECT_EQ(hostScale(2.0f), 1);
    ASSERT_TRUE(editor->open(nullptr));
    rightClick(300, 200 / 2.0); // the background: no control there
    ASSERT_NE(editor->getFrame()->getPopupView(), nullptr);
    chooseZoom(3); // 150 %
    EXPECT_EQ(storedZoom(), "150");
    EXPECT_EQ(editor->getFrame()->getScaleFactor(), 1.5);
    EXPECT_EQ(rectSize(), std::pair(480, 386));
    editor->close();
    drop();

    make();
    EXPECT_EQ(rectSize(), std::pair(480, 386)); // remembered; no host factor in this instance
    EXPECT_EQ(hostScale(3.0f), 1);
    EXPECT_EQ(rectSize(), std::pair(480, 386)); // the user's choice comes first
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(pixels().width, 480);
    // The title opens the menu too; Automatic gives the host's factor again.
    rightClick(165, 28);
    ASSERT_NE(editor->getFrame()->getPopupView(), nullptr);
    chooseZoom(0);
    EXPECT_EQ(storedZoom(), "(none)");
    EXPECT_EQ(pixels().width, 960);
    // A right-click on a control is not the menu's.
    editor->getFrame()->setPopupView(nullptr);
    rightClick(72, 93); // the Decay knob
    EXPECT_EQ(editor->getFrame()->getPopupView(), nullptr);
}

// A damaged or out-of-range remembered zoom counts as Automatic.
TEST_F(ScaledEditor, DamagedZoomSettingIsAutomatic)
{
    const auto folder = config / "Orvatone" / "OrvSympharon";
    std::filesystem::create_directories(folder);
    for (const char* text : {"abc", "50", "301", "150%", ""})
    {
        std::ofstream(folder / "Zoom") << text;
        EXPECT_EQ(rectSize(), std::pair(320, 257)) << text;
    }
    std::ofstream(folder / "Zoom") << "250";
    EXPECT_EQ(rectSize(), std::pair(800, 643));
}

// The desktop's scale where neither the user nor the host chose one: GDK_SCALE, else Xft.dpi.
TEST(SystemScale, ResourcesAndGdkScale)
{
    struct Case
    {
        const char* resources;
        double scale;
    };
    const Case cases[] = {
        {"Xft.dpi:\t96\n", 1.0},    {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", 2.0},
        {"Xft.dpi: 144", 1.5},      {"Xcursor.size:\t24\n", 0.0},
        {"xXft.dpi:\t192\n", 0.0}, // not at a line's start
        {"Xft.dpi:\tlarge\n", 0.0}, {"", 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(
            VSTGUI::X11Frame::scaleFromResources(c.resources, std::strlen(c.resources)), c.scale)
            << c.resources;
    EXPECT_EQ(VSTGUI::X11Frame::snapScaleFactor(120.0 / 96), 1.25);
    EXPECT_EQ(VSTGUI::X11Frame::snapScaleFactor(0.5), 1.0);
    EXPECT_EQ(VSTGUI::X11Frame::snapScaleFactor(4.2), 3.0);

    ::setenv("GDK_SCALE", "2", 1);
    EXPECT_EQ(VSTGUI::getSystemScaleFactor(nullptr), 2.0);
    ::setenv("GDK_SCALE", "x", 1);
    ::setenv("DISPLAY", ":-1", 1); // no server: nothing says otherwise
    EXPECT_EQ(VSTGUI::getSystemScaleFactor(nullptr), 1.0);
    ::unsetenv("GDK_SCALE");
}

// The picture at 1, 1.5 and 2 against its reference (a small part of the window, within 2/255
// per channel).
TEST_F(ScaledEditor, DrawingMatchesTheReferences)
{
    const bool update = std::getenv("ORV_UPDATE_REFERENCES") != nullptr;
    for (double scale : {1.0, 1.5, 2.0})
    {
        SCOPED_TRACE(scale);
        EXPECT_EQ(hostScale(static_cast<float>(scale)), 1);
        ASSERT_TRUE(editor->open(nullptr));
        const PixelImage shown = crop(pixels(), scale);
        editor->close();
        if (update) writePng(shown, referencePath(scale));
        const PixelImage expected = readPng(referencePath(scale));
        ASSERT_EQ(expected.width, shown.width) << referencePath(scale);
        ASSERT_EQ(expected.height, shown.height);
        int worst = 0;
        for (size_t i = 0; i < shown.pixels.size(); ++i)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(channelOf(shown.pixels[i], c) -
                                                 channelOf(expected.pixels[i], c)));
        EXPECT_LE(worst, 2);
    }
}

// Drawn at 2, the window reduced by half is the 1x picture (up to the text's and the handles'
// edges), and it is finer than the 1x picture stretched: most 2 x 2 blocks are not one colour.
TEST_F(ScaledEditor, TwiceTheScaleIsSharpNotStretched)
{
    ASSERT_TRUE(editor->open(nullptr));
    const PixelImage one = pixels();
    editor->close();
    EXPECT_EQ(hostScale(2.0f), 1);
    ASSERT_TRUE(editor->open(nullptr));
    const PixelImage two = pixels();
    ASSERT_EQ(two.width, 2 * one.width);
    ASSERT_EQ(two.height, 2 * one.height);
    double total = 0;
    int detailed = 0;
    for (int y = 0; y < one.height; ++y)
        for (int x = 0; x < one.width; ++x)
        {
            const uint32_t block[4] = {two.at(2 * x, 2 * y), two.at(2 * x + 1, 2 * y),
                                       two.at(2 * x, 2 * y + 1), two.at(2 * x + 1, 2 * y + 1)};
            int spread = 0;
            for (int c = 0; c < 3; ++c)
            {
                int sum = 0, low = 255, high = 0;
                for (uint32_t p : block)
                {
                    sum += channelOf(p, c);
                    low = std::min(low, channelOf(p, c));
                    high = std::max(high, channelOf(p, c));
                }
                total += std::abs(sum / 4.0 - channelOf(one.at(x, y), c));
                spread = std::max(spread, high - low);
            }
            detailed += spread > 2;
        }
    const double pixelsOne = static_cast<double>(one.width) * one.height;
    EXPECT_LT(total / (pixelsOne * 3), 3.0) << "mean difference per channel";
    EXPECT_GT(detailed / pixelsOne, 0.1) << "share of 2 x 2 blocks with detail (0 when stretched)";
}
