// Move Phrase Set: where a set may go, what moves, and what stays.
#include "dialogs/frmmoveset.h"
#include "platform/gui/combobox.h"
#include "tests/dialogs/dialogfixture.h"

#include <QPushButton>
#include <QTest>

namespace {

class MoveSetTest : public DialogTest
{
protected:
    void selectSetA()
    {
        for (int k = 0; k < 3; ++k) {
            select(k, QStringLiteral("A_%1").arg(k + 1));
        }
    }
    // Opens the dialog (as the popup does), sets the destination and presses "Move".
    void move(const QString& destination)
    {
        frmMoveSet* dlg = frmMoveSet::instance.get();
        dlg->Show();
        dlg->Combo1->setText(destination);
        QTest::mouseClick(dlg->Command2, Qt::LeftButton);
    }
    QStringList folders() const { return QDir(program.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
};

} // namespace

TEST_F(MoveSetTest, AnEmptyDestinationDoesNothingAndTheFolderListFillsTheCombo)
{
    main->folders->AddItem("Other");
    frmMoveSet* dlg = frmMoveSet::instance.get();
    EXPECT_EQ(dlg->Combo1->Text(), "");
    EXPECT_EQ(dlg->Combo1->ListCount(), 2);
    move("");
    EXPECT_TRUE(frmMoveSet::instance.loaded());
    EXPECT_EQ(main->stopsOfAll, 0);
    dlg->Combo1->setCurrentIndex(1);
    EXPECT_EQ(dlg->Combo1->Text(), "Other");
}

TEST_F(MoveSetTest, TheSetMovesIntoAFolderMadeLevelByLevelWithoutReplacingAFile)
{
    touch("New/Deeper/A_2.wav");
    ASSERT_TRUE(testsupport::writeFile(program.file("Set/A_2.wav"), "mine"));
    selectSetA();
    AppModul::LayerPlaying[2] = -1;
    move("New\\Deeper");
    EXPECT_EQ(main->stopsOfAll, 1);
    EXPECT_EQ(main->silentSaves, std::vector<int16_t>({ 1 }));
    EXPECT_EQ(files("New/Deeper"), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));
    EXPECT_EQ(files(), QStringList({ "A_2.wav", "B_1.wav" }));
    EXPECT_EQ(testsupport::readFile(program.file("Set/A_2.wav")), "mine");
    EXPECT_FALSE(frmMoveSet::instance.loaded());
    EXPECT_EQ(main->lists[0]->ListCount(), 1);
}

TEST_F(MoveSetTest, WithoutPhraseFoldersChooseIsCreatedAndOnlySelectedLayersMove)
{
    main->folders->Clear();
    select(0, "B_1");
    move(frmMoveSet::instance->Combo1->Text());
    EXPECT_EQ(files("Choose"), QStringList({ "B_1.wav" }));
    EXPECT_EQ(files(), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));

    // Onto its own folder nothing moves.
    settle();
    selectSetA();
    move("set");
    EXPECT_EQ(files(), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));
}

TEST_F(MoveSetTest, ADestinationOutsideTheProgramFolderOrHiddenMovesNothingAndCreatesNothing)
{
    testsupport::TempFolder outside;
    ASSERT_TRUE(QFile::link(outside.path(), program.file("Link")));
    for (const char* refused : { "/tmp", "..", "../Out", "x/../../Out", "_Archive", "x/.hidden", "x//y", "a:b",
                                 "a*b", "CON", "Link", "Link/deeper" }) {
        selectSetA();
        move(QString::fromUtf8(refused));
        EXPECT_EQ(files(), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav", "B_1.wav" })) << refused;
        EXPECT_EQ(folders(), QStringList({ "Link", "Set" })) << refused;
        EXPECT_TRUE(QDir(outside.path()).isEmpty()) << refused;
        EXPECT_FALSE(frmMoveSet::instance.loaded());
        settle();
    }
}

TEST_F(MoveSetTest, OnlyAProperLayerOneEntryTakesTheSettingsFile)
{
    touch("Set/Intro.wav");
    touch("Set/Int.ini");
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    select(0, "Intro");
    move("Elsewhere");
    EXPECT_EQ(files("Elsewhere"), QStringList({ "Intro.wav" }));
    EXPECT_TRUE(files().contains("Int.ini"));
}
