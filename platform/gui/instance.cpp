#include "platform/gui/instance.h"

#include "platform/gui/filenames.h"
#include "platform/gui/sysfolders.h"

#include <QCryptographicHash>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString singleInstanceLockPath(const QString& executablePath)
{
    const QString folder = privateFolder();
    if (folder.isEmpty()) {
        return QString();
    }
    const QByteArray bytes = QByteArray::fromStdString(fileNameFromText(executablePath));
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16);
    return folder + QStringLiteral("corvadel-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

bool acquireSingleInstance(const QString& executablePath)
{
    // Descriptors of the locks held, kept open until the process ends.
    static std::map<QString, int> held;
    const QString path = singleInstanceLockPath(executablePath);
    if (path.isEmpty() || held.count(path)) {
        return true;
    }
    const int fd = ::open(fileNameFromText(path).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        if (fd >= 0) {
            ::close(fd);
        }
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        held.emplace(path, fd);
        return true;
    }
    const bool another = errno == EWOULDBLOCK;
    ::close(fd);
    return !another;
}

} // namespace platform
