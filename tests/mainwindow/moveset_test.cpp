// Move Phrase Set, opened from the popup: where a set may go, what moves, and what stays.
#include "tests/mainwindow/formfixture.h"

#include "dialogs/frmmoveset.h"
#include "platform/gui/combobox.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <unistd.h>

namespace {

class MoveSetTest : public FormTest
{
protected:
    // Opens the dialog from the popup, types the destination and presses "Move"; `whileEventsRun` runs
    // when the move first lets pending events run (the layers stop and the settings are saved).
    void move(const QString& destination, const std::function<void()>& whileEventsRun = {})
    {
        popupChoose(0, 0, form->mnuMove);
        frmMoveSet* dlg = frmMoveSet::instance.get();
        dlg->Combo1->setText(destination);
        if (whileEventsRun) {
            QTimer::singleShot(0, whileEventsRun);
        }
        QTest::mouseClick(dlg->Command2, Qt::LeftButton);
    }
    QStringList folders() const { return QDir(program.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
    // A link in the program folder to `target` that another user made (the superuser gives it away).
    bool plantOthersLink(const QString& target, const QString& name)
    {
        return QFile::link(target, program.file(name))
            && ::lchown(program.file(name).toLocal8Bit().constData(), 65534, 65534) == 0;
    }
    const QStringList kSetFolder = { "A.ini", "A_1.wav", "A_2.wav", "A_3.wav", "B_1.wav", "B_2.wav", "C_1.wav" };
};

TEST_F(MoveSetTest, AnEmptyDestinationDoesNothingAndTheFolderListFillsTheCombo)
{
    form->List1->AddItem("Other");
    popupChoose(0, 0, form->mnuMove);
    frmMoveSet* dlg = frmMoveSet::instance.get();
    EXPECT_EQ(dlg->Combo1->Text(), "");
    EXPECT_EQ(dlg->Combo1->ListCount(), 2);
    move("");
    EXPECT_TRUE(frmMoveSet::instance.loaded());
    EXPECT_TRUE(messages.isEmpty());
    dlg->Combo1->setCurrentIndex(1);
    EXPECT_EQ(dlg->Combo1->Text(), "Other");
}

TEST_F(MoveSetTest, TheSetMovesIntoAFolderMadeLevelByLevelWithItsSettingsLast)
{
    pressEntry(0, 0); // set A plays
    move("New\\Deeper");
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing() || AppModul::LayerPlaying[k] || form->playButton(k)->Value()) << k;
    }
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(files("New/Deeper"), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));
    EXPECT_EQ(files(), QStringList({ "B_1.wav", "B_2.wav", "C_1.wav" }));
    EXPECT_FALSE(frmMoveSet::instance.loaded());
    EXPECT_EQ(entries(0), QStringList({ "B_1", "C_1" }));
}

TEST_F(MoveSetTest, AFolderHoldingOneOfTheSetsNamesTakesNothingAndTheSetStaysWhole)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    wav("Other/A_2.wav", 0.9f);
    pressEntry(0, 0);
    move("Other");
    EXPECT_EQ(messages, QStringList({ "'A_2.wav' already exists." }));
    EXPECT_EQ(files(), kSetFolder);
    EXPECT_EQ(files("Other"), QStringList({ "A_2.wav" }));
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "A.ini"), kStoredSettings); // not even saved
    EXPECT_TRUE(slot(0).playing() && slot(2).playing());
    EXPECT_TRUE(frmMoveSet::instance.loaded() && frmMoveSet::instance->isVisible());
}

TEST_F(MoveSetTest, ADestinationOutsideTheProgramFolderHiddenOrTheSetsOwnMovesNothingAndMakesNothing)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    testsupport::TempFolder outside;
    if (::geteuid() != 0 || !plantOthersLink(outside.path(), "Link")) {
        GTEST_SKIP() << "needs the superuser to plant another user's link";
    }
    ASSERT_TRUE(QFile::link(program.file("Gone"), program.file("Dangling")));
    ASSERT_TRUE(testsupport::writeFile(program.file("Loose"), "a file"));
    struct Case
    {
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        { "/tmp", "'/tmp' lies outside the program folder." },
        { "..", "'..' lies outside the program folder." },
        { "x/../../Out", "'x/../../Out' lies outside the program folder." },
        { "x/.hidden", "'.hidden' cannot be used as a name." },
        { "x//y", "'' cannot be used as a name." },
        { "a*b", "'a*b' cannot be used as a name." },
        { "CON", "'CON' cannot be used as a name." },
        { "Link", "'Link' is a link made by another user." },
        { "Link/deeper", "'Link' is a link made by another user." },
        { "Dangling", "'Dangling' is not a folder." },
        { "Loose", "'Loose' is not a folder." },
        { "set", "The set is in 'set' already." },
    };
    selectSet("A");
    for (const Case& c : cases) {
        messages.clear();
        move(QString::fromUtf8(c.typed));
        EXPECT_EQ(messages, QStringList({ c.message })) << c.typed;
        EXPECT_EQ(files(), kSetFolder) << c.typed;
        EXPECT_EQ(folders(), QStringList({ "Link", "Set" })) << c.typed;
        EXPECT_TRUE(QDir(outside.path()).isEmpty()) << c.typed;
        EXPECT_TRUE(frmMoveSet::instance.loaded()) << c.typed;
    }
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "A.ini"), kStoredSettings);
}

TEST_F(MoveSetTest, WithoutPhraseFoldersChooseIsMadeAndOnlySelectedLayersAndProperSettingsMove)
{
    form->List1->Clear();
    wav("Set/Intro.wav", 0.5f);
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "Int.ini", "theirs"));
    AppModul::FillPhraseLists(AppModul::phraseFolder());
    form->lstPhrase[0]->setSelected(row(0, "Intro"));
    popupChoose(0, 0, form->mnuMove);
    QTest::mouseClick(frmMoveSet::instance->Command2, Qt::LeftButton);
    EXPECT_EQ(files("Choose"), QStringList({ "Intro.wav" }));
    EXPECT_TRUE(exists("Int.ini") && exists("Intro.ini")); // another set's, and the one the save wrote
}

TEST_F(MoveSetTest, AHiddenFolderOrTheUsersOwnLinkTakesTheSet)
{
    testsupport::TempFolder elsewhere; // the user's folder on another disk, linked into the program folder
    ASSERT_TRUE(QFile::link(elsewhere.path(), program.file("Linked")));
    pressEntry(0, 0);
    move("_Archive");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(files("_Archive"), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));
    for (int k = 1; k <= 3; ++k) {
        wav(QString("Set/D_%1.wav").arg(k), 0.5f);
    }
    AppModul::FillPhraseLists(AppModul::phraseFolder());
    selectSet("D");
    move("Linked");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files), QStringList({ "D.ini", "D_1.wav", "D_2.wav", "D_3.wav" }));
    EXPECT_EQ(files(), QStringList({ "B_1.wav", "B_2.wav", "C_1.wav" }));
}

TEST_F(MoveSetTest, ADestinationSwappedWhileEventsRunIsCheckedOnceMoreAndNeverEndsThePlayer)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to plant another user's link";
    }
    testsupport::TempFolder outside;
    struct Case
    {
        const char* swap; // what "Dest" becomes while the layers stop and the settings are saved
        const char* message;
    };
    for (const Case c : { Case { "file", "'Dest' is not a folder." },
                          Case { "another user's link", "'Dest' is a link made by another user." } }) {
        messages.clear();
        ASSERT_TRUE(QDir().mkpath(program.file("Dest")));
        selectSet("A");
        move("Dest", [&] {
            EXPECT_TRUE(QDir(program.path()).rename("Dest", "Dest-old"));
            if (QString(c.swap) == "file") {
                EXPECT_TRUE(testsupport::writeFile(program.file("Dest"), "a file"));
            } else {
                EXPECT_TRUE(plantOthersLink(outside.path(), "Dest"));
            }
        });
        EXPECT_EQ(messages, QStringList({ c.message })) << c.swap;
        EXPECT_TRUE(QDir(outside.path()).isEmpty()) << c.swap;
        EXPECT_TRUE(QDir(program.file("Dest-old")).isEmpty()) << c.swap;
        EXPECT_EQ(files(), kSetFolder) << c.swap;
        EXPECT_TRUE(frmMoveSet::instance.loaded()) << c.swap;
        ASSERT_TRUE(QFile::remove(program.file("Dest")) && QDir(program.path()).rmdir("Dest-old"));
    }
}

TEST_F(MoveSetTest, APhraseFolderSwappedForALinkWhileEventsRunMovesItsOwnFilesOnly)
{
    testsupport::TempFolder victim;
    for (const char* name : { "A_1.wav", "A_2.wav", "A_3.wav" }) {
        ASSERT_TRUE(testsupport::writeFile(victim.file(name), "theirs"));
    }
    selectSet("A");
    move("Dest", [&] {
        EXPECT_TRUE(QDir(program.path()).rename("Set", "Set-old"));
        EXPECT_TRUE(QFile::link(victim.path(), program.file("Set")));
    });
    EXPECT_EQ(QDir(victim.path()).entryList(QDir::Files), QStringList({ "A_1.wav", "A_2.wav", "A_3.wav" }));
    EXPECT_EQ(files("Dest"), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));
}

} // namespace
