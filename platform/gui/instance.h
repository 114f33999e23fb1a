// One running copy per user and program file, whatever the environment it was started in.
#pragma once

#include "platform/gui/sysfolders.h"

#include <QString>
#include <QStringList>
#include <string>

namespace platform {

struct InstanceLock
{
    bool first = false; // this process holds the lock: the program starts
    // When no lock could be had at all, "path: reason" (bytes) for each place that failed, joined by "; ";
    // empty when another copy has it.
    std::string failure;
};

// The running program's file, however it was reached: the lock's default key.
constexpr const char* kRunningProgram = "/proc/self/exe";

// Takes the lock of the program file at programFile: an flock on a file named from that file's device and
// inode (so that a hard link, a symbolic link or another path to it takes the same lock), and one on a file
// named from its real path (so that a file put in place of the running one, an update, does too), in each
// of the user's private folders (sysfolders.h), held until the process ends; the kernel drops it with the process,
// so a crash leaves nothing that blocks a start. Locking in the home folder as well as in the runtime folder
// keeps a copy started before the user logged in (cron) and one started after together. A second call in
// the same process finds it held again. Never fails open: when no lock can be had at all (no program file,
// no private folder, a lock file that is not the user's own, a file system without locks), `first` is false
// too and `failure` says why.
InstanceLock acquireSingleInstance(const QString& programFile = QString::fromLatin1(kRunningProgram),
                                   const UserPlaces& places = thisUser());

// The lock files used for a program file, one per private folder that can be had; none when the file is
// not there.
QStringList singleInstanceLockPaths(const QString& programFile, const UserPlaces& places = thisUser());

} // namespace platform
