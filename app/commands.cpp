#include "app/commands.h"

#include "platform/core/filesys.h"
#include "platform/core/heldfolder.h"
#include "platform/core/integer16.h"
#include "platform/core/profile.h"
#include "platform/core/wholefile.h"
#include "platform/gui/filenames.h"
#include "platform/gui/resources.h"
#include "platform/gui/sysfolders.h"
#include "platform/gui/toolkit.h"

#include <QApplication>
#include <QWidget>
#include <cmath>
#include <vector>

namespace Commands {

QString AppPath;
QString ExeName;
QString TempDir;
QString AppTitle;
QString IniFile;

namespace {

constexpr std::size_t kValueBufferSize = 2048;

// Paths and names as the file system and the settings files hold them (bytes, UTF-8 where they can be).
std::string utf8(const QString& s)
{
    return platform::fileNameFromText(s);
}

QString fromUtf8(const std::string& s)
{
    return platform::textFromFileName(s);
}

// Section and key names go to the profile reader in capitals; only ASCII letters have a case there.
QString upperAscii(QString s)
{
    for (QChar& c : s) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            c = QChar(c.unicode() - 'a' + 'A');
        }
    }
    return s;
}

bool endsWithSlash(const QString& s)
{
    return s.endsWith(QLatin1Char('/'));
}

QString folderWithSlash(QString folder)
{
    AddBackslash(folder);
    return folder;
}

} // namespace

void InitPaths()
{
    // From the executable's real path as bytes, so that a folder whose name is not UTF-8 is still found.
    const QString program = platform::programFile();
    const qsizetype slash = program.lastIndexOf(QLatin1Char('/'));
    AppPath = program.left(slash + 1);
    AddBackslash(AppPath);
    ExeName = program.mid(slash + 1);
    if (const qsizetype dot = ExeName.lastIndexOf(QLatin1Char('.')); dot > 0) {
        ExeName.truncate(dot);
    }
    TempDir = GetTempDir();
}

namespace {

// A value read by `read` into a buffer of kValueBufferSize blanks, or Default when nothing was copied.
template<class Reader>
QString readValue(const Reader& read, const QString& Default)
{
    std::vector<char> buffer(kValueBufferSize, ' ');
    const std::size_t count = read(buffer.data(), buffer.size());
    if (count >= 1) {
        return fromUtf8(std::string(buffer.data(), count));
    }
    return Default;
}

} // namespace

QString ReadINI(const QString& Section, const QString& Key, const QString& File, const QString& Default)
{
    return readValue(
        [&](char* buffer, std::size_t size) {
            return platform::getPrivateProfileString(utf8(upperAscii(Section)), utf8(upperAscii(Key)), std::string(),
                                                     buffer, size, utf8(File));
        },
        Default);
}

bool WriteINI(const QString& Section, const QString& Key, const QString& Value, const QString& File)
{
    return platform::writePrivateProfileString(utf8(Section), utf8(Key), utf8(Value), utf8(File));
}

QString ReadINI(const QString& Section, const QString& Key, const platform::fs::HeldFolder& Folder,
                const QString& File, const QString& Default)
{
    return readValue(
        [&](char* buffer, std::size_t size) {
            return platform::getPrivateProfileString(utf8(upperAscii(Section)), utf8(upperAscii(Key)), std::string(),
                                                     buffer, size, Folder, utf8(File));
        },
        Default);
}

bool WriteINI(const QString& Section, const QString& Key, const QString& Value,
              const platform::fs::HeldFolder& Folder, const QString& File)
{
    return WriteINI(Section, IniKeys { { Key, Value } }, Folder, File);
}

bool WriteINI(const QString& Section, const IniKeys& Keys, const platform::fs::HeldFolder& Folder,
              const QString& File, QString* Reason)
{
    std::vector<platform::ProfileEntry> entries;
    for (const auto& [key, value] : Keys) {
        entries.push_back({ utf8(key), utf8(value) });
    }
    std::string refusal;
    const bool written = platform::writePrivateProfileStrings(utf8(Section), entries, Folder, utf8(File), &refusal);
    if (Reason) {
        *Reason = fromUtf8(refusal);
    }
    return written;
}

QString GetLongName(QString Path)
{
    if (const auto longName = platform::fs::longPathName(utf8(Path))) {
        return fromUtf8(*longName);
    }
    // A path that does not exist: first letter and every letter after a blank, "-", "(", "_" or "/" in
    // capitals, every other letter small.
    static const QString wordStarts = QStringLiteral(" -(_/");
    for (qsizetype i = 0; i < Path.size(); ++i) {
        Path[i] = (i == 0 || wordStarts.contains(Path[i - 1])) ? Path[i].toUpper() : Path[i].toLower();
    }
    return Path;
}

QString GetWinDir()
{
    return folderWithSlash(platform::windowsFolder());
}

QString GetSysDir()
{
    return folderWithSlash(platform::systemFolder());
}

QString GetTempDir()
{
    return folderWithSlash(platform::tempFolder());
}

bool FileExists(const QString& Path)
{
    return platform::fs::canOpenForReading(utf8(Path));
}

bool DirExists(QString Path)
{
    AddBackslash(Path);
    return platform::fs::isFolder(utf8(Path));
}

QString AddBackslash(QString& Path)
{
    if (!endsWithSlash(Path)) {
        Path += QLatin1Char('/');
    }
    return Path;
}

QString RemoveBackslash(QString& Path)
{
    if (endsWithSlash(Path)) {
        Path.chop(1);
    }
    return Path;
}

bool CreatePath(QString& Path)
{
    if (DirExists(Path)) {
        return true;
    }
    AddBackslash(Path);
    // The first component plays the drive: it must exist, and the walk starts in it.
    if (!Path.startsWith(QLatin1Char('/'))) {
        return false;
    }
    qsizetype start = Path.indexOf(QLatin1Char('/'), 1);
    if (start < 0 || !platform::fs::changeFolder(utf8(Path.left(start)))) {
        return false;
    }
    for (qsizetype pos = Path.indexOf(QLatin1Char('/'), start + 1); pos >= 0;
         start = pos, pos = Path.indexOf(QLatin1Char('/'), start + 1)) {
        const std::string part = utf8(Path.mid(start + 1, pos - start - 1));
        // A folder that is there already is no error.
        if (!platform::fs::createFolder(part) && !platform::fs::resolveCase(part)) {
            return false;
        }
        if (!platform::fs::changeFolder(part)) {
            return false;
        }
    }
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
    return true;
}

QString ExtractResource(const QString& File, const QString& ResName, const QString& ResType)
{
    const auto bytes = platform::loadResData(ResName, ResType);
    if (!bytes) {
        return QString();
    }
    // Written whole or not at all; only the user's own file of that name is replaced, never a link or
    // another user's file.
    const std::string path = platform::diskPath(File);
    const auto placement = platform::fs::isOwnRegularFile(path) ? platform::fs::Placement::Replace
                                                                 : platform::fs::Placement::NewName;
    if (!platform::fs::writeFileWhole(path, std::string_view(bytes->constData(), std::size_t(bytes->size())),
                                      platform::fs::newFileMode(), placement)) {
        return QString();
    }
    return File;
}

void CenterForm(QWidget* frm)
{
    if (!frm) {
        return;
    }
    const int screenHeight = int(std::nearbyint(platform::screenHeightTwips() * 0.85));
    const int screenWidth = platform::screenWidthTwips();
    platform::setWindowTop(frm, screenHeight / 2 - platform::windowHeight(frm) / 2);
    platform::setWindowLeft(frm, screenWidth / 2 - platform::windowWidth(frm) / 2);
    if (platform::windowTop(frm) < 0) {
        platform::setWindowTop(frm, 0);
    }
    if (platform::windowLeft(frm) < 0) {
        platform::setWindowLeft(frm, 0);
    }
}

void SetTopMost(QWidget* frm)
{
    platform::setWindowTopMost(frm);
    platform::doEvents();
}

void ShowMessage(const QString& Msg, int16_t Kind, QString& Title)
{
    if (Title.isEmpty()) {
        Title = AppTitle;
    }
    static constexpr int styles[] = { 64, 48, 16, 32 }; // information, exclamation, critical, question
    if (Kind >= 1 && Kind <= 4) {
        platform::messageBox(Msg, styles[Kind - 1], Title);
    }
}

void KeyFilter(int16_t& KeyAscii, int16_t Mode)
{
    const int k = KeyAscii;
    if (k == 3 || k == 8 || k == 13 || k == 22) {
        return; // copy, backspace, Enter, paste
    }
    const auto in = [k](int from, int to) { return k >= from && k <= to; };
    switch (Mode) {
    case 1: // file names
        if (!(k == 32 || k == 33 || k == 38 || k == 39 || k == 43 || k == 45 || in(48, 57) || k == 63 || k == 64
              || in(65, 90) || in(95, 126) || k >= 127)) {
            KeyAscii = 0;
        }
        break;
    case 2: // numbers
        if (!(k == 44 || k == 46 || in(48, 58))) {
            KeyAscii = 0;
        }
        break;
    case 3: // letters
        if (!(in(65, 90) || in(97, 122))) {
            KeyAscii = 0;
        }
        break;
    case 4: // hexadecimal
        if (in(97, 102)) {
            KeyAscii = int16_t(k - 32);
        } else if (!(in(48, 57) || in(65, 70))) {
            KeyAscii = 0;
        }
        break;
    case 5: // upper case
        if (in(97, 122)) {
            KeyAscii = int16_t(k - 32);
        }
        break;
    case 6: // lower case
        if (in(65, 90)) {
            KeyAscii = int16_t(k + 32);
        }
        break;
    default:
        break;
    }
}

std::optional<int16_t> TextToInt16(const QString& Text)
{
    // The leading decimal number: blanks, a sign, digits, a decimal point and more digits.
    qsizetype i = 0;
    while (i < Text.size() && (Text[i] == QLatin1Char(' ') || Text[i] == QLatin1Char('\t'))) {
        ++i;
    }
    const qsizetype start = i;
    if (i < Text.size() && (Text[i] == QLatin1Char('+') || Text[i] == QLatin1Char('-'))) {
        ++i;
    }
    const auto isDigit = [&Text](qsizetype at) {
        return at < Text.size() && Text[at] >= QLatin1Char('0') && Text[at] <= QLatin1Char('9');
    };
    qsizetype digits = 0;
    for (; isDigit(i); ++i) {
        ++digits;
    }
    if (i < Text.size() && Text[i] == QLatin1Char('.')) {
        ++i;
        for (; isDigit(i); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    bool ok = false;
    const double value = std::nearbyint(QStringView(Text).mid(start, i - start).toDouble(&ok));
    return ok ? platform::integer16(value) : std::nullopt;
}

} // namespace Commands
