#include "presets/PresetSystemCore.h"

#include "presets/CPresetSystemEffect.h"

#include <cstring>

PresetSystemCore::PresetSystemCore(CPresetSystemEffect* effect,
                                   std::unique_ptr<SettingsStore> store)
    : presetEffect(effect), settings(std::move(store))
{
    if (!settings) settings = openUserSettings();
    // The working directory until the remembered one is read.
    readWorkingDirectory(currentDirectory, sizeof currentDirectory);
}

PresetSystemCore::~PresetSystemCore()
{
    saveCurrentNames();
}

ProgramRecord* PresetSystemCore::storedPrograms() const
{
    return presetEffect ? presetEffect->getPrograms() : nullptr;
}

void PresetSystemCore::programNameChanged(const char*) {}

void PresetSystemCore::loadDefaults()
{
    loadDefaultBank();
    loadDefaultPreset();
    loadCurrentNames();
}

void PresetSystemCore::applyProgramName(const char* name)
{
    programNameChanged(name);
    if (presetEffect) presetEffect->renameCurrentProgram(name);
}

void PresetSystemCore::writePresetData(unsigned char* record)
{
    if (!storedPrograms()) return;
    writePresetRecord(record, presetEffect->getUniqueID(),
                      presetEffect->readProgram(presetEffect->getCurrentProgramIndex()));
}

void PresetSystemCore::writeBankData(unsigned char* record)
{
    if (!storedPrograms()) return;
    ProgramRecord programs[kNumPresetPrograms];
    for (int p = 0; p < kNumPresetPrograms; ++p)
        programs[p] = presetEffect->readProgram(p);
    writeBankRecord(record, presetEffect->getUniqueID(), programs);
}

bool PresetSystemCore::readPresetData(const unsigned char* record, bool reversed)
{
    if (!storedPrograms()) return false;
    const VstInt32 current = presetEffect->getCurrentProgramIndex();
    ProgramRecord loaded;
    if (!decodePresetRecord(record, presetEffect->getUniqueID(), reversed, loaded)) return false;
    presetEffect->replaceProgram(current, loaded);

    char name[kProgramNameLength + 1];
    std::memcpy(name, loaded.name, kProgramNameLength);
    name[kProgramNameLength] = 0;
    applyProgramName(name);
    presetEffect->selectProgram(current);
    return true;
}

bool PresetSystemCore::readBankData(const unsigned char* record, bool reversed)
{
    if (!storedPrograms()) return false;
    // The record is checked as a whole before anything is applied, so a rejected bank leaves
    // the current program and every program's values as they were.
    ProgramRecord loaded[kNumPresetPrograms];
    if (!decodeBankRecord(record, presetEffect->getUniqueID(), reversed, loaded)) return false;
    presetEffect->selectProgram(0);
    presetEffect->replaceAllPrograms(loaded);
    bankNamesChanged();
    presetEffect->selectProgram(0);
    return true;
}

bool PresetSystemCore::loadPresetFile(const char* path, bool reversed)
{
    const std::string file = resolveChosenPath(path, currentDirectory);
    if (file.empty()) return false;
    splitSelectedPath(file.c_str(), currentPresetName, currentDirectory);
    unsigned char record[kPresetRecordSize] = {};
    readRecordFile(file, record, sizeof record);
    const bool applied = readPresetData(record, reversed);
    redrawAfterLoad();
    return applied;
}

bool PresetSystemCore::loadBankFile(const char* path, bool reversed)
{
    const std::string file = resolveChosenPath(path, currentDirectory);
    if (file.empty()) return false;
    splitSelectedPath(file.c_str(), currentBankName, currentDirectory);
    unsigned char record[kBankRecordSize] = {};
    readRecordFile(file, record, sizeof record);
    const bool applied = readBankData(record, reversed);
    redrawAfterLoad();
    return applied;
}

bool PresetSystemCore::savePresetFile(const char* path)
{
    const std::string file = resolveChosenPath(path, currentDirectory);
    if (file.empty() || !storedPrograms()) return false;
    splitSelectedPath(file.c_str(), currentPresetName, currentDirectory);
    unsigned char record[kPresetRecordSize] = {};
    writePresetData(record);
    return writeRecordFile(file, record, sizeof record);
}

bool PresetSystemCore::saveBankFile(const char* path)
{
    const std::string file = resolveChosenPath(path, currentDirectory);
    if (file.empty() || !storedPrograms()) return false;
    splitSelectedPath(file.c_str(), currentBankName, currentDirectory);
    unsigned char record[kBankRecordSize] = {};
    writeBankData(record);
    return writeRecordFile(file, record, sizeof record);
}

// Without a program store there is nothing to remember, and a zero record must not replace a
// value the user stored earlier.
void PresetSystemCore::storeRecord(const char* name, size_t size, bool bank)
{
    if (!storedPrograms()) return;
    unsigned char record[kBankRecordSize] = {};
    if (bank)
        writeBankData(record);
    else
        writePresetData(record);
    settings->writeBinary(name, record, size);
}

// A missing or damaged value leaves the record zeroed, which the reader rejects.
void PresetSystemCore::readRecord(const char* name, size_t size, bool bank)
{
    unsigned char record[kBankRecordSize] = {};
    settings->readBinary(name, record, size);
    if (bank)
        readBankData(record, false);
    else
        readPresetData(record, false);
}

void PresetSystemCore::storeDefaultPreset()
{
    storeRecord(kSettingDefaultPreset, kPresetRecordSize, false);
}

void PresetSystemCore::clearDefaultPreset()
{
    settings->remove(kSettingDefaultPreset);
}

void PresetSystemCore::loadDefaultPreset()
{
    readRecord(kSettingDefaultPreset, kPresetRecordSize, false);
}

void PresetSystemCore::storeDefaultBank()
{
    storeRecord(kSettingDefaultBank, kBankRecordSize, true);
}

void PresetSystemCore::clearDefaultBank()
{
    settings->remove(kSettingDefaultBank);
}

void PresetSystemCore::loadDefaultBank()
{
    readRecord(kSettingDefaultBank, kBankRecordSize, true);
}

void PresetSystemCore::storeMemoA()
{
    storeRecord(kSettingMemoA, kPresetRecordSize, false);
}

void PresetSystemCore::storeMemoB()
{
    storeRecord(kSettingMemoB, kPresetRecordSize, false);
}

void PresetSystemCore::recallMemoA()
{
    readRecord(kSettingMemoA, kPresetRecordSize, false);
}

void PresetSystemCore::recallMemoB()
{
    readRecord(kSettingMemoB, kPresetRecordSize, false);
}

// A missing or damaged value leaves its name empty.
void PresetSystemCore::loadCurrentNames()
{
    const struct
    {
        const char* setting;
        char* text;
    } names[] = {{kSettingCurrentDirectory, currentDirectory},
                 {kSettingCurrentBank, currentBankName},
                 {kSettingCurrentPreset, currentPresetName}};
    for (const auto& n : names)
    {
        n.text[0] = 0;
        settings->readText(n.setting, n.text, kPresetPathCapacity);
    }
}

void PresetSystemCore::saveCurrentNames()
{
    settings->writeText(kSettingCurrentDirectory, currentDirectory);
    settings->writeText(kSettingCurrentBank, currentBankName);
    settings->writeText(kSettingCurrentPreset, currentPresetName);
}
