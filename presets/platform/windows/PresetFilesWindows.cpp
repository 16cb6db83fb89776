// Reading and replacing record files with the Windows file API. Paths are UTF-8 inside the
// plug-in and UTF-16 here, so folders in any script work; every access is binary (no text-mode
// translation of CR LF or 0x1A can ever touch a record).
#include "presets/PresetFiles.h"

#include "presets/platform/windows/WideText.h"

#include <atomic>
#include <cstring>
#include <string>
#include <windows.h>

const char kPathSeparator = '\\';

namespace
{

// Room a save's temporary name may need beyond its target's path: the target's folder plus
// ".orv-save-<process>-<counter>.tmp" is at most 35 characters longer than the target.
constexpr size_t kTemporaryNameRoom = 36;

// The wide form of `path`. Long paths get the \\?\ prefix, which lifts the 260-character limit
// of the plain form (it needs a full, normalised path, which GetFullPathNameW gives). A path
// close to the limit gets it too, so the temporary file a save writes beside it fits as well.
bool toWidePath(const std::string& path, std::wstring& out)
{
    std::wstring wide;
    if (path.empty() || !utf8ToWide(path, wide)) return false;
    if (wide.size() < MAX_PATH - kTemporaryNameRoom || wide.rfind(L"\\\\?\\", 0) == 0)
    {
        out = wide;
        return true;
    }
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return false;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return false;
    full.resize(got);
    if (full.rfind(L"\\\\", 0) == 0)
        out = L"\\\\?\\UNC\\" + full.substr(2);
    else
        out = L"\\\\?\\" + full;
    return true;
}

class File
{
public:
    explicit File(HANDLE h) : handle(h) {}
    ~File() { close(); }
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    bool close()
    {
        const bool ok = !isOpen() || CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return ok;
    }
    HANDLE handle;
};

bool isRegularFile(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A name no other writer uses at the same moment: several plug-in instances, in this process or
// another, may save into one folder.
std::wstring temporaryName(const std::wstring& folder)
{
    static std::atomic<unsigned> counter{0};
    return folder + L".orv-save-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1, std::memory_order_relaxed)) + L".tmp";
}

bool writeAll(HANDLE h, const void* data, size_t size)
{
    const auto* at = static_cast<const unsigned char*>(data);
    while (size > 0)
    {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(h, at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
        size -= written;
    }
    return true;
}

// The file a link or junction leads to, so that a save replaces that file and keeps the link.
bool finalPath(const std::wstring& path, std::wstring& out)
{
    File f(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.isOpen()) return false;
    const DWORD n = GetFinalPathNameByHandleW(f.handle, nullptr, 0, FILE_NAME_NORMALIZED);
    if (n == 0) return false;
    std::wstring resolved(n, L'\0');
    const DWORD got = GetFinalPathNameByHandleW(f.handle, resolved.data(), n, FILE_NAME_NORMALIZED);
    if (got == 0 || got >= n) return false;
    resolved.resize(got);
    out = resolved;
    return true;
}

} // namespace

void readWorkingDirectory(char* folder, size_t capacity)
{
    if (capacity == 0) return;
    folder[0] = 0;
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return;
    std::wstring wide(n, L'\0');
    const DWORD got = GetCurrentDirectoryW(n, wide.data());
    if (got == 0 || got >= n) return;
    wide.resize(got);
    std::string utf8;
    if (wideToUtf8(wide, utf8) && utf8.size() < capacity)
        std::memcpy(folder, utf8.c_str(), utf8.size() + 1);
}

long readRecordFile(const std::string& path, unsigned char* record, size_t size)
{
    std::wstring wide;
    if (!toWidePath(path, wide)) return -1;
    // Read access only, and sharing everything: a read-only file, or one another program has
    // open, still loads.
    File f(CreateFileW(wide.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.isOpen() || !isRegularFile(f.handle)) return -1;
    size_t got = 0;
    while (got < size)
    {
        const size_t want = size - got;
        DWORD n = 0;
        if (!ReadFile(f.handle, record + got,
                      want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want), &n, nullptr) ||
            n == 0)
            break;
        got += n;
    }
    return static_cast<long>(got);
}

bool writeRecordFile(const std::string& path, const void* data, size_t size)
{
    std::wstring target;
    if (!toWidePath(path, target)) return false;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
    if (replacing)
    {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
        // Replacing through a rename would bypass a file's write protection; respect it.
        if (attributes & FILE_ATTRIBUTE_READONLY) return false;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        {
            std::wstring real;
            if (!finalPath(target, real)) return false;
            target = real;
        }
        // Writable and replaceable for us (permissions, another program's handle)? Opened and
        // closed untouched. The replace needs to delete the old file, so a program holding it
        // without sharing deletion refuses the save here, before any file of ours is made: a
        // replace that fails part-way may leave a file behind in the user's folder.
        File probe(CreateFileW(target.c_str(), GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.isOpen() || !isRegularFile(probe.handle)) return false;
    }
    const size_t separator = target.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator + 1 == target.size()) return false;
    const std::wstring folder = target.substr(0, separator + 1);

    std::wstring temporary;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 16 && h == INVALID_HANDLE_VALUE; ++attempt)
    {
        temporary = temporaryName(folder);
        h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    File file(h);
    bool ok = writeAll(file.handle, data, size);
    ok = ok && FlushFileBuffers(file.handle);
    ok = file.close() && ok;
    if (ok)
    {
        // ReplaceFileW keeps the old file's attributes and permissions on the new one; where it
        // cannot work (some file systems), a replacing rename does the same job.
        ok = (replacing && ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
             MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}
