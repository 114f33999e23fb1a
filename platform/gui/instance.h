// One running instance per executable and user.
#pragma once

#include <QString>

namespace platform {

// True for the first instance of the executable at executablePath, which then holds an flock on a lock
// file in the user's private folder (sysfolders.h) until the process ends; the kernel drops it with the
// process, so a crash leaves nothing that blocks a start. A second call in the same process is true again.
// False only while another live process of this user holds it; a lock that cannot be made at all (no
// private folder) lets the program start.
bool acquireSingleInstance(const QString& executablePath);

// The lock file used for an executable; empty when there is no private folder for it.
QString singleInstanceLockPath(const QString& executablePath);

} // namespace platform
