// Offscreen drawing: what the toolkit puts into the image, pixel by pixel.
#include "GuiTestSupport.h"
#include "embedded_resources.h"
#include "platform/offscreen/offscreenframe.h"
#include <gtest/gtest.h>

bool orv_test_resources_find(int32_t id, const uint8_t** data, size_t* size);

using namespace VSTGUI;
using namespace guitest;

namespace
{

const CRect kFrameRect(0, 0, 120, 80);
constexpr uint32_t kGrey = 0x808080, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class ToolkitDrawing : public ::testing::Test
{
protected:
    TestResources resources;
};

TEST_F(ToolkitDrawing, MissingOrBrokenBitmapsLoadNothingAndDrawNothing)
{
    resources.add(1, {0x89, 'P', 'N', 'G', 0, 1, 2}); // truncated
    resources.add(2, {'j', 'u', 'n', 'k'});
    for (int32_t id : {1, 2, 3})
    {
        auto* bmp = new CBitmap(CResourceDescription(id));
        EXPECT_FALSE(bmp->isLoaded()) << id;
        EXPECT_EQ(bmp->getWidth(), 0);
        TestFrame frame(kFrameRect);
        frame->setBackgroundColor(CColor(128, 128, 128));
        frame->setBackground(bmp);
        bmp->forget();
        const PixelImage img = frame.pixels();
        EXPECT_EQ(img.at(5, 5), 0u); // nothing drawn, no fill either
    }
}

TEST_F(ToolkitDrawing, EmbeddedResourcesAreFoundById)
{
    setBitmapResourceProvider(&orv_test_resources_find);
    CBitmap bmp(CResourceDescription(7777));
    ASSERT_TRUE(bmp.isLoaded());
    EXPECT_EQ(bmp.getWidth(), 3);
    EXPECT_EQ(bmp.getHeight(), 4);
    CBitmap missing(CResourceDescription(7778));
    EXPECT_FALSE(missing.isLoaded());
    // The plug-in's own pictures decode from the library with their sizes; unknown ids fail.
    const uint8_t* data = nullptr;
    size_t size = 0;
    EXPECT_FALSE(orv_resources_find(-5, &data, &size));
    setBitmapResourceProvider(&orv_resources_find);
    const struct
    {
        int32_t id;
        int width, height;
    } pictures[] = {{1128, 320, 257}, {1129, 9, 9},     {1130, 6, 6},    {1131, 10, 20},
                    {1132, 62, 56},   {1200, 260, 204}, {19899, 47, 30}, {19990, 37, 30},
                    {19991, 12, 42},  {19997, 31, 70},  {19999, 12, 42}};
    for (const auto& p : pictures)
    {
        CBitmap picture(CResourceDescription(p.id));
        EXPECT_EQ(picture.getWidth(), p.width) << p.id;
        EXPECT_EQ(picture.getHeight(), p.height) << p.id;
    }
}

TEST_F(ToolkitDrawing, BackgroundThenViewsInAddingOrderWithOffsets)
{
    resources.add(10, makeStackedPng(120, 80, {kGrey}));
    resources.add(11, makeStackedPng(10, 10, {kRed, kGreen, kBlue})); // three stacked images
    auto* back = new CBitmap(CResourceDescription(10));
    auto* strip = new CBitmap(CResourceDescription(11));
    TestFrame frame(kFrameRect);
    frame->setBackground(back);
    back->forget();
    auto* kick = new CKickButton(CRect(20, 20, 30, 30), nullptr, 1, 10, strip, CPoint(0, 10));
    auto* over = new CKickButton(CRect(25, 20, 35, 30), nullptr, 2, 10, strip, CPoint(0, 0));
    frame->addView(kick);
    frame->addView(over);
    strip->forget();
    PixelImage img = frame.pixels();
    EXPECT_EQ(img.at(5, 5), kGrey);
    EXPECT_EQ(img.at(21, 25), kGreen); // offset selects the second image
    EXPECT_EQ(img.at(27, 25), kRed);   // the later view is drawn over the earlier one
    EXPECT_EQ(img.at(36, 25), kGrey);  // nothing outside the view

    kick->setValue(1.f); // pressed: the next image down
    img = frame.pixels();
    EXPECT_EQ(img.at(21, 25), kBlue);
}

TEST_F(ToolkitDrawing, BitmapAlphaIsBlendedOverTheBackground)
{
    resources.add(20, makePng(4, 4,
                              [](cairo_t* cr)
                              {
                                  cairo_set_source_rgba(cr, 0, 0, 1, 0.5);
                                  cairo_paint(cr);
                              }));
    auto* half = new CBitmap(CResourceDescription(20));
    TestFrame frame(kFrameRect);
    frame->setBackgroundColor(kWhiteCColor);
    auto* view = new CView(CRect(0, 0, 4, 4));
    view->setBackground(half);
    half->forget();
    frame->addView(view);
    const uint32_t px = frame.pixels().at(1, 1);
    EXPECT_NEAR(channel(px, 16), 127, 2);
    EXPECT_NEAR(channel(px, 0), 255, 1);
}

TEST_F(ToolkitDrawing, PartialRedrawOfADirtyKnobEqualsAFullRedraw)
{
    resources.add(30, makePng(120, 80,
                              [](cairo_t* cr)
                              {
                                  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 120, 80);
                                  cairo_pattern_add_color_stop_rgb(g, 0, 1, 0.5, 0);
                                  cairo_pattern_add_color_stop_rgb(g, 1, 0.2, 0.1, 0.4);
                                  cairo_set_source(cr, g);
                                  cairo_paint(cr);
                                  cairo_pattern_destroy(g);
                              }));
    resources.add(31, makePng(9, 9,
                              [](cairo_t* cr)
                              {
                                  cairo_arc(cr, 4.5, 4.5, 4, 0, 6.3);
                                  cairo_set_source_rgba(cr, 0.1, 0.1, 0.1, 1);
                                  cairo_fill(cr);
                              }));
    auto build = [&](TestFrame& frame, float value)
    {
        auto* back = new CBitmap(CResourceDescription(30));
        auto* handle = new CBitmap(CResourceDescription(31));
        frame->setBackground(back);
        auto* knob = new CKnob(CRect(10, 10, 55, 55), nullptr, 2, back, handle, CPoint(10, 10));
        knob->setValue(value);
        frame->addView(knob);
        auto* display = new CParamDisplay(CRect(60, 30, 110, 44), back);
        display->setBackOffset(CPoint(60, 30));
        display->setFont(kNormalFontVerySmall);
        display->setFontColor(kBlackCColor);
        display->setValue(value);
        frame->addView(display);
        back->forget();
        handle->forget();
        return std::make_pair(knob, display);
    };
    TestFrame changed(kFrameRect);
    auto [knob, display] = build(changed, 0.1f);
    changed.pixels();
    knob->setValue(0.8f); // only marks the knob dirty; idle redraws its rectangle alone
    display->setValue(0.8f);
    const PixelImage partial = changed.pixels();

    TestFrame fresh(kFrameRect);
    build(fresh, 0.8f);
    const PixelImage full = fresh.pixels();
    int differing = 0;
    for (size_t i = 0; i < full.pixels.size(); ++i)
        differing += partial.pixels[i] != full.pixels[i];
    EXPECT_EQ(differing, 0);
}

TEST_F(ToolkitDrawing, ParamDisplayTextStylesAndConversion)
{
    TestFrame frame(kFrameRect);
    frame->setBackgroundColor(kWhiteCColor);
    auto* shown = new CParamDisplay(CRect(0, 0, 60, 20));
    shown->setStringConvert([](float v, char* s)
                            { std::snprintf(s, 256, "%d%%", static_cast<int>(v * 100)); });
    shown->setValue(0.5f);
    shown->setBackColor(kWhiteCColor);
    shown->setFontColor(kBlackCColor);
    shown->setStyle(kNoFrame);
    shown->setHoriAlign(kLeftText);
    auto* hidden = new CParamDisplay(CRect(0, 40, 60, 60), nullptr, kNoDrawStyle);
    hidden->setBackColor(kRedCColor);
    frame->addView(shown);
    frame->addView(hidden);
    const PixelImage img = frame.pixels();
    int ink = 0, leftmost = 1000;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (isDark(img.at(x, y)))
            {
                ++ink;
                leftmost = std::min(leftmost, x);
            }
    EXPECT_GT(ink, 20);     // "50%" in 12 px text
    EXPECT_LE(leftmost, 2); // left-aligned
    for (int x = 0; x < 60; ++x)
        EXPECT_EQ(img.at(x, 50), 0xFFFFFFu); // the no-draw display leaves the frame visible
}

TEST_F(ToolkitDrawing, TextIsClippedToItsRectangle)
{
    TestFrame frame(kFrameRect);
    frame->setBackgroundColor(kWhiteCColor);
    struct TextView : CView
    {
        using CView::CView;
        void draw(CDrawContext* c) override
        {
            c->setFont(kNormalFontBig);
            c->setFontColor(kBlackCColor);
            c->drawString("WWWWWWWWWWWW", CRect(10, 10, 40, 30), kLeftText);
            setDirty(false);
        }
    };
    frame->addView(new TextView(CRect(0, 0, 120, 80)));
    const PixelImage img = frame.pixels();
    int inside = 0, outside = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            if (isDark(img.at(x, y)))
                (CRect(10, 10, 40, 30).pointInside(CPoint(x, y)) ? inside : outside)++;
    EXPECT_GT(inside, 30);
    EXPECT_EQ(outside, 0);
}

TEST_F(ToolkitDrawing, WindowIsRedrawnWhileAModalDialogWaits)
{
    resources.add(40, makeStackedPng(10, 10, {kRed, kGreen}));
    guitest::TestFrame frame(kFrameRect);
    auto* bitmap = new CBitmap(CResourceDescription(40));
    auto* kick = new CKickButton(CRect(0, 0, 10, 10), nullptr, 1, bitmap);
    bitmap->forget();
    frame->addView(kick);
    ASSERT_EQ(frame.pixels().at(5, 5), kRed);

    // What the window shows while the dialog runs, read without drawing anything ourselves.
    struct Peek : IFileDialogRunner
    {
        explicit Peek(CFrame* f, uint32_t* seen) : frame(f), seen(seen) {}
        bool start(const FileDialogRequest&) override { return true; }
        State poll(std::vector<std::string>&) override
        {
            if (++polls < 3) return State::Running;
            cairo_surface_t* s =
                static_cast<VSTGUI::OffscreenFrame*>(frame->getPlatformFrame())->getSurface();
            cairo_surface_flush(s);
            *seen =
                *reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                   5 * cairo_image_surface_get_stride(s) + 5 * 4) &
                0xFFFFFF;
            return State::Cancelled;
        }
        void cancel() override {}
        CFrame* frame;
        uint32_t* seen;
        int polls = 0;
    };
    uint32_t seen = 0;
    setFileDialogRunnerFactory([&] { return std::make_unique<Peek>(frame.get(), &seen); });
    kick->setValue(1.f); // pressed, not drawn yet
    CNewFileSelector* selector = CNewFileSelector::create(frame.get());
    EXPECT_FALSE(selector->runModal());
    selector->forget();
    setFileDialogRunnerFactory(nullptr);
    EXPECT_EQ(seen, kGreen);
}

TEST_F(ToolkitDrawing, OptionMenuStyleBitsDecideWhatItPaints)
{
    TestFrame frame(kFrameRect);
    frame->setBackgroundColor(kWhiteCColor);
    auto menuAt = [&](CCoord top, int32_t style)
    {
        auto* m = new COptionMenu(CRect(0, top, 80, top + 20), nullptr, 1, nullptr, nullptr, style);
        m->setBackColor(kYellowCColor);
        m->setFontColor(kBlackCColor);
        m->addEntry("Bright");
        m->addEntry("Dark");
        m->setCurrent(1);
        frame->addView(m);
    };
    menuAt(0, 0);                                                        // box and current title
    menuAt(25, kNoTextStyle);                                            // box only
    menuAt(50, kNoDrawStyle | kNoTextStyle | kCheckStyle | kPopupStyle); // 0x1E00: nothing
    const PixelImage img = frame.pixels();
    auto count = [&](CCoord top, uint32_t colour, bool dark)
    {
        int n = 0;
        for (int y = static_cast<int>(top) + 2; y < top + 18; ++y)
            for (int x = 2; x < 78; ++x)
                n += dark ? isDark(img.at(x, y)) : img.at(x, y) == colour;
        return n;
    };
    EXPECT_GT(count(0, 0, true), 20);
    EXPECT_GT(count(25, 0xFFFF00, false), 76 * 16 - 1);
    EXPECT_EQ(count(25, 0, true), 0);
    EXPECT_EQ(count(50, 0xFFFFFF, false), 76 * 16);
}

TEST_F(ToolkitDrawing, TextOfAnyBytesIsDrawnAndDrawingGoesOnAfterIt)
{
    // A text and, after it in the same pass, a filled square.
    struct TextThenSquare : CView
    {
        TextThenSquare(const CRect& r, const char* t) : CView(r), text(t) {}
        void draw(CDrawContext* c) override
        {
            c->setFont(kNormalFontSmall);
            c->setFontColor(kBlackCColor);
            c->drawString(text, CRect(0, 0, 120, 20), kLeftText);
            width = c->getStringWidth(text);
            c->setFillColor(kBlueCColor);
            c->drawRect(CRect(100, 40, 110, 50), kDrawFilled);
            setDirty(false);
        }
        const char* text;
        CCoord width = 0;
    };
    auto draw = [](const char* text, CCoord& width)
    {
        TestFrame frame(kFrameRect);
        frame->setBackgroundColor(kWhiteCColor);
        auto* view = new TextThenSquare(kFrameRect, text);
        frame->addView(view);
        const PixelImage img = frame.pixels();
        width = view->width;
        return img;
    };
    // Bytes that are no UTF-8 look like the Windows-1252 characters they stand for.
    const std::pair<const char*, const char*> rows[] = {
        {"Caf\xE9 \x80 \x93q\x94", "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
        {"cut \xE2\x82, overlong \xC0\xAF, surrogate \xED\xA0\x80",
         "cut \xC3\xA2\xE2\x80\x9A, overlong \xC3\x80\xC2\xAF, surrogate "
         "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
    };
    for (const auto& [bytes, utf8] : rows)
    {
        CCoord bytesWidth = 0, utf8Width = 0;
        const PixelImage shown = draw(bytes, bytesWidth);
        const PixelImage expected = draw(utf8, utf8Width);
        EXPECT_EQ(shown.at(105, 45), kBlue) << bytes;
        EXPECT_TRUE(shown.pixels == expected.pixels) << bytes;
        EXPECT_EQ(bytesWidth, utf8Width) << bytes;
        int ink = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x)
                ink += isDark(shown.at(x, y));
        EXPECT_GT(ink, 40) << bytes;
    }
}

TEST_F(ToolkitDrawing, TypedTextScrollsSoTheCaretStaysInTheField)
{
    const CRect field(2, 10, 118, 25); // 116 pixels wide, as the program name's
    auto makeField = [&](TestFrame& frame, const char* text)
    {
        frame->setBackgroundColor(kWhiteCColor);
        auto* edit = new CTextEdit(field, nullptr, 1, text, nullptr, kNoFrame);
        edit->setBackColor(kWhiteCColor);
        edit->setFontColor(kBlackCColor);
        edit->setFont(kNormalFontSmall);
        frame->addView(edit);
    };
    // The caret: the one column dark over the field's height but for two pixels at each end.
    auto caretColumn = [&](const PixelImage& img)
    {
        for (int x = 0; x < img.width; ++x)
        {
            bool full = true;
            for (int y = 12; y <= 22 && full; ++y)
                full = isDark(img.at(x, y));
            if (full) return x;
        }
        return -1;
    };
    auto type = [](TestFrame& frame, const std::string& text)
    {
        for (char c : text)
        {
            VstKeyCode key{c, 0, 0};
            frame->onKeyDown(key);
        }
    };

    TestFrame frame(kFrameRect);
    makeField(frame, "");
    frame.click(60, 17);
    type(frame, "abc");
    const int shortCaret = caretColumn(frame.pixels());
    EXPECT_GT(shortCaret, 60); // just after the centred text
    EXPECT_LT(shortCaret, 72);

    type(frame, "defghijklmnopqrstuvwxyz0123");
    const PixelImage longText = frame.pixels();
    EXPECT_EQ(caretColumn(longText), 116);  // the caret keeps to the right edge
    int inkBeforeCaret = 0, inkOutside = 0; // the last characters typed are in view, no more
    for (int y = 0; y < longText.height; ++y)
        for (int x = 0; x < longText.width; ++x)
        {
            const bool dark = isDark(longText.at(x, y));
            inkBeforeCaret += dark && x >= 106 && x < 116 && y >= 12 && y <= 22;
            inkOutside += dark && !field.pointInside(CPoint(x, y));
        }
    EXPECT_GT(inkBeforeCaret, 4);
    EXPECT_EQ(inkOutside, 0);

    // Committed, the text is drawn as any field's text: centred, without caret.
    VstKeyCode enter{0, VKEY_RETURN, 0};
    frame->onKeyDown(enter);
    TestFrame fresh(kFrameRect);
    makeField(fresh, "abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_TRUE(frame.pixels().pixels == fresh.pixels().pixels);
}

} // namespace
