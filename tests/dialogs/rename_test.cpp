// Rename Phrase and Rename Phrase Set, driven as the popup's openers and a user drive them.
#include "dialogs/frmrename.h"
#include "dialogs/frmrenset.h"
#include "platform/gui/combobox.h"
#include "platform/gui/textbox.h"
#include "tests/dialogs/dialogfixture.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

class RenameTest : public DialogTest
{
protected:
    // What "Rename Phrase" does: the old name with ".wav", the name box with it less ".wav", all selected.
    frmRename* openRename(int list, const QString& entry)
    {
        select(list, entry);
        AppModul::ActiveList = int16_t(list);
        frmRename* dlg = frmRename::instance.get();
        dlg->lblOldName->setText(entry + ".wav");
        dlg->txtNewName->setText(entry);
        dlg->txtNewName->setSelStart(0);
        dlg->txtNewName->setSelLength(int(entry.size()));
        dlg->Show();
        dlg->txtNewName->SetFocus();
        return dlg;
    }
    // What "Rename Phrase Set" does once every list has a selection.
    frmRenSet* openRenSet(const QString& name)
    {
        frmRenSet* dlg = frmRenSet::instance.get();
        dlg->txtNewName->setText(name);
        dlg->txtNewName->setSelStart(0);
        dlg->txtNewName->setSelLength(int(name.size()));
        dlg->Show();
        return dlg;
    }
    QStringList combo(frmRenSet* dlg) const
    {
        QStringList out;
        for (int i = 0; i < dlg->Combo1->ListCount(); ++i) {
            out << dlg->Combo1->List(i);
        }
        return out;
    }
};

} // namespace

TEST_F(RenameTest, EnterRenamesAFirstListPhraseWithItsSettingsFileAndTypedFullStopsAreDropped)
{
    AppModul::LayerPlaying[0] = AppModul::LayerPlaying[1] = -1;
    frmRename* dlg = openRename(0, "A_1");
    QTest::keyClicks(dlg->txtNewName, "Ba.ss_1");
    QTest::keyClick(dlg->txtNewName, Qt::Key_Return);
    EXPECT_EQ(files(), QStringList({ "A_2.wav", "A_3.wav", "B_1.wav", "Bass.ini", "Bass_1.wav" }));
    EXPECT_EQ(main->layersStopped, std::vector<int>({ 0 }));
    EXPECT_EQ(AppModul::LayerPlaying[1], -1);
    EXPECT_FALSE(frmRename::instance.loaded());
    EXPECT_EQ(main->lists[0]->List(0), "B_1");
    EXPECT_EQ(main->lists[0]->ListIndex(), -1);

    // A phrase of the second list leaves the settings file alone.
    settle();
    openRename(1, "A_2")->txtNewName->setText("Pad_2");
    frmRename::instance->Command2_Click();
    EXPECT_EQ(files(), QStringList({ "A_3.wav", "B_1.wav", "Bass.ini", "Bass_1.wav", "Pad_2.wav" }));
}

TEST_F(RenameTest, ATakenOrRefusedNameKeepsThePhraseAndTheDialogStillCloses)
{
    // Taken: the settings file has gone first and keeps its new name.
    openRename(0, "A_1")->txtNewName->setText("B_1");
    frmRename::instance->Command2_Click();
    EXPECT_EQ(files(), QStringList({ "A_1.wav", "A_2.wav", "A_3.wav", "B.ini", "B_1.wav" }));
    EXPECT_FALSE(frmRename::instance.loaded());

    for (const char* refused : { "", ".x", "../x", "a/b", "a\\b", "a?b", "a|b", "a:b", "CON" }) {
        settle();
        openRename(0, "A_1")->txtNewName->setText(QString::fromUtf8(refused));
        frmRename::instance->Command2_Click();
        EXPECT_EQ(files(), QStringList({ "A_1.wav", "A_2.wav", "A_3.wav", "B.ini", "B_1.wav" })) << refused;
        EXPECT_EQ(QDir(program.path()).entryList(QDir::Files | QDir::Hidden), QStringList()) << refused;
        EXPECT_FALSE(frmRename::instance.loaded());
    }
}

TEST_F(RenameTest, ProposalsAreTheFirstListsCutNamesOnceForEachSevenCharacterStart)
{
    struct Case
    {
        QStringList list;
        QStringList offered;
    };
    const Case cases[] = {
        { { "Bass_1", "Drums_1", "Intro", "Rain_1", "RainHeavy_1" }, { "Bass", "Drums", "Rain", "RainHeavy" } },
        { { "Bass_1.wav", "Ambience" }, { "Bass", "Ambien" } },
        { { "Strings_A_1", "Strings_B_1", "Pad" }, { "Strings_B" } },
    };
    for (const Case& c : cases) {
        main->lists[0]->Clear();
        for (const QString& entry : c.list) {
            main->lists[0]->AddItem(entry);
        }
        frmRenSet* dlg = openRenSet("x");
        EXPECT_EQ(combo(dlg), c.offered);
        EXPECT_EQ(dlg->Combo1->Text(), "");
        dlg->Command1_Click();
        settle();
    }

    // Typing into the combo changes nothing; a pick fills the name box. A second opening keeps the
    // proposals built at loading.
    frmRenSet* dlg = openRenSet("Rain");
    main->lists[0]->Clear();
    QTest::keyClicks(dlg->Combo1->textField(), "typed");
    EXPECT_EQ(dlg->Combo1->Text(), "");
    dlg->Combo1->setCurrentIndex(0);
    emit dlg->Combo1->Click();
    EXPECT_EQ(dlg->txtNewName->Text(), "Strings_B");
    EXPECT_EQ(dlg->txtNewName->SelStart(), 9);
    EXPECT_EQ(openRenSet("Other"), dlg);
    EXPECT_EQ(combo(dlg), QStringList({ "Strings_B" }));
}

TEST_F(RenameTest, SetRenameStopsSavesAndRenamesWithoutReplacingAndOnlyALayerOneEntryTakesTheSettingsFile)
{
    touch("Set/N_3.wav");
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    for (int k = 0; k < 3; ++k) {
        select(k, QStringLiteral("A_%1").arg(k + 1));
    }
    frmRenSet* dlg = openRenSet("A");
    dlg->txtNewName->selectAll();
    QTest::keyClicks(dlg->txtNewName, "N(.)");
    EXPECT_EQ(dlg->txtNewName->Text(), "N()");
    dlg->txtNewName->setText("N");
    QTest::keyClick(dlg->txtNewName, Qt::Key_Return);
    EXPECT_EQ(main->stopsOfAll, 1);
    EXPECT_EQ(main->silentSaves, std::vector<int16_t>({ 1 }));
    EXPECT_EQ(AppModul::SilentSave, 0);
    EXPECT_EQ(files(), QStringList({ "A_3.wav", "B_1.wav", "N.ini", "N_1.wav", "N_2.wav", "N_3.wav" }));
    EXPECT_FALSE(frmRenSet::instance.loaded());

    // "Intro" stands in all three lists: its file takes the first layer's name, and "Int.ini", which the
    // cut-six rule names, belongs to another set and stays.
    settle();
    touch("Set/Intro.wav");
    touch("Set/Int.ini");
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    for (int k = 0; k < 3; ++k) {
        select(k, "Intro");
    }
    openRenSet("Intro")->txtNewName->setText("Opening");
    frmRenSet::instance->Command2_Click();
    EXPECT_TRUE(files().contains("Opening_1.wav"));
    EXPECT_TRUE(files().contains("Int.ini"));

    // A list that lost its selection names no file; without the first list no settings file moves.
    settle();
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    select(1, "N_2");
    openRenSet("N")->txtNewName->setText("M");
    frmRenSet::instance->Command2_Click();
    EXPECT_EQ(files(), QStringList({ "A_3.wav", "B_1.wav", "Int.ini", "M_2.wav", "N.ini", "N_1.wav", "N_3.wav",
                                     "Opening_1.wav" }));
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(RenameTest, ClosingTheDialogWhileItsRenameLetsEventsRunFinishesTheRenameSafely)
{
    for (int k = 0; k < 3; ++k) {
        select(k, QStringLiteral("A_%1").arg(k + 1));
    }
    frmRenSet* dlg = openRenSet("N");
    QTimer::singleShot(0, dlg, [dlg] { dlg->close(); });
    dlg->Command2_Click();
    settle();
    EXPECT_EQ(files(), QStringList({ "B_1.wav", "N.ini", "N_1.wav", "N_2.wav", "N_3.wav" }));
    EXPECT_FALSE(frmRenSet::instance.loaded());
}
