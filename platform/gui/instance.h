// One running instance per executable.
#pragma once

#include <QString>

namespace platform {

// True for the first instance of the executable at executablePath, which then holds a lock file in the
// temporary folder until the process ends (a second call in the same process is true again). False when
// another live process holds it. A lock left behind by a process that has died does not count, and a
// lock that cannot be made at all (temporary folder not writable) lets the program start.
bool acquireSingleInstance(const QString& executablePath);

// The lock file used for an executable.
QString singleInstanceLockPath(const QString& executablePath);

} // namespace platform
