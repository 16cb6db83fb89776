// File dialogs on Windows: the common open and save dialogs, run modally. start() shows the
// dialog and returns when the user has chosen or cancelled, so the click that asked for it is
// still being handled meanwhile (the editor keeps redrawing through its window timer, which the
// dialog's message loop serves); poll() then reports the outcome at once.
#include "../../cfileselector.h"
#include "win32text.h"
#include <string>
#include <vector>

// windows.h first: the headers below build on it.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

namespace VSTGUI
{
namespace
{

// Room for a multiple selection of long paths.
constexpr DWORD kPathBufferLength = 32768;

// "Description (*.ext)\0*.ext\0" for each extension, then the closing empty string.
std::wstring filterText(const FileDialogRequest& request)
{
    std::wstring filter;
    for (const CFileExtension& e : request.extensions)
    {
        const std::wstring extension = utf8ToWide(e.getExtension());
        if (extension.empty()) continue;
        const std::wstring pattern = L"*." + extension;
        std::wstring description = utf8ToWide(e.getDescription());
        if (description.empty()) description = pattern;
        filter += description + L" (" + pattern + L")";
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    }
    if (!filter.empty()) filter += L'\0';
    return filter;
}

// The folder in the form the dialog accepts: backslashes, no trailing separator except a root.
std::wstring dialogFolder(const std::string& folder)
{
    std::wstring f = utf8ToWide(folder.c_str());
    for (wchar_t& c : f)
        if (c == L'/') c = L'\\';
    while (f.size() > 3 && f.back() == L'\\')
        f.pop_back();
    return f;
}

// The user's Documents folder: where a dialog starts when no folder is remembered (the host's
// working directory is often a program folder the user cannot write to). Empty if unknown.
std::wstring documentsFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

class CommonFileDialog : public IFileDialogRunner
{
public:
    bool start(const FileDialogRequest& request) override
    {
        if (request.style == CNewFileSelector::kSelectDirectory) return false;
        const bool saving = request.style == CNewFileSelector::kSelectSaveFile;
        auto owner = static_cast<HWND>(request.parentWindow);
        if (owner && !IsWindow(owner)) return false;

        std::vector<wchar_t> file(kPathBufferLength, L'\0');
        if (saving)
        {
            const std::wstring name = utf8ToWide(request.defaultSaveName.c_str());
            if (name.size() < file.size()) name.copy(file.data(), name.size());
        }
        const std::wstring filter = filterText(request);
        const std::wstring title = utf8ToWide(request.title.c_str());
        const std::wstring folder = request.initialDirectory.empty()
                                        ? documentsFolder()
                                        : dialogFolder(request.initialDirectory);
        std::wstring defaultExtension;
        if (request.defaultExtension >= 0 &&
            request.defaultExtension < static_cast<int32_t>(request.extensions.size()))
            defaultExtension = utf8ToWide(
                request.extensions[static_cast<size_t>(request.defaultExtension)].getExtension());

        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = kPathBufferLength;
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
        ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
        // The host's current directory is the host's: the dialog must not change it.
        ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                    OFN_PATHMUSTEXIST;
        if (saving)
            ofn.Flags |= OFN_OVERWRITEPROMPT;
        else
            ofn.Flags |= OFN_FILEMUSTEXIST;
        if (request.allowMultiple && !saving) ofn.Flags |= OFN_ALLOWMULTISELECT;

        const BOOL chosen = saving ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        if (!chosen)
        {
            state = CommDlgExtendedError() == 0 ? State::Cancelled : State::Failed;
            return true;
        }
        collect(file, ofn.nFileOffset);
        state = paths.empty() ? State::Failed : State::Chosen;
        return true;
    }

    State poll(std::vector<std::string>& out) override
    {
        if (state == State::Chosen) out = paths;
        return state;
    }

    void cancel() override {}

private:
    // One path, or (multiple selection) the folder followed by the names, each ended by a zero.
    void collect(const std::vector<wchar_t>& buffer, WORD nameOffset)
    {
        const std::wstring first(buffer.data());
        if (first.empty()) return;
        if (nameOffset <= first.size())
        {
            paths.push_back(wideToUtf8(first.c_str(), first.size()));
            return;
        }
        std::wstring folder = first;
        if (folder.back() != L'\\') folder += L'\\';
        for (size_t at = first.size() + 1; at < buffer.size() && buffer[at];)
        {
            const std::wstring name(buffer.data() + at);
            const std::wstring path = folder + name;
            paths.push_back(wideToUtf8(path.c_str(), path.size()));
            at += name.size() + 1;
        }
    }

    State state = State::Failed;
    std::vector<std::string> paths;
};

} // namespace

std::unique_ptr<IFileDialogRunner> createPlatformFileDialogRunner()
{
    return std::make_unique<CommonFileDialog>();
}

} // namespace VSTGUI
