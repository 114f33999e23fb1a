// The folder list: which folders it offers, what choosing one does, and that a chosen folder is held.
#include "tests/mainwindow/formfixture.h"

#include <QDir>
#include <unistd.h>

namespace {

class FolderListTest : public FormTest
{
protected:
    void writePhrases() override
    {
        wav("b/Beat_1.wav", 0.1f);
        wav("A/Pad_2.wav", 0.2f);
        for (const char* folder : { "_archive", "archive_", "b/inner" }) {
            ASSERT_TRUE(QDir().mkpath(program.file(folder)));
        }
        wav("loose.wav", 0.3f);
    }
    QStringList folders() const
    {
        QStringList out;
        for (int i = 0; i < form->List1->ListCount(); ++i) {
            out << form->List1->List(i);
        }
        return out;
    }
};

TEST_F(FolderListTest, PhraseFoldersAreOfferedAndTheFirstIsChosen)
{
    EXPECT_EQ(folders(), QStringList({ "A", "archive_", "b" }));
    EXPECT_EQ(form->List1->ListIndex(), 0);
    EXPECT_EQ(AppModul::PhrasePath, phraseFolder("A"));
    EXPECT_EQ(entries(1), QStringList({ "Pad_2" }));

    form->List1->setSelected(2);
    EXPECT_EQ(AppModul::PhrasePath, phraseFolder("b"));
    EXPECT_EQ(entries(0), QStringList({ "Beat_1" }));
}

TEST_F(FolderListTest, AChosenFolderRenamedOrSwappedForALinkRedirectsNothing)
{
    form->List1->setSelected(2);
    pressEntry(0, 0);
    // Another user swaps the chosen folder for a link to a private folder of the same content.
    testsupport::TempFolder victim;
    ASSERT_TRUE(testsupport::writeFile(victim.file("Beat.ini"), "theirs"));
    ASSERT_TRUE(testsupport::writeFile(victim.file("Other_1.wav"), "theirs"));
    ASSERT_TRUE(QDir(program.path()).rename("b", "b-old"));
    ASSERT_TRUE(QFile::link(victim.path(), program.file("b")));

    form->mnuSave->trigger();
    chooseOption(form->mnuEnding); // refills the lists
    EXPECT_EQ(testsupport::readFile(victim.file("Beat.ini")), "theirs");
    EXPECT_TRUE(QFile::exists(program.file("b-old/Beat.ini")));
    EXPECT_EQ(entries(0), QStringList({ "Beat_1.wav" }));
}

TEST_F(FolderListTest, AChosenFolderOpensBeneathTheHeldProgramFolderThroughTheUsersOwnLinkOnly)
{
    testsupport::TempFolder own;
    testsupport::TempFolder theirs;
    ASSERT_TRUE(testsupport::writeLevelWav(own.file("Mine_1.wav"), 0.1f));
    ASSERT_TRUE(testsupport::writeLevelWav(theirs.file("Theirs_1.wav"), 0.2f));
    ASSERT_TRUE(QFile::link(own.path(), program.file("Own")));
    ASSERT_TRUE(QFile::link(theirs.path(), program.file("Planted")));
    if (::geteuid() != 0 || ::lchown(program.file("Planted").toLocal8Bit().constData(), 65534, 65534) != 0) {
        GTEST_SKIP() << "needs the superuser to plant another user's link";
    }
    form->List1->AddItem("Own");
    form->List1->AddItem("Planted");
    form->List1->setSelected(3);
    EXPECT_EQ(entries(0), QStringList({ "Mine_1" }));
    form->List1->setSelected(4);
    EXPECT_EQ(entries(0), QStringList());

    // The program folder renamed and a link to another in its place: the held one is still chosen from.
    testsupport::TempFolder decoy;
    ASSERT_TRUE(QDir().mkpath(decoy.file("b")));
    ASSERT_TRUE(testsupport::writeLevelWav(decoy.file("b/Decoy_1.wav"), 0.3f));
    const QString moved = program.path() + "-moved";
    ASSERT_TRUE(QDir().rename(program.path(), moved));
    ASSERT_TRUE(QFile::link(decoy.path(), program.path()));
    form->List1->setSelected(2);
    EXPECT_EQ(entries(0), QStringList({ "Beat_1" }));
    ASSERT_TRUE(QFile::remove(program.path()) && QDir().rename(moved, program.path()));
}

class HiddenFoldersOnlyTest : public FormTest
{
protected:
    void writePhrases() override
    {
        wav("_one/A_1.wav", 0.1f);
        ASSERT_TRUE(QDir().mkpath(program.file("_two")));
    }
};

TEST_F(HiddenFoldersOnlyTest, NothingIsChosenAndTheListsStayEmpty)
{
    EXPECT_EQ(form->List1->ListCount(), 0);
    EXPECT_EQ(AppModul::PhrasePath, Commands::AppPath);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(entries(k).isEmpty()) << k;
    }
}

} // namespace
