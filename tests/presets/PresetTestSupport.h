// Helpers for the preset tests: a small effect on the program store with a window-free preset
// layer as its editor, temporary folders, file bytes, and running a step as an unprivileged user.
#pragma once

#include "plugin/AEffEditor.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/PresetSystemCore.h"
#include "presets/platform/linux/XdgSettingsStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

inline constexpr VstInt32 kTestUniqueID = fourCharCode("OrSy");

// Counts the host requests the store sends (updateDisplay after applying a program).
int& displayUpdates();

// The preset layer as an editor of its own, recording what it would show.
class ProbeEditor : public AEffEditor, public PresetSystemCore
{
public:
    ProbeEditor(CPresetSystemEffect* effect, std::unique_ptr<SettingsStore> store = nullptr)
        : AEffEditor(effect), PresetSystemCore(effect, std::move(store))
    {
    }
    void programNameChanged(const char* name) override { shownNames.emplace_back(name); }
    std::vector<std::string> shownNames;
    int bankShows = 0;
    int redraws = 0;

protected:
    void bankNamesChanged() override { ++bankShows; }
    void redrawAfterLoad() override { ++redraws; }
};

// Built like the plug-in's effect: programs installed, then the editor's remembered defaults,
// then program 0 selected. Program p holds the values p + k/8 and the name "Program p".
class TestEffect : public CPresetSystemEffect
{
public:
    explicit TestEffect(bool withEditor = true);
    // With the editor `makeEditor` builds (null: none).
    using EditorMaker = AEffEditor* (*)(CPresetSystemEffect* effect);
    explicit TestEffect(EditorMaker makeEditor);
    void setParameter(VstInt32 index, float value) override
    {
        applied.emplace_back(index, value);
        CPresetSystemEffect::setParameter(index, value);
    }
    void installFactoryPrograms() override;
    ProbeEditor& probe() { return *static_cast<ProbeEditor*>(editor); }
    std::vector<unsigned char> storeBytes() const;
    std::vector<std::pair<VstInt32, float>> applied;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder, ending with '/'.
    const std::string& path() const { return folder; }
    std::string operator/(const std::string& name) const { return folder + name; }

private:
    std::string folder;
};

std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<std::string> folderEntries(const std::string& folder);

// Runs `step` in a child process, as the unprivileged user "nobody" when the tests run as root
// (root ignores file permissions), and answers what it returned. `limitFileSize` caps the size
// of any file the child writes, to make a save fail half-way.
bool runInChild(const std::function<bool()>& step, long limitFileSize = -1);

uint32_t bitsOf(float value);

// A temporary XDG_CONFIG_HOME for the test, so that the user's store lives in the test folder.
class PresetTest : public ::testing::Test
{
protected:
    void SetUp() override;
    TempFolder config;
    TempFolder files;
};
