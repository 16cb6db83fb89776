#include "presets/platform/linux/XdgSettingsStore.h"

#include "presets/platform/linux/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::unique_ptr<SettingsStore> openUserSettings()
{
    return std::make_unique<XdgSettingsStore>(XdgSettingsStore::userFolder());
}

XdgSettingsStore::XdgSettingsStore(std::string folder) : base(std::move(folder))
{
    if (!base.empty() && base.back() != '/') base += '/';
}

std::string XdgSettingsStore::userFolder()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        config = std::string(home) + "/.config";
    else
        return {};
    if (config.back() != '/') config += '/';
    return config + "Orvatone/OrvSympharon/";
}

bool XdgSettingsStore::readValue(const char* name, std::string& bytes, size_t limit) const
{
    if (base.empty()) return false;
    const std::string path = base + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<unsigned long long>(st.st_size) <= limit;
    if (ok)
    {
        // Read one byte past the size found, to notice a file that grew since fstat.
        bytes.assign(static_cast<size_t>(st.st_size) + 1, '\0');
        size_t got = 0;
        while (got < bytes.size())
        {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        ok = got == static_cast<size_t>(st.st_size);
        bytes.resize(got);
    }
    ::close(fd);
    return ok;
}

bool XdgSettingsStore::writeValue(const char* name, const void* data, size_t size)
{
    // The settings are the user's own: the folders and files are private to them.
    if (base.empty() || !makeFolders(base, 0700)) return false;
    return replaceFileAtomically(base, name, data, size, 0600);
}

bool XdgSettingsStore::readBinary(const char* name, void* data, size_t size)
{
    std::string bytes;
    if (!readValue(name, bytes, size) || bytes.size() != size) return false;
    std::memcpy(data, bytes.data(), size);
    return true;
}

bool XdgSettingsStore::writeBinary(const char* name, const void* data, size_t size)
{
    return writeValue(name, data, size);
}

bool XdgSettingsStore::readText(const char* name, char* text, size_t capacity)
{
    if (capacity == 0) return false;
    std::string bytes;
    if (!readValue(name, bytes, capacity - 1) || bytes.find('\0') != std::string::npos)
        return false;
    std::memcpy(text, bytes.c_str(), bytes.size() + 1);
    return true;
}

bool XdgSettingsStore::writeText(const char* name, const char* text)
{
    return writeValue(name, text, std::strlen(text));
}

bool XdgSettingsStore::remove(const char* name)
{
    if (base.empty()) return false;
    return ::unlink((base + name).c_str()) == 0 || errno == ENOENT;
}
