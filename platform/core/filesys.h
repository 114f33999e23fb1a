// The file system as the program expects it: lookups by the exact name (a name from elsewhere may differ
// only in the case of its extension), renames and moves that never replace a file, and new names that stay
// usable on every system. Paths are UTF-8 with "/" as separator; relative paths start at the current folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::fs {

// Names of the subfolders of a folder, sorted ignoring case with the exact order as tie-break. Names
// starting with "." are hidden and not listed; a symbolic link counts as what it leads to. Empty when the
// folder cannot be listed.
std::vector<std::string> listSubfolders(const std::string& folder);

// Names of the files of a folder that match a wildcard pattern such as "*.wav" in any case, sorted and
// with hidden names left out the same way.
std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern);

// The path as it is spelled on disk: each component exactly when it exists so, otherwise the entry that
// differs from it only in the case of its extension (the first in sorted order); never an entry whose base
// name differs. Symbolic links are left as they are. nullopt when a component is not found so.
std::optional<std::string> resolveCase(const std::string& path);

// The on-disk spelling of an existing path, each component found in any case (the exact name, else the
// first in sorted order); nullopt for a missing one. Only for naming a path, never for acting on a file.
std::optional<std::string> longPathName(const std::string& path);

// A path cut at its last "/": the folder ("." for a bare name, "/" at the root) and the last name ("" when
// the path ends in "/").
struct PathParts
{
    std::string folder;
    std::string name;
};
PathParts splitPath(const std::string& path);

// Renames or moves a file or folder. Never replaces: a target that exists, in any case, makes it fail,
// unless that target is the very entry being renamed (a change of case only). The new name must be one
// plain component; nothing is copied, so a move to another file system fails.
bool renameNoReplace(const std::string& from, const std::string& to);

// True for a name that can become a file or folder name on every system: not empty, not "." or "..",
// none of \ / : * ? " < > | or control characters, no trailing blank or full stop, no device name
// (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without extension), at most 255 bytes.
bool isValidNewName(const std::string& name);

// Makes a file writable by its owner (the nearest thing to "normal" attributes). A symbolic link and its
// target are left as they are.
bool setAttributesNormal(const std::string& path);

// Deletes a file (never a folder).
bool removeFile(const std::string& path);

// Creates one folder in an existing folder. False when anything of that name exists (in any case), the
// parent is missing or the name is not valid.
bool createFolder(const std::string& path);

// Makes a folder the process's current folder.
bool changeFolder(const std::string& path);

// True for an existing folder that can be listed.
bool isFolder(const std::string& path);

// True for an existing file, not a folder, that can be opened for reading.
bool canOpenForReading(const std::string& path);

} // namespace platform::fs
