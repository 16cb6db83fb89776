#include "presetstrip/CPresetSystemEditor.h"

#include "editorglue/LayoutRect.h"

#include "presets/CPresetSystemEffect.h"
#include "presetstrip/CMessageView.h"
#include "presetstrip/CPresetKickButton.h"
#include "presetstrip/CPresetRockerSwitch.h"
#include "presetstrip/CSaveLoadButton.h"

#include "cbitmap.h"
#include "cfileselector.h"
#include "cfont.h"
#include "cframe.h"
#include "coptionmenu.h"
#include "ctextedit.h"
#include "text/TextBytes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace VSTGUI;

namespace
{
enum class ButtonKind
{
    SaveLoad,    // CSaveLoadButton
    Kick,        // CPresetKickButton, single click
    DoubleClick, // CPresetKickButton, double-click
};

struct StripButton
{
    ButtonKind kind;
    int32_t tag;
    LayoutRect rect;
    int32_t bitmap;
    int32_t subImages;
};

// The ten buttons, in creation order (after the name field, the menu and the rocker). Each has
// its own bitmap with its images stacked vertically.
const StripButton kStripButtons[] = {
    {ButtonKind::SaveLoad, kTagLoadBank, kLoadBankButton, kLoadBankButtonBitmap, 3},
    {ButtonKind::SaveLoad, kTagSaveBank, kSaveBankButton, kSaveBankButtonBitmap, 3},
    {ButtonKind::DoubleClick, kTagDefaultBank, kDefaultBankButton, kDefaultBankButtonBitmap, 3},
    {ButtonKind::SaveLoad, kTagLoadPreset, kLoadPresetButton, kLoadPresetButtonBitmap, 3},
    {ButtonKind::SaveLoad, kTagSavePreset, kSavePresetButton, kSavePresetButtonBitmap, 3},
    {ButtonKind::DoubleClick, kTagDefaultPreset, kDefaultPresetButton, kDefaultPresetButtonBitmap,
     3},
    {ButtonKind::Kick, kTagRecallMemoA, kRecallMemoAButton, kRecallMemoAButtonBitmap, 3},
    {ButtonKind::Kick, kTagStoreMemoA, kStoreMemoAButton, kStoreMemoAButtonBitmap, 3},
    {ButtonKind::Kick, kTagRecallMemoB, kRecallMemoBButton, kRecallMemoBButtonBitmap, 3},
    {ButtonKind::Kick, kTagStoreMemoB, kStoreMemoBButton, kStoreMemoBButtonBitmap, 3},
};

// The row of the button with `tag`, or -1 for other tags.
int buttonRow(int32_t tag)
{
    for (size_t row = 0; row < std::size(kStripButtons); ++row)
        if (kStripButtons[row].tag == tag) return static_cast<int>(row);
    return -1;
}

constexpr int32_t kRockerBitmap = 19997;
constexpr int32_t kRockerSubImages = 5;
// The menu draws nothing of its own (no-draw and no-text flags): a click area over the
// background.
constexpr int32_t kMenuStyle = 0x1E00;

const CColor kNameBackColor(189, 207, 218, 255);
const CColor kNameTextColor(36, 36, 32, 255);

// The name of program `index` with its terminator (a full 24-character name has none stored).
std::string programName(CPresetSystemEffect* effect, VstInt32 index)
{
    char text[kProgramNameLength + 1] = {};
    effect->getProgramNameIndexed(0, index, text);
    return text;
}

// A program name as a file name: shown as text (UTF-8), without the characters file systems
// refuse, no dots or spaces at its end; "Preset" when nothing is left.
std::string fileNameFor(const std::string& name)
{
    std::string file = orv::toDisplayUtf8(name);
    for (char& c : file)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\:*?\"<>|", c)) c = '_';
    while (!file.empty() && (file.back() == ' ' || file.back() == '.'))
        file.pop_back();
    while (!file.empty() && file.front() == ' ')
        file.erase(file.begin());
    return file.empty() ? "Preset" : file;
}

// A save without an extension gets the dialog's default one, as the Windows dialog adds it.
std::string withExtension(std::string path, const char* extension)
{
    const size_t nameStart = path.rfind(kPathSeparator);
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart))
        path += std::string(".") + extension;
    return path;
}
} // namespace

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* effect,
                                         std::unique_ptr<SettingsStore> settings)
    : AEffGUIEditor(effect),
      PresetSystemCore(dynamic_cast<CPresetSystemEffect*>(effect), std::move(settings))
{
}

// The remembered names are written by PresetSystemCore's destructor.
CPresetSystemEditor::~CPresetSystemEditor()
{
    endFileDialog();
}

bool CPresetSystemEditor::open(void*)
{
    CPresetSystemEffect* store = presetEffect;
    if (!frame || !store || !store->getPrograms()) return false;
    const VstInt32 current = store->getCurrentProgramIndex();
    auto* background = new CBitmap(CResourceDescription(kEditorBackgroundBitmap));

    // The name field's rectangle is centred vertically on its 11-pixel font, 2 pixels above and
    // below the text (nominally 235 to 246).
    const CRect nameRect = toRect(kNameField);
    nameField = new CTextEdit(nameRect, this, kTagProgramName, programName(store, current).c_str(),
                              background, 0);
    nameField->setBackOffset(CPoint(nameRect.left, nameRect.top));
    nameField->setBackColor(kNameBackColor);
    nameField->setFont(kNormalFontSmall);
    nameField->setFontColor(kNameTextColor);
    nameField->setFrameColor(kNameTextColor);
    nameField->setHoriAlign(kCenterText);
    frame->addView(nameField);

    const CRect menuRect = toRect(kProgramMenu);
    programMenu = new COptionMenu(menuRect, this, kTagProgramMenu, background, nullptr, 0);
    programMenu->setBackOffset(CPoint(menuRect.left, menuRect.top));
    programMenu->setNbItemsPerColumn(16);
    programMenu->setStyle(kMenuStyle);
    // Entry i always stands for program i. The entries are made here rather than from their
    // titles, which would turn a program named "-" into a separator and shift the entries after it.
    for (VstInt32 i = 0; i < kNumPresetPrograms; ++i)
        programMenu->addEntry(new CMenuItem(programName(store, i).c_str(), CMenuItem::kNoFlags), i);
    programMenu->setCurrent(current, false);
    frame->addView(programMenu);

    auto* rockerBitmap = new CBitmap(CResourceDescription(kRockerBitmap));
    rocker = new CPresetRockerSwitch(toRect(kRocker), this, kTagProgramStep,
                                     std::floor(rockerBitmap->getHeight() / kRockerSubImages),
                                     rockerBitmap, CPoint(0, 0), kHorizontal);
    frame->addView(rocker);
    rockerBitmap->forget();

    static_assert(std::size(kStripButtons) == kNumStripButtons);
    for (size_t i = 0; i < kNumStripButtons; ++i)
    {
        const StripButton& row = kStripButtons[i];
        auto* bitmap = new CBitmap(CResourceDescription(row.bitmap));
        const CCoord imageHeight = std::floor(bitmap->getHeight() / row.subImages);
        CKickButton* button;
        if (row.kind == ButtonKind::SaveLoad)
            button = new CSaveLoadButton(toRect(row.rect), this, row.tag, imageHeight, bitmap,
                                         CPoint(0, 0));
        else
            button = new CPresetKickButton(toRect(row.rect), this, row.tag, imageHeight, bitmap,
                                           CPoint(0, 0), row.kind == ButtonKind::DoubleClick);
        frame->addView(button);
        bitmap->forget();
        buttons[i] = button;
    }
    background->forget();
    idleTimer.start(this);
    return true;
}

double CPresetSystemEditor::rememberedZoom()
{
    char text[16] = {};
    if (!settings || !settings->readText(kSettingZoom, text, sizeof text)) return 0.0;
    char* end = nullptr;
    const long percent = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || percent < 100 || percent > 300) return 0.0;
    return static_cast<double>(percent) / 100.0;
}

void CPresetSystemEditor::showZoomMenu(const CPoint& where)
{
    if (!frame || !frame->isOpen()) return;
    if (!zoomMenu)
    {
        // Made when first asked for. It draws nothing and takes no clicks itself: it only
        // holds the list, opened at the right-click's position.
        zoomMenu = new COptionMenu(CRect(0, 0, 1, 1), this, kTagZoomMenu, nullptr, nullptr,
                                   kNoDrawStyle | kCheckStyle);
        zoomMenu->setMouseEnabled(false);
        for (double zoom : kZoomChoices)
        {
            const std::string title =
                zoom > 0 ? std::to_string(static_cast<int>(zoom * 100 + 0.5)) + " %" : "Automatic";
            zoomMenu->addEntry(new CMenuItem(title.c_str(), CMenuItem::kNoFlags));
        }
        frame->addView(zoomMenu);
    }
    int32_t current = 0;
    for (size_t i = 0; i < std::size(kZoomChoices); ++i)
        if (kZoomChoices[i] == getUserZoom()) current = static_cast<int32_t>(i);
    zoomMenu->setCurrent(current);
    zoomMenu->setViewSize(CRect(where.x, where.y, where.x + 1, where.y + 1));
    zoomMenu->popup();
}

void CPresetSystemEditor::chooseZoom()
{
    if (!zoomMenu) return;
    const auto index = static_cast<size_t>(zoomMenu->getValue() + 0.5f);
    if (index >= std::size(kZoomChoices)) return;
    const double zoom = kZoomChoices[index];
    if (settings)
    {
        if (zoom > 0)
            settings->writeText(kSettingZoom,
                                std::to_string(static_cast<int>(zoom * 100 + 0.5)).c_str());
        else
            settings->remove(kSettingZoom);
    }
    setUserZoom(zoom);
}

void CPresetSystemEditor::close()
{
    idleTimer.stop();
    endFileDialog();
    nameField = nullptr;
    programMenu = nullptr;
    zoomMenu = nullptr;
    rocker = nullptr;
    buttons.fill(nullptr);
}

CControl* CPresetSystemEditor::getStripControl(int32_t tag) const
{
    switch (tag)
    {
    case kTagProgramName:
        return nameField;
    case kTagProgramStep:
        return rocker;
    case kTagProgramMenu:
        return programMenu;
    default:
        break;
    }
    const int row = buttonRow(tag);
    return row < 0 ? nullptr : buttons[static_cast<size_t>(row)];
}

void CPresetSystemEditor::programNameChanged(const char* name)
{
    if (nameField) nameField->setText(name);
    if (programMenu)
        if (CMenuItem* entry = programMenu->getCurrent()) entry->setTitle(name);
}

void CPresetSystemEditor::bankNamesChanged()
{
    showProgramNames(0);
}

void CPresetSystemEditor::programsReplaced()
{
    programNamesStale.store(true);
}

void CPresetSystemEditor::idle()
{
    // A menu entry left with an old name would give that name back to its program when chosen.
    if (programNamesStale.exchange(false) && presetEffect)
        showProgramNames(presetEffect->getCurrentProgramIndex());
    AEffGUIEditor::idle();
}

void CPresetSystemEditor::showProgramNames(VstInt32 current)
{
    CPresetSystemEffect* store = presetEffect;
    if (programMenu)
    {
        for (VstInt32 i = 0; i < kNumPresetPrograms; ++i)
            if (CMenuItem* entry = programMenu->getEntry(i))
                entry->setTitle(programName(store, i).c_str());
        programMenu->setCurrent(current, false);
    }
    if (nameField) nameField->setText(programName(store, current).c_str());
}

void CPresetSystemEditor::redrawAfterLoad()
{
    if (frame) frame->invalid();
}

void CPresetSystemEditor::valueChanged(CControl* control)
{
    if (!presetEffect || !control) return;
    const float value = control->getValue();
    switch (control->getTag())
    {
    case kTagProgramName:
        if (auto* field = dynamic_cast<CTextEdit*>(control))
        {
            // A typed name longer than the field holds loses its last characters, whole.
            const char* typed = field->getText();
            char text[kProgramNameLength + 1] = {};
            std::memcpy(text, typed, programNameLength(typed));
            applyProgramName(text);
        }
        break;
    case kTagProgramStep:
        stepProgram(value);
        break;
    case kTagProgramMenu:
        chooseProgram();
        break;
    case kTagZoomMenu:
        chooseZoom();
        break;
    // A right click reports exactly 0.5 and asks for the reversed byte order.
    case kTagLoadBank:
        loadBank(value == 0.5f);
        break;
    case kTagSaveBank:
        saveBank();
        break;
    case kTagLoadPreset:
        loadPreset(value == 0.5f);
        break;
    case kTagSavePreset:
        savePreset();
        break;
    // A double-click reports 1.0 and stores; Ctrl + double-click reports 0.5 and clears.
    case kTagDefaultBank:
        value < 0.75f ? clearDefaultBank() : storeDefaultBank();
        break;
    case kTagDefaultPreset:
        value < 0.75f ? clearDefaultPreset() : storeDefaultPreset();
        break;
    case kTagStoreMemoA:
        storeMemoA();
        break;
    case kTagStoreMemoB:
        storeMemoB();
        break;
    case kTagRecallMemoA:
        recallMemoA();
        break;
    case kTagRecallMemoB:
        recallMemoB();
        break;
    default:
        break;
    }
}

void CPresetSystemEditor::showProgram(VstInt32 index)
{
    CPresetSystemEffect* store = presetEffect;
    const std::string name = programName(store, index);
    if (programMenu) programMenu->setCurrent(index, false);
    if (nameField) nameField->setText(name.c_str());
    store->selectProgram(index);
    store->renameCurrentProgram(name.c_str());
}

// One program back or forward; the ends do not wrap, and pressing there re-applies the program.
void CPresetSystemEditor::stepProgram(float direction)
{
    VstInt32 k = presetEffect->getCurrentProgramIndex();
    if (direction > 0)
        k = std::min<VstInt32>(k + 1, kNumPresetPrograms - 1);
    else if (direction < 0)
        k = std::max<VstInt32>(k - 1, 0);
    else
        return;
    showProgram(k);
}

void CPresetSystemEditor::chooseProgram()
{
    if (!programMenu) return;
    const auto k = static_cast<VstInt32>(programMenu->getValue() + 0.5f);
    if (k < 0 || k >= kNumPresetPrograms) return;
    programMenu->setCurrent(k, false);
    CMenuItem* entry = programMenu->getCurrent();
    const std::string title = entry ? entry->getTitle() : programName(presetEffect, k);
    presetEffect->selectProgram(k);
    presetEffect->renameCurrentProgram(title.c_str());
    if (nameField) nameField->setText(title.c_str());
}

void CPresetSystemEditor::loadPreset(bool reversed)
{
    runFileDialog(FileAction::LoadPreset, reversed);
}

void CPresetSystemEditor::savePreset()
{
    runFileDialog(FileAction::SavePreset, false);
}

void CPresetSystemEditor::loadBank(bool reversed)
{
    runFileDialog(FileAction::LoadBank, reversed);
}

void CPresetSystemEditor::saveBank()
{
    runFileDialog(FileAction::SaveBank, false);
}

CSaveLoadButton* CPresetSystemEditor::dialogButton(FileAction action) const
{
    int32_t tag = kTagLoadPreset;
    switch (action)
    {
    case FileAction::LoadPreset:
        tag = kTagLoadPreset;
        break;
    case FileAction::SavePreset:
        tag = kTagSavePreset;
        break;
    case FileAction::LoadBank:
        tag = kTagLoadBank;
        break;
    case FileAction::SaveBank:
        tag = kTagSaveBank;
        break;
    }
    return dynamic_cast<CSaveLoadButton*>(getStripControl(tag));
}

void CPresetSystemEditor::runFileDialog(FileAction action, bool reversed)
{
    if (!frame) return;
    // The open dialog may have gone behind the host's window: a click on any arrow shows it.
    if (runningDialog)
    {
        runningDialog->raise();
        return;
    }
    const bool saving = action == FileAction::SavePreset || action == FileAction::SaveBank;
    const bool bank = action == FileAction::LoadBank || action == FileAction::SaveBank;
    CNewFileSelector* selector = CNewFileSelector::create(
        frame, saving ? CNewFileSelector::kSelectSaveFile : CNewFileSelector::kSelectFile);
    if (!selector) return;
    const CFileExtension extension =
        bank ? CFileExtension(kBankFileDescription, kBankFileExtension)
             : CFileExtension(kPresetFileDescription, kPresetFileExtension);
    const char* title = nullptr;
    switch (action)
    {
    case FileAction::LoadPreset:
        title = reversed ? "Load preset (endian-reversed)" : "Load preset";
        break;
    case FileAction::SavePreset:
        title = "Save preset";
        break;
    case FileAction::LoadBank:
        title = reversed ? "Load bank (endian-reversed)" : "Load bank";
        break;
    case FileAction::SaveBank:
        title = "Save bank";
        break;
    }
    selector->setTitle(title);
    selector->setInitialDirectory(currentDirectory);
    if (saving)
    {
        // The last file's name; a preset with none remembered is proposed under its program's
        // name.
        std::string name = bank ? currentBankName : currentPresetName;
        if (!bank && name.empty())
            name = fileNameFor(programName(presetEffect, presetEffect->getCurrentProgramIndex())) +
                   "." + kPresetFileExtension;
        selector->setDefaultSaveName(name.c_str());
        selector->setDefaultExtension(extension);
    }
    else
    {
        selector->addFileExtension(extension);
        selector->setAllowMultiFileSelection(false);
    }
    // The frame's idle polls the dialog; our reference keeps it until it ends or the window
    // closes.
    const bool started = selector->run([this, action, reversed](CNewFileSelector* ended)
                                       { fileDialogEnded(ended, action, reversed); });
    if (!started)
    {
        // No dialog program on this system: say what to install instead of doing nothing.
        const std::string message = selector->getUnavailableMessage();
        selector->forget();
        if (!message.empty()) CMessageView::show(frame, message.c_str());
        return;
    }
    runningDialog = selector;
    runningAction = action;
    if (CSaveLoadButton* button = dialogButton(action)) button->setDialogOpen(true);
}

void CPresetSystemEditor::fileDialogEnded(CNewFileSelector* selector, FileAction action,
                                          bool reversed)
{
    if (selector != runningDialog) return;
    // Exactly one file, or nothing happens (cancelled, failed or several chosen).
    const std::string chosen = selector->getNumSelectedFiles() == 1 && selector->getSelectedFile(0)
                                   ? selector->getSelectedFile(0)
                                   : "";
    endFileDialog();
    if (chosen.empty()) return;
    switch (action)
    {
    case FileAction::LoadPreset:
        loadPresetFile(chosen.c_str(), reversed);
        break;
    case FileAction::LoadBank:
        loadBankFile(chosen.c_str(), reversed);
        break;
    case FileAction::SavePreset:
        savePresetFile(withExtension(chosen, kPresetFileExtension).c_str());
        break;
    case FileAction::SaveBank:
        saveBankFile(withExtension(chosen, kBankFileExtension).c_str());
        break;
    }
}

void CPresetSystemEditor::endFileDialog()
{
    if (CNewFileSelector* dialog = runningDialog)
    {
        runningDialog = nullptr;
        if (CSaveLoadButton* button = dialogButton(runningAction)) button->setDialogOpen(false);
        dialog->cancel();
        dialog->forget();
    }
}
