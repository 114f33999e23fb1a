// A held folder: every step goes to the folder that was opened, whatever later happens to its path, and
// no step replaces a file, follows a link into another folder, or picks a file of another base name.
#include "platform/core/heldfolder.h"
#include "platform/core/profile.h"
#include "platform/core/wholefile.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
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

void makeLink(const QString& target, const QString& link)
{
    ASSERT_EQ(::symlink(s(target).c_str(), s(link).c_str()), 0);
}

} // namespace

TEST(HeldFolder, AFolderMovedOrSwappedForALinkAfterOpenRedirectsNothing)
{
    struct Case
    {
        const char* what;
        bool swapForLink; // else a new folder of the same name takes its place
    };
    for (const Case c : { Case { "renamed", false }, Case { "swapped for a link", true } }) {
        TempFolder dir;
        for (const char* folder : { "Phrases", "Victim" }) {
            ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
            writeFile(dir.file(QString(folder) + "/a.wav"), folder);
            writeFile(dir.file(QString(folder) + "/b.wav"), folder);
        }
        const fs::HeldFolder held = fs::HeldFolder::open(s(dir.file("Phrases")));
        ASSERT_TRUE(held.isOpen());
        ASSERT_TRUE(QDir(dir.path()).rename("Phrases", "Held"));
        if (c.swapForLink) {
            makeLink(dir.file("Victim"), dir.file("Phrases"));
        } else {
            ASSERT_TRUE(QDir(dir.path()).rename("Victim", "Phrases"));
        }
        const QString other = dir.file("Phrases");

        EXPECT_TRUE(held.removeFile("a.wav")) << c.what;
        EXPECT_TRUE(held.renameTo("b.wav", held, "c.wav")) << c.what;
        EXPECT_TRUE(fs::writeFileWhole(held, "raw.bin", "saved", 0644, fs::Placement::Replace)) << c.what;
        EXPECT_TRUE(platform::writePrivateProfileString("S", "k", "1", held, "set.ini")) << c.what;

        EXPECT_EQ(QDir(dir.file("Held")).entryList(QDir::Files), (QStringList { "c.wav", "raw.bin", "set.ini" }))
            << c.what;
        EXPECT_EQ(QDir(other).entryList(QDir::Files), (QStringList { "a.wav", "b.wav" })) << c.what;
        EXPECT_EQ(readFile(held.readPath("raw.bin").c_str()), "saved") << c.what;
        // Messages name the file where it now is, not the descriptor it is read through.
        const std::string now = s(QDir(dir.file("Held")).canonicalPath() + "/raw.bin");
        EXPECT_EQ(fs::shownPath(held.readPath("raw.bin")), now) << c.what;
        EXPECT_EQ(held.shownPath("raw.bin"), now) << c.what;
        char value[8];
        EXPECT_EQ(platform::getPrivateProfileString("S", "k", "", value, sizeof value, held, "set.ini"), 1u);
    }
}

TEST(HeldFolder, AFileAtTheRootShowsWithOneSlash)
{
    const fs::HeldFolder root = fs::HeldFolder::open("/");
    ASSERT_TRUE(root.isOpen());
    EXPECT_EQ(root.shownPath("name.wav"), "/name.wav");
    EXPECT_EQ(fs::shownPath(root.readPath("name.wav")), "/name.wav");
}

TEST(HeldFolder, RenameNeverReplacesAndCountsACaseTwinAsTaken)
{
    struct Case
    {
        const char* from;
        bool intoOther; // else within the same folder
        const char* to;
        bool renamed;
    };
    const Case cases[] = {
        { "a_1.wav", false, "b_1.wav", false }, // taken
        { "a_1.wav", false, "B_1.WAV", false }, // taken in another case
        { "a_1.wav", false, "A_1.wav", true }, // a change of case of the entry itself
        { "a_1.wav", false, "a_1.wav", false }, // onto itself
        { "a_1.wav", false, "c.wav", true },
        { "missing", false, "c.wav", false },
        { "a_1.wav", false, "../c.wav", false },
        { "a_1.wav", false, "", false },
        { "..", false, "c", false },
        { "a_1.wav", true, "a_1.wav", false }, // the destination's "A_1.WAV" is another file
        { "a_1.wav", true, "c.wav", true },
    };
    for (const Case& c : cases) {
        TempFolder dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath("Set"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("Other"));
        writeFile(dir.file("Set/a_1.wav"), "a");
        writeFile(dir.file("Set/b_1.wav"), "b");
        writeFile(dir.file("Other/A_1.WAV"), "other");
        const fs::HeldFolder set = fs::HeldFolder::open(s(dir.file("Set")));
        const fs::HeldFolder other = fs::HeldFolder::open(s(dir.file("Other")));
        const fs::HeldFolder& destination = c.intoOther ? other : set;
        const QString label = QString("%1 -> %2").arg(c.from, c.to);

        EXPECT_EQ(set.renameTo(c.from, destination, c.to), c.renamed) << s(label);
        const QString target = dir.file(QString(c.intoOther ? "Other/" : "Set/") + c.to);
        if (c.renamed) {
            EXPECT_EQ(readFile(target), "a") << s(label);
            EXPECT_FALSE(QDir(dir.file("Set")).entryList().contains("a_1.wav")) << s(label);
        } else {
            EXPECT_EQ(readFile(dir.file("Set/a_1.wav")), "a") << s(label);
            EXPECT_EQ(readFile(dir.file("Set/b_1.wav")), "b") << s(label);
            EXPECT_EQ(readFile(dir.file("Other/A_1.WAV")), "other") << s(label);
        }
    }
}

TEST(HeldFolder, SubfoldersAreNeverReachedThroughALink)
{
    TempFolder dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Real"));
    writeFile(dir.file("file.txt"), "x");
    makeLink(dir.file("Real"), dir.file("Link"));
    makeLink(dir.file("Gone"), dir.file("Dangling"));
    const fs::HeldFolder held = fs::HeldFolder::open(s(dir.path()));

    EXPECT_TRUE(held.openSub("Real").isOpen());
    EXPECT_FALSE(held.openSub("Missing").isOpen());
    for (const char* refused : { "Link", "Dangling", "file.txt", "..", "Real/" }) {
        EXPECT_FALSE(held.openSub(refused).isOpen()) << refused;
        EXPECT_FALSE(held.createSub(refused).isOpen()) << refused;
    }
    EXPECT_FALSE(QFile::exists(dir.file("Gone")));
    const fs::HeldFolder made = held.createSub("New");
    EXPECT_TRUE(made.isOpen());
    EXPECT_TRUE(fs::writeFileWhole(made, "x", "y", 0644, fs::Placement::NewName));
    EXPECT_EQ(readFile(dir.file("New/x")), "y");
    EXPECT_TRUE(held.createSub("New").isOpen()); // an existing folder is opened
}

TEST(HeldFolder, OnlyTheUsersOwnLinkOrTheFolderOwnersIsFollowed)
{
    TempFolder dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Real"));
    makeLink(dir.file("Real"), dir.file("Own"));
    makeLink(dir.file("Real"), dir.file("Planted"));
    // Another user's link in a folder this user owns: lchown needs the superuser.
    if (::geteuid() != 0 || ::lchown(s(dir.file("Planted")).c_str(), 65534, 65534) != 0) {
        GTEST_SKIP() << "needs the superuser to plant another user's link";
    }
    const fs::HeldFolder held = fs::HeldFolder::open(s(dir.path()));
    using Links = fs::HeldFolder::Links;

    EXPECT_TRUE(held.isTrustedLink("Own"));
    EXPECT_TRUE(held.openSub("Own", Links::Trusted).isOpen());
    EXPECT_FALSE(held.openSub("Own").isOpen());
    EXPECT_FALSE(held.isTrustedLink("Planted"));
    EXPECT_FALSE(held.openSub("Planted", Links::Trusted).isOpen());
    EXPECT_FALSE(held.isTrustedLink("Real")); // no link at all
    // The folder's owner's link counts as the owner's own: here the folder passes to the link's owner.
    ASSERT_EQ(::chown(s(dir.path()).c_str(), 65534, 65534), 0);
    EXPECT_TRUE(held.openSub("Planted", Links::Trusted).isOpen());
}

TEST(HeldFolder, ANameFromElsewhereMatchesOnlyItsExtensionInAnyCase)
{
    TempFolder dir;
    for (const char* name : { "pad_2.WAV", "Pad_2.wav", "snare.Wav", "snare.WAV", "NOEXT", "beat.ini.Bak" }) {
        writeFile(dir.file(name), "x");
    }
    const fs::HeldFolder held = fs::HeldFolder::open(s(dir.path()));
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        { "pad_2.wav", "pad_2.WAV" }, // never "Pad_2.wav", though it sorts first
        { "Pad_2.wav", "Pad_2.wav" }, // the exact name wins
        { "PAD_2.wav", std::nullopt },
        { "snare.wav", "snare.WAV" }, // the first in sorted order
        { "noext", std::nullopt },
        { "beat.INI.bak", std::nullopt }, // only what follows the last "."
        { "pad_2.wa", std::nullopt },
    };
    for (const auto& [asked, found] : cases) {
        EXPECT_EQ(held.findWithExtensionInAnyCase(asked), found) << asked;
    }
    EXPECT_EQ(held.caseTwin("pad_2.WAV"), "Pad_2.wav");
    EXPECT_EQ(held.caseTwin("noext"), "NOEXT");
    EXPECT_EQ(held.caseTwin("beat.ini.Bak"), std::nullopt);
}

TEST(HeldFolder, ListsAsThePathListingsDoAndAgainAfterwards)
{
    TempFolder dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("b"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(".hidden"));
    for (const char* name : { "x_1.WAV", "X_2.wav", ".h.wav", "notes.txt" }) {
        writeFile(dir.file(name), "x");
    }
    const fs::HeldFolder held = fs::HeldFolder::open(s(dir.path()));
    using V = std::vector<std::string>;
    for (int pass = 0; pass < 2; ++pass) { // a listing leaves nothing behind that the next one sees
        EXPECT_EQ(held.files("*.wav"), (V { "x_1.WAV", "X_2.wav" }));
        EXPECT_EQ(held.subfolders(), V { "b" });
    }
    EXPECT_TRUE(held.isReadableFile("notes.txt"));
    EXPECT_FALSE(held.isReadableFile("b"));
    EXPECT_FALSE(fs::HeldFolder().isReadableFile("notes.txt"));
    EXPECT_FALSE(fs::HeldFolder::open(s(dir.file("notes.txt"))).isOpen());
}
