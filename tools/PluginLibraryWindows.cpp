// Loading a plug-in DLL through its exported entry point, as a Windows host does.
#include "tools/PluginLibrary.h"

#include <string>
#include <windows.h>

namespace
{
std::wstring widen(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string narrow(const std::wstring& wide)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(n - 1));
    return utf8;
}

std::string lastError()
{
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? narrow(text) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

// The folder of the running program, ending with a backslash.
std::wstring programFolder()
{
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}
} // namespace

bool PluginLibrary::load(const std::string& path, std::string& error)
{
    unload();
    std::wstring wide = widen(path);
    // A bare file name is the one beside the running program, as the Windows loader looks first;
    // the loader's own search would also try the system folders.
    if (wide.find_first_of(L"\\/:") == std::wstring::npos) wide = programFolder() + wide;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        error = "cannot open plug-in '" + path + "': " + lastError();
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        error = "cannot open plug-in '" + path + "': not a regular file";
        return false;
    }
    HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
    {
        error = "cannot load plug-in '" + path + "': " + lastError();
        return false;
    }
    handle = module;
    return findEntry(path, error);
}

void* PluginLibrary::symbol(const char* name) const
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void PluginLibrary::unload()
{
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
    entry = nullptr;
    libraryPath.clear();
}

std::vector<std::string> defaultPluginCandidates()
{
    // Beside the running program (the build puts it there), then the common VST2 folders.
    std::vector<std::wstring> places = {programFolder() + L"OrvSympharon.dll"};
    for (const wchar_t* variable : {L"CommonProgramFiles", L"ProgramFiles"})
    {
        wchar_t folder[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(variable, folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) continue;
        places.push_back(std::wstring(folder) +
                         (variable[0] == L'C' ? L"\\VST2\\" : L"\\VSTPlugins\\") +
                         L"OrvSympharon.dll");
    }
    std::vector<std::string> candidates;
    for (const std::wstring& place : places)
        candidates.push_back(narrow(place));
    return candidates;
}

bool findDefaultPlugin(std::string& path, std::string& error)
{
    std::string looked;
    for (const std::string& candidate : defaultPluginCandidates())
    {
        const DWORD attributes = GetFileAttributesW(widen(candidate).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        {
            path = candidate;
            return true;
        }
        looked += (looked.empty() ? "" : ", ") + candidate;
    }
    error = "no plug-in given and none found at " + looked;
    return false;
}
