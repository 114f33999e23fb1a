// File steps that the dialogs share. A list entry leads to the file it shows, whatever the case of its
// extension; a new name is one plain, visible component that every system accepts; a rename or move never
// replaces a file and never copies one.
#pragma once

#include <QString>

namespace PhraseFiles {

// True for an entry that shows a file of the phrase folder: not empty, no separator, not hidden.
bool namesListedFile(const QString& entry);

// True for a name (without folder) that a file or folder may get: not empty, not starting with ".", none of
// the characters or names that some system refuses (see platform::fs::isValidNewName).
bool acceptableName(const QString& name);

// True when a path (which need not exist yet) lies inside a folder once symbolic links are followed.
bool liesWithin(const QString& path, const QString& folder);

// Makes a file writable by its owner, before it is renamed or moved.
void setNormal(const QString& path);

// Renames or moves a file (full paths). Fails, leaving everything as it was, when the target exists in any
// case or the file system cannot rename it in place.
bool renameNoReplace(const QString& from, const QString& to);

} // namespace PhraseFiles
