#include "platform/gui/instance.h"

#include "platform/gui/filenames.h"

#include <QCryptographicHash>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The lock's name: the program's path, hashed to a short fixed length.
std::string lockName(const QString& executablePath)
{
    const QByteArray bytes = QByteArray::fromStdString(fileNameFromText(executablePath));
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16);
    return "corvadel-" + hash.toStdString() + ".lock";
}

} // namespace

QStringList singleInstanceLockPaths(const QString& executablePath, const UserPlaces& places)
{
    QStringList paths;
    for (const PrivateFolder& folder : openPrivateFolders(places)) {
        if (folder.isOpen()) {
            paths << textFromFileName(folder.path() + lockName(executablePath));
        }
    }
    return paths;
}

InstanceLock acquireSingleInstance(const QString& executablePath, const UserPlaces& places)
{
    // Descriptors of the locks held, kept open until the process ends.
    static std::map<std::string, int> held;
    const std::string name = lockName(executablePath);
    bool taken = false;
    std::string failure;
    for (const PrivateFolder& folder : openPrivateFolders(places)) {
        if (!folder.isOpen()) {
            failure = folder.path() + ": " + folder.reason();
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
            failure = path + ": " + std::strerror(errno);
            continue;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != places.uid) {
            ::close(fd);
            failure = path + ": not a lock file of the user's own";
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
        failure = path + ": " + std::strerror(error);
    }
    return taken ? InstanceLock { true, {} } : InstanceLock { false, failure };
}

} // namespace platform
