#include "platform/gui/instance.h"

#include "platform/gui/sysfolders.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLockFile>
#include <map>
#include <memory>

namespace platform {

QString singleInstanceLockPath(const QString& executablePath)
{
    const QString full = QFileInfo(executablePath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(full.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return tempFolder() + QStringLiteral("corvadel-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

bool acquireSingleInstance(const QString& executablePath)
{
    // Held until the process ends; the lock file goes with the last reference.
    static std::map<QString, std::unique_ptr<QLockFile>> held;
    const QString path = singleInstanceLockPath(executablePath);
    if (held.count(path)) {
        return true;
    }
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (lock->tryLock(0)) {
        held.emplace(path, std::move(lock));
        return true;
    }
    return lock->error() != QLockFile::LockFailedError;
}

} // namespace platform
