#include "presets/platform/linux/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool writeAll(int fd, const void* data, size_t size)
{
    const auto* at = static_cast<const unsigned char*>(data);
    while (size > 0)
    {
        const ssize_t n = ::write(fd, at, size);
        if (n < 0)
        {
            if (errno == EINTR) continue;
            return false;
        }
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// A name no other writer uses at the same moment: several plug-in instances, in this process or
// another, may save into one folder.
std::string temporaryName(const std::string& folder)
{
    static std::atomic<unsigned> counter{0};
    return folder + ".orv-save-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1, std::memory_order_relaxed)) + ".tmp";
}

// The folder's own entry is flushed too, so that the rename survives a crash.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

bool replaceFileAtomically(const std::string& folder, const std::string& name, const void* data,
                           size_t size, unsigned mode)
{
    const std::string target = folder + name;
    struct stat old
    {
    };
    const bool replacing = ::stat(target.c_str(), &old) == 0;

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt)
    {
        temporary = temporaryName(folder);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    static_cast<mode_t>(mode));
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = writeAll(fd, data, size);
    if (ok && replacing) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
    {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

bool overwriteFileInPlace(const std::string& path, const void* data, size_t size)
{
    // Without O_TRUNC: a write that fails part-way over a file of the same size leaves old bytes
    // after the new ones rather than an empty file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeAll(fd, data, size) &&
              ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok;
}

bool makeFolders(const std::string& folder, unsigned mode)
{
    // Walk the path and create each missing component in turn.
    for (size_t end = 1; end <= folder.size(); ++end)
    {
        if (end != folder.size() && folder[end] != '/') continue;
        const std::string part = folder.substr(0, end);
        if (::mkdir(part.c_str(), static_cast<mode_t>(mode)) == 0 || errno == EEXIST) continue;
        // Some file systems answer EROFS or EACCES even for a folder that exists.
        struct stat st
        {
        };
        if (::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    }
    struct stat st
    {
    };
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
