#include "platform/gui/instance.h"

#include "platform/gui/filenames.h"

#include <QCryptographicHash>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The lock's names. The first comes from the program file's device and inode, the same by whatever path
// the file is reached (a hard link too); the second from its real path, the same for a file put in place
// of the running one (an update). A copy starts only when it has both. Nothing, with the reason, when the
// file cannot be found.
std::vector<std::string> lockNames(const QString& programFile, std::string& why)
{
    const std::string path = fileNameFromText(programFile);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        why = path + ": " + std::strerror(errno);
        return {};
    }
    char name[64];
    std::snprintf(name, sizeof name, "corvadel-%llx-%llx.lock", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::vector<std::string> names { name };
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        const QByteArray hash = QCryptographicHash::hash(real, QCryptographicHash::Sha1).toHex().left(16);
        names.push_back("corvadel-" + hash.toStdString() + ".lock");
        std::free(real);
    }
    return names;
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
    const std::vector<std::string> names = lockNames(programFile, why);
    QStringList paths;
    for (const PrivateFolder& folder : openPrivateFolders(places)) {
        for (const std::string& name : names) {
            if (folder.isOpen()) {
                paths << textFromFileName(folder.path() + name);
            }
        }
    }
    return paths;
}

InstanceLock acquireSingleInstance(const QString& programFile, const UserPlaces& places)
{
    // Descriptors of the locks held, kept open until the process ends.
    static std::map<std::string, int> held;
    std::string failure;
    const std::vector<std::string> names = lockNames(programFile, failure);
    if (names.empty()) {
        return { false, failure };
    }
    bool taken = false;
    for (const PrivateFolder& folder : openPrivateFolders(places)) {
        if (!folder.isOpen()) {
            addFailure(failure, folder.path() + ": " + folder.reason());
            continue;
        }
        // This folder serves only when it gives every name.
        bool all = true;
        for (const std::string& name : names) {
            const std::string path = folder.path() + name;
            if (held.count(path)) {
                continue;
            }
            const int fd
                = ::openat(folder.fd(), name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
            if (fd < 0) {
                addFailure(failure, path + ": " + std::strerror(errno));
                all = false;
                continue;
            }
            struct stat st;
            if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != places.uid) {
                ::close(fd);
                addFailure(failure, path + ": not a lock file of the user's own");
                all = false;
                continue;
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                held.emplace(path, fd);
                continue;
            }
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                return { false, {} }; // another copy runs: nothing to say
            }
            addFailure(failure, path + ": " + std::strerror(error));
            all = false;
        }
        taken = taken || all;
    }
    return taken ? InstanceLock { true, {} } : InstanceLock { false, failure };
}

} // namespace platform
