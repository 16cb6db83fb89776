#pragma once
// File dialogs. The dialog itself is platform code behind IFileDialogRunner (on Linux an external
// program run as a child process); tests install a scripted runner.
#include "cbaseobject.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI
{

class CFrame;

class CFileExtension
{
public:
    CFileExtension(const char* description, const char* extension, const char* mimeType = "",
                   int32_t macType = 0, const char* uti = "");
    const char* getDescription() const { return description.c_str(); }
    const char* getExtension() const { return extension.c_str(); }
    // Equal when the extensions, the mime types or the UTIs match (so two extensions without
    // mime type compare equal), or both have the same non-zero mac type.
    bool operator==(const CFileExtension& o) const;

private:
    std::string description;
    std::string extension;
    std::string mimeType;
    int32_t macType;
    std::string uti;
};

struct FileDialogRequest
{
    int32_t style = 0; // CNewFileSelector::Style
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    std::vector<CFileExtension> extensions;
    int32_t defaultExtension = -1; // index into extensions
    bool allowMultiple = false;
    // The top-level window that holds the frame (an X11 window id, an HWND): the dialog belongs
    // to it, so that it opens over it and stays with it. Null without a window.
    void* parentWindow = nullptr;
};

class IFileDialogRunner
{
public:
    enum class State
    {
        Running,
        Chosen,
        Cancelled,
        Failed
    };
    virtual ~IFileDialogRunner() = default;
    virtual bool start(const FileDialogRequest& request) = 0;
    // Never blocks. On Chosen, `paths` holds the selection.
    virtual State poll(std::vector<std::string>& paths) = 0;
    virtual void cancel() = 0;
    // Brings the running dialog's window to the front again (it may have gone behind the host).
    virtual void raise() {}
    // After a start() that failed because the system has no dialog to show: a short message for
    // the user saying what to install. Empty for every other failure.
    virtual std::string unavailableMessage() const { return {}; }
};

using FileDialogRunnerFactory = std::function<std::unique_ptr<IFileDialogRunner>()>;
// Replaces the platform's dialog (tests); an empty function restores it.
void setFileDialogRunnerFactory(FileDialogRunnerFactory factory);
std::unique_ptr<IFileDialogRunner> createFileDialogRunner();

class CNewFileSelector : public CBaseObject
{
public:
    enum Style : int32_t
    {
        kSelectFile = 0,
        kSelectSaveFile = 1,
        kSelectDirectory = 2
    };

    static CNewFileSelector* create(CFrame* frame = nullptr, Style style = kSelectFile);

    void setTitle(const char* title);
    void setInitialDirectory(const char* path);
    void setDefaultSaveName(const char* name);
    void setAllowMultiFileSelection(bool state);
    void addFileExtension(const CFileExtension& extension);
    // Only the first call counts.
    void setDefaultExtension(const CFileExtension& extension);

    // Blocks until the dialog ends (the frame's window is redrawn meanwhile, its input waits).
    // True when at least one path was chosen.
    bool runModal();
    // Starts the dialog and returns; the frame's idle polls it and `done` runs when it ends.
    // The selector keeps itself alive until then.
    bool run(std::function<void(CNewFileSelector*)> done);
    void cancel();
    // Shows the running dialog in front again; nothing when none runs.
    void raise();

    // Why the last run could not start when the system has no dialog to show (what to install);
    // empty otherwise.
    const std::string& getUnavailableMessage() const { return unavailableMessage; }

    int32_t getNumSelectedFiles() const { return static_cast<int32_t>(selected.size()); }
    const char* getSelectedFile(uint32_t index) const;

    CLASS_METHODS_NOCOPY(CNewFileSelector, CBaseObject)

protected:
    CNewFileSelector(CFrame* frame, Style style);
    ~CNewFileSelector() override;

private:
    bool startRunner();
    // One poll; true when the dialog has ended.
    bool pollRunner();
    void idlePoll();
    void stopRunner();

    CFrame* frame;
    FileDialogRequest request;
    bool defaultExtensionSet = false;
    std::unique_ptr<IFileDialogRunner> runner;
    std::vector<std::string> selected;
    std::string unavailableMessage;
    std::function<void(CNewFileSelector*)> doneCallback;
    int32_t idleToken = 0;
};

} // namespace VSTGUI
