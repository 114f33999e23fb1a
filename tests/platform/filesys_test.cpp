// The file system seen as the program expects it: case-blind lookups, no-replace renames, safe names.
#include "platform/core/filesys.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;
namespace fs = platform::fs;

namespace {

std::string s(const QString& q)
{
    return q.toStdString();
}

void makeFolders(const TempFolder& dir, const QStringList& names)
{
    for (const auto& n : names) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(n));
    }
}

// Restores the process's current folder when a test has changed it.
struct CurrentFolderGuard
{
    QString saved = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
};

} // namespace

TEST(FileSystemListing, SortsIgnoringCaseAndLeavesHiddenNamesOut)
{
    TempFolder dir;
    makeFolders(dir, { "b", "a", "A", ".hidden", "_skip", "c.wav" });
    for (const char* f : { "x_1.WAV", "X_2.wav", "y.Wav", "z.wav.bak", "a.wa", ".wav", "notes.txt" }) {
        writeFile(dir.file(f), "x");
    }
    ASSERT_EQ(::symlink("b", dir.file("link").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("x_1.WAV", dir.file("linked.wav").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("gone", dir.file("dangling.wav").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe.wav").toLocal8Bit().constData(), 0600), 0);

    using V = std::vector<std::string>;
    EXPECT_EQ(fs::listSubfolders(s(dir.path())), (V { "_skip", "A", "a", "b", "c.wav", "link" }));
    EXPECT_EQ(fs::listFiles(s(dir.path()), "*.wav"), (V { "linked.wav", "x_1.WAV", "X_2.wav", "y.Wav" }));
    EXPECT_EQ(fs::listFiles(s(dir.path()), "?_?.*"), (V { "x_1.WAV", "X_2.wav" }));
    // The folder itself is found by its exact name; a missing one lists nothing.
    writeFile(dir.file("b/inner.txt"), "x");
    EXPECT_EQ(fs::listFiles(s(dir.file("b")), "*.TXT"), V { "inner.txt" });
    EXPECT_EQ(fs::listFiles(s(dir.file("B")), "*.TXT"), V {});
    EXPECT_TRUE(fs::listSubfolders(s(dir.file("missing"))).empty());
    EXPECT_TRUE(fs::listFiles(s(dir.file("notes.txt")), "*").empty());
}

TEST(FileSystemLookup, OnlyTheExtensionMayDifferInCase)
{
    TempFolder dir;
    makeFolders(dir, { "Drums/Loops", "drums", "Kit.Old" });
    writeFile(dir.file("Drums/Loops/Take_1.wav"), "x");
    writeFile(dir.file("Drums/Loops/pad_2.WAV"), "x");
    writeFile(dir.file("Drums/Loops/Pad_2.wav"), "x");
    const std::string base = s(dir.path());
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { "/drums", "/drums" },
        { "/Drums/Loops/Take_1.WAV", "/Drums/Loops/Take_1.wav" },
        { "/Drums/Loops/pad_2.wav", "/Drums/Loops/pad_2.WAV" }, // never "Pad_2.wav"
        { "/Drums/Loops/PAD_2.wav", std::nullopt },
        { "/dRUMS", std::nullopt },
        { "/Drums/LOOPS/Take_1.wav", std::nullopt },
        { "/Kit.OLD/", "/Kit.Old/" },
        { "//Kit.OLD///", "/Kit.Old/" },
        { "/Drums/Loops/Take_1.wav/", std::nullopt },
    };
    for (const auto& [asked, found] : cases) {
        EXPECT_EQ(fs::resolveCase(base + asked), found ? std::optional(base + *found) : std::nullopt) << asked;
    }
    EXPECT_EQ(fs::resolveCase(""), std::nullopt);

    CurrentFolderGuard guard;
    ASSERT_TRUE(QDir::setCurrent(dir.file("Drums")));
    EXPECT_EQ(fs::resolveCase("Loops/TAKE_1.wav"), std::nullopt);
    EXPECT_EQ(fs::resolveCase("Loops/Take_1.Wav"), "Loops/Take_1.wav");
}

TEST(FileSystemLookup, LongNamesTakeTheFirstSortedVariantNotTheFirstListed)
{
    TempFolder dir;
    // Every case of "bank" but the one asked for; then, while the folder's own order starts with the first
    // sorted one, that one goes, so that the two orders differ.
    QStringList variants;
    for (int bits = 1; bits < 16; ++bits) {
        QString name = "bank";
        for (int i = 0; i < 4; ++i) {
            if (bits & (1 << i)) {
                name[i] = name[i].toUpper();
            }
        }
        variants << name;
    }
    makeFolders(dir, variants);
    std::vector<std::string> sorted;
    for (const QString& v : variants) {
        sorted.push_back(s(v));
    }
    std::sort(sorted.begin(), sorted.end());
    while (sorted.size() > 1) {
        DIR* stream = ::opendir(s(dir.path()).c_str());
        ASSERT_NE(stream, nullptr);
        std::string first;
        while (const dirent* e = ::readdir(stream)) {
            if (e->d_name[0] != '.') {
                first = e->d_name;
                break;
            }
        }
        ::closedir(stream);
        if (first != sorted.front()) {
            break;
        }
        ASSERT_TRUE(QDir(dir.path()).rmdir(QString::fromStdString(first)));
        sorted.erase(sorted.begin());
    }
    ASSERT_GE(sorted.size(), 2u);
    const QString first = QString::fromStdString(sorted.front());
    EXPECT_EQ(fs::longPathName(s(dir.file("bank/"))), s(dir.file(first + "/")));
    EXPECT_EQ(fs::longPathName(s(dir.file("bank"))), s(dir.file(first)));
    EXPECT_EQ(fs::longPathName(s(dir.file("banks"))), std::nullopt);
}

TEST(FileSystemRename, NeverReplacesAnythingInAnyCase)
{
    TempFolder dir;
    makeFolders(dir, { "Set", "Other" });
    writeFile(dir.file("Set/a_1.wav"), "a");
    writeFile(dir.file("Set/b_1.wav"), "b");
    writeFile(dir.file("Set/B_2.wav"), "B");
    const std::string set = s(dir.file("Set"));

    EXPECT_FALSE(fs::renameNoReplace(set + "/a_1.wav", set + "/b_1.wav"));
    EXPECT_FALSE(fs::renameNoReplace(set + "/a_1.wav", set + "/b_2.WAV"));
    EXPECT_FALSE(fs::renameNoReplace(set + "/missing.wav", set + "/c.wav"));
    EXPECT_FALSE(fs::renameNoReplace(set + "/B_1.wav", set + "/c.wav")); // "b_1.wav" is another file
    EXPECT_EQ(readFile(dir.file("Set/b_1.wav")), "b");
    EXPECT_EQ(readFile(dir.file("Set/B_2.wav")), "B");

    // A change of case of the same file is allowed; so is a move into a folder named in another case.
    EXPECT_TRUE(fs::renameNoReplace(set + "/a_1.wav", set + "/A_1.wav"));
    EXPECT_TRUE(fs::renameNoReplace(set + "/A_1.WAV", s(dir.file("Other/a_1.wav"))));
    EXPECT_EQ(readFile(dir.file("Other/a_1.wav")), "a");
    EXPECT_FALSE(QFile::exists(dir.file("Set/A_1.wav")));

    // A folder is renamed as a whole.
    EXPECT_TRUE(fs::renameNoReplace(s(dir.file("Other")), s(dir.file("Moved"))));
    EXPECT_EQ(readFile(dir.file("Moved/a_1.wav")), "a");
    EXPECT_FALSE(fs::renameNoReplace(s(dir.file("Moved")), set));
}

TEST(FileSystemRename, TargetMustBeOnePlainName)
{
    TempFolder dir;
    makeFolders(dir, { "Set" });
    writeFile(dir.file("Set/a.wav"), "a");
    const std::string a = s(dir.file("Set/a.wav"));
    for (const std::string& to :
         std::vector<std::string> { "", s(dir.file("Set/")), s(dir.file("Set/.")), s(dir.file("Set/..")),
                                    s(dir.file("Missing/a.wav")), s(dir.file("Set/a.wav/x")) }) {
        EXPECT_FALSE(fs::renameNoReplace(a, to)) << to;
    }
    EXPECT_EQ(readFile(dir.file("Set/a.wav")), "a");

    EXPECT_TRUE(fs::isValidNewName("Take 2 (old)_1.wav"));
    EXPECT_TRUE(fs::isValidNewName(".hidden"));
    EXPECT_TRUE(fs::isValidNewName("Ümlaut"));
    EXPECT_TRUE(fs::isValidNewName("console.wav"));
    EXPECT_TRUE(fs::isValidNewName(std::string(255, 'n')));
    for (const std::string& bad : std::vector<std::string> { "",
                                                             ".",
                                                             "..",
                                                             "a/b",
                                                             "a\\b",
                                                             "a:b",
                                                             "a*",
                                                             "a?",
                                                             "a\"b",
                                                             "a<b",
                                                             "a>b",
                                                             "a|b",
                                                             std::string("a\tb"),
                                                             std::string("a\0b", 3),
                                                             "trailing.",
                                                             "trailing ",
                                                             "CON",
                                                             "nul.wav",
                                                             "Com1",
                                                             "lpt9.txt",
                                                             "aux .wav",
                                                             std::string(256, 'n') }) {
        EXPECT_FALSE(fs::isValidNewName(bad)) << bad;
    }
}

TEST(FileSystemFiles, AttributesDeleteAndFolders)
{
    TempFolder dir;
    writeFile(dir.file("Take.wav"), "x");
    ASSERT_EQ(::chmod(dir.file("Take.wav").toLocal8Bit().constData(), 0444), 0);
    EXPECT_TRUE(fs::setAttributesNormal(s(dir.file("Take.WAV"))));
    struct stat st;
    ASSERT_EQ(::stat(dir.file("Take.wav").toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_FALSE(fs::setAttributesNormal(s(dir.file("missing"))));
    // Through a link, a file outside the folder would become writable.
    ASSERT_EQ(::symlink("Take.wav", dir.file("Link.wav").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::chmod(dir.file("Take.wav").toLocal8Bit().constData(), 0444), 0);
    EXPECT_FALSE(fs::setAttributesNormal(s(dir.file("Link.wav"))));
    ASSERT_EQ(::stat(dir.file("Take.wav").toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    // Folders: created once in any case, never deleted as files.
    EXPECT_TRUE(fs::createFolder(s(dir.file("New"))));
    EXPECT_FALSE(fs::createFolder(s(dir.file("NEW/"))));
    EXPECT_FALSE(fs::createFolder(s(dir.file("take.WAV"))));
    EXPECT_FALSE(fs::createFolder(s(dir.file("missing/deeper"))));
    EXPECT_FALSE(fs::createFolder(s(dir.file("bad:name"))));
    EXPECT_TRUE(fs::createFolder(s(dir.file("New/Deeper/"))));
    EXPECT_TRUE(QDir(dir.file("New/Deeper")).exists());
    EXPECT_FALSE(fs::removeFile(s(dir.file("new"))));

    EXPECT_FALSE(fs::removeFile(s(dir.file("TAKE.wav"))));
    EXPECT_TRUE(fs::removeFile(s(dir.file("Take.WAV"))));
    EXPECT_FALSE(QFile::exists(dir.file("Take.wav")));
    EXPECT_FALSE(fs::removeFile(s(dir.file("Take.wav"))));
}

TEST(FileSystemFiles, FolderAndFileTests)
{
    TempFolder dir;
    makeFolders(dir, { "Sub" });
    writeFile(dir.file("a.wav"), "x");
    ASSERT_EQ(::mkfifo(dir.file("pipe").toLocal8Bit().constData(), 0600), 0);

    EXPECT_TRUE(fs::isFolder(s(dir.file("Sub/"))));
    EXPECT_TRUE(fs::isFolder("/"));
    EXPECT_FALSE(fs::isFolder(s(dir.file("a.wav"))));
    EXPECT_FALSE(fs::isFolder(s(dir.file("a.wav/"))));
    EXPECT_FALSE(fs::isFolder(s(dir.file("missing"))));

    EXPECT_TRUE(fs::canOpenForReading(s(dir.file("a.WAV"))));
    EXPECT_FALSE(fs::canOpenForReading(s(dir.file("A.wav"))));
    EXPECT_FALSE(fs::canOpenForReading(s(dir.file("sub"))));
    EXPECT_FALSE(fs::canOpenForReading(s(dir.file("missing"))));
    EXPECT_TRUE(fs::canOpenForReading(s(dir.file("pipe")))); // and does not wait for a writer

    CurrentFolderGuard guard;
    EXPECT_TRUE(fs::changeFolder(s(dir.file("Sub"))));
    EXPECT_EQ(QDir::currentPath(), QDir(dir.file("Sub")).canonicalPath());
    EXPECT_FALSE(fs::changeFolder(s(dir.file("a.wav"))));
}
