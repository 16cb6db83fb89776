// The editor's frame, LED and about screen driven by synthetic mouse events through the frame.
#include "CAbout.h"
#include "CLED.h"
#include "CSplashScreenMyView.h"
#include "MyFrame.h"
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

using namespace guitest;

namespace
{

constexpr int32_t kAboutBitmap = 1200, kLedBitmap = 1131;

class EditorViews : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setDefaultPlatformType(kOffscreen);
        resources.add(kAboutBitmap, makeStackedPng(260, 204, {0xFFFFFF}));
        resources.add(kLedBitmap, makeStackedPng(10, 10, {0x400000, 0xFF2020}));
        frame = new MyFrame(CRect(0, 0, 320, 257), nullptr, &editor);
    }
    void TearDown() override
    {
        if (frame) frame->close();
        setDefaultPlatformType(kDefaultNative);
    }

    // The about hot spot and a knob under the area the about view covers, as the editor has
    // them.
    void addAboutAndKnob()
    {
        aboutBitmap = new CBitmap(CResourceDescription(kAboutBitmap));
        knob = new CKnob(CRect(50, 71, 95, 116), &listener, 2, nullptr, nullptr);
        frame->addView(knob);
        about = new CAbout(CRect(50, 10, 280, 47), &listener, 10, aboutBitmap,
                           CRect(30, 10, 290, 214), CPoint(0, 0), CPoint(172, 80));
        frame->addView(about);
    }

    CMouseEventResult click(double x, double y, int32_t buttons = kLButton)
    {
        CPoint p(x, y);
        const CMouseEventResult r = frame->onMouseDown(p, buttons);
        frame->onMouseUp(p, buttons);
        return r;
    }

    TestResources resources;
    RecordingEditor editor;
    RecordingListener listener;
    MyFrame* frame = nullptr;
    CBitmap* aboutBitmap = nullptr;
    CKnob* knob = nullptr;
    CAbout* about = nullptr;
};

TEST_F(EditorViews, FrameOpensAsChildAndForwardsEditGestures)
{
    EXPECT_TRUE(frame->isOpen());
    EXPECT_TRUE(frame->isTypeOf("CFrame"));
    EXPECT_EQ(frame->getEditor(), &editor);
    editor.knobMode = kLinearMode;
    EXPECT_EQ(frame->getKnobMode(), kLinearMode);
    frame->beginEdit(3);
    frame->endEdit(3);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 3", "end 3"}));
}

TEST_F(EditorViews, AboutOpensOnLeftClickBlocksOthersAndClosesAgain)
{
    addAboutAndKnob();
    // A right click on the hot spot opens nothing.
    CPoint p(100, 20);
    EXPECT_EQ(about->onMouseDown(p, kRButton), kMouseEventNotHandled);
    click(100, 20, kRButton);
    EXPECT_EQ(frame->getModalView(), nullptr);

    EXPECT_EQ(click(100, 20), kMouseEventHandled);
    CView* shown = frame->getModalView();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isTypeOf("CSplashScreenMyView"));
    EXPECT_TRUE(shown->isTypeOf("CControl"));
    EXPECT_FALSE(shown->isTypeOf("CSplashScreen"));
    EXPECT_EQ(shown->getViewSize(), CRect(30, 10, 290, 214));
    EXPECT_FLOAT_EQ(about->getValue(), 1.f);

    // A right click leaves the view open.
    click(70, 90, kRButton);
    EXPECT_EQ(frame->getModalView(), shown);

    // A left press on the knob under the view reaches the view only: it closes (and is
    // released), the knob hears nothing.
    EXPECT_EQ(aboutBitmap->getNbReference(), 4); // test, hot spot, its default view, shown view
    const float before = knob->getValue();
    CPoint k(70, 90);
    frame->onMouseDown(k, kLButton);
    k(70, 40);
    frame->onMouseMoved(k, kLButton);
    frame->onMouseUp(k, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), before);
    EXPECT_TRUE(editor.log.empty());
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FLOAT_EQ(about->getValue(), 0.f);
    EXPECT_EQ(aboutBitmap->getNbReference(), 3); // the view is gone

    // Knobs work again, and the next click opens a new view.
    k(70, 90);
    frame->onMouseDown(k, kLButton);
    frame->onMouseUp(k, kLButton);
    EXPECT_EQ(editor.log.front(), "begin 2");
    click(100, 20);
    EXPECT_NE(frame->getModalView(), nullptr);
    aboutBitmap->forget();
}

TEST_F(EditorViews, AboutViewStillShownWhenTheWindowClosesIsReleased)
{
    addAboutAndKnob();
    click(100, 20);
    ASSERT_NE(frame->getModalView(), nullptr);
    EXPECT_EQ(aboutBitmap->getNbReference(), 4);
    frame->close();
    frame = nullptr;
    // Hot spot and view are both gone; only the test's own reference is left.
    EXPECT_EQ(aboutBitmap->getNbReference(), 1);
    aboutBitmap->forget();
}

TEST_F(EditorViews, AboutViewIsReleasedWhenItsHotSpotIsRemoved)
{
    addAboutAndKnob();
    click(100, 20);
    ASSERT_NE(frame->getModalView(), nullptr);
    frame->removeView(about);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(aboutBitmap->getNbReference(), 1);
    click(100, 100); // nothing left to receive it
    aboutBitmap->forget();
}

TEST_F(EditorViews, AboutViewThatCannotBeShownIsReleased)
{
    addAboutAndKnob();
    // Not in a frame: nowhere to show the view.
    auto* loose = new CAbout(CRect(0, 0, 10, 10), nullptr, 10, aboutBitmap, CRect(0, 0, 50, 50),
                             CPoint(0, 0), CPoint(1, 1));
    const int32_t refs = aboutBitmap->getNbReference();
    CPoint p(5, 5);
    EXPECT_EQ(loose->onMouseDown(p, kLButton), kMouseEventHandled);
    EXPECT_EQ(aboutBitmap->getNbReference(), refs);
    // Another modal view is already shown: this one cannot be.
    auto* other = new CView(CRect(0, 0, 5, 5));
    frame->setModalView(other);
    CPoint q(100, 20);
    EXPECT_EQ(about->onMouseDown(q, kLButton), kMouseEventHandled);
    EXPECT_EQ(frame->getModalView(), other);
    EXPECT_EQ(aboutBitmap->getNbReference(), refs);
    frame->setModalView(nullptr);
    other->forget();
    loose->forget();
    aboutBitmap->forget();
}

TEST_F(EditorViews, LedIsDisplayOnlyAndCopiesBalanceTheirBitmapReferences)
{
    auto* bitmap = new CBitmap(CResourceDescription(kLedBitmap));
    auto* led = new CLED(CRect(155, 135, 165, 145), bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2);
    EXPECT_FLOAT_EQ(led->getValue(), 0.f);
    EXPECT_EQ(led->getTag(), 0);
    EXPECT_EQ(led->getListener(), nullptr);
    EXPECT_TRUE(led->isTypeOf("CLED"));
    EXPECT_TRUE(led->isTypeOf("CView"));
    EXPECT_TRUE(led->isTypeOf("CBaseObject"));
    EXPECT_FALSE(led->isTypeOf("CKnob"));
    EXPECT_FALSE(led->isTypeOf("CLE"));

    led->setValue(0.7f);
    auto* copy = static_cast<CLED*>(led->newCopy());
    ASSERT_NE(copy, nullptr);
    EXPECT_FLOAT_EQ(copy->getValue(), 0.7f);
    EXPECT_EQ(bitmap->getNbReference(), 3);

    frame->addView(led);
    click(160, 140);
    click(160, 140, kRButton);
    EXPECT_FLOAT_EQ(led->getValue(), 0.7f);
    EXPECT_TRUE(editor.log.empty());

    copy->forget();
    frame->close();
    frame = nullptr;
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}

} // namespace
