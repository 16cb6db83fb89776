// The preset strip through an offscreen frame: mouse gestures on its controls, the images they
// show, the program menu and name field, and the four file dialogs driven by a scripted
// selector.
#include "PresetTestSupport.h"

#include "presets/CPresetRockerSwitch.h"
#include "presets/CPresetSystemEditor.h"
#include "presets/PresetRecords.h"

#include "cbitmap.h"
#include "cfileselector.h"
#include "cframe.h"
#include "coptionmenu.h"
#include "ctextedit.h"

#include <cairo.h>

#include <deque>
#include <filesystem>
#include <map>

using namespace VSTGUI;

namespace
{
// Test pictures: image n of every stacked bitmap is a solid colour that tells n apart.
uint32_t imageColour(int n)
{
    return 0x102030u + static_cast<uint32_t>(n) * 0x301000u;
}

std::map<int32_t, std::vector<unsigned char>>& pictures()
{
    static std::map<int32_t, std::vector<unsigned char>> store;
    return store;
}

void addPicture(int32_t id, int width, int height, int images)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    for (int n = 0; n < images; ++n)
    {
        const uint32_t c = imageColour(n);
        cairo_set_source_rgb(cr, (c >> 16) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
        cairo_rectangle(cr, 0, n * height / images, width, height / images);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    auto& bytes = pictures()[id];
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length)
        {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(surface);
}

bool findPicture(int32_t id, const uint8_t** data, size_t* size)
{
    auto it = pictures().find(id);
    if (it == pictures().end()) return false;
    *data = it->second.data();
    *size = it->second.size();
    return true;
}

// The file dialog as a script: each dialog records its request and ends with the next answer
// (a list of paths, or none for a cancelled dialog).
struct DialogScript
{
    std::vector<FileDialogRequest> requests;
    std::deque<std::vector<std::string>> answers;
};
DialogScript& script()
{
    static DialogScript s;
    return s;
}

class ScriptedDialog : public IFileDialogRunner
{
public:
    bool start(const FileDialogRequest& request) override
    {
        script().requests.push_back(request);
        return true;
    }
    State poll(std::vector<std::string>& paths) override
    {
        if (script().answers.empty()) return State::Running;
        paths = script().answers.front();
        script().answers.pop_front();
        return paths.empty() ? State::Cancelled : State::Chosen;
    }
    void cancel() override {}
};

// The concrete editor's part in a test: an offscreen frame of the editor's size around the strip.
class StripEditor : public CPresetSystemEditor
{
public:
    explicit StripEditor(AudioEffect* effect) : CPresetSystemEditor(effect) {}
    bool open(void* ptr) override
    {
        frame = new CFrame(CRect(0, 0, 320, 257), this);
        frame->open(nullptr, kOffscreen);
        return CPresetSystemEditor::open(ptr);
    }
    void close() override
    {
        CPresetSystemEditor::close();
        if (frame) frame->close();
        frame = nullptr;
    }
};

AEffEditor* makeStripEditor(CPresetSystemEffect* effect)
{
    return new StripEditor(effect);
}

class PresetStripTest : public PresetTest
{
protected:
    void SetUp() override
    {
        PresetTest::SetUp();
        pictures().clear();
        addPicture(kEditorBackgroundBitmap, 320, 257, 1);
        addPicture(19997, 31, 70, 5);
        addPicture(19990, 37, 30, 3);
        addPicture(19899, 47, 30, 3);
        for (int32_t id : {19991, 19992, 19993, 19994, 19995, 19996, 19998, 19999})
            addPicture(id, 12, 42, 3);
        setBitmapResourceProvider(findPicture);
        script() = {};
        setFileDialogRunnerFactory([] { return std::make_unique<ScriptedDialog>(); });
        effect = std::make_unique<TestEffect>(makeStripEditor);
        editor = static_cast<StripEditor*>(effect->getEditor());
        ASSERT_TRUE(editor->open(nullptr));
        frame = editor->getFrame();
    }
    void TearDown() override
    {
        editor->close();
        effect.reset();
        setFileDialogRunnerFactory(nullptr);
    }

    CMouseEventResult press(int32_t tag, int32_t buttons, CCoord dx = 0)
    {
        CPoint where = centreOf(tag);
        where.x += dx;
        return frame->onMouseDown(where, buttons);
    }
    void release(int32_t tag)
    {
        CPoint where = centreOf(tag);
        frame->onMouseUp(where, 0);
    }
    void hover(CPoint where) { frame->onMouseMoved(where, 0); }
    CPoint centreOf(int32_t tag) const
    {
        return editor->getStripControl(tag)->getViewSize().getCenter();
    }
    // The image a control shows now, by the colour at its centre.
    int shownImage(int32_t tag)
    {
        frame->idle();
        PixelImage image;
        frame->getPlatformFrame()->readPixels(image);
        const CPoint c = centreOf(tag);
        const uint32_t colour = image.at(static_cast<int>(c.x), static_cast<int>(c.y));
        for (int n = 0; n < 5; ++n)
            if (colour == imageColour(n)) return n;
        return -1;
    }
    // Lets the frame's idle poll the running dialog, with the given answer.
    void answerDialog(std::vector<std::string> paths)
    {
        script().answers.push_back(std::move(paths));
        frame->idle();
    }

    std::unique_ptr<TestEffect> effect;
    StripEditor* editor = nullptr;
    CFrame* frame = nullptr;
};
} // namespace

TEST_F(PresetStripTest, OpenBuildsTheStripOverTheBackgroundAndCloseForgetsIt)
{
    EXPECT_EQ(frame->getNbViews(), 13);
    EXPECT_EQ(editor->getNameField()->getViewSize(), CRect(96, 233, 212, 248));
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 0");
    EXPECT_EQ(editor->getProgramMenu()->getNbEntries(), 6);
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(5)->getTitle(), "Program 5");
    EXPECT_EQ(editor->getRocker()->getHeightOfOneImage(), 14);
    for (int32_t tag : {kTagLoadBank, kTagSaveBank, kTagLoadPreset, kTagSavePreset, kTagStoreMemoA,
                        kTagStoreMemoB, kTagRecallMemoA, kTagRecallMemoB})
        EXPECT_EQ(dynamic_cast<CKickButton*>(editor->getStripControl(tag))->getHeightOfOneImage(),
                  14);
    EXPECT_EQ(shownImage(kTagLoadPreset), 0);
    editor->close();
    EXPECT_EQ(editor->getNameField(), nullptr);
    EXPECT_EQ(editor->getStripControl(kTagStoreMemoB), nullptr);
    editor->programNameChanged("No window"); // touches no control
}

TEST_F(PresetStripTest, LoadAndSaveButtonsReportReversedLoadsOnTheRightButtonAlone)
{
    EXPECT_EQ(press(kTagLoadPreset, kRButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(script().requests.back().title, "Load preset (endian-reversed)");
    answerDialog({});
    press(kTagLoadPreset, kRButton | kShift);
    EXPECT_EQ(script().requests.back().title, "Load preset");
    answerDialog({});
    press(kTagLoadBank, kLButton);
    EXPECT_EQ(script().requests.back().title, "Load bank");
    answerDialog({});
    press(kTagLoadBank, kRButton);
    EXPECT_EQ(script().requests.back().title, "Load bank (endian-reversed)");
    answerDialog({});
    press(kTagSavePreset, kRButton);
    EXPECT_EQ(script().requests.back().title, "Save preset");
    answerDialog({});

    EXPECT_EQ(press(kTagLoadPreset, kMButton), kMouseEventNotHandled);
    EXPECT_EQ(press(kTagSaveBank, kMButton), kMouseEventNotHandled);
    EXPECT_EQ(script().requests.size(), 5u);
}

TEST_F(PresetStripTest, RightClickLoadsThePresetWithReversedFloats)
{
    ProgramRecord& program = effect->getPrograms()[0];
    program.values[1] = 0.25f;
    ASSERT_TRUE(editor->savePresetFile((files / "p.orv").c_str()));
    effect->selectProgram(2);

    press(kTagLoadPreset, kRButton);
    answerDialog({files / "p.orv"});
    EXPECT_EQ(bitsOf(effect->getPrograms()[2].values[1]), byteSwapped32(bitsOf(0.25f)));
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 0");
    EXPECT_STREQ(editor->getProgramMenu()->getCurrent()->getTitle(), "Program 0");
}

TEST_F(PresetStripTest, DefaultButtonsActOnDoubleClicksOnlyAndCtrlClears)
{
    const std::string value = XdgSettingsStore::userFolder() + "DefaultPreset";
    EXPECT_EQ(press(kTagDefaultPreset, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(press(kTagDefaultPreset, kRButton | kDoubleClick),
              kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FALSE(std::filesystem::exists(value));

    EXPECT_EQ(press(kTagDefaultPreset, kLButton | kDoubleClick), kMouseEventHandled);
    release(kTagDefaultPreset);
    EXPECT_EQ(readBytes(value).size(), 61u);
    press(kTagDefaultPreset, kLButton | kControl);
    EXPECT_TRUE(std::filesystem::exists(value));
    press(kTagDefaultPreset, kLButton | kDoubleClick | kControl);
    release(kTagDefaultPreset);
    EXPECT_FALSE(std::filesystem::exists(value));

    press(kTagDefaultBank, kLButton | kDoubleClick);
    release(kTagDefaultBank);
    EXPECT_EQ(readBytes(XdgSettingsStore::userFolder() + "DefaultBank").size(), 341u);
}

TEST_F(PresetStripTest, MemoryButtonsActOnThePressAndShowItUntilRelease)
{
    const std::string value = XdgSettingsStore::userFolder() + "MemoA";
    storeProgramName(effect->getPrograms()[0], "Kept in A");
    hover(centreOf(kTagStoreMemoA));
    EXPECT_EQ(shownImage(kTagStoreMemoA), 1);
    press(kTagStoreMemoA, kLButton);
    EXPECT_TRUE(std::filesystem::exists(value)); // before the release
    EXPECT_EQ(shownImage(kTagStoreMemoA), 2);
    release(kTagStoreMemoA);
    EXPECT_EQ(shownImage(kTagStoreMemoA), 1);

    effect->selectProgram(4);
    press(kTagRecallMemoA, kLButton);
    release(kTagRecallMemoA);
    EXPECT_STREQ(effect->getPrograms()[4].name, "Kept in A");
    EXPECT_STREQ(editor->getNameField()->getText(), "Kept in A");
}

TEST_F(PresetStripTest, RockerStepsOneProgramPerPressWithoutWrapping)
{
    const CRect r = editor->getRocker()->getViewSize();
    const CCoord centre = (r.left + r.right) / 2;
    auto pressAt = [&](CCoord x)
    {
        CPoint where(x, r.top + 5);
        frame->onMouseDown(where, kLButton);
        // Moving with the button held does nothing more.
        CPoint moved(r.left + 1, r.top + 5);
        frame->onMouseMoved(moved, kLButton);
        frame->onMouseUp(moved, 0);
    };
    pressAt(centre); // the centre line counts as the right half
    EXPECT_EQ(effect->getCurrentProgramIndex(), 1);
    for (int i = 0; i < 6; ++i)
        pressAt(r.right - 2);
    EXPECT_EQ(effect->getCurrentProgramIndex(), 5);
    EXPECT_EQ(editor->getProgramMenu()->getCurrentIndex(), 5);
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 5");

    effect->getPrograms()[5].values[3] = 0.875f;
    effect->applied.clear();
    displayUpdates() = 0;
    pressAt(r.right - 2); // at the end it re-applies program 5
    EXPECT_EQ(effect->getCurrentProgramIndex(), 5);
    EXPECT_EQ(effect->applied.size(), 8u);
    EXPECT_GE(displayUpdates(), 1);

    for (int i = 0; i < 7; ++i)
        pressAt(r.left + 2);
    EXPECT_EQ(effect->getCurrentProgramIndex(), 0);
}

TEST_F(PresetStripTest, RockerShowsTheHalfUnderTheMouseAndThePressedHalf)
{
    const CRect r = editor->getRocker()->getViewSize();
    CPoint right(r.right - 3, r.top + 5), left(r.left + 3, r.top + 5);
    hover(left);
    EXPECT_EQ(shownImage(kTagProgramStep), 1);
    hover(right);
    EXPECT_EQ(shownImage(kTagProgramStep), 2);
    frame->onMouseDown(right, kLButton);
    EXPECT_EQ(shownImage(kTagProgramStep), 4);
    frame->onMouseUp(right, 0);
    EXPECT_EQ(shownImage(kTagProgramStep), 2);
    hover(CPoint(5, 5));
    EXPECT_EQ(shownImage(kTagProgramStep), 0);
}

TEST_F(PresetStripTest, MenuAndNameFieldSelectAndRenamePrograms)
{
    editor->getProgramMenu()->setValue(3);
    editor->valueChanged(editor->getProgramMenu());
    EXPECT_EQ(effect->getCurrentProgramIndex(), 3);
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 3");
    // A name set by the host shows in the field and the current entry.
    char hostName[] = "From the host";
    effect->setProgramName(hostName);
    EXPECT_STREQ(editor->getNameField()->getText(), "From the host");
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(3)->getTitle(), "From the host");

    // Type a 30-character name into the field and commit it with Return.
    CPoint field = centreOf(kTagProgramName);
    frame->onMouseDown(field, kLButton);
    for (int i = 0; i < 30; ++i)
    {
        VSTGUI::VstKeyCode back{0, VKEY_BACK, 0};
        frame->onKeyDown(back);
    }
    for (char c : std::string("abcdefghijklmnopqrstuvwxyz0123"))
    {
        VSTGUI::VstKeyCode key{c, 0, 0};
        frame->onKeyDown(key);
    }
    VSTGUI::VstKeyCode enter{0, VKEY_RETURN, 0};
    frame->onKeyDown(enter);
    EXPECT_EQ(std::string(effect->getPrograms()[3].name, 24), "abcdefghijklmnopqrstuvwx");
    EXPECT_STREQ(editor->getProgramMenu()->getCurrent()->getTitle(), "abcdefghijklmnopqrstuvwx");
}

TEST_F(PresetStripTest, DialogsLoadAndSaveFilesEndToEnd)
{
    storeProgramName(effect->getPrograms()[0], "Saved");
    press(kTagSavePreset, kLButton);
    const FileDialogRequest saveRequest = script().requests.back();
    EXPECT_EQ(saveRequest.style, CNewFileSelector::kSelectSaveFile);
    ASSERT_EQ(saveRequest.extensions.size(), 1u);
    EXPECT_STREQ(saveRequest.extensions[0].getExtension(), "orv");
    EXPECT_STREQ(saveRequest.extensions[0].getDescription(), "Orv Preset");
    answerDialog({files / "one"}); // the default extension is added
    EXPECT_EQ(readBytes(files / "one.orv").size(), 61u);

    press(kTagSaveBank, kLButton);
    EXPECT_EQ(script().requests.back().initialDirectory, files.path());
    EXPECT_STREQ(script().requests.back().extensions[0].getExtension(), "orb");
    answerDialog({files / "all.orb"});
    EXPECT_EQ(readBytes(files / "all.orb").size(), 341u);

    effect->installFactoryPrograms();
    press(kTagLoadBank, kLButton);
    EXPECT_EQ(script().requests.back().style, CNewFileSelector::kSelectFile);
    EXPECT_FALSE(script().requests.back().allowMultiple);
    answerDialog({files / "all.orb"});
    EXPECT_STREQ(effect->getPrograms()[0].name, "Saved");
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(0)->getTitle(), "Saved");

    effect->selectProgram(1);
    press(kTagLoadPreset, kLButton);
    answerDialog({files / "one.orv"});
    EXPECT_STREQ(effect->getPrograms()[1].name, "Saved");

    // The next save dialog offers the remembered folder and file name.
    press(kTagSavePreset, kLButton);
    EXPECT_EQ(script().requests.back().defaultSaveName, "one.orv");
    answerDialog({});
}

TEST_F(PresetStripTest, ACancelledDialogChangesNothing)
{
    std::filesystem::create_directory(files / "elsewhere");
    ASSERT_TRUE(editor->savePresetFile((files / "p.orv").c_str()));
    const std::string folder = editor->getCurrentDirectory();
    const auto before = effect->storeBytes();
    for (int32_t tag : {kTagLoadPreset, kTagSavePreset, kTagLoadBank, kTagSaveBank})
    {
        press(tag, kLButton);
        EXPECT_TRUE(editor->isFileDialogRunning());
        answerDialog({});
        EXPECT_FALSE(editor->isFileDialogRunning());
    }
    // Several files chosen count as none.
    press(kTagLoadPreset, kLButton);
    answerDialog({files / "p.orv", files / "elsewhere/q.orv"});
    EXPECT_EQ(effect->storeBytes(), before);
    EXPECT_EQ(editor->getCurrentDirectory(), folder);
    EXPECT_STREQ(editor->getCurrentPresetName(), "p.orv");
    EXPECT_EQ(folderEntries(files.path()), (std::vector<std::string>{"elsewhere", "p.orv"}));

    // A dialog still running when the window closes ends without any effect.
    press(kTagLoadPreset, kLButton);
    editor->close();
    EXPECT_FALSE(editor->isFileDialogRunning());
}

// The library's own pictures fit the strip: every bitmap loads, is as wide as its control and
// stacks whole images of the control's height.
TEST_F(PresetTest, EmbeddedArtworkFitsTheStrip)
{
    setBitmapResourceProvider(nullptr); // the editor installs the library's own
    TestEffect effect(makeStripEditor);
    auto* editor = static_cast<StripEditor*>(effect.getEditor());
    ASSERT_TRUE(editor->open(nullptr));
    for (int32_t tag : {kTagProgramStep, kTagLoadBank, kTagSaveBank, kTagDefaultBank,
                        kTagLoadPreset, kTagSavePreset, kTagDefaultPreset, kTagRecallMemoA,
                        kTagStoreMemoA, kTagRecallMemoB, kTagStoreMemoB})
    {
        CControl* control = editor->getStripControl(tag);
        CBitmap* bitmap = control->getBackground();
        ASSERT_TRUE(bitmap && bitmap->isLoaded()) << tag;
        const auto* images = dynamic_cast<IMultiBitmapControl*>(control);
        const int count = tag == kTagProgramStep ? 5 : 3;
        EXPECT_EQ(bitmap->getWidth(), control->getViewSize().getWidth()) << tag;
        EXPECT_EQ(bitmap->getHeight(), count * images->getHeightOfOneImage()) << tag;
        EXPECT_GE(images->getHeightOfOneImage(), control->getViewSize().getHeight()) << tag;
    }
    editor->close();
}
