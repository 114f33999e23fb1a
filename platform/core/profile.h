// Settings files in the profile (INI) format:
//
//   [Section]
//   Key=Value
//
// Sections and keys are found without regard to case; "[ name ]" is section "name"; names and values are
// trimmed; lines may end in CRLF, LF or CR alone; lines starting with ";" are comments. Only the first
// section of a name counts, and in it the first key of a name. Paths are UTF-8; the file itself is found by
// its exact name, else by the same name with its extension in another case (a file another system wrote).
// A file holds at most 1 MB: a larger one reads as holding nothing and is never rewritten.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform::fs {
class HeldFolder;
}

namespace platform {

// Copies the value of Key in Section into buffer, one pair of enclosing quotes (" or ') removed, or
// defaultValue when the file, section or key is missing. At most size - 1 bytes are copied (a UTF-8
// sequence is never cut in half), followed by a NUL. Returns the number of bytes copied. A key present
// with an empty value gives "" (not the default).
std::size_t getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    char* buffer, std::size_t size, const std::string& file);

// A key of a settings file and the value it is set to.
struct ProfileEntry
{
    std::string key;
    std::string value;
};

// Sets Key in Section to value: an existing key's line is replaced in place, a new key goes at the end of
// its section, a new section at the end of the file; every other line is kept. The file (CRLF line ends)
// is written beside the old one and renamed over it, so a crash never leaves half a file; a missing file
// is created, and a replaced one keeps its permission bits and its group (where the user may give it).
// False, with nothing changed, when the folder is missing or cannot be written, the file is read-only, the
// new text would pass 1 MB, or a name or value cannot be stored (line breaks or NULs; "]" in a section, "="
// in a key). An existing file that is a link is written only when the link is trusted (the user's own or
// the folder owner's, HeldFolder::isTrustedLink) and leads to a regular file in the same folder (that file
// is changed, the link stays). A file that is no settings text (a NUL byte, a RIFF header, a UTF-16
// byte-order mark) is read but never rewritten. Those two refusals leave one line "path: reason" on
// standard error. The path versions open the path's folder and go on as the held ones do.
bool writePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& file);

// The same for the settings file `name` in a held folder (heldfolder.h): read and written through the
// folder's descriptor, never through a link that leads out of it.
std::size_t getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    char* buffer, std::size_t size, const fs::HeldFolder& folder,
                                    const std::string& name);
bool writePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const fs::HeldFolder& folder, const std::string& name);

// Sets every entry (at least one) in Section in one replacement of the file: the new file holds exactly
// what one write per entry, in order, would leave, and a writer killed at any moment leaves the old file
// or the new one. Nothing is written when any entry cannot be stored. A write refused for the file's sake
// (a link, no settings text) puts its reason in `refusal` when given, for a message; else it is left empty.
bool writePrivateProfileStrings(const std::string& section, const std::vector<ProfileEntry>& entries,
                                const fs::HeldFolder& folder, const std::string& name, std::string* refusal = nullptr);

} // namespace platform
