// The editor's preset layer: the strip of thirteen controls along the bottom of the window
// (program name, program menu, previous/next rocker, load and save buttons for presets and
// banks, default buttons, memories A and B), the four file dialogs, and everything of
// PresetSystemCore (records, files, the user's remembered values). The concrete editor derives
// from it, builds its frame, calls open and close, and passes every control change here first.
#pragma once

#include "editorglue/AEffGUIEditor.h"
#include "editorglue/EditorPlatform.h"
#include "presets/PresetSystemCore.h"

#include "ccontrol.h"

#include <array>
#include <atomic>

namespace VSTGUI
{
class CBitmap;
class CKickButton;
class CNewFileSelector;
class COptionMenu;
class CTextEdit;
} // namespace VSTGUI
class CPresetRockerSwitch;
class CSaveLoadButton;

enum PresetStripTag : int32_t
{
    kTagProgramName = 1000,
    kTagProgramStep = 1001,
    kTagLoadBank = 1002,
    kTagSaveBank = 1003,
    kTagLoadPreset = 1004,
    kTagSavePreset = 1005,
    kTagProgramMenu = 1012,
    kTagDefaultBank = 1013,
    kTagDefaultPreset = 1014,
    kTagStoreMemoA = 1015,
    kTagStoreMemoB = 1016,
    kTagRecallMemoA = 1017,
    kTagRecallMemoB = 1018,
    kTagZoomMenu = 1019,
};

// The editor background, of which the name field and the menu show the parts under them.
inline constexpr int32_t kEditorBackgroundBitmap = 1128;

class CPresetSystemEditor : public AEffGUIEditor,
                            public VSTGUI::CControlListener,
                            public PresetSystemCore
{
public:
    // With no store given, the current user's settings are used.
    explicit CPresetSystemEditor(AudioEffect* effect,
                                 std::unique_ptr<SettingsStore> settings = nullptr);
    ~CPresetSystemEditor() override;

    // Adds the strip to the frame the concrete editor has made. False without frame or effect.
    bool open(void* ptr) override;
    // Drops the control pointers (the frame owns the controls) and ends a running file dialog.
    void close() override;

    void valueChanged(VSTGUI::CControl* control) override;

    // Shows the name in the name field and as the current menu entry's title.
    void programNameChanged(const char* name) override;
    // The names of a loaded chunk appear in the menu and the name field at the next idle.
    void programsReplaced() override;
    void idle() override;

    // The four file dialogs. A dialog runs without blocking the host: the frame's idle polls it,
    // and the chosen file is loaded or saved when it ends. A cancelled dialog changes nothing.
    // One dialog at a time: asking for any while one is open brings the open one to the front.
    // The arrow that started it shows its pressed image until it ends.
    void loadPreset(bool reversed);
    void savePreset();
    void loadBank(bool reversed);
    void saveBank();
    bool isFileDialogRunning() const { return runningDialog != nullptr; }

    // The Zoom menu (Automatic, 100 % .. 300 %) opened at `where` (frame coordinates); the
    // choice is applied at once and remembered for the user.
    void showZoomMenu(const VSTGUI::CPoint& where);
    VSTGUI::COptionMenu* getZoomMenu() const { return zoomMenu; }
    // The zoom factors the menu offers, in its order; 0 is Automatic.
    static constexpr double kZoomChoices[] = {0.0, 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};

    // The controls while the window is open, null otherwise (for the concrete editor and tests).
    VSTGUI::CTextEdit* getNameField() const { return nameField; }
    VSTGUI::COptionMenu* getProgramMenu() const { return programMenu; }
    CPresetRockerSwitch* getRocker() const { return rocker; }
    VSTGUI::CControl* getStripControl(int32_t tag) const;

protected:
    void bankNamesChanged() override;
    void redrawAfterLoad() override;
    // The user's zoom from the settings store (0 = automatic, also for a damaged value).
    double rememberedZoom() override;

private:
    enum class FileAction
    {
        LoadPreset,
        SavePreset,
        LoadBank,
        SaveBank
    };
    void runFileDialog(FileAction action, bool reversed);
    void fileDialogEnded(VSTGUI::CNewFileSelector* selector, FileAction action, bool reversed);
    void stepProgram(float direction);
    void chooseProgram();
    void showProgram(VstInt32 index);
    // Every menu entry shows its program's stored name, `current` is the menu's current entry
    // and the name field shows its name.
    void showProgramNames(VstInt32 current);
    void endFileDialog();
    void chooseZoom();
    // The arrow that runs `action`'s dialog, null while the window is closed.
    CSaveLoadButton* dialogButton(FileAction action) const;

    VSTGUI::CTextEdit* nameField = nullptr;
    VSTGUI::COptionMenu* programMenu = nullptr;
    VSTGUI::COptionMenu* zoomMenu = nullptr;
    CPresetRockerSwitch* rocker = nullptr;
    // The ten load, save, default and memory buttons, in the order of the strip's button table.
    static constexpr size_t kNumStripButtons = 10;
    std::array<VSTGUI::CKickButton*, kNumStripButtons> buttons{};

    // The file dialog in progress (one at a time), remembered until it ends or the window closes.
    VSTGUI::CNewFileSelector* runningDialog = nullptr;
    FileAction runningAction = FileAction::LoadPreset;

    // Drives the frame's idle while the window is open where the platform has a window timer
    // (Windows, every 50 ms); on Linux the host's effEditIdle does.
    EditorIdleTimer idleTimer;

    // Set when a chunk replaced the programs; the editor's thread shows their names at its idle.
    std::atomic<bool> programNamesStale{false};
};
