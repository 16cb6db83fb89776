#include "cfileselector.h"
#include "cframe.h"
#include <chrono>
#include <thread>
#include <utility>

namespace VSTGUI
{

// The platform's own dialog (platform/linux/processfiledialog.cpp, platform/win32/...).
std::unique_ptr<IFileDialogRunner> createPlatformFileDialogRunner();

namespace
{
FileDialogRunnerFactory runnerFactory;
}

void setFileDialogRunnerFactory(FileDialogRunnerFactory factory)
{
    runnerFactory = std::move(factory);
}

std::unique_ptr<IFileDialogRunner> createFileDialogRunner()
{
    return runnerFactory ? runnerFactory() : createPlatformFileDialogRunner();
}

CFileExtension::CFileExtension(const char* d, const char* e, const char* m, int32_t mac,
                               const char* u)
    : description(d ? d : ""), extension(e ? e : ""), mimeType(m ? m : ""), macType(mac),
      uti(u ? u : "")
{
}

bool CFileExtension::operator==(const CFileExtension& o) const
{
    return extension == o.extension || mimeType == o.mimeType || uti == o.uti ||
           (macType != 0 && macType == o.macType);
}

CNewFileSelector* CNewFileSelector::create(CFrame* frame, Style style)
{
    return new CNewFileSelector(frame, style);
}

CNewFileSelector::CNewFileSelector(CFrame* f, Style style) : frame(f)
{
    request.style = style;
    if (frame) frame->remember();
}

CNewFileSelector::~CNewFileSelector()
{
    stopRunner();
    if (frame) frame->forget();
}

void CNewFileSelector::setTitle(const char* t)
{
    request.title = t ? t : "";
}
void CNewFileSelector::setInitialDirectory(const char* p)
{
    request.initialDirectory = p ? p : "";
}
void CNewFileSelector::setDefaultSaveName(const char* n)
{
    request.defaultSaveName = n ? n : "";
}
void CNewFileSelector::setAllowMultiFileSelection(bool s)
{
    request.allowMultiple = s;
}
void CNewFileSelector::addFileExtension(const CFileExtension& e)
{
    request.extensions.push_back(e);
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& e)
{
    if (defaultExtensionSet) return;
    defaultExtensionSet = true;
    for (size_t i = 0; i < request.extensions.size(); ++i)
        if (request.extensions[i] == e)
        {
            request.defaultExtension = static_cast<int32_t>(i);
            return;
        }
    request.extensions.push_back(e);
    request.defaultExtension = static_cast<int32_t>(request.extensions.size() - 1);
}

const char* CNewFileSelector::getSelectedFile(uint32_t index) const
{
    return index < selected.size() ? selected[index].c_str() : nullptr;
}

bool CNewFileSelector::startRunner()
{
    if (runner) return false;
    selected.clear();
    if (frame && frame->getPlatformFrame())
        request.parentWindow = frame->getPlatformFrame()->getTopLevelWindow();
    unavailableMessage.clear();
    runner = createFileDialogRunner();
    if (!runner || !runner->start(request))
    {
        if (runner) unavailableMessage = runner->unavailableMessage();
        runner.reset();
        return false;
    }
    return true;
}

bool CNewFileSelector::pollRunner()
{
    if (!runner) return true;
    std::vector<std::string> paths;
    const auto state = runner->poll(paths);
    if (state == IFileDialogRunner::State::Running) return false;
    if (state == IFileDialogRunner::State::Chosen) selected = std::move(paths);
    runner.reset();
    return true;
}

bool CNewFileSelector::runModal()
{
    if (!startRunner()) return false;
    // The window keeps showing its controls' state (a pressed button) while the dialog is up;
    // its input waits until the dialog has ended.
    while (!pollRunner())
    {
        if (frame) frame->updateNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !selected.empty();
}

bool CNewFileSelector::run(std::function<void(CNewFileSelector*)> done)
{
    if (!frame || !startRunner()) return false;
    // A modal dialog (Windows) returns only when it has ended, and the host may have closed the
    // window meanwhile: then there is no frame left to report to.
    if (!frame->isOpen())
    {
        stopRunner();
        return false;
    }
    doneCallback = std::move(done);
    // The frame's idle handler holds a reference until the dialog ends (or the frame closes).
    SharedPointer<CNewFileSelector> self(this);
    idleToken = frame->addIdleHandler([self] { self->idlePoll(); });
    return true;
}

void CNewFileSelector::idlePoll()
{
    if (!pollRunner()) return;
    CBaseObjectGuard guard(this);
    frame->removeIdleHandler(idleToken);
    idleToken = 0;
    auto callback = std::move(doneCallback);
    if (callback) callback(this);
}

void CNewFileSelector::stopRunner()
{
    if (runner)
    {
        runner->cancel();
        runner.reset();
    }
}

void CNewFileSelector::raise()
{
    if (runner) runner->raise();
}

void CNewFileSelector::cancel()
{
    stopRunner();
    if (idleToken && frame)
    {
        CBaseObjectGuard guard(this);
        doneCallback = nullptr;
        frame->removeIdleHandler(std::exchange(idleToken, 0));
    }
}

} // namespace VSTGUI
