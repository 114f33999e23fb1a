// The system folders the program asks for, each ending in "/", and where the program itself lies.
#pragma once

#include <QString>

namespace platform {

QString tempFolder(); // $TMPDIR when it names an existing folder, else /tmp/

// Sets TMPDIR to /tmp when it names no existing folder, so that no library (Qt puts its runtime folder
// there) makes files at the file-system root. Called before the toolkit starts.
void settleTempFolder();
QString windowsFolder(); // the system's settings folder: /etc/
QString systemFolder(); // the system's library folder: /usr/lib/

// The running executable's real path (/proc/self/exe), as the text of its bytes (see filenames.h).
QString programFile();

// A folder that only the user the program runs as can write: $XDG_RUNTIME_DIR when it is such a folder,
// else "corvadel-<uid>" in the temporary folder, made on first use and checked to be the user's own.
// Empty when neither can be had.
QString privateFolder();

} // namespace platform
