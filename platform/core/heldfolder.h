// A folder opened once and held: every later read, write, rename and delete in it names one plain entry
// of the open folder (openat, unlinkat, renameat2), so a folder renamed, or swapped for a symbolic link,
// after it was opened redirects nothing. Entries are never followed when they are links, except where a
// function says so. Names are bytes; a name with a "/", an empty name, "." and ".." are refused.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform::fs {

class HeldFolder
{
public:
    // Holds nothing: every step fails, every test is false.
    HeldFolder() = default;

    // Opens the folder a path names (links on the way are followed: this is the moment it is chosen).
    static HeldFolder open(const std::string& path);

    bool isOpen() const { return m_fd != nullptr; }
    // The descriptor, for calls this class does not wrap; -1 when nothing is held.
    int fd() const;

    // Which links a step may follow: none, or only links the kernel's rule for shared sticky folders
    // trusts (isTrustedLink).
    enum class Links { Never, Trusted };

    // A subfolder by its plain name, through a link only as `links` allows. Holds nothing when there is none.
    HeldFolder openSub(const std::string& name, Links links = Links::Never) const;
    // The subfolder `name`, made (mkdirat) when nothing has that name, then opened as openSub does.
    HeldFolder createSub(const std::string& name) const;

    // True when anything has exactly this name (a dangling link too).
    bool exists(const std::string& name) const;
    // The entry that has this name in another letter case, other than `name` itself, if any; a name that
    // differs only in case counts as taken for a new name.
    std::optional<std::string> caseTwin(const std::string& name) const;
    // True when the entry is a symbolic link that belongs to the user the program runs as, or to the owner
    // of this folder: the only links the program follows where it resolves them itself. Another user's
    // link in a shared folder is never followed.
    bool isTrustedLink(const std::string& name) const;
    // True for an entry that is a symbolic link (a dangling one too).
    bool isLink(const std::string& name) const;
    // True for an entry that is a regular file itself (a link is not).
    bool isRegularFile(const std::string& name) const;
    // True when the user may add and remove names in this folder (write and search permission).
    bool mayChangeNames() const;
    // True when the user may rename or remove the entry: the folder's names may be changed, and in a
    // folder with the sticky bit (a shared folder) the entry or the folder is the user's own, as the kernel
    // demands. A file with the immutable mark, say, may still refuse.
    bool mayTakeAway(const std::string& name) const;
    // True for a regular file (a link to one is followed) that can be opened for reading.
    bool isReadableFile(const std::string& name) const;

    // Names of the visible files matching a wildcard pattern such as "*.wav" (in any case), and of the
    // visible subfolders, sorted as listFiles() and listSubfolders() sort (filesys.h).
    std::vector<std::string> files(const std::string& pattern) const;
    std::vector<std::string> subfolders() const;

    // A name that comes from elsewhere (the default sound, a settings file another system wrote): the
    // exact name when it exists, else the entry that differs from it only in the letter case of its
    // extension (the first in sorted order). Never an entry whose base name differs.
    std::optional<std::string> findWithExtensionInAnyCase(const std::string& name) const;

    // Makes a file writable by its owner; a link and its target are left alone.
    bool setAttributesNormal(const std::string& name) const;
    // Deletes a file of the folder, never a folder; a link is removed, not what it leads to.
    bool removeFile(const std::string& name) const;
    // Gives entry `from` of this folder the name `to` in `destination` (which may be this folder). Never
    // replaces: fails when `to`, or a name that differs from it only in case, is taken (unless that is
    // the entry itself, a change of case only). Nothing is copied.
    bool renameTo(const std::string& from, const HeldFolder& destination, const std::string& to) const;

    // Opens an entry for reading (O_NOFOLLOW unless followLinks) and returns its descriptor, -1 on failure.
    int openForReading(const std::string& name, bool followLinks = true) const;
    // A path that reads the entry through the held folder ("/proc/self/fd/<fd>/<name>"), for libraries
    // that take a path; valid while this folder (or a copy of it) is held.
    std::string readPath(const std::string& name) const;
    // The folder's path where it now is, as a person reads it, for messages.
    std::string shownFolder() const;
    // The path of an entry as a person reads it (the folder where it now is, then the name), for messages.
    std::string shownPath(const std::string& name) const;

private:
    explicit HeldFolder(int fd);
    std::shared_ptr<const int> m_fd; // copies share the descriptor; the last one closes it
};

// A path for messages: one that reads through a held folder (readPath) shows that folder where it now is.
std::string shownPath(const std::string& path);

// True for a name that is one plain entry: not empty, no "/", not "." or "..".
bool isPlainName(std::string_view name);

} // namespace platform::fs
