// The toolkit's logic through its public operations and synthetic mouse events on an offscreen
// frame: ownership, dispatch, and what controls report to listeners and the editor.
#include "GuiTestSupport.h"
#include "platform/x11/x11frame.h"
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace VSTGUI;
using namespace guitest;

namespace
{

// A view that notes its own destruction.
class TrackedView : public CView
{
public:
    TrackedView(const CRect& r, bool* destroyedFlag) : CView(r), destroyed(destroyedFlag) {}
    ~TrackedView() override { *destroyed = true; }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override
    {
        ++presses;
        return kMouseEventHandled;
    }
    int presses = 0;

private:
    bool* destroyed;
};

const CRect kFrameRect(0, 0, 320, 257);

TEST(Geometry, EdgesAndIntersections)
{
    const CRect r(10, 20, 30, 40);
    EXPECT_TRUE(r.pointInside(CPoint(10, 20)));
    EXPECT_FALSE(r.pointInside(CPoint(30, 25)));       // right edge is outside
    EXPECT_FALSE(r.pointInside(CPoint(15, 40)));       // bottom edge is outside
    EXPECT_TRUE(r.rectOverlap(CRect(30, 40, 50, 60))); // touching counts
    EXPECT_FALSE(r.rectOverlap(CRect(31, 20, 50, 40)));
    CRect b(r);
    b.bound(CRect(100, 100, 200, 200));
    EXPECT_TRUE(b.isEmpty());
    EXPECT_GE(b.getWidth(), 0);
}

TEST(Frame, OwnsViewsAndReleasesThemOnClose)
{
    bool keptDestroyed = false, handedBackDestroyed = false, modalDestroyed = false;
    auto* frame = new CFrame(kFrameRect, nullptr);
    ASSERT_TRUE(frame->open(nullptr, kOffscreen));
    auto* kept = new TrackedView(CRect(0, 0, 10, 10), &keptDestroyed);
    auto* handedBack = new TrackedView(CRect(10, 0, 20, 10), &handedBackDestroyed);
    auto* modal = new TrackedView(CRect(20, 0, 30, 10), &modalDestroyed);
    frame->addView(kept);
    frame->addView(handedBack);
    EXPECT_EQ(kept->getNbReference(), 2);
    EXPECT_FALSE(frame->addView(kept)); // no view twice

    frame->removeView(handedBack, false);
    EXPECT_FALSE(handedBackDestroyed);
    EXPECT_EQ(handedBack->getNbReference(), 1);
    handedBack->forget();
    EXPECT_TRUE(handedBackDestroyed);

    EXPECT_TRUE(frame->setModalView(modal));
    EXPECT_FALSE(frame->setModalView(modal)); // only one at a time
    frame->close();
    EXPECT_TRUE(keptDestroyed);
    // The modal view is handed back, not released: its creator still owns it.
    EXPECT_FALSE(modalDestroyed);
    EXPECT_EQ(modal->getNbReference(), 1);
    EXPECT_FALSE(modal->isAttached());
    modal->forget();
    EXPECT_TRUE(modalDestroyed);
}

TEST(Frame, ModalViewTakesAllMouseInput)
{
    TestFrame frame(kFrameRect);
    bool d1 = false, d2 = false;
    auto* under = new TrackedView(CRect(0, 0, 100, 100), &d1);
    auto* modal = new TrackedView(CRect(50, 50, 150, 150), &d2);
    frame->addView(under);
    frame->setModalView(modal);
    frame.click(10, 10);   // on `under` only
    frame.click(60, 60);   // on both: the modal view
    frame.click(200, 200); // on neither
    EXPECT_EQ(under->presses, 0);
    EXPECT_EQ(modal->presses, 1);
    frame->setModalView(nullptr);
    frame.click(10, 10);
    EXPECT_EQ(under->presses, 1);
    modal->forget();
}

TEST(Control, ValueRangeAndDirtyTracking)
{
    CControl c(CRect(0, 0, 10, 10));
    EXPECT_TRUE(c.isDirty()); // a new control has never been drawn
    c.setDirty(false);
    c.setValue(2.f);
    EXPECT_FLOAT_EQ(c.getValue(), 1.f);
    EXPECT_TRUE(c.isDirty());
    c.setDirty(false);
    c.setValue(1.f);
    EXPECT_FALSE(c.isDirty());
    c.setMax(0.5f);
    EXPECT_FLOAT_EQ(c.getValue(), 0.5f);
    EXPECT_FLOAT_EQ(c.getDefaultValue(), 0.5f);
}

TEST(Control, NestedEditGesturesReachTheEditorOnce)
{
    RecordingEditor editor;
    TestFrame frame(kFrameRect, &editor);
    auto* c = new CControl(CRect(0, 0, 10, 10), nullptr, 7);
    frame->addView(c);
    c->beginEdit();
    c->beginEdit();
    c->endEdit();
    EXPECT_TRUE(c->isEditing());
    c->endEdit();
    c->endEdit(); // unbalanced end: ignored
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 7", "end 7"}));
}

TEST(Knob, LinearDragReportsGestureAndValues)
{
    RecordingEditor editor;
    editor.knobMode = kLinearMode;
    RecordingListener listener;
    listener.editor = &editor;
    TestFrame frame(kFrameRect, &editor);
    auto* knob = new CKnob(CRect(50, 71, 95, 116), &listener, 2, nullptr, nullptr);
    knob->setValue(0.5f);
    frame->addView(knob);

    EXPECT_EQ(frame.down(70, 90), kMouseEventHandled);
    frame.move(70, 80); // 10 px up of 200 for the full range
    frame.move(80, 80); // and 10 px right
    frame.up(80, 80);
    ASSERT_EQ(listener.reports.size(), 2u);
    EXPECT_NEAR(listener.reports[0].value, 0.55f, 1e-5);
    EXPECT_NEAR(listener.reports[1].value, 0.60f, 1e-5);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 2", "value 2", "value 2", "end 2"}));

    // Shift makes the drag finer (300 px for the range); pressed mid-drag it does not make the
    // value jump.
    listener.reports.clear();
    frame.down(70, 90, kLButton | kShift);
    frame.move(70, 80, kLButton | kShift);
    frame.up(70, 80, kLButton | kShift);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_NEAR(listener.reports[0].value, 0.6f + 10.f / 300.f, 1e-5);
    const float before = knob->getValue();
    frame.down(70, 90);
    frame.move(70, 70);                    // +0.1
    frame.move(70, 70, kLButton | kShift); // rebased: no jump
    EXPECT_NEAR(knob->getValue(), before + 0.1f, 1e-5);
    frame.move(70, 40, kLButton | kShift); // 30 px at 300 px per range
    EXPECT_NEAR(knob->getValue(), before + 0.2f, 1e-5);
    frame.up(70, 40);

    // Far beyond the range: clamped.
    frame.down(70, 90);
    frame.move(70, -500);
    frame.up(70, -500);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
}

TEST(Knob, CtrlClickResetsToDefaultAsOneGesture)
{
    RecordingEditor editor;
    RecordingListener listener;
    listener.editor = &editor;
    TestFrame frame(kFrameRect, &editor);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 4, nullptr, nullptr);
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    frame->addView(knob);
    EXPECT_EQ(frame.down(20, 20, kLButton | kControl),
              kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 4", "value 4", "end 4"}));
    // A listener may claim modifier clicks before the control sees them.
    listener.consumeModifierClicks = true;
    knob->setValue(0.9f);
    frame.down(20, 20, kLButton | kControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.9f);
}

TEST(Knob, CircularModeFollowsTheAngleAndDoesNotWrap)
{
    RecordingListener listener;
    TestFrame frame(kFrameRect);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 1, nullptr, nullptr);
    knob->setValue(0.1f);
    frame->addView(knob);
    frame.down(5, 30); // the press alone changes nothing
    EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
    frame.move(20, 0); // straight up: the middle of the sweep
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-3);
    frame.move(40, 20); // right: three quarters
    EXPECT_NEAR(knob->getValue(), 5.f / 6.f, 1e-3);
    frame.move(12, 39); // lower left, inside the gap's min half: a jump of more than half
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f); // pinned to max instead of wrapping to min
    frame.up(12, 39);
}

TEST(Buttons, ValuesReportedByTheBaseControls)
{
    RecordingListener listener;
    TestFrame frame(kFrameRect);
    auto* onOff = new COnOffButton(CRect(0, 0, 20, 20), &listener, 7, nullptr);
    auto* kick = new CKickButton(CRect(30, 0, 50, 20), &listener, 8, nullptr);
    auto* rocker = new CRockerSwitch(CRect(60, 0, 90, 20), &listener, 9, nullptr);
    frame->addView(onOff);
    frame->addView(kick);
    frame->addView(rocker);

    frame.click(10, 10); // toggles on press
    frame.click(10, 10);
    frame.click(40, 10); // kick released inside: max then min
    frame.down(40, 10);
    frame.move(100, 100);
    frame.up(100, 100); // released outside: min only
    frame.down(65, 10); // rocker left half: -1
    frame.up(65, 10);   // back to 0 without a report
    frame.down(75, 10); // the mid-line belongs to the left half
    frame.up(75, 10);
    frame.down(85, 10); // right half: +1
    frame.up(85, 10);
    EXPECT_FLOAT_EQ(rocker->getValue(), 0.f);
    frame.click(10, 10, kRButton); // the right button does nothing

    std::vector<std::pair<int32_t, float>> got;
    for (auto& r : listener.reports)
        got.emplace_back(r.tag, r.value);
    const std::vector<std::pair<int32_t, float>> want{{7, 1.f}, {7, 0.f},  {8, 1.f},  {8, 0.f},
                                                      {8, 0.f}, {9, -1.f}, {9, -1.f}, {9, 1.f}};
    EXPECT_EQ(got, want);
}

TEST(TextEdit, TypingCommitsOnReturnAndEscapeRestores)
{
    RecordingListener listener;
    TestFrame frame(kFrameRect);
    auto* edit = new CTextEdit(CRect(0, 0, 100, 15), &listener, 1000, "Old");
    frame->addView(edit);
    auto key = [&](int32_t ch, unsigned char virt = 0)
    {
        VstKeyCode k;
        k.character = ch;
        k.virt = virt;
        return frame->onKeyDown(k);
    };
    EXPECT_EQ(key('x'), -1); // not editing: keys are not used
    frame.click(50, 7);
    ASSERT_TRUE(edit->isEditingText());
    EXPECT_TRUE(frame->getFocusView() == edit);
    EXPECT_TRUE(edit->isTextSelected()); // the click selects the whole text
    EXPECT_EQ(key(0, VKEY_RIGHT), 1);    // the caret at the end, nothing selected
    EXPECT_FALSE(edit->isTextSelected());
    EXPECT_EQ(key(0, VKEY_BACK), 1);
    key(0xF6); // ö, two bytes in UTF-8
    EXPECT_STREQ(edit->getEditText(), "Ol\xC3\xB6");
    key(0, VKEY_BACK); // removes both bytes
    key('d');
    key(0, VKEY_RETURN);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_STREQ(edit->getText(), "Old");
    EXPECT_TRUE(listener.reports.empty()); // unchanged text reports nothing

    frame.click(50, 7);
    key(0, VKEY_END);
    key('!');
    frame.click(200, 200); // a click elsewhere commits
    EXPECT_STREQ(edit->getText(), "Old!");
    ASSERT_EQ(listener.reports.size(), 1u);

    frame.click(50, 7);
    key('?');
    key(0, VKEY_ESCAPE);
    EXPECT_STREQ(edit->getText(), "Old!");
    EXPECT_EQ(listener.reports.size(), 1u);

    // A name from Windows: each of its bytes is one character, also for the backspace.
    edit->setText("Caf\xA9");
    frame.click(50, 7);
    key(0, VKEY_RIGHT);
    key(0, VKEY_BACK);
    EXPECT_STREQ(edit->getEditText(), "Caf");
    key(0xD800); // a surrogate is no character
    EXPECT_STREQ(edit->getEditText(), "Caf");
    key(0, VKEY_ESCAPE);
}

TEST(OptionMenu, EntriesCurrentEntryAndChoosingFromTheList)
{
    RecordingEditor editor;
    RecordingListener listener;
    listener.editor = &editor;
    TestFrame frame(kFrameRect, &editor);
    auto* menu = new COptionMenu(CRect(214, 237, 224, 251), &listener, 1012, nullptr, nullptr, 0);
    menu->setNbItemsPerColumn(16);
    menu->setStyle(0x1E00);
    frame->addView(menu);
    EXPECT_EQ(menu->getCurrentIndex(), -1);
    for (int i = 0; i < 6; ++i)
        menu->addEntry(("Program " + std::to_string(i)).c_str(), i);
    EXPECT_FLOAT_EQ(menu->getMax(), 5.f);
    EXPECT_TRUE(menu->setCurrent(3, false));
    EXPECT_STREQ(menu->getCurrent()->getTitle(), "Program 3");
    EXPECT_FALSE(menu->setCurrent(6));
    menu->setValue(9.f); // out of range: ignored
    EXPECT_EQ(menu->getCurrentIndex(), 3);

    EXPECT_EQ(frame.down(218, 240), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    frame.up(218, 240);
    CView* popup = frame->getPopupView();
    ASSERT_NE(popup, nullptr);
    const CRect list = popup->getViewSize();
    EXPECT_LE(list.bottom, 257); // flipped above: no room below
    EXPECT_GE(list.top, 0);
    // The second entry's row; move there, press and release.
    const double y = list.top + 1 + 16 * 1 + 8;
    frame.move(list.left + 20, y, 0);
    frame.down(list.left + 20, y);
    frame.up(list.left + 20, y);
    EXPECT_EQ(frame->getPopupView(), nullptr);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 1.f);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 1012", "value 1012", "end 1012"}));

    // A press outside the list closes it without a choice.
    frame.click(218, 240);
    ASSERT_NE(frame->getPopupView(), nullptr);
    frame.click(5, 5);
    EXPECT_EQ(frame->getPopupView(), nullptr);
    EXPECT_EQ(listener.reports.size(), 1u);
}

TEST(SplashScreen, DefaultViewOpensAndClosesAsModalView)
{
    RecordingListener listener;
    TestFrame frame(kFrameRect);
    auto* splash =
        new CSplashScreen(CRect(0, 0, 50, 20), &listener, 10, nullptr, CRect(0, 0, 300, 200));
    frame->addView(splash);
    frame.click(10, 10, kRButton);
    EXPECT_EQ(frame->getModalView(), nullptr);
    frame.click(10, 10);
    CView* shown = frame->getModalView();
    ASSERT_NE(shown, nullptr);
    frame.click(100, 100);
    EXPECT_EQ(frame->getModalView(), nullptr);
    ASSERT_EQ(listener.reports.size(), 2u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 1.f);
    EXPECT_FLOAT_EQ(listener.reports[1].value, 0.f);
    frame.click(10, 10); // shows again
    EXPECT_EQ(frame->getModalView(), shown);
}

TEST(Frame, HoverEnterExitAndWheel)
{
    TestFrame frame(kFrameRect);
    auto* v = new HoverView(CRect(0, 0, 20, 20));
    auto* knob = new CKnob(CRect(100, 100, 140, 140), nullptr, 3, nullptr, nullptr);
    frame->addView(v);
    frame->addView(knob);
    frame.move(5, 5, 0);
    frame.move(6, 6, 0);
    frame.move(50, 50, 0);
    EXPECT_EQ(v->log, "enter exit ");
    const float before = knob->getValue();
    EXPECT_TRUE(frame->onWheel(CPoint(120, 120), kMouseWheelAxisY, 1.f, 0));
    EXPECT_NEAR(knob->getValue(), before + 0.1f, 1e-6);
    EXPECT_FALSE(frame->onWheel(CPoint(300, 5), kMouseWheelAxisY, 1.f, 0));
}

TEST(FileSelector, ExtensionsAndScriptedDialog)
{
    // Equality: same extension, or same (even empty) mime type or UTI.
    EXPECT_TRUE(CFileExtension("A", "orv") == CFileExtension("B", "orb"));
    EXPECT_FALSE(CFileExtension("A", "orv", "x/a", 0, "u.a") ==
                 CFileExtension("B", "orb", "x/b", 0, "u.b"));
    EXPECT_TRUE(CFileExtension("A", "orv", "x/a", 0, "u.a") ==
                CFileExtension("B", "orv", "x/b", 0, "u.b"));

    struct Scripted : IFileDialogRunner
    {
        explicit Scripted(FileDialogRequest* seen, int* polls) : seen(seen), polls(polls) {}
        bool start(const FileDialogRequest& r) override
        {
            *seen = r;
            return true;
        }
        State poll(std::vector<std::string>& paths) override
        {
            if (++*polls < 3) return State::Running;
            paths.push_back("/tmp/chosen.orv");
            return State::Chosen;
        }
        void cancel() override {}
        FileDialogRequest* seen;
        int* polls;
    };
    FileDialogRequest seen;
    int polls = 0;
    setFileDialogRunnerFactory([&] { return std::make_unique<Scripted>(&seen, &polls); });

    TestFrame frame(kFrameRect);
    CNewFileSelector* sel =
        CNewFileSelector::create(frame.get(), CNewFileSelector::kSelectSaveFile);
    sel->setTitle("Save preset");
    sel->setInitialDirectory("/home/u/");
    sel->setDefaultSaveName("a.orv");
    sel->setDefaultExtension(CFileExtension("Orv Preset", "orv"));
    sel->setDefaultExtension(CFileExtension("Other", "txt", "text/plain")); // ignored
    EXPECT_TRUE(sel->runModal());
    EXPECT_EQ(seen.title, "Save preset");
    EXPECT_EQ(seen.style, CNewFileSelector::kSelectSaveFile);
    ASSERT_EQ(seen.extensions.size(), 1u);
    EXPECT_EQ(seen.defaultExtension, 0);
    EXPECT_EQ(sel->getNumSelectedFiles(), 1);
    EXPECT_STREQ(sel->getSelectedFile(0), "/tmp/chosen.orv");
    EXPECT_EQ(sel->getSelectedFile(1), nullptr);
    sel->forget();

    // Asynchronous: the frame's idle polls it; the callback runs once it ends.
    polls = 0;
    sel = CNewFileSelector::create(frame.get());
    std::string result;
    ASSERT_TRUE(sel->run([&](CNewFileSelector* s) { result = s->getSelectedFile(0); }));
    sel->forget(); // the running dialog keeps itself alive
    frame->idle();
    EXPECT_TRUE(result.empty());
    frame->idle();
    frame->idle();
    EXPECT_EQ(result, "/tmp/chosen.orv");
    setFileDialogRunnerFactory(nullptr);
}

TEST(FileSelector, ExternalProgramIsRunAndPolled)
{
    // A stand-in for zenity: records its arguments, prints a path.
    char dir[] = "/tmp/orv-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string script = std::string(dir) + "/dialog";
    const std::string argsFile = std::string(dir) + "/args";
    FILE* f = fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fprintf(f, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> %s; done\necho /x/y.orb\nexit 0\n",
            argsFile.c_str());
    fclose(f);
    chmod(script.c_str(), 0755);
    setenv("ORV_FILE_DIALOG_CMD", script.c_str(), 1);

    CNewFileSelector* sel = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    sel->setTitle("Load bank");
    sel->setInitialDirectory("/data/");
    sel->addFileExtension(CFileExtension("Orv Bank", "orb"));
    EXPECT_TRUE(sel->runModal());
    ASSERT_EQ(sel->getNumSelectedFiles(), 1);
    EXPECT_STREQ(sel->getSelectedFile(0), "/x/y.orb");
    sel->forget();

    auto readArgs = [&]
    {
        std::string args;
        if (FILE* a = fopen(argsFile.c_str(), "r"))
        {
            char line[256];
            while (fgets(line, sizeof line, a))
                args += line;
            fclose(a);
        }
        return args;
    };
    EXPECT_EQ(readArgs(), "--file-selection\n--title=Load bank\n--filename=/data/\n"
                          "--file-filter=Orv Bank (orb) | *.orb\n");

    // With a window to belong to, the dialog is attached to it.
    std::remove(argsFile.c_str());
    FileDialogRequest attached;
    attached.title = "Save bank";
    attached.parentWindow = reinterpret_cast<void*>(uintptr_t{4194311});
    auto runner = createFileDialogRunner();
    ASSERT_TRUE(runner->start(attached));
    std::vector<std::string> paths;
    while (runner->poll(paths) == IFileDialogRunner::State::Running)
        usleep(1000);
    EXPECT_EQ(readArgs(), "--file-selection\n--title=Save bank\n--attach=4194311\n");

    // A program that fails: no files, no crash.
    setenv("ORV_FILE_DIALOG_CMD", "/nonexistent/dialog", 1);
    sel = CNewFileSelector::create(nullptr);
    EXPECT_FALSE(sel->runModal());
    EXPECT_EQ(sel->getNumSelectedFiles(), 0);
    sel->forget();
    unsetenv("ORV_FILE_DIALOG_CMD");
    std::remove(script.c_str());
    std::remove(argsFile.c_str());
    rmdir(dir);
}

TEST(X11Input, DoubleClickByServerTime)
{
    DoubleClickDetector d;
    EXPECT_FALSE(d.press(1, 10, 10, 1000));
    EXPECT_TRUE(d.press(1, 12, 13, 1400)); // exactly 400 ms, within 4 px
    EXPECT_TRUE(d.press(1, 12, 13, 1500)); // a triple click goes on
    DoubleClickDetector late;
    late.press(1, 10, 10, 1000);
    EXPECT_FALSE(late.press(1, 10, 10, 1401));
    DoubleClickDetector far;
    far.press(1, 10, 10, 1000);
    EXPECT_FALSE(far.press(1, 15, 10, 1100));
    DoubleClickDetector other;
    other.press(1, 10, 10, 1000);
    EXPECT_FALSE(other.press(3, 10, 10, 1100));
    DoubleClickDetector wrap;
    wrap.press(1, 10, 10, 0xFFFFFF00u);
    EXPECT_TRUE(wrap.press(1, 10, 10, 0x50)); // across the 32-bit wrap
    DoubleClickDetector backwards;
    backwards.press(1, 10, 10, 5000);
    EXPECT_FALSE(backwards.press(1, 10, 10, 4000));
    DoubleClickDetector drag;
    drag.press(1, 10, 10, 1000);
    drag.motion(40, 10); // the press became a drag
    EXPECT_FALSE(drag.press(1, 10, 10, 1100));
}

TEST(X11Input, KeyDecodingFromTheKeymap)
{
    KeyDecoder keys;
    if (!keys.loadFromNames("us")) GTEST_SKIP() << "no xkb rules on this machine";
    // Evdev key codes + 8, as X delivers them: a = 38, Return = 36, F5 = 71, BackSpace = 22.
    VstKeyCode k;
    ASSERT_TRUE(keys.decode(38, 0, k));
    EXPECT_EQ(k.character, 'a');
    ASSERT_TRUE(keys.decode(38, XCB_MOD_MASK_SHIFT, k));
    EXPECT_EQ(k.character, 'A');
    EXPECT_EQ(k.modifier, MODIFIER_SHIFT);
    ASSERT_TRUE(keys.decode(38, XCB_MOD_MASK_CONTROL, k));
    EXPECT_EQ(k.character, 'a');
    EXPECT_EQ(k.modifier, MODIFIER_CONTROL);
    ASSERT_TRUE(keys.decode(36, 0, k));
    EXPECT_EQ(k.virt, VKEY_RETURN);
    ASSERT_TRUE(keys.decode(71, 0, k));
    EXPECT_EQ(k.virt, VKEY_F5);
    ASSERT_TRUE(keys.decode(22, 0, k));
    EXPECT_EQ(k.virt, VKEY_BACK);
    EXPECT_FALSE(keys.decode(50, 0, k)); // Shift alone
    KeyDecoder de;
    if (de.loadFromNames("de"))
    {
        ASSERT_TRUE(de.decode(47, 0, k)); // the key right of L
        EXPECT_EQ(k.character, 0xF6);     // ö
    }
}

} // namespace
