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

InstanceLock noLock(const std::string& path, const std::string& reason)
{
    return { false, path + ": " + reason };
}

} // namespace

QString singleInstanceLockPath(const QString& executablePath, const UserPlaces& places)
{
    const PrivateFolder folder = openPrivateFolder(places);
    return folder.isOpen() ? textFromFileName(folder.path() + lockName(executablePath)) : QString();
}

InstanceLock acquireSingleInstance(const QString& executablePath, const UserPlaces& places)
{
    // Descriptors of the locks held, kept open until the process ends.
    static std::map<std::string, int> held;
    const PrivateFolder folder = openPrivateFolder(places);
    if (!folder.isOpen()) {
        return noLock(folder.path(), folder.reason());
    }
    const std::string name = lockName(executablePath);
    const std::string path = folder.path() + name;
    if (held.count(path)) {
        return { true, {} };
    }
    const int fd = ::openat(folder.fd(), name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        return noLock(path, std::strerror(errno));
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != places.uid) {
        ::close(fd);
        return noLock(path, "not a lock file of the user's own");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        held.emplace(path, fd);
        return { true, {} };
    }
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? InstanceLock { false, {} } : noLock(path, std::strerror(error));
}

} // namespace platform
