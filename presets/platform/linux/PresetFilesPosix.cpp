// Reading and replacing record files with the POSIX file functions.
#include "presets/PresetFiles.h"

#include "presets/platform/linux/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char kPathSeparator = '/';

void readWorkingDirectory(char* folder, size_t capacity)
{
    if (!::getcwd(folder, capacity) && capacity > 0) folder[0] = 0;
}

long readRecordFile(const std::string& path, unsigned char* record, size_t size)
{
    // Read-only, and without blocking: a named pipe chosen by mistake must not hang the host.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        ::close(fd);
        return -1;
    }
    size_t got = 0;
    while (got < size)
    {
        const ssize_t n = ::read(fd, record + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    return static_cast<long>(got);
}

bool writeRecordFile(const std::string& path, const void* data, size_t size)
{
    std::string target = path;
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) == 0)
    {
        if (S_ISLNK(st.st_mode))
        {
            char* real = ::realpath(path.c_str(), nullptr);
            if (!real) return false;
            target = real;
            std::free(real);
        }
        // Replacing through a rename would bypass a file's write protection; respect it.
        if (::access(target.c_str(), W_OK) != 0) return false;
        if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    }
    const size_t separator = target.rfind(kPathSeparator);
    if (separator == std::string::npos || separator + 1 == target.size()) return false;
    const std::string folder = target.substr(0, separator + 1);
    // A writable file in a folder that takes no new files cannot be replaced, only written.
    if (::access(target.c_str(), F_OK) == 0 && ::access(folder.c_str(), W_OK) != 0)
        return overwriteFileInPlace(target, data, size);
    return replaceFileAtomically(folder, target.substr(separator + 1), data, size, 0666);
}
