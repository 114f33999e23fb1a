// The helper module: settings files, paths and system folders, file and folder tests, resources,
// window placement, message boxes and the keystroke filter. Plain procedures; the shared paths and the
// title live here too.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

class QWidget;

namespace platform::fs {
class HeldFolder;
}

namespace Commands {

// Shared state (set once by the start-up).
extern QString AppPath; // program folder, always ending in "/"
extern QString ExeName; // executable's file name without folder and extension
extern QString TempDir; // temporary folder, ending in "/"
extern QString AppTitle; // "Vellmarin Corvadel"
extern QString IniFile; // full path of the program settings file

// Sets AppPath, ExeName and TempDir.
void InitPaths();

// Settings files. A missing file, section or key, or an empty value, gives Default.
QString ReadINI(const QString& Section, const QString& Key, const QString& File, const QString& Default);
// False when nothing could be written (the folder is missing or read-only, the file is read-only).
bool WriteINI(const QString& Section, const QString& Key, const QString& Value, const QString& File);
// The same for the settings file File (a plain name) in a held folder: found exactly, else with its
// extension in another case, and never through a link that leads out of the folder.
QString ReadINI(const QString& Section, const QString& Key, const platform::fs::HeldFolder& Folder,
                const QString& File, const QString& Default);
bool WriteINI(const QString& Section, const QString& Key, const QString& Value,
              const platform::fs::HeldFolder& Folder, const QString& File);
// Keys and their values, written in this order.
using IniKeys = QList<std::pair<QString, QString>>;
// Writes all Keys in one replacement of the file, the same text as one WriteINI per key. A write refused
// for the file's sake (another user's link, a file that is no settings text) gives its Reason, when asked
// for, to tell the user; any other failure leaves Reason empty.
bool WriteINI(const QString& Section, const IniKeys& Keys, const platform::fs::HeldFolder& Folder,
              const QString& File, QString* Reason = nullptr);

// Paths and system folders.
QString GetLongName(QString Path);
QString GetWinDir();
QString GetSysDir();
QString GetTempDir();
bool FileExists(const QString& Path);
bool DirExists(QString Path);
QString AddBackslash(QString& Path);
QString RemoveBackslash(QString& Path);
bool CreatePath(QString& Path);
QString ExtractResource(const QString& File, const QString& ResName, const QString& ResType);

// Windows and messages.
void CenterForm(QWidget* frm);
void SetTopMost(QWidget* frm);
void ShowMessage(const QString& Msg, int16_t Kind, QString& Title);
void KeyFilter(int16_t& KeyAscii, int16_t Mode);

// Text to number as the settings files need it: the leading decimal number of the text (0 when it has
// none), rounded to the nearest integer with halves to even; nullopt when it lies outside the 16-bit range.
std::optional<int16_t> TextToInt16(const QString& Text);

} // namespace Commands
