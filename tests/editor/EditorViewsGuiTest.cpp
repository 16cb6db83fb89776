// Pixels of the editor's frame, LED and about view, drawn offscreen.
#include "CAbout.h"
#include "CLED.h"
#include "MyFrame.h"
#include "GuiTestSupport.h"
#include "platform/cairo/cairocontext.h"
#include <gtest/gtest.h>
#include <set>

using namespace guitest;

namespace
{

constexpr uint32_t kLedOff = 0x400000, kLedOn = 0xFF2020, kPanel = 0xC08040;

class EditorPixels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setDefaultPlatformType(kOffscreen);
        resources.add(1128, makeStackedPng(320, 257, {kPanel}));
        resources.add(1131, makeStackedPng(10, 10, {kLedOff, kLedOn}));
        resources.add(1200, makeStackedPng(260, 204, {0xFFFFFF}));
        frame = new MyFrame(CRect(0, 0, 320, 257), nullptr, nullptr);
        auto* back = new CBitmap(CResourceDescription(1128));
        frame->setBackground(back);
        back->forget();
    }
    void TearDown() override
    {
        frame->close();
        setDefaultPlatformType(kDefaultNative);
    }
    PixelImage pixels()
    {
        frame->idle();
        PixelImage img;
        frame->getPlatformFrame()->readPixels(img);
        return img;
    }

    TestResources resources;
    MyFrame* frame = nullptr;
};

TEST_F(EditorPixels, LedShowsOffUpToHalfAndOnAbove)
{
    auto* bitmap = new CBitmap(CResourceDescription(1131));
    auto* led = new CLED(CRect(155, 135, 165, 145), bitmap);
    bitmap->forget();
    frame->addView(led);
    auto ledColours = [&]
    {
        const PixelImage img = pixels();
        std::set<uint32_t> inside;
        for (int y = 135; y < 145; ++y)
            for (int x = 155; x < 165; ++x)
                inside.insert(img.at(x, y));
        EXPECT_EQ(img.at(154, 140), kPanel); // nothing drawn outside its rectangle
        EXPECT_EQ(img.at(165, 140), kPanel);
        EXPECT_EQ(img.at(160, 145), kPanel);
        return inside;
    };
    EXPECT_EQ(ledColours(), std::set<uint32_t>{kLedOff}); // fresh
    led->setValue(0.5f);
    EXPECT_EQ(ledColours(), std::set<uint32_t>{kLedOff});
    led->setValue(0.51f); // redrawn by the frame's dirty pass alone
    EXPECT_EQ(ledColours(), std::set<uint32_t>{kLedOn});
    led->setValue(1.f);
    EXPECT_EQ(ledColours(), std::set<uint32_t>{kLedOn});
    led->setValue(0.f);
    EXPECT_EQ(ledColours(), std::set<uint32_t>{kLedOff});
}

TEST_F(EditorPixels, AboutViewShowsPictureAndVersionTextInItsBox)
{
    auto* bitmap = new CBitmap(CResourceDescription(1200));
    auto* about = new CAbout(CRect(50, 10, 280, 47), nullptr, 10, bitmap, CRect(30, 10, 290, 214),
                             CPoint(0, 0), CPoint(172, 80));
    bitmap->forget();
    frame->addView(about);
    // The hot spot itself draws nothing.
    EXPECT_EQ(pixels().at(100, 20), kPanel);

    CPoint p(100, 20);
    frame->onMouseDown(p, kLButton);
    const PixelImage img = pixels();
    const CRect textBox(202, 90, 302, 105);
    int ink = 0, strayInk = 0, left = 1000, right = -1;
    for (int y = 10; y < 214; ++y)
        for (int x = 30; x < 290; ++x)
        {
            const uint32_t px = img.at(x, y);
            if (px == 0xFFFFFF) continue;
            if (!textBox.pointInside(CPoint(x, y)))
            {
                ++strayInk;
                continue;
            }
            EXPECT_EQ(channel(px, 16), channel(px, 0)) << "text is grey-level black";
            ++ink;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    EXPECT_EQ(strayInk, 0);
    EXPECT_GT(ink, 40);
    EXPECT_LE(left, 203);               // left-aligned in its box
    EXPECT_LT(right - left, 40);        // "v.1.5.0" at 9 px is about 30 px wide
    EXPECT_EQ(img.at(29, 100), kPanel); // the picture covers exactly the display area
    EXPECT_EQ(img.at(30, 10), 0xFFFFFFu);
    EXPECT_EQ(img.at(290, 100), kPanel);

    // Closing redraws the whole window: the panel is back everywhere.
    CPoint q(150, 150);
    frame->onMouseDown(q, kLButton);
    const PixelImage after = pixels();
    for (uint32_t px : after.pixels)
        ASSERT_EQ(px, kPanel);
}

TEST_F(EditorPixels, ZeroSizedUpdateRectangleDrawsNothing)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 320, 257);
    auto* context = new VSTGUI::CairoDrawContext(surface);
    context->setFillColor(kMagentaCColor);
    context->drawRect(CRect(0, 0, 320, 257), kDrawFilled);
    auto countMagenta = [&]
    {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        int n = 0;
        for (int y = 0; y < 257; ++y)
            for (int x = 0; x < 320; ++x)
                n += (reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF) ==
                     0xFF00FF;
        return n;
    };
    frame->drawRect(context, CRect(10, 10, 10, 50));
    frame->drawRect(context, CRect(10, 10, 50, 10));
    frame->drawRect(nullptr, CRect(10, 10, 50, 50));
    EXPECT_EQ(countMagenta(), 320 * 257);
    frame->drawRect(context, CRect(10, 10, 50, 50)); // only the update rectangle
    EXPECT_EQ(countMagenta(), 320 * 257 - 40 * 40);
    EXPECT_EQ(context->getNbReference(), 1); // held only while drawing
    context->forget();
    cairo_surface_destroy(surface);
}

} // namespace
