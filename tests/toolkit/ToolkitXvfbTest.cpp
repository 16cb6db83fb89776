// The X11 backend against a real X server: a frame opened inside a parent window, driven by
// XTest input (indistinguishable from a real mouse and keyboard) and read back from the screen.
#include "GuiTestSupport.h"
#include "XvfbServer.h"
#include "platform/x11/x11windows.h"
#include <algorithm>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

using namespace VSTGUI;
using namespace guitest;

namespace
{

constexpr uint32_t kPanel = 0xD08020, kHandle = 0x202020, kOn = 0x30C030, kOff = 0x305030;

class X11FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start (package xvfb)";
        conn = xcb_connect(server.name().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(conn));
        screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        parent = xcb_generate_id(conn);
        const uint32_t values[] = {screen->white_pixel};
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(conn, parent);
        sync();
        resources.add(1, makeStackedPng(200, 120, {kPanel}));
        resources.add(2, makePng(9, 9,
                                 [](cairo_t* cr)
                                 {
                                     cairo_arc(cr, 4.5, 4.5, 4, 0, 6.3);
                                     cairo_set_source_rgb(cr, 0.125, 0.125, 0.125);
                                     cairo_fill(cr);
                                 }));
        resources.add(3, makeStackedPng(30, 20, {kOff, kOn}));
    }
    void TearDown() override
    {
        if (conn) xcb_disconnect(conn);
    }

    // Round trip: the server has handled every request sent so far.
    void sync() { free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }

    // XTest input at window coordinates of the frame's window.
    void fake(uint8_t type, uint8_t detail, int x = 0, int y = 0)
    {
        if (type == XCB_MOTION_NOTIFY)
        {
            auto* t = xcb_translate_coordinates_reply(
                conn, xcb_translate_coordinates(conn, child, screen->root, x, y), nullptr);
            ASSERT_NE(t, nullptr);
            xcb_test_fake_input(conn, type, 0, XCB_CURRENT_TIME, screen->root, t->dst_x, t->dst_y,
                                XCB_NONE);
            free(t);
        }
        else
            xcb_test_fake_input(conn, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
        sync();
    }

    // Pumps the frame as a host's idle calls do until `done` holds (or 3 s pass).
    template <class F> bool pumpUntil(CFrame* frame, F done)
    {
        for (int i = 0; i < 300; ++i)
        {
            frame->idle();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // The same views in any frame: a knob (tag 2), a kick button (tag 5), a text field.
    struct Views
    {
        CKnob* knob;
        CKickButton* kick;
        CTextEdit* text;
    };
    Views build(CFrame* frame, CControlListener* listener, float knobValue)
    {
        auto* back = new CBitmap(CResourceDescription(1));
        auto* handle = new CBitmap(CResourceDescription(2));
        auto* button = new CBitmap(CResourceDescription(3));
        frame->setBackground(back);
        Views v{};
        v.knob = new CKnob(CRect(20, 20, 65, 65), listener, 2, back, handle, CPoint(20, 20));
        v.knob->setValue(knobValue);
        frame->addView(v.knob);
        v.kick = new CKickButton(CRect(100, 20, 130, 40), listener, 5, button);
        frame->addView(v.kick);
        v.text = new CTextEdit(CRect(100, 60, 190, 75), listener, 1000, "name", back);
        v.text->setBackOffset(CPoint(100, 60));
        v.text->setFont(kNormalFontSmall);
        v.text->setFontColor(kBlackCColor);
        frame->addView(v.text);
        back->forget();
        handle->forget();
        button->forget();
        return v;
    }

    uint32_t allEventMasks()
    {
        auto* a =
            xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, child), nullptr);
        const uint32_t m = a ? a->all_event_masks : 0;
        free(a);
        return m;
    }

    XvfbServer server;
    TestResources resources;
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t parent = 0;
    xcb_window_t child = 0;
};

TEST_F(X11FrameTest, DragClickTypeAndShowTheSamePixelsAsOffscreen)
{
    RecordingEditor editor;
    editor.knobMode = kLinearMode;
    RecordingListener listener;
    listener.editor = &editor;
    auto* frame = new CFrame(CRect(0, 0, 200, 120), &editor);
    ASSERT_TRUE(
        frame->open(reinterpret_cast<void*>(static_cast<uintptr_t>(parent)), kX11EmbedWindowID));
    child = static_cast<xcb_window_t>(
        reinterpret_cast<uintptr_t>(frame->getPlatformFrame()->getNativeWindow()));
    Views v = build(frame, &listener, 0.5f);
    frame->idle();

    // Keys are not taken from the host while nothing edits.
    EXPECT_EQ(allEventMasks() & XCB_EVENT_MASK_KEY_PRESS, 0u);

    // Drag the knob 20 px up in linear mode.
    fake(XCB_MOTION_NOTIFY, 0, 42, 45);
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_MOTION_NOTIFY, 0, 42, 35);
    fake(XCB_MOTION_NOTIFY, 0, 42, 25);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(
        pumpUntil(frame, [&] { return !editor.log.empty() && editor.log.back() == "end 2"; }));
    EXPECT_EQ(editor.log.front(), "begin 2");
    EXPECT_GE(editor.log.size(), 3u);
    EXPECT_NEAR(v.knob->getValue(), 0.6f, 1e-5);

    // A click on the kick button: max, then min.
    listener.reports.clear();
    fake(XCB_MOTION_NOTIFY, 0, 110, 30);
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(pumpUntil(frame, [&] { return listener.reports.size() == 2; }));
    EXPECT_FLOAT_EQ(listener.reports[0].value, 1.f);
    EXPECT_FLOAT_EQ(listener.reports[1].value, 0.f);

    // Type into the text field: the window listens to keys only while it edits.
    listener.reports.clear();
    fake(XCB_MOTION_NOTIFY, 0, 150, 67);
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(pumpUntil(frame, [&] { return v.text->isEditingText(); }));
    // Requests of two connections reach the server in no fixed order: wait for the change.
    EXPECT_TRUE(
        pumpUntil(frame, [&] { return (allEventMasks() & XCB_EVENT_MASK_KEY_PRESS) != 0; }));
    fake(XCB_KEY_PRESS,
         114); // Right: the click selected the whole text; now the caret is at its end
    fake(XCB_KEY_RELEASE, 114);
    fake(XCB_KEY_PRESS, 22); // BackSpace
    fake(XCB_KEY_RELEASE, 22);
    fake(XCB_KEY_PRESS, 26); // e
    fake(XCB_KEY_RELEASE, 26);
    fake(XCB_KEY_PRESS, 36); // Return
    fake(XCB_KEY_RELEASE, 36);
    ASSERT_TRUE(pumpUntil(frame, [&] { return !v.text->isEditingText(); }));
    EXPECT_STREQ(v.text->getText(), "name"); // "nam" + "e": unchanged, nothing reported
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_TRUE(
        pumpUntil(frame, [&] { return (allEventMasks() & XCB_EVENT_MASK_KEY_PRESS) == 0; }));

    // Move the pointer away so that no hover state differs, then compare with offscreen.
    fake(XCB_MOTION_NOTIFY, 0, 190, 110);
    for (int i = 0; i < 5; ++i)
        frame->idle();
    PixelImage screenPixels;
    ASSERT_TRUE(frame->getPlatformFrame()->readPixels(screenPixels));

    TestFrame offscreen(CRect(0, 0, 200, 120), &editor);
    build(offscreen.get(), nullptr, 0.6f);
    const PixelImage memoryPixels = offscreen.pixels();
    ASSERT_EQ(screenPixels.pixels.size(), memoryPixels.pixels.size());
    int differing = 0;
    for (size_t i = 0; i < memoryPixels.pixels.size(); ++i)
        differing += screenPixels.pixels[i] != memoryPixels.pixels[i];
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(screenPixels.at(5, 5), kPanel);
    frame->close();
}

TEST_F(X11FrameTest, DoubleClickFromServerTimestampsAndWheel)
{
    struct ClickView : CView
    {
        using CView::CView;
        CMouseEventResult onMouseDown(CPoint&, const CButtonState& b) override
        {
            presses.push_back(b.getState());
            return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        }
        bool onWheel(const CPoint&, const CMouseWheelAxis& axis, const float& d,
                     const CButtonState&) override
        {
            wheel += axis == kMouseWheelAxisY ? d : 100 * d;
            return true;
        }
        std::vector<int32_t> presses;
        float wheel = 0;
    };
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr);
    ASSERT_TRUE(frame->open(reinterpret_cast<void*>(static_cast<uintptr_t>(parent))));
    child = static_cast<xcb_window_t>(
        reinterpret_cast<uintptr_t>(frame->getPlatformFrame()->getNativeWindow()));
    auto* view = new ClickView(CRect(0, 0, 100, 100));
    frame->addView(view);
    frame->idle();
    fake(XCB_MOTION_NOTIFY, 0, 50, 50);
    for (int i = 0; i < 2; ++i)
    {
        fake(XCB_BUTTON_PRESS, 1);
        fake(XCB_BUTTON_RELEASE, 1);
    }
    fake(XCB_KEY_PRESS, 37); // Ctrl held for the right click
    fake(XCB_BUTTON_PRESS, 3);
    fake(XCB_BUTTON_RELEASE, 3);
    fake(XCB_KEY_RELEASE, 37);
    fake(XCB_BUTTON_PRESS, 4); // wheel up
    fake(XCB_BUTTON_RELEASE, 4);
    ASSERT_TRUE(pumpUntil(frame, [&] { return view->presses.size() == 3 && view->wheel != 0; }));
    EXPECT_EQ(view->presses[0], kLButton);
    EXPECT_EQ(view->presses[1], kLButton | kDoubleClick);
    EXPECT_EQ(view->presses[2], kRButton | kControl);
    EXPECT_FLOAT_EQ(view->wheel, 1.f);
    frame->close();
}

TEST_F(X11FrameTest, OpenFailsCleanlyWithoutAParentWindow)
{
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr);
    EXPECT_FALSE(frame->open(nullptr, kX11EmbedWindowID));
    EXPECT_FALSE(frame->open(reinterpret_cast<void*>(uintptr_t{0x7FFFFFF}), kX11EmbedWindowID));
    frame->idle(); // harmless while not open
    frame->close();
}

TEST_F(X11FrameTest, HoverAndAMenuChoiceWithRealPointerEvents)
{
    RecordingListener listener;
    auto* frame = new CFrame(CRect(0, 0, 200, 120), nullptr);
    ASSERT_TRUE(frame->open(reinterpret_cast<void*>(static_cast<uintptr_t>(parent))));
    child = static_cast<xcb_window_t>(
        reinterpret_cast<uintptr_t>(frame->getPlatformFrame()->getNativeWindow()));
    auto* hover = new HoverView(CRect(10, 10, 40, 40));
    frame->addView(hover);
    auto* menu = new COptionMenu(CRect(100, 10, 160, 30), &listener, 1012);
    for (const char* name : {"First", "Second", "Third"})
        menu->addEntry(name);
    menu->setCurrent(0);
    frame->addView(menu);
    frame->idle();

    fake(XCB_MOTION_NOTIFY, 0, 20, 20);
    ASSERT_TRUE(pumpUntil(frame, [&] { return hover->log == "enter "; }));
    fake(XCB_MOTION_NOTIFY, 0, 300, 200); // out of the window (the parent is larger)
    ASSERT_TRUE(pumpUntil(frame, [&] { return hover->log == "enter exit "; }));

    fake(XCB_MOTION_NOTIFY, 0, 120, 20);
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(pumpUntil(frame, [&] { return frame->getPopupView() != nullptr; }));
    const CRect list = frame->getPopupView()->getViewSize();
    EXPECT_EQ(list.top, 30); // below the menu
    // The third entry's row.
    const int x = static_cast<int>(list.left) + 20, y = static_cast<int>(list.top) + 1 + 32 + 8;
    fake(XCB_MOTION_NOTIFY, 0, x, y);
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(pumpUntil(frame, [&] { return listener.reports.size() == 1; }));
    EXPECT_FLOAT_EQ(listener.reports[0].value, 2.f);
    EXPECT_EQ(frame->getPopupView(), nullptr);
    EXPECT_STREQ(menu->getCurrent()->getTitle(), "Third");
    frame->close();
}

// File dialogs belong to the host's top-level window and can be brought back over it: the frame
// names the window to attach them to, and windows that declare a process id come back on top.
TEST_F(X11FrameTest, DialogsBelongToTheTopLevelWindowAndComeBackOnTop)
{
    auto window = [&](xcb_window_t in, int size)
    {
        const xcb_window_t w = xcb_generate_id(conn);
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, w, in, 0, 0, size, size, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(conn, w);
        sync();
        return w;
    };
    auto atom = [&](const char* name)
    {
        auto* r =
            xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, strlen(name), name), nullptr);
        const xcb_atom_t a = r->atom;
        free(r);
        return a;
    };
    // The frame in a window inside the host's: without a window manager the top-level is the
    // host's window below the root; with one, the nearest window it handles (WM_STATE).
    const xcb_window_t inner = window(parent, 300);
    auto* frame = new CFrame(CRect(0, 0, 200, 120), nullptr);
    ASSERT_TRUE(frame->open(reinterpret_cast<void*>(static_cast<uintptr_t>(inner))));
    auto topLevel = [&]
    { return reinterpret_cast<uintptr_t>(frame->getPlatformFrame()->getTopLevelWindow()); };
    EXPECT_EQ(topLevel(), parent);
    const uint32_t normalState[] = {1, 0};
    const xcb_atom_t wmState = atom("WM_STATE");
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, inner, wmState, wmState, 32, 2, normalState);
    sync();
    EXPECT_EQ(topLevel(), inner);
    frame->close();

    const xcb_window_t dialog = window(screen->root, 100);
    const uint32_t pid = static_cast<uint32_t>(getpid());
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, dialog, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &pid);
    const xcb_window_t cover = window(screen->root, 200);
    auto dialogOnTop = [&]
    {
        auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, screen->root), nullptr);
        const xcb_window_t* kids = xcb_query_tree_children(tree);
        const int n = xcb_query_tree_children_length(tree);
        const bool onTop = std::find(kids, kids + n, dialog) > std::find(kids, kids + n, cover);
        free(tree);
        return onTop;
    };
    ASSERT_FALSE(dialogOnTop());
    EXPECT_FALSE(raiseWindowsOfProcess(pid + 1));
    EXPECT_TRUE(raiseWindowsOfProcess(pid));
    EXPECT_TRUE(dialogOnTop());
}

} // namespace
