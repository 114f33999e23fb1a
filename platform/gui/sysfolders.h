// The system folders the program asks for, each ending in "/".
#pragma once

#include <QString>

namespace platform {

QString tempFolder(); // the temporary folder (TMPDIR or /tmp)
QString windowsFolder(); // the system's settings folder: /etc/
QString systemFolder(); // the system's library folder: /usr/lib/

} // namespace platform
