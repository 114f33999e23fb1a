// Files written whole, safely among other users: the bytes go into a new unnamed file in the target's
// folder, which gets its name only when it is complete. Nothing is ever written through a symbolic link
// or into an existing file, and a writer killed half way leaves nothing behind that the next write to
// the same name does not clear. Paths are bytes with "/" as separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::fs {

class HeldFolder;

enum class Placement {
    NewName, // only where nothing (not even a dangling link) has the name yet
    Replace, // renamed over whatever has the name (a link is replaced, never followed)
};

// Writes bytes as the file at path with the permission bits mode (exactly, whatever the umask). False,
// with nothing changed, when the folder is missing or not writable, or, for NewName, the name is taken.
bool writeFileWhole(const std::string& path, std::string_view bytes, mode_t mode, Placement placement);
// The same for the entry `name` of a held folder (heldfolder.h), written through its descriptor. A group
// other than -1 is given to the file when the user may give it (a file that replaces another keeps its
// group); when not, the file is written all the same.
bool writeFileWhole(const HeldFolder& folder, const std::string& name, std::string_view bytes, mode_t mode,
                    Placement placement, gid_t group = gid_t(-1));

// Writes bytes as a new file in folder named prefix, six random letters or digits and suffix; the path
// of that file, or nullopt when none could be made.
std::optional<std::string> writeUniqueFile(const std::string& folder, const std::string& prefix,
                                           const std::string& suffix, std::string_view bytes, mode_t mode);

// True for a regular file (a link does not count) owned by the user the program runs as.
bool isOwnRegularFile(const std::string& path);

// True when anything has the name, a dangling link included.
bool nameTaken(const std::string& path);

// The permission bits a new file gets under the current umask (0666 less the umask).
mode_t newFileMode();

} // namespace platform::fs
