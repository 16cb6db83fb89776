// The part of the editor's preset layer that needs no window: converting the program store to
// and from preset and bank records, loading and saving record files, the user's remembered
// defaults and memories, and the remembered folder and file names.
//
// CPresetSystemEditor builds on it and adds the strip of controls and the file dialogs; the
// hooks below are where it shows what changed. Everything runs on the host's user-interface
// thread.
#pragma once

#include "presets/PresetEditorLink.h"
#include "presets/PresetFiles.h"
#include "presets/PresetRecords.h"
#include "presets/SettingsStore.h"

#include <memory>

class CPresetSystemEffect;

class PresetSystemCore : public PresetEditorLink
{
public:
    // With no store given, the current user's store is used.
    explicit PresetSystemCore(CPresetSystemEffect* effect,
                              std::unique_ptr<SettingsStore> settings = nullptr);
    // Writes the remembered folder and file names, so the next instance finds them.
    virtual ~PresetSystemCore();
    PresetSystemCore(const PresetSystemCore&) = delete;
    PresetSystemCore& operator=(const PresetSystemCore&) = delete;

    // Shows a new name of the current program; nothing here, the editor shows it in its
    // controls.
    void programNameChanged(const char* name) override;
    // The remembered default bank, then the default preset, then the remembered names.
    void loadDefaults() override;

    // Record conversions. The readers answer whether the record was accepted; a rejected one
    // changes nothing. The writers fill a zeroed buffer of the record's size.
    virtual bool readBankData(const unsigned char* record, bool reversed);
    virtual void writeBankData(unsigned char* record);
    virtual bool readPresetData(const unsigned char* record, bool reversed);
    virtual void writePresetData(unsigned char* record);

    // Shows the name and stores it as the current program's name.
    void applyProgramName(const char* name);

    // Loading and saving a file chosen in a dialog. The chosen path's folder and file name are
    // remembered; the loads read the record and apply it, the saves replace the file safely.
    // Answer whether a record was applied or the file written.
    bool loadPresetFile(const char* path, bool reversed);
    bool savePresetFile(const char* path);
    bool loadBankFile(const char* path, bool reversed);
    bool saveBankFile(const char* path);

    // The user's remembered values.
    void storeDefaultPreset();
    void clearDefaultPreset();
    void loadDefaultPreset();
    void storeDefaultBank();
    void clearDefaultBank();
    void loadDefaultBank();
    void storeMemoA();
    void storeMemoB();
    void recallMemoA();
    void recallMemoB();
    void loadCurrentNames();
    void saveCurrentNames();

    const char* getCurrentDirectory() const { return currentDirectory; }
    const char* getCurrentBankName() const { return currentBankName; }
    const char* getCurrentPresetName() const { return currentPresetName; }

protected:
    // All six programs were replaced by a bank: the editor shows their names.
    virtual void bankNamesChanged() {}
    // A file was loaded: the editor redraws everything.
    virtual void redrawAfterLoad() {}

    // The program store, or null when there is none.
    ProgramRecord* storedPrograms() const;
    void storeRecord(const char* name, size_t size, bool bank);
    void readRecord(const char* name, size_t size, bool bank);

    CPresetSystemEffect* presetEffect;
    std::unique_ptr<SettingsStore> settings;

    // Folder of the last file chosen in any preset or bank dialog, ending with the separator:
    // the initial folder of every dialog. The two names are the last preset and bank files
    // chosen: the default names in the save dialogs.
    char currentDirectory[kPresetPathCapacity] = {};
    char currentBankName[kPresetPathCapacity] = {};
    char currentPresetName[kPresetPathCapacity] = {};
};
