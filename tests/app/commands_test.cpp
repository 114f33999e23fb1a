// The helper module: settings files, paths, folders, the default sound, windows, messages and keys.
#include "app/appmodul.h"
#include "app/commands.h"
#include "platform/gui/toolkit.h"
#include "tests/common/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

const QString kTitle = QStringLiteral("Vellmarin Corvadel");

struct CurrentFolderGuard
{
    QString saved = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
};

struct MessageLog
{
    struct Box
    {
        QString text;
        int style;
        QString title;
    };
    std::vector<Box> boxes;
    MessageLog()
    {
        platform::setMessageBoxHandler([this](const QString& text, int style, const QString& title) {
            boxes.push_back({ text, style, title });
            return platform::IdOk;
        });
    }
    ~MessageLog() { platform::setMessageBoxHandler({}); }
};

QString sourceDir()
{
    return QStringLiteral(CORVADEL_SOURCE_DIR);
}

int16_t filtered(int key, int16_t mode)
{
    int16_t k = int16_t(key);
    Commands::KeyFilter(k, mode);
    return k;
}

} // namespace

TEST(CommandsIni, ReadsWhateverTheCaseAndFallsBackToTheDefault)
{
    TempFolder dir;
    const QString f = dir.file("Take.ini");
    writeFile(f, "[vellmarin CORVADEL]\r\nlevel1=55\r\nPan1=\r\nMute1=\"1\"\r\nLong=" + QByteArray(3000, 'x') + "\r\n");
    EXPECT_EQ(Commands::ReadINI(kTitle, "Level1", f, "80"), "55");
    EXPECT_EQ(Commands::ReadINI(kTitle, "Pan1", f, "50"), "50");
    EXPECT_EQ(Commands::ReadINI(kTitle, "Mute1", f, "0"), "1");
    EXPECT_EQ(Commands::ReadINI(kTitle, "Long", f, ""), QString(2047, 'x'));
    EXPECT_EQ(Commands::ReadINI(kTitle, "Level2", f, "80"), "80");
    EXPECT_EQ(Commands::ReadINI("Other", "Level1", f, "80"), "80");
    EXPECT_EQ(Commands::ReadINI(kTitle, "Level1", dir.file("missing.ini"), "80"), "80");
    EXPECT_EQ(Commands::ReadINI(kTitle, "Größe", f, "d"), "d");
}

TEST(CommandsIni, WritesNamesAsGivenAndReadsThemBack)
{
    TempFolder dir;
    const QString f = dir.file("Corvadel.ini");
    Commands::WriteINI(kTitle, "ShowEnding", "-1", f);
    Commands::WriteINI(kTitle, "AutoPlay", "1", f);
    Commands::WriteINI(kTitle, "PhraseSync", "2", f);
    Commands::WriteINI(kTitle, "Name", "Süß", f);
    EXPECT_EQ(readFile(f), "[Vellmarin Corvadel]\r\nShowEnding=-1\r\nAutoPlay=1\r\nPhraseSync=2\r\nName=Süß\r\n");
    EXPECT_EQ(Commands::ReadINI(kTitle, "PHRASESYNC", f, "1"), "2");
    EXPECT_EQ(Commands::ReadINI(kTitle, "name", f, ""), "Süß");
    // A folder that is not there: nothing happens.
    Commands::WriteINI(kTitle, "AutoPlay", "1", dir.file("missing/Corvadel.ini"));
    EXPECT_FALSE(QFile::exists(dir.file("missing")));
}

TEST(CommandsPaths, LongNamesAndRebuiltCase)
{
    TempFolder dir;
    QDir(dir.path()).mkpath("Sound Bank/Old");
    EXPECT_EQ(Commands::GetLongName(dir.file("sound bank/OLD")), dir.file("Sound Bank/Old"));
    EXPECT_EQ(Commands::GetLongName("/my docs/sound-bank/(old)_take.exe"), "/My Docs/Sound-Bank/(Old)_Take.exe");
    EXPECT_EQ(Commands::GetLongName("c:/PROGRAM FILES/x.EXE"), "C:/Program Files/X.exe");
    EXPECT_EQ(Commands::GetLongName(""), "");
}

TEST(CommandsPaths, SettingsFileIsTheExecutablesNameInTheProgramFolderAsSpelled)
{
    // Names in small letters, which a case rebuilt for a missing path would change: the settings file is
    // the one beside the program, named after it, and the options come from it.
    TempFolder dir;
    QDir(dir.path()).mkpath("my apps/bin");
    ASSERT_TRUE(writeFile(dir.file("my apps/bin/corvadel player.ini"), "[Vellmarin Corvadel]\r\nAutoPlay=0\r\n"));
    AppModul::Main(dir.file("my apps/bin"), dir.path(), QStringLiteral("corvadel player"));
    EXPECT_EQ(Commands::IniFile, dir.file("my apps/bin/corvadel player.ini"));
    EXPECT_EQ(AppModul::AutoPlay, 0);
    AppModul::ResetState();
}

TEST(CommandsPaths, TrailingSeparators)
{
    QString p = "/a/b";
    EXPECT_EQ(Commands::AddBackslash(p), "/a/b/");
    EXPECT_EQ(p, "/a/b/");
    EXPECT_EQ(Commands::AddBackslash(p), "/a/b/");
    QString empty;
    EXPECT_EQ(Commands::AddBackslash(empty), "/");

    QString two = "/a//";
    EXPECT_EQ(Commands::RemoveBackslash(two), "/a/");
    EXPECT_EQ(two, "/a/");
    QString none = "/a";
    EXPECT_EQ(Commands::RemoveBackslash(none), "/a");
    QString nothing;
    EXPECT_EQ(Commands::RemoveBackslash(nothing), "");
}

TEST(CommandsPaths, SystemFoldersEndInASeparator)
{
    EXPECT_EQ(Commands::GetWinDir(), "/etc/");
    EXPECT_EQ(Commands::GetSysDir(), "/usr/lib/");
    TempFolder dir;
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toUtf8());
    const QString temp = Commands::GetTempDir();
    qputenv("TMPDIR", dir.file("missing").toUtf8()); // never the file-system root
    const QString fallback = Commands::GetTempDir();
    qputenv("TMPDIR", saved);
    EXPECT_EQ(temp, dir.path() + "/");
    EXPECT_EQ(fallback, "/tmp/");

    Commands::InitPaths();
    EXPECT_EQ(Commands::AppPath, QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(Commands::ExeName, "tests_app");
    EXPECT_TRUE(Commands::TempDir.endsWith('/'));
}

TEST(CommandsPaths, FileAndFolderTests)
{
    TempFolder dir;
    QDir(dir.path()).mkdir("Sets");
    writeFile(dir.file("Sets/Take_1.wav"), "x");
    EXPECT_TRUE(Commands::FileExists(dir.file("Sets/Take_1.WAV")));
    EXPECT_FALSE(Commands::FileExists(dir.file("sets/take_1.wav")));
    EXPECT_FALSE(Commands::FileExists(dir.file("Sets")));
    EXPECT_FALSE(Commands::FileExists(dir.file("Sets/Take_2.wav")));
    EXPECT_FALSE(Commands::FileExists(""));

    EXPECT_TRUE(Commands::DirExists(dir.file("Sets")));
    EXPECT_TRUE(Commands::DirExists(dir.file("Sets/")));
    EXPECT_TRUE(Commands::DirExists("/"));
    EXPECT_FALSE(Commands::DirExists(dir.file("Sets/Take_1.wav")));
    EXPECT_FALSE(Commands::DirExists(dir.file("Other")));
}

TEST(CommandsPaths, CreatePathWalksFromTheFirstComponent)
{
    CurrentFolderGuard guard;
    TempFolder dir;
    QDir::setCurrent("/");

    // An existing folder: true, and the current folder stays.
    QString existing = dir.path();
    EXPECT_TRUE(Commands::CreatePath(existing));
    EXPECT_EQ(existing, dir.path());
    EXPECT_EQ(QDir::currentPath(), "/");

    // Both levels created; the current folder ends in the deepest; the caller's path gains its "/".
    QString fresh = dir.file("new/deeper");
    EXPECT_TRUE(Commands::CreatePath(fresh));
    EXPECT_EQ(fresh, dir.file("new/deeper/"));
    EXPECT_TRUE(QDir(dir.file("new/deeper")).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(dir.file("new/deeper")).canonicalPath());

    // Existing levels are walked through, not created again; one that differs only in case is not made.
    QString mixed = dir.file("new/deeper/Third");
    EXPECT_TRUE(Commands::CreatePath(mixed));
    QString twin = dir.file("NEW/Other");
    EXPECT_FALSE(Commands::CreatePath(twin));
    EXPECT_EQ(QDir(dir.file("new/deeper")).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList { "Third" });

    // A file in the way stops the walk there.
    writeFile(dir.file("new/file"), "x");
    QString blocked = dir.file("new/file/sub");
    EXPECT_FALSE(Commands::CreatePath(blocked));
    EXPECT_EQ(QDir::currentPath(), QDir(dir.file("new")).canonicalPath());

    // No such first component (the "drive"), or a relative path: nothing is created.
    QString noDrive = "/corvadel-no-such-drive/a/b";
    EXPECT_FALSE(Commands::CreatePath(noDrive));
    EXPECT_FALSE(QFile::exists("/corvadel-no-such-drive"));
    QDir::setCurrent(dir.path());
    QString relative = "rel/a";
    EXPECT_FALSE(Commands::CreatePath(relative));
    EXPECT_FALSE(QFile::exists(dir.file("rel")));
}

TEST(CommandsResources, DefaultSoundIsWrittenWhole)
{
    TempFolder dir;
    const QString target = dir.file("Default.wav");
    EXPECT_EQ(Commands::ExtractResource(target, "DEFAULT", "WAVE"), target);
    const QByteArray wav = readFile(target);
    EXPECT_EQ(wav, readFile(sourceDir() + "/resources/default.wav"));

    // The layout the sound engine relies on: PCM, mono, 11000 per second, 8 bits, 756 bytes of 127 and 128.
    ASSERT_GE(wav.size(), 44);
    const auto u16 = [&wav](int at) { return int(uint8_t(wav[at])) | int(uint8_t(wav[at + 1])) << 8; };
    const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16);
    EXPECT_EQ(u16(20), 1);
    EXPECT_EQ(u16(22), 1);
    EXPECT_EQ(u32(24), 11000);
    EXPECT_EQ(u32(28), 11000);
    EXPECT_EQ(u16(32), 1);
    EXPECT_EQ(u16(34), 8);
    EXPECT_EQ(wav.mid(36, 4), "LIST");
    const int data = 44 + u32(40);
    ASSERT_EQ(wav.mid(data, 4), "data");
    ASSERT_EQ(u32(data + 4), 756);
    for (int i = 0; i < 756; ++i) {
        const auto sample = uint8_t(wav[data + 8 + i]);
        ASSERT_TRUE(sample == 127 || sample == 128) << i;
    }
    EXPECT_EQ(u32(4), data + 8 + 756 - 8);
    EXPECT_EQ(wav.mid(data + 8 + 756), QByteArray(2, '\0'));

    // A longer file in the way is replaced whole, not overwritten from the front.
    writeFile(target, QByteArray(5000, 'g'));
    EXPECT_EQ(Commands::ExtractResource(target, "default", "wave"), target);
    EXPECT_EQ(readFile(target), wav);

    // Never written through a link, even one that leads nowhere yet.
    ASSERT_EQ(::symlink("planted.wav", dir.file("Link.wav").toLocal8Bit().constData()), 0);
    EXPECT_EQ(Commands::ExtractResource(dir.file("Link.wav"), "DEFAULT", "WAVE"), "");
    EXPECT_FALSE(QFile::exists(dir.file("planted.wav")));

    EXPECT_EQ(Commands::ExtractResource(dir.file("x.wav"), "MISSING", "WAVE"), "");
    EXPECT_FALSE(QFile::exists(dir.file("x.wav")));
    EXPECT_EQ(Commands::ExtractResource(dir.file("missing/Default.wav"), "DEFAULT", "WAVE"), "");
}

TEST(CommandsWindows, CenterFormUsesTheUpperPartOfTheScreenAndClamps)
{
    // Top = (screen height * 0.85) \ 2 - height \ 2, Left = screen width \ 2 - width \ 2, in twips; with the
    // offscreen screen of 800 by 800 pixels and a window of 400 by 201: Top = 5100 - 1507, Left = 6000 - 3000.
    const int screenHeight = platform::screenHeightTwips();
    const int screenWidth = platform::screenWidthTwips();
    ASSERT_GT(screenHeight, 0);
    QWidget form;
    form.resize(400, 201);
    Commands::CenterForm(&form);
    EXPECT_EQ(form.y(), platform::twipsToPixels(int(std::nearbyint(screenHeight * 0.85)) / 2 - 3015 / 2));
    EXPECT_EQ(form.x(), platform::twipsToPixels(screenWidth / 2 - 3000));
    if (screenHeight == 12000 && screenWidth == 12000) {
        EXPECT_EQ(form.pos(), QPoint(200, 240)); // Top 3593 twips is 239.53 pixels, so 240
    }

    // Taller than 85 percent of the screen, wider than the screen: both clamped to 0.
    QWidget big;
    big.resize(screenWidth / 15 + 10, screenHeight * 87 / 100 / 15);
    Commands::CenterForm(&big);
    EXPECT_EQ(big.pos(), QPoint(0, 0));
}

TEST(CommandsWindows, SetTopMostKeepsTheWindowWhereItIs)
{
    QWidget dialog;
    dialog.setGeometry(50, 60, 200, 100);
    dialog.show();
    Commands::SetTopMost(&dialog);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.geometry(), QRect(50, 60, 200, 100));
}

TEST(CommandsMessages, KindChoosesTheIconAndAnEmptyTitleBecomesTheProgramTitle)
{
    Commands::AppTitle = kTitle;
    MessageLog log;
    for (int16_t kind = 0; kind <= 5; ++kind) {
        QString title;
        Commands::ShowMessage("m" + QString::number(kind), kind, title);
        EXPECT_EQ(title, kTitle);
    }
    QString own = "Own";
    Commands::ShowMessage("x", 1, own);
    ASSERT_EQ(log.boxes.size(), 5u);
    EXPECT_EQ(log.boxes[0].text, "m1");
    EXPECT_EQ(log.boxes[0].style, 64);
    EXPECT_EQ(log.boxes[1].style, 48);
    EXPECT_EQ(log.boxes[2].style, 16);
    EXPECT_EQ(log.boxes[3].style, 32);
    EXPECT_EQ(log.boxes[3].title, kTitle);
    EXPECT_EQ(log.boxes[4].title, "Own");
}

TEST(CommandsKeys, FileNameModeDropsWhatNamesCannotHold)
{
    for (int key :
         std::initializer_list<int> { 3,   8,   13,  22,  ' ', '!', '&', '\'', '+', '-', '0', '9', '?', '@',
                                      'A', 'Z', '_', '`', 'a', 'z', '{', '|',  '}', '~', 127, 196, 252, 32767 }) {
        EXPECT_EQ(filtered(key, 1), key) << key;
    }
    for (int key : std::initializer_list<int> { 0,   1,   9,   27,  '"', '#', '$', '%',  '(', ')', '*', ',',   '.',
                                                '/', ':', ';', '<', '=', '>', '[', '\\', ']', '^', -5,  -32768 }) {
        EXPECT_EQ(filtered(key, 1), 0) << key;
    }
}

TEST(CommandsKeys, OtherModes)
{
    // Numbers: digits, colon, comma and full stop.
    EXPECT_EQ(filtered(',', 2), ',');
    EXPECT_EQ(filtered(':', 2), ':');
    EXPECT_EQ(filtered('-', 2), 0);
    EXPECT_EQ(filtered('a', 2), 0);
    // Letters.
    EXPECT_EQ(filtered('q', 3), 'q');
    EXPECT_EQ(filtered('[', 3), 0);
    EXPECT_EQ(filtered('5', 3), 0);
    EXPECT_EQ(filtered(8, 3), 8);
    // Hexadecimal: small letters become capitals.
    EXPECT_EQ(filtered('a', 4), 'A');
    EXPECT_EQ(filtered('f', 4), 'F');
    EXPECT_EQ(filtered('F', 4), 'F');
    EXPECT_EQ(filtered('g', 4), 0);
    EXPECT_EQ(filtered('G', 4), 0);
    // Upper and lower case change letters only.
    EXPECT_EQ(filtered('z', 5), 'Z');
    EXPECT_EQ(filtered('{', 5), '{');
    EXPECT_EQ(filtered('A', 6), 'a');
    EXPECT_EQ(filtered('@', 6), '@');
    // Any other mode passes everything.
    EXPECT_EQ(filtered('\\', 0), '\\');
    EXPECT_EQ(filtered(27, 7), 27);
}

TEST(CommandsText, LeadingNumberRoundedHalvesToEvenWithin16Bits)
{
    const std::pair<const char*, int> cases[] = {
        { "1", 1 },
        { "0", 0 },
        { "-1", -1 },
        { "+3", 3 },
        { "1.5", 2 },
        { "0.5", 0 },
        { "2.5", 2 },
        { "-2.5", -2 },
        { "3.5", 4 },
        { "abc", 0 },
        { "", 0 },
        { "12abc", 12 },
        { "1e3", 1 },
        { " 7", 7 },
        { ".5", 0 },
        { "1.", 1 },
        { "-", 0 },
        { "1,9", 1 },
        { "32767", 32767 },
        { "-32768", -32768 },
        { "-32768.5", -32768 },
        { "32766.5", 32766 },
        { "0x10", 0 },
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(Commands::TextToInt16(text), std::optional<int16_t>(int16_t(value))) << text;
    }
    for (const char* text : { "32768", "-32769", "32767.5", "-32768.51", "99999999999999999999999" }) {
        EXPECT_EQ(Commands::TextToInt16(text), std::nullopt) << text;
    }
    EXPECT_EQ(Commands::TextToInt16(QString(100000, '9')), std::nullopt);
}
