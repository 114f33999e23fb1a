// Settings files: how values are found, what the writer keeps, and what happens with broken files.
#include "platform/core/profile.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <QFileInfo>
#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

struct Read
{
    std::size_t count;
    std::string text;
};

Read read(const QString& file, const std::string& section, const std::string& key, std::size_t size = 2048,
          const std::string& def = "<default>")
{
    std::vector<char> buffer(size + 1, '#');
    const std::size_t n = platform::getPrivateProfileString(section, key, def, buffer.data(), size, file.toStdString());
    EXPECT_EQ(buffer[n], '\0');
    return { n, std::string(buffer.data(), n) };
}

bool write(const QString& file, const std::string& section, const std::string& key, const std::string& value)
{
    return platform::writePrivateProfileString(section, key, value, file.toStdString());
}

} // namespace

TEST(ProfileRead, FindsSectionsAndKeysWhateverTheirCaseAndSpacing)
{
    TempFolder dir;
    const QString f = dir.file("a.ini");
    writeFile(f,
              "Level1=top\r\n"
              "[Other]\r\nLevel1=other\r\n"
              "  [ vellMARIN corvadel ]  ; trailing text\nlevel1 = 5 \r"
              "\tPAN1\t=\t\"  quoted  \"\r\n"
              "Mute1='x'\n"
              "Mute2=\"unbalanced'\n"
              "Mute3=\"\n"
              "Level2=\n"
              "; Level3=comment\n"
              "Level3\n"
              "Pan2=\"\"\n"
              "[Vellmarin Corvadel]\nLevel2=second section is never read\n");
    const std::string s = "VELLMARIN CORVADEL";
    EXPECT_EQ(read(f, s, "LEVEL1").text, "5");
    EXPECT_EQ(read(f, s, "pan1").text, "  quoted  ");
    EXPECT_EQ(read(f, s, "Mute1").text, "x");
    EXPECT_EQ(read(f, s, "Mute2").text, "\"unbalanced'");
    EXPECT_EQ(read(f, s, "Mute3").text, "\"");
    EXPECT_EQ(read(f, "other", "level1").text, "other");

    // Present but empty reads as empty, not as the default; so do "" quotes.
    EXPECT_EQ(read(f, s, "Level2").count, 0u);
    EXPECT_EQ(read(f, s, "Pan2").count, 0u);
    // Comments, lines without "=", keys before any section and keys of other sections are not found.
    EXPECT_EQ(read(f, s, "Level3").text, "<default>");
    EXPECT_EQ(read(f, s, "; Level3").text, "<default>");
    EXPECT_EQ(read(f, "", "Level1").text, "<default>");
    EXPECT_EQ(read(f, "Missing", "Level1").text, "<default>");
    EXPECT_EQ(read(f, s, "").text, "<default>");
}

TEST(ProfileRead, FindsTheFileWhateverTheCaseOfItsExtension)
{
    TempFolder dir;
    QDir(dir.path()).mkdir("Sets");
    writeFile(dir.file("Sets/Take.INI"), "[S]\nk=v\n");
    EXPECT_EQ(read(dir.file("Sets/Take.ini"), "S", "k").text, "v");
    EXPECT_EQ(read(dir.file("Sets/take.ini"), "S", "k").text, "<default>");
}

TEST(ProfileRead, TruncatesLongValuesToTheBuffer)
{
    TempFolder dir;
    const QString f = dir.file("a.ini");
    const std::string longValue(3000, 'v');
    writeFile(f, QByteArray::fromStdString("[S]\nk=" + longValue + "\nu=ab\xC3\xA4\n"));
    const Read r = read(f, "S", "k");
    EXPECT_EQ(r.count, 2047u);
    EXPECT_EQ(r.text, longValue.substr(0, 2047));

    // "abä" in 4 bytes: a buffer of 4 holds 3, which would cut the "ä" in half.
    EXPECT_EQ(read(f, "S", "u", 4).text, "ab");
    EXPECT_EQ(read(f, "S", "u", 5).text, "ab\xC3\xA4");
    EXPECT_EQ(read(f, "S", "u", 1).count, 0u);
    // The default is cut the same way.
    EXPECT_EQ(read(f, "S", "missing", 3, "defaults").text, "de");
}

TEST(ProfileRead, BrokenFilesReadAsNothingFound)
{
    TempFolder dir;
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.append(char((i * 37) % 256));
    }
    garbage.append(QByteArray(100, '\0'));
    writeFile(dir.file("binary.ini"), garbage);
    EXPECT_EQ(read(dir.file("binary.ini"), "S", "k").text, "<default>");

    // A line of nearly 1 MB, then a section without a final line break.
    writeFile(dir.file("long.ini"), QByteArray((1 << 20) - 100, '[') + "\n[S]\nk=found");
    EXPECT_EQ(read(dir.file("long.ini"), "S", "k").text, "found");
    writeFile(dir.file("longkey.ini"), "[S]\n" + QByteArray((1 << 20) - 100, 'k') + "=x");
    EXPECT_EQ(read(dir.file("longkey.ini"), "S", "k").text, "<default>");

    // Past 1 MB a file holds nothing, and a write leaves it as it is rather than rewrite it from nothing.
    const QByteArray huge = "[S]\nk=found\n" + QByteArray(1 << 20, '\n');
    writeFile(dir.file("huge.ini"), huge);
    EXPECT_EQ(read(dir.file("huge.ini"), "S", "k").text, "<default>");
    EXPECT_FALSE(write(dir.file("huge.ini"), "S", "k", "1"));
    EXPECT_EQ(readFile(dir.file("huge.ini")), huge);

    EXPECT_EQ(read(dir.file("missing.ini"), "S", "k").text, "<default>");
    EXPECT_EQ(read(dir.path(), "S", "k").text, "<default>");
    ASSERT_EQ(::mkfifo(dir.file("pipe.ini").toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(read(dir.file("pipe.ini"), "S", "k").text, "<default>"); // returns at once, no writer needed
}

TEST(ProfileWrite, ChangesOnlyWhatItMustAndWritesCrLf)
{
    TempFolder dir;
    const QString f = dir.file("a.ini");
    writeFile(f,
              "; settings\n"
              "[First]\r"
              "LEVEL1 = 10\n"
              "Pan1=50\n"
              "loose line\n"
              "\n"
              "; about the next one\n"
              "[Second]\n"
              "x=1");
    EXPECT_TRUE(write(f, "first", "level1", "80")); // in place, the file's spelling of the key kept
    EXPECT_TRUE(write(f, "FIRST", "Mute1", "1")); // new key: after the section's last line of content
    EXPECT_TRUE(write(f, "Third", "Level1", "-1")); // new section at the end
    EXPECT_TRUE(write(f, "  Second ", " x ", "2"));
    EXPECT_EQ(readFile(f),
              "; settings\r\n"
              "[First]\r\n"
              "LEVEL1=80\r\n"
              "Pan1=50\r\n"
              "loose line\r\n"
              "Mute1=1\r\n"
              "\r\n"
              "; about the next one\r\n"
              "[Second]\r\n"
              "x=2\r\n"
              "[Third]\r\n"
              "Level1=-1\r\n");
    EXPECT_EQ(read(f, "THIRD", "LEVEL1").text, "-1");
}

TEST(ProfileWrite, CreatesTheFileAndReplacesItWhole)
{
    TempFolder dir;
    const QString f = dir.file("new.ini");
    EXPECT_TRUE(write(f, "Vellmarin Corvadel", "ShowEnding", "0"));
    EXPECT_TRUE(write(f, "Vellmarin Corvadel", "AutoPlay", "1"));
    EXPECT_EQ(readFile(f), "[Vellmarin Corvadel]\r\nShowEnding=0\r\nAutoPlay=1\r\n");

    // An existing file with its extension in another case is the one changed; its permissions stay; no
    // temporary file stays.
    ASSERT_EQ(::chmod(f.toLocal8Bit().constData(), 0640), 0);
    EXPECT_TRUE(write(dir.file("new.INI"), "vellmarin corvadel", "autoplay", "0"));
    EXPECT_EQ(readFile(f), "[Vellmarin Corvadel]\r\nShowEnding=0\r\nAutoPlay=0\r\n");
    struct stat st;
    ASSERT_EQ(::stat(f.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "new.ini" });
}

TEST(ProfileWrite, FailsWithoutChangingAnything)
{
    TempFolder dir;
    const QString f = dir.file("a.ini");
    const QByteArray before = "[S]\nk=1\n";
    writeFile(f, before);

    // Text that would break the file's lines or read back as something else.
    EXPECT_FALSE(write(f, "S", "k", "1\r\n[Evil]"));
    EXPECT_FALSE(write(f, "S", "k", std::string("a\0b", 3)));
    EXPECT_FALSE(write(f, "S]x", "k", "1"));
    EXPECT_FALSE(write(f, "S", "k=2", "1"));
    EXPECT_FALSE(write(f, "S", "[k", "1"));
    EXPECT_FALSE(write(f, "S", "", "1"));
    EXPECT_EQ(readFile(f), before);

    // No folder to write into: missing, or a file.
    EXPECT_FALSE(write(dir.file("missing/a.ini"), "S", "k", "1"));
    EXPECT_FALSE(write(dir.file("a.ini/b.ini"), "S", "k", "1"));
    EXPECT_FALSE(write(dir.path(), "S", "k", "1"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList { "a.ini" });
}

TEST(ProfileRead, HeaderWithoutBracketByteOrderMarkAndBlanksAfterTheDefault)
{
    TempFolder dir;
    const QString f = dir.file("a.ini");
    writeFile(f, "\xEF\xBB\xBF[S]\nk=1\n[bad header\nafter=2\n[T]\nk=3\n");
    EXPECT_EQ(read(f, "S", "k").text, "1");
    EXPECT_EQ(read(f, "S", "after").text, "2");
    EXPECT_EQ(read(f, "bad header", "after").text, "<default>");
    EXPECT_EQ(read(f, "T", "k").text, "3");
    EXPECT_EQ(read(f, "S", "missing", 2048, "default \t  ").text, "default \t");

    // The mark stays at the front when the file is written.
    EXPECT_TRUE(write(f, "S", "k", "4"));
    EXPECT_EQ(readFile(f), "\xEF\xBB\xBF[S]\r\nk=4\r\n[bad header\r\nafter=2\r\n[T]\r\nk=3\r\n");
}

TEST(ProfileWrite, LinksAreFollowedOnlyToAFileInTheSameFolder)
{
    TempFolder dir;
    QDir(dir.path()).mkdir("Set");
    const QByteArray outside = "#!/bin/sh\necho hello\n";
    writeFile(dir.file("script.sh"), outside);
    writeFile(dir.file("Set/Real.ini"), "[S]\nk=1\n");
    const auto link = [&dir](const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, dir.file(name).toLocal8Bit().constData()), 0);
    };
    link("../script.sh", "Set/Out.ini");
    link("/corvadel-no-such-file.ini", "Set/Dangling.ini");
    link(".", "Set/Folder.ini");
    link("Real.ini", "Set/Take.ini");

    link(dir.file("Set/Real.ini").toLocal8Bit().constData(), "Set/Absolute.ini");

    // Each refusal of a link says so in one line; the last refusal, of a directory, says nothing.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(write(dir.file("Set/Out.ini"), "Vellmarin Corvadel", "Level1", "80"));
    EXPECT_FALSE(write(dir.file("Set/Dangling.ini"), "S", "k", "2"));
    EXPECT_FALSE(write(dir.file("Set/Folder.ini"), "S", "k", "2"));
    EXPECT_FALSE(write(dir.path() + "/Set", "S", "k", "2"));
    const QStringList lines = QString::fromStdString(testing::internal::GetCapturedStderr()).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains("/Set/Out.ini: ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[2].contains("/Set/Folder.ini: ")) << lines[2].toStdString();
    EXPECT_EQ(readFile(dir.file("script.sh")), outside);
    EXPECT_FALSE(QFile::exists("/corvadel-no-such-file.ini"));

    EXPECT_TRUE(write(dir.file("Set/Absolute.ini"), "S", "k", "3"));
    EXPECT_EQ(readFile(dir.file("Set/Real.ini")), "[S]\r\nk=3\r\n");

    EXPECT_TRUE(write(dir.file("Set/Take.INI"), "S", "k", "2"));
    EXPECT_EQ(readFile(dir.file("Set/Real.ini")), "[S]\r\nk=2\r\n");
    EXPECT_TRUE(QFileInfo(dir.file("Set/Take.ini")).isSymLink());
}

TEST(ProfileWrite, ARewriteNeverMakesAFileTooLargeToRead)
{
    TempFolder dir;
    const QString f = dir.file("a.ini");
    // Under 1 MB with LF line ends; CRLF would take it past.
    QByteArray text = "[S]\nk=1\n";
    while (text.size() < (1 << 20) - 4) {
        text += "x\n";
    }
    writeFile(f, text);
    EXPECT_FALSE(write(f, "S", "k", "2"));
    EXPECT_EQ(readFile(f), text);
    EXPECT_EQ(read(f, "S", "k").text, "1");
}

TEST(ProfileWrite, ALongNameThatTheFolderTakesIsSaved)
{
    TempFolder dir;
    const QString f = dir.file(QString(245, 'x') + ".ini");
    EXPECT_TRUE(write(f, "S", "k", "1"));
    EXPECT_TRUE(write(f, "S", "k", "2"));
    EXPECT_EQ(read(f, "S", "k").text, "2");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(ProfileWrite, AKilledWriterLeavesNothingTheNextWriteDoesNotClear)
{
    TempFolder dir;
    const QString f = dir.file("Set.ini");
    QByteArray big = "[S]\n";
    for (int i = 0; i < 20000; ++i) {
        big += "Key" + QByteArray::number(i) + "=" + QByteArray(30, 'v') + "\n";
    }
    writeFile(f, big);
    for (int round = 0; round < 40; ++round) {
        const pid_t writer = ::fork();
        if (writer == 0) {
            for (int i = 0;; ++i) {
                platform::writePrivateProfileString("S", "k", std::to_string(i), f.toStdString());
            }
        }
        ::usleep(useconds_t(1000 + round * 250));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
    }
    EXPECT_TRUE(write(f, "S", "k", "done"));
    EXPECT_EQ(read(f, "S", "k").text, "done");
    EXPECT_EQ(read(f, "S", "Key19999").text, std::string(30, 'v'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList { "Set.ini" });
}

TEST(ProfileWrite, ReadOnlyFilesAndFoldersAreLeftAlone)
{
    TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0777), 0);
    EXPECT_TRUE(testsupport::runAsNobody([&dir] {
        const QString f = dir.file("a.ini");
        writeFile(f, "[S]\nk=1\n");
        QFile::setPermissions(f, QFileDevice::ReadOwner);
        EXPECT_FALSE(write(f, "S", "k", "2"));
        QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QDir(dir.path()).mkdir("ro");
        QFile::setPermissions(dir.file("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(write(dir.file("ro/a.ini"), "S", "k", "2"));
        QFile::setPermissions(dir.file("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(QFile::exists(dir.file("ro/a.ini")));
        EXPECT_EQ(readFile(f), "[S]\nk=1\n");
    }));
}

TEST(ProfileWrite, AnotherUsersLinkIsNeverWrittenThroughTheUsersOwnIs)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to plant another user's link";
    }
    // A shared phrase folder: another user's links to a sound and to another set's settings.
    TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 01777), 0);
    const struct
    {
        const char *link, *target;
        QByteArray text;
        bool planted;
    } links[] = { { "A.ini", "B_1.wav", "RIFF....WAVEfmt \n", true },
                  { "C.ini", "B.ini", "[S]\r\nk=10\r\n", true },
                  { "Own.ini", "Own target.ini", "[S]\r\nk=10\r\n", false } };
    for (const auto& l : links) {
        writeFile(dir.file(l.target), l.text);
        const QByteArray link = dir.file(l.link).toLocal8Bit();
        ASSERT_EQ(::symlink(l.target, link.constData()), 0);
        ASSERT_EQ(::lchown(link.constData(), l.planted ? 65534 : 0, 0), 0);
        EXPECT_EQ(write(dir.file(l.link), "S", "k", "80"), !l.planted) << l.link;
        EXPECT_EQ(readFile(dir.file(l.target)) == l.text, l.planted) << l.link;
    }
}

TEST(ProfileWrite, AFileThatIsNoSettingsTextIsReadButNeverRewritten)
{
    TempFolder dir;
    for (const QByteArray& start : { QByteArray("x\0", 2), QByteArray("RIFF"), QByteArray("RIFX"), QByteArray("RF64"),
                                    QByteArray("\xFF\xFE"), QByteArray("\xFE\xFF") }) {
        const QByteArray text = start + "\n[S]\nk=1\n";
        writeFile(dir.file("Set.ini"), text);
        EXPECT_EQ(read(dir.file("Set.ini"), "S", "k").text, "1") << start.toHex().toStdString();
        EXPECT_FALSE(write(dir.file("Set.ini"), "S", "k", "2")) << start.toHex().toStdString();
        EXPECT_EQ(readFile(dir.file("Set.ini")), text);
    }
}

TEST(ProfileWrite, AReplacementKeepsTheGroupWhereTheUserMayGiveItAndTheModeAlways)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to act as a second user";
    }
    TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 01777), 0);
    // The user's own file, shared with a group; then user nobody's, in a group nobody is not in (root's).
    for (const uid_t owner : { 0, 65534 }) {
        const QString f = dir.file(QString("%1.ini").arg(owner));
        writeFile(f, "[S]\n");
        const gid_t shared = owner == 0 ? 65534 : 0;
        ASSERT_EQ(::chown(f.toLocal8Bit().constData(), owner, shared), 0);
        ASSERT_EQ(::chmod(f.toLocal8Bit().constData(), 0664), 0);
        const auto save = [&f] { EXPECT_TRUE(write(f, "S", "k", "1")); };
        if (owner == 0) {
            save();
        } else {
            EXPECT_TRUE(testsupport::runAsNobody(save));
        }
        struct stat st;
        ASSERT_EQ(::stat(f.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0664u);
        EXPECT_EQ(st.st_gid == shared, owner == 0);
    }
}
