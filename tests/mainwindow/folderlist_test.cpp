// The folder list: which folders it offers, what choosing one does, and that a chosen folder is held.
#include "tests/mainwindow/formfixture.h"

#include <QDir>

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
