#include "platform/gui/instance.h"

#include "platform/gui/filenames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The lock's name: the program file's device and inode, the same by whatever path the file is reached.
// Nothing, with the reason, when the file cannot be found.
std::optional<std::string> lockName(const QString& programFile, std::string& why)
{
    const std::string path = fileNameFromText(programFile);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        why = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    char name[64];
    std::snprintf(name, sizeof name, "corvadel-%llx-%llx.lock", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    return name;
}

// Every folder that could not be used says why, in one line.
void addFailure(std::string& failure, const std::string& why)
{
    failure += (failure.empty() ? "" : "; ") + why;
}

} // namespace

QStringList singleInstanceLockPaths(const QString& programFile, const UserPlaces& places)
{
    std::string why;
    const std::optional<std::string> name = lockName(programFile, why);
    QStringList paths;
    if (!name) {
        return paths;
    }
    for (const PrivateFolder& folder : openPrivateFolders(places)) {
        if (folder.isOpen()) {
            paths << textFromFileName(folder.path() + *name);
        }
    }
    return paths;
}

InstanceLock acquireSingleInstance(const QString& programFile, const UserPlaces& places)
{
    // Descriptors of the locks held, kept open until the process ends.
    static std::map<std::string, int> held;
    std::string failure;
    const std::optional<std::string> lockFile = lockName(programFile, failure);
    if (!lockFile) {
        return { false, failure };
    }
    const std::string& name = *lockFile;
    bool taken = false;
    for (const PrivateFolder& folder : openPrivateFolders(places)) {
        if (!folder.isOpen()) {
            addFailure(failure, folder.path() + ": " + folder.reason());
            continue;
        }
        const std::string path = folder.path() + name;
        if (held.count(path)) {
            taken = true;
            continue;
        }
        const int fd
            = ::openat(folder.fd(), name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            addFailure(failure, path + ": " + std::strerror(errno));
            continue;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != places.uid) {
            ::close(fd);
            addFailure(failure, path + ": not a lock file of the user's own");
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            held.emplace(path, fd);
            taken = true;
            continue;
        }
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return { false, {} }; // another copy runs: nothing to say
        }
        addFailure(failure, path + ": " + std::strerror(error));
    }
    return taken ? InstanceLock { true, {} } : InstanceLock { false, failure };
}

} // namespace platform
