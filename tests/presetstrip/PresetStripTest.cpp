// The preset strip through an offscreen frame: mouse gestures on its controls, the program menu
// and name field, and the four file dialogs driven by a scripted selector.
#include "PresetTestSupport.h"

#include "presetstrip/CPresetKickButton.h"
#include "presetstrip/CPresetRockerSwitch.h"
#include "presetstrip/CPresetSystemEditor.h"
#include "presetstrip/CSaveLoadButton.h"

#include "cbitmap.h"
#include "cfileselector.h"
#include "cframe.h"
#include "coptionmenu.h"
#include "ctextedit.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>

using namespace VSTGUI;

namespace
{
// Each dialog records its request and ends at the next idle with the next answer (no paths:
// cancelled).
std::vector<FileDialogRequest> requests;
std::deque<std::vector<std::string>> answers;
int raises = 0;

class ScriptedDialog : public IFileDialogRunner
{
public:
    bool start(const FileDialogRequest& request) override
    {
        requests.push_back(request);
        return true;
    }
    State poll(std::vector<std::string>& paths) override
    {
        if (answers.empty()) return State::Running;
        paths = answers.front();
        answers.pop_front();
        return paths.empty() ? State::Cancelled : State::Chosen;
    }
    void cancel() override {}
    void raise() override { ++raises; }
};

// The concrete editor's part: an offscreen frame of the editor's size around the strip.
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

class PresetStripTest : public PresetTest
{
protected:
    void SetUp() override
    {
        PresetTest::SetUp();
        requests.clear();
        answers.clear();
        raises = 0;
        setFileDialogRunnerFactory([] { return std::make_unique<ScriptedDialog>(); });
        effect = std::make_unique<TestEffect>([](CPresetSystemEffect* e) -> AEffEditor*
                                              { return new StripEditor(e); });
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

    CPoint centreOf(int32_t tag) const
    {
        return editor->getStripControl(tag)->getViewSize().getCenter();
    }
    CMouseEventResult press(int32_t tag, int32_t buttons)
    {
        CPoint where = centreOf(tag);
        return frame->onMouseDown(where, buttons);
    }
    void click(int32_t tag, int32_t buttons)
    {
        press(tag, buttons);
        CPoint where = centreOf(tag);
        frame->onMouseUp(where, 0);
    }
    // The frame's idle polls the running dialog, which ends with `paths`.
    void answer(std::vector<std::string> paths)
    {
        answers.push_back(std::move(paths));
        frame->idle();
    }
    // What the frame shows of a control now.
    std::vector<uint32_t> shown(int32_t tag)
    {
        frame->idle();
        PixelImage image;
        frame->getPlatformFrame()->readPixels(image);
        const CRect r = editor->getStripControl(tag)->getViewSize();
        std::vector<uint32_t> pixels;
        for (auto y = static_cast<int>(r.top); y < r.bottom; ++y)
            for (auto x = static_cast<int>(r.left); x < r.right; ++x)
                pixels.push_back(image.at(x, y));
        return pixels;
    }
    std::string value(const char* name) const { return XdgSettingsStore::userFolder() + name; }
    // Every remembered value, by name.
    std::map<std::string, std::vector<unsigned char>> rememberedValues() const
    {
        std::map<std::string, std::vector<unsigned char>> values;
        if (std::filesystem::exists(XdgSettingsStore::userFolder()))
            for (const std::string& name : folderEntries(XdgSettingsStore::userFolder()))
                values[name] = readBytes(value(name.c_str()));
        return values;
    }
    // A key as a host sends it (down, then up); answers the sum of the two answers.
    VstIntPtr hostKey(unsigned char virt, VstInt32 character = 0)
    {
        return effect->dispatcher(effEditKeyDown, character, virt, nullptr, 0) +
               effect->dispatcher(effEditKeyUp, character, virt, nullptr, 0);
    }

    std::unique_ptr<TestEffect> effect;
    StripEditor* editor = nullptr;
    CFrame* frame = nullptr;
};
} // namespace

// The library's own pictures fit: each is as wide as its control and stacks whole images.
TEST_F(PresetStripTest, OpenPlacesTheStripWithItsPicturesAndCloseLetsGo)
{
    EXPECT_EQ(frame->getNbViews(), 13);
    EXPECT_EQ(editor->getNameField()->getViewSize(), CRect(96, 233, 212, 248));
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(5)->getTitle(), "Program 5");
    for (int32_t tag : {kTagProgramStep, kTagLoadBank, kTagSaveBank, kTagDefaultBank,
                        kTagLoadPreset, kTagSavePreset, kTagDefaultPreset, kTagRecallMemoA,
                        kTagStoreMemoA, kTagRecallMemoB, kTagStoreMemoB})
    {
        CControl* control = editor->getStripControl(tag);
        CBitmap* bitmap = control->getBackground();
        ASSERT_TRUE(bitmap && bitmap->isLoaded()) << tag;
        const auto* images = dynamic_cast<IMultiBitmapControl*>(control);
        EXPECT_EQ(bitmap->getWidth(), control->getViewSize().getWidth()) << tag;
        EXPECT_EQ(bitmap->getHeight(),
                  (tag == kTagProgramStep ? 5 : 3) * images->getHeightOfOneImage())
            << tag;
    }
    editor->close();
    EXPECT_EQ(editor->getStripControl(kTagStoreMemoB), nullptr);
    char name[] = "No window";
    effect->setProgramName(name); // touches no control
}

TEST_F(PresetStripTest, RightButtonAloneOnALoadButtonLoadsReversed)
{
    effect->getPrograms()[0].values[1] = 0.25f;
    ASSERT_TRUE(editor->savePresetFile((files / "p.orv").c_str()));
    effect->selectProgram(2);

    EXPECT_EQ(press(kTagLoadPreset, kRButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(requests.back().title, "Load preset (endian-reversed)");
    answer({files / "p.orv"});
    EXPECT_EQ(bitsOf(effect->getPrograms()[2].values[1]), byteSwapped32(bitsOf(0.25f)));
    EXPECT_STREQ(editor->getProgramMenu()->getCurrent()->getTitle(), "Program 0");

    const std::pair<int32_t, int32_t> presses[] = {{kTagLoadPreset, kRButton | kShift},
                                                   {kTagLoadBank, kLButton},
                                                   {kTagLoadBank, kRButton},
                                                   {kTagSavePreset, kRButton}};
    for (auto [tag, buttons] : presses)
    {
        press(tag, buttons);
        answer({});
    }
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[1].title, "Load preset");
    EXPECT_EQ(requests[2].title, "Load bank");
    EXPECT_EQ(requests[3].title, "Load bank (endian-reversed)");
    EXPECT_EQ(requests[4].title, "Save preset");
    EXPECT_EQ(press(kTagLoadPreset, kMButton), kMouseEventNotHandled);
    EXPECT_EQ(requests.size(), 5u);
}

TEST_F(PresetStripTest, DefaultButtonsActOnDoubleClicksOnlyAndCtrlClears)
{
    EXPECT_EQ(press(kTagDefaultPreset, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    press(kTagDefaultPreset, kRButton | kDoubleClick);
    EXPECT_FALSE(std::filesystem::exists(value("DefaultPreset")));

    EXPECT_EQ(press(kTagDefaultPreset, kLButton | kDoubleClick), kMouseEventHandled);
    EXPECT_EQ(readBytes(value("DefaultPreset")).size(), 61u);
    click(kTagDefaultPreset, kLButton | kControl); // not a double-click: nothing
    EXPECT_TRUE(std::filesystem::exists(value("DefaultPreset")));
    click(kTagDefaultPreset, kLButton | kDoubleClick | kControl);
    EXPECT_FALSE(std::filesystem::exists(value("DefaultPreset")));

    click(kTagDefaultBank, kLButton | kDoubleClick);
    EXPECT_EQ(readBytes(value("DefaultBank")).size(), 341u);
}

TEST_F(PresetStripTest, MemoryButtonsActOnThePressItself)
{
    auto* store = dynamic_cast<CPresetKickButton*>(editor->getStripControl(kTagStoreMemoA));
    storeProgramName(effect->getPrograms()[0], "Kept in A");
    CPoint over = centreOf(kTagStoreMemoA);
    const auto normal = shown(kTagStoreMemoA);
    frame->onMouseMoved(over, 0);
    EXPECT_TRUE(store->isHovered());
    const auto hovered = shown(kTagStoreMemoA);
    press(kTagStoreMemoA, kLButton);
    EXPECT_TRUE(std::filesystem::exists(value("MemoA"))); // before the release
    EXPECT_TRUE(store->isPressed());
    const auto pressed = shown(kTagStoreMemoA);
    frame->onMouseUp(over, 0);
    EXPECT_FALSE(store->isPressed());
    EXPECT_EQ(shown(kTagStoreMemoA), hovered);
    CPoint outside(5, 5);
    frame->onMouseMoved(outside, 0);
    EXPECT_EQ(shown(kTagStoreMemoA), normal);
    EXPECT_NE(normal, hovered);
    EXPECT_NE(hovered, pressed);
    EXPECT_NE(normal, pressed);

    effect->selectProgram(4);
    click(kTagRecallMemoA, kLButton);
    EXPECT_STREQ(effect->getPrograms()[4].name, "Kept in A");
    EXPECT_STREQ(editor->getNameField()->getText(), "Kept in A");
}

TEST_F(PresetStripTest, RockerStepsOneProgramPerPressWithoutWrapping)
{
    CPresetRockerSwitch* rocker = editor->getRocker();
    const CRect r = rocker->getViewSize();
    CPoint left(r.left + 2, r.top + 5), right(r.right - 2, r.top + 5);
    auto pressAt = [&](CPoint where)
    {
        frame->onMouseDown(where, kLButton);
        frame->onMouseMoved(left, kLButton); // moving while held does nothing more
        frame->onMouseUp(where, 0);
    };
    pressAt(CPoint((r.left + r.right) / 2, r.top + 5)); // the centre line is the right half
    EXPECT_EQ(effect->getCurrentProgramIndex(), 1);
    for (int i = 0; i < 5; ++i)
        pressAt(right);
    EXPECT_EQ(effect->getCurrentProgramIndex(), 5);
    EXPECT_EQ(editor->getProgramMenu()->getCurrentIndex(), 5);
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 5");
    effect->applied.clear();
    pressAt(right); // at the end it stays, and applies program 5 again
    EXPECT_EQ(effect->getCurrentProgramIndex(), 5);
    EXPECT_EQ(effect->applied.size(), 8u);
    for (int i = 0; i < 6; ++i)
        pressAt(left);
    EXPECT_EQ(effect->getCurrentProgramIndex(), 0);

    // The half under the mouse, and the pressed half until the release: five different images.
    CPoint outside(5, 5);
    frame->onMouseMoved(outside, 0);
    std::vector<std::vector<uint32_t>> images{shown(kTagProgramStep)};
    frame->onMouseMoved(left, 0);
    EXPECT_EQ(rocker->getHoverSide(), -1);
    images.push_back(shown(kTagProgramStep));
    frame->onMouseMoved(right, 0);
    images.push_back(shown(kTagProgramStep));
    frame->onMouseDown(left, kLButton);
    images.push_back(shown(kTagProgramStep));
    frame->onMouseUp(left, 0);
    frame->onMouseMoved(right, 0);
    frame->onMouseDown(right, kLButton);
    EXPECT_EQ(rocker->getValue(), 1.f);
    images.push_back(shown(kTagProgramStep));
    frame->onMouseUp(right, 0);
    EXPECT_EQ(shown(kTagProgramStep), images[2]);
    frame->onMouseMoved(outside, 0);
    EXPECT_EQ(rocker->getHoverSide(), 0);
    EXPECT_EQ(shown(kTagProgramStep), images[0]);
    for (size_t i = 0; i < images.size(); ++i)
        for (size_t j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << i << " " << j;
}

TEST_F(PresetStripTest, MenuAndNameFieldSelectAndRenamePrograms)
{
    editor->getProgramMenu()->setValue(3);
    editor->valueChanged(editor->getProgramMenu());
    EXPECT_EQ(effect->getCurrentProgramIndex(), 3);
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 3");
    char hostName[] = "From the host";
    effect->setProgramName(hostName);
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(3)->getTitle(), "From the host");

    // Type a 30-character name and commit it with Return: its first 24 characters count.
    CPoint field = centreOf(kTagProgramName);
    frame->onMouseDown(field, kLButton);
    for (int i = 0; i < 13; ++i)
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

    // A program named "-" is an entry like any other (the toolkit makes such a title a
    // separator), so every entry still stands for its program and choosing one keeps its name.
    storeProgramName(effect->getPrograms()[2], "-");
    editor->close();
    ASSERT_TRUE(editor->open(nullptr));
    const auto names = effect->storeBytes();
    for (VstInt32 k : {3, 2})
    {
        editor->getProgramMenu()->setValue(static_cast<float>(k));
        editor->valueChanged(editor->getProgramMenu());
        EXPECT_EQ(effect->getCurrentProgramIndex(), k);
        EXPECT_STREQ(editor->getNameField()->getText(), effect->getPrograms()[k].name);
    }
    EXPECT_EQ(effect->storeBytes(), names);
}

// A chunk loaded while the window is open: its names reach the menu and the name field at the
// next idle, and choosing a program from the menu keeps the name the chunk gave it.
TEST_F(PresetStripTest, NamesOfAChunkLoadedWhileOpenAreShownAndKept)
{
    void* data = nullptr;
    ASSERT_EQ(effect->getChunk(&data), kPresetChunkSize);
    std::vector<unsigned char> chunk(static_cast<unsigned char*>(data),
                                     static_cast<unsigned char*>(data) + kPresetChunkSize);
    const size_t program4Name = 32 + 4 * sizeof(ProgramRecord);
    std::memcpy(&chunk[program4Name], "From the session", 17);
    chunk[12] = 2; // the current program
    ASSERT_EQ(effect->setChunk(chunk.data(), kPresetChunkSize), 0);
    frame->idle();
    editor->idle();
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(4)->getTitle(), "From the session");
    EXPECT_EQ(editor->getProgramMenu()->getCurrentIndex(), 2);
    EXPECT_STREQ(editor->getNameField()->getText(), "Program 2");

    editor->getProgramMenu()->setValue(4);
    editor->valueChanged(editor->getProgramMenu());
    EXPECT_STREQ(effect->getPrograms()[4].name, "From the session");
    EXPECT_STREQ(editor->getNameField()->getText(), "From the session");
}

TEST_F(PresetStripTest, DialogsLoadAndSaveFilesEndToEnd)
{
    storeProgramName(effect->getPrograms()[0], "Saved");
    press(kTagSavePreset, kLButton);
    EXPECT_EQ(requests.back().style, CNewFileSelector::kSelectSaveFile);
    // No file name remembered yet: the program's name is proposed.
    EXPECT_EQ(requests.back().defaultSaveName, "Saved.orv");
    ASSERT_EQ(requests.back().extensions.size(), 1u);
    EXPECT_STREQ(requests.back().extensions[0].getDescription(), "Orv Preset");
    answer({files / "one"}); // the default extension is added
    EXPECT_EQ(readBytes(files / "one.orv").size(), 61u);

    press(kTagSaveBank, kLButton);
    EXPECT_EQ(requests.back().initialDirectory, files.path());
    EXPECT_STREQ(requests.back().extensions[0].getExtension(), "orb");
    answer({files / "all.orb"});

    effect->installFactoryPrograms();
    press(kTagLoadBank, kLButton);
    EXPECT_EQ(requests.back().style, CNewFileSelector::kSelectFile);
    EXPECT_FALSE(requests.back().allowMultiple);
    answer({files / "all.orb"});
    EXPECT_STREQ(effect->getPrograms()[0].name, "Saved");
    EXPECT_STREQ(editor->getProgramMenu()->getEntry(0)->getTitle(), "Saved");

    effect->selectProgram(1);
    press(kTagLoadPreset, kLButton);
    answer({files / "one.orv"});
    EXPECT_STREQ(effect->getPrograms()[1].name, "Saved");
    press(kTagSavePreset, kLButton); // offers the remembered file name
    EXPECT_EQ(requests.back().defaultSaveName, "one.orv");
    answer({});
}

TEST_F(PresetStripTest, ACancelledDialogChangesNothing)
{
    ASSERT_TRUE(editor->savePresetFile((files / "p.orv").c_str()));
    const auto before = effect->storeBytes();
    for (int32_t tag : {kTagLoadPreset, kTagSavePreset, kTagLoadBank, kTagSaveBank})
    {
        press(tag, kLButton);
        EXPECT_TRUE(editor->isFileDialogRunning());
        answer({});
        EXPECT_FALSE(editor->isFileDialogRunning());
    }
    press(kTagLoadPreset, kLButton); // several files count as none
    answer({"/elsewhere/q.orv", "/elsewhere/r.orv"});
    EXPECT_EQ(effect->storeBytes(), before);
    EXPECT_STREQ(editor->getCurrentDirectory(), files.path().c_str());
    EXPECT_STREQ(editor->getCurrentPresetName(), "p.orv");
    EXPECT_EQ(folderEntries(files.path()), std::vector<std::string>{"p.orv"});

    press(kTagLoadPreset, kLButton); // still running when the window closes: no effect
    editor->close();
    EXPECT_FALSE(editor->isFileDialogRunning());
}

// Names made on Windows (Windows-1252 bytes) and names cut inside a character: every strip
// control is still drawn, the name shows the Windows characters, and stored bytes stay as they
// came.
TEST_F(PresetStripTest, ForeignNamesKeepTheStripDrawnAndTheirBytes)
{
    auto pictures = [&]
    {
        frame->invalid(); // a full redraw, as after opening the window
        std::vector<std::vector<uint32_t>> shownNow;
        for (int32_t tag : {kTagProgramStep, kTagLoadBank, kTagSaveBank, kTagDefaultBank,
                            kTagLoadPreset, kTagSavePreset, kTagDefaultPreset, kTagRecallMemoA,
                            kTagStoreMemoA, kTagRecallMemoB, kTagStoreMemoB})
            shownNow.push_back(shown(tag));
        return shownNow;
    };
    const auto before = pictures();
    const auto factoryField = shown(kTagProgramName);
    char windowsName[] = "Caf\xE9 \x93s\x94 \x96 \x80";
    effect->setProgramName(windowsName);
    EXPECT_EQ(pictures(), before);
    EXPECT_NE(shown(kTagProgramName), factoryField);

    // The program menu's list shows all six names.
    press(kTagProgramMenu, kLButton);
    CView* list = frame->getPopupView();
    ASSERT_NE(list, nullptr);
    frame->idle();
    PixelImage image;
    frame->getPlatformFrame()->readPixels(image);
    const CRect r = list->getViewSize();
    for (int row = 0; row < kNumPresetPrograms; ++row)
    {
        int ink = 0;
        for (auto y = static_cast<int>(r.top) + 1 + 16 * row; y < r.top + 17 + 16 * row; ++y)
            for (auto x = static_cast<int>(r.left) + 18; x < r.right - 6; ++x)
            {
                const uint32_t px = image.at(x, y);
                ink += ((px >> 16) & 0xFF) < 128 && ((px >> 8) & 0xFF) < 128 && (px & 0xFF) < 128;
            }
        EXPECT_GT(ink, 10) << "row " << row;
    }
    VSTGUI::VstKeyCode escape{0, VKEY_ESCAPE, 0};
    frame->onKeyDown(escape);

    // A 24-byte name from Windows that ends in a byte which starts UTF-8 sequences fills the
    // field whole, also after a save and a load.
    std::string full = "Stra\xDF"
                       "e der Saiten \xABmf\xBB \xC3";
    effect->setProgramName(full.data());
    ASSERT_TRUE(editor->savePresetFile((files / "full.orv").c_str()));
    effect->selectProgram(3);
    ASSERT_TRUE(editor->loadPresetFile((files / "full.orv").c_str(), false));
    EXPECT_EQ(std::string(effect->getPrograms()[3].name, 24), full);

    // Longer names are cut to 24 bytes between characters, wherever they come from.
    const std::string ascii23 = "abcdefghijklmnopqrstuvw";
    std::string fromHost = ascii23 + "\xC3\xA9 and more";
    effect->setProgramName(fromHost.data());
    EXPECT_STREQ(effect->getPrograms()[3].name, ascii23.c_str());
    EXPECT_STREQ(editor->getNameField()->getText(), ascii23.c_str());
    effect->setProgramName(ascii23.substr(0, 22).data());
    CPoint field = centreOf(kTagProgramName);
    frame->onMouseDown(field, kLButton);
    hostKey(VKEY_END);              // keeps the name, which the click selected, and types after it
    for (unsigned char c : "w\xE9") // é typed as the 24th character: two bytes in UTF-8
        if (c) hostKey(0, c);
    hostKey(VKEY_RETURN);
    EXPECT_STREQ(effect->getPrograms()[3].name, ascii23.c_str());
    std::string windowsLong(30, '\xE9');
    effect->setProgramName(windowsLong.data());
    EXPECT_EQ(std::string(effect->getPrograms()[3].name, 24), std::string(24, '\xE9'));
}

// Only the name field takes keys. The buttons act on the mouse alone: a key a host forwards after
// any click (Return, Enter, Space, down and up) stores, clears, recalls, steps and opens nothing,
// and goes back to the host unused.
TEST_F(PresetStripTest, KeysFromTheHostReachOnlyTheNameField)
{
    click(kTagDefaultPreset, kLButton | kDoubleClick); // remembers the default preset
    ASSERT_EQ(readBytes(value("DefaultPreset")).size(), 61u);
    const std::pair<int32_t, int32_t> clicks[] = {
        {kTagDefaultPreset, kLButton},
        {kTagDefaultPreset, kLButton | kDoubleClick},
        {kTagDefaultBank, kLButton | kDoubleClick},
        {kTagStoreMemoA, kLButton},
        {kTagRecallMemoA, kLButton},
        {kTagStoreMemoB, kLButton},
        {kTagRecallMemoB, kLButton},
        {kTagProgramStep, kLButton},
        {kTagLoadPreset, kLButton},
        {kTagSavePreset, kLButton},
        {kTagLoadBank, kRButton},
        {kTagSaveBank, kLButton},
    };
    for (auto [tag, buttons] : clicks)
    {
        click(tag, buttons);
        if (editor->isFileDialogRunning()) answer({});
        // Whatever a key could store would now differ from what is stored.
        effect->getPrograms()[effect->getCurrentProgramIndex()].values[2] += 0.01f;
        const auto remembered = rememberedValues();
        const auto store = effect->storeBytes();
        const VstInt32 program = effect->getCurrentProgramIndex();
        const size_t dialogs = requests.size();
        for (unsigned char virt : {VKEY_RETURN, VKEY_ENTER, VKEY_SPACE})
            EXPECT_EQ(hostKey(virt), 0) << tag;
        EXPECT_EQ(hostKey(0, 'x'), 0) << tag;
        EXPECT_EQ(rememberedValues(), remembered) << tag;
        EXPECT_EQ(effect->storeBytes(), store) << tag;
        EXPECT_EQ(effect->getCurrentProgramIndex(), program) << tag;
        EXPECT_EQ(requests.size(), dialogs) << tag;
        EXPECT_FALSE(editor->isFileDialogRunning()) << tag;
    }

    CPoint field = centreOf(kTagProgramName);
    frame->onMouseDown(field, kLButton);
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 'x', 0, nullptr, 0), 1);
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 0, VKEY_F5, nullptr, 0), 0);
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 0, VKEY_RETURN, nullptr, 0), 1);
    EXPECT_EQ(std::string(effect->getPrograms()[effect->getCurrentProgramIndex()].name).back(),
              'x');
    EXPECT_EQ(hostKey(VKEY_RETURN), 0); // the edit has ended
}

// A file dialog runs beside the editor: its arrow stays pressed until it ends, and a click on
// any arrow while it is open brings it to the front instead of starting another.
TEST_F(PresetStripTest, AnOpenDialogKeepsItsArrowPressedAndComesToTheFront)
{
    auto* load = dynamic_cast<CSaveLoadButton*>(editor->getStripControl(kTagLoadPreset));
    const auto normal = shown(kTagLoadPreset);
    load->setValue(1.f);
    const auto pressed = shown(kTagLoadPreset);
    load->setValue(0.f);
    ASSERT_NE(normal, pressed);
    const auto saveBankNormal = shown(kTagSaveBank);
    CPoint away(5, 5);

    click(kTagLoadPreset, kLButton);
    frame->onMouseMoved(away, 0);
    EXPECT_EQ(shown(kTagLoadPreset), pressed);
    for (int32_t tag : {kTagSaveBank, kTagLoadBank, kTagSavePreset, kTagLoadPreset})
        click(tag, tag == kTagLoadBank ? kRButton : kLButton);
    frame->onMouseMoved(away, 0);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(raises, 4);
    EXPECT_EQ(shown(kTagLoadPreset), pressed);
    EXPECT_EQ(shown(kTagSaveBank), saveBankNormal);

    answer({});
    EXPECT_FALSE(editor->isFileDialogRunning());
    EXPECT_EQ(shown(kTagLoadPreset), normal);
    click(kTagSaveBank, kLButton); // the next click starts the next dialog
    EXPECT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests.back().title, "Save bank");
    EXPECT_EQ(raises, 4);
    answer({});
}

// A program name proposed as a file name loses what file systems refuse.
TEST_F(PresetStripTest, SaveProposesTheProgramNameAsAFileName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Warm Pad", "Warm Pad.orv"}, {"A/B: mix?", "A_B_ mix_.orv"}, {"  Dots...", "Dots.orv"},
        {"", "Preset.orv"},           {"Caf\xE9", "Caf\xC3\xA9.orv"}, // a Windows-1252 name becomes
                                                                      // UTF-8
    };
    for (const auto& [name, file] : cases)
    {
        storeProgramName(effect->getPrograms()[effect->getCurrentProgramIndex()], name);
        press(kTagSavePreset, kLButton);
        EXPECT_EQ(requests.back().defaultSaveName, file) << name;
        answer({});
    }
}
