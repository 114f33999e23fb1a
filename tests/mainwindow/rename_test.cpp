// Rename Phrase and Rename Phrase Set, opened from the popup and driven as a user drives them.
#include "tests/mainwindow/formfixture.h"

#include "dialogs/frmrename.h"
#include "dialogs/frmrenset.h"
#include "platform/gui/combobox.h"
#include "platform/gui/textbox.h"

#include <QLabel>
#include <QTimer>

namespace {

class RenameTest : public FormTest
{
protected:
    // "Rename Phrase" from the popup of list k, on its entry `entry`, pressed first (the set then plays).
    frmRename* openRename(int k, const QString& entry)
    {
        pressEntry(k, row(k, entry));
        popupChoose(k, 0, form->mnuRename);
        return frmRename::instance.get();
    }
    // "Rename Phrase Set" from the popup, on the set `base` (selected, not playing).
    frmRenSet* openRenSet(const QString& base)
    {
        selectSet(base);
        popupChoose(0, 0, form->mnuRenameSet);
        return frmRenSet::instance.get();
    }
    // A new name pasted over the name box's text (no key filter), then Enter.
    static void enterName(platform::TextBox* box, const QString& name)
    {
        box->setText(name);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QStringList combo(frmRenSet* dlg) const
    {
        QStringList out;
        for (int i = 0; i < dlg->Combo1->ListCount(); ++i) {
            out << dlg->Combo1->List(i);
        }
        return out;
    }
    bool plays(int k) const { return slot(k).playing() && AppModul::LayerPlaying[k] == -1; }
};

TEST_F(RenameTest, EnterRenamesAFirstListPhraseWithItsSettingsFileAndTypedFullStopsAreDropped)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    frmRename* dlg = openRename(0, "A_1");
    QTest::keyClicks(dlg->txtNewName, "Ba.ss_1");
    QTest::keyClick(dlg->txtNewName, Qt::Key_Return);
    EXPECT_EQ(files(), QStringList({ "A_2.wav", "A_3.wav", "B_1.wav", "B_2.wav", "Bass.ini", "Bass_1.wav", "C_1.wav" }));
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "Bass.ini"), kStoredSettings);
    EXPECT_FALSE(frmRename::instance.loaded());
    EXPECT_EQ(entries(0), QStringList({ "B_1", "Bass_1", "C_1" }));

    // A phrase of the second list leaves the settings file alone.
    settle();
    enterName(openRename(1, "A_2")->txtNewName, "Pad_2");
    EXPECT_EQ(files(), QStringList({ "A_3.wav", "B_1.wav", "B_2.wav", "Bass.ini", "Bass_1.wav", "C_1.wav", "Pad_2.wav" }));

    // So does a first-list phrase once another set is selected while the dialog is open: that set's
    // settings are not handed over.
    settle();
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "B.ini", kStoredSettings));
    dlg = openRename(0, "C_1");
    form->lstPhrase[0]->setSelected(row(0, "B_1"));
    enterName(dlg->txtNewName, "Drums_1");
    EXPECT_TRUE(exists("Drums_1.wav"));
    EXPECT_TRUE(exists("B.ini"));
    EXPECT_FALSE(exists("Drums.ini"));
}

// Beside "Set", a folder "Tide" whose one phrase has the name of one in "Set".
class RenameBesideAnotherFolderTest : public RenameTest
{
protected:
    void writePhrases() override
    {
        RenameTest::writePhrases();
        wav("Tide/A_1.wav", 0.5f);
    }
};

TEST_F(RenameBesideAnotherFolderTest, APhraseOfTheSameNameInAFolderChosenMeanwhileLeavesTheSettingsFile)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    frmRename* dlg = openRename(0, "A_1");
    form->List1->setSelected(1); // Tide, and its A_1: a phrase of another set
    form->lstPhrase[0]->setSelected(row(0, "A_1"));
    enterName(dlg->txtNewName, "Bass_1");
    EXPECT_TRUE(exists("Bass_1.wav"));
    EXPECT_TRUE(exists("A.ini"));
}

TEST_F(RenameTest, RenamePhraseTakesTheEntrysOwnFileNotItsCaseTwin)
{
    writeCaseTwins();
    frmRename* dlg = openRename(1, "pad_2");
    EXPECT_EQ(dlg->lblOldName->text(), "pad_2.wav");
    enterName(dlg->txtNewName, "Soft_2");
    EXPECT_TRUE(exists("Soft_2.wav"));
    EXPECT_FALSE(exists("pad_2.WAV"));
    EXPECT_TRUE(exists("Pad_2.wav"));
}

TEST_F(RenameTest, ATakenOrRefusedNameChangesNothingSaysWhyAndKeepsTheDialogOpen)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "Other.ini", "theirs"));
    const QStringList before = files();
    struct Case
    {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        { "B_1", "'B_1.wav' already exists." }, // B has no settings: A's must not become B's
        { "Other_1", "'Other.ini' already exists." },
        { "", "'.wav' cannot be used as a name." },
        { ".x", "'.x.wav' cannot be used as a name." },
        { "../x", "'../x.wav' cannot be used as a name." },
        { "a\\b", "'a\\b.wav' cannot be used as a name." },
        { "a|b", "'a|b.wav' cannot be used as a name." },
        { "CON", "'CON.wav' cannot be used as a name." },
    };
    frmRename* dlg = openRename(0, "A_1");
    for (const Case& c : cases) {
        messages.clear();
        dlg->txtNewName->setText(QString::fromUtf8(c.name));
        dlg->Command2_Click();
        EXPECT_EQ(messages, QStringList({ c.message })) << c.name;
        EXPECT_EQ(files(), before) << c.name;
        EXPECT_TRUE(frmRename::instance.loaded() && dlg->isVisible()) << c.name;
    }
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "Other.ini"), "theirs");
    EXPECT_TRUE(plays(0)); // nothing stopped either
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList());
    dlg->Command1_Click();
    EXPECT_FALSE(frmRename::instance.loaded());
}

TEST_F(RenameTest, ProposalsAreTheFirstListsCutNamesOnceForEachSevenCharacterStartAndOnlyAPickChangesTheCombo)
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
    selectSet("A");
    for (const Case& c : cases) {
        form->lstPhrase[0]->Clear();
        form->lstPhrase[0]->AddItems(c.list);
        form->lstPhrase[0]->setSelected(0);
        popupChoose(0, 0, form->mnuRenameSet);
        frmRenSet* dlg = frmRenSet::instance.get();
        EXPECT_EQ(combo(dlg), c.offered);
        EXPECT_EQ(dlg->Combo1->Text(), "");
        dlg->Command1_Click();
        settle();
    }

    // Typing or Delete in the combo changes nothing; a pick fills the name box. A second opening keeps the
    // proposals built at loading.
    popupChoose(0, 0, form->mnuRenameSet);
    frmRenSet* dlg = frmRenSet::instance.get();
    form->lstPhrase[0]->Clear();
    QTest::keyClick(dlg->Combo1, Qt::Key_Down);
    EXPECT_EQ(dlg->Combo1->Text(), "Strings_B");
    EXPECT_EQ(dlg->txtNewName->Text(), "Strings_B");
    EXPECT_EQ(dlg->txtNewName->SelStart(), 9);
    QLineEdit* field = dlg->Combo1->textField();
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, "typed");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(dlg->Combo1->Text(), "Strings_B");
    form->lstPhrase[0]->AddItem("Other_1");
    form->lstPhrase[0]->setSelected(0);
    popupChoose(0, 0, form->mnuRenameSet);
    EXPECT_EQ(frmRenSet::instance.get(), dlg);
    EXPECT_EQ(combo(dlg), QStringList({ "Strings_B" }));
    EXPECT_EQ(dlg->txtNewName->Text(), "Other");
}

TEST_F(RenameTest, SetRenameStopsSavesAndRenamesAndOnlyAProperLayerOneEntryTakesTheSettingsFile)
{
    pressEntry(0, 0); // set A plays
    popupChoose(0, 0, form->mnuRenameSet);
    frmRenSet* dlg = frmRenSet::instance.get();
    QTest::keyClicks(dlg->txtNewName, "N(.)");
    EXPECT_EQ(dlg->txtNewName->Text(), "N()");
    enterName(dlg->txtNewName, "N");
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing() || AppModul::LayerPlaying[k] || form->playButton(k)->Value()) << k;
    }
    EXPECT_FALSE(form->syncButton1->Value());
    EXPECT_TRUE(messages.isEmpty()); // the save was silent
    EXPECT_EQ(files(), QStringList({ "B_1.wav", "B_2.wav", "C_1.wav", "N.ini", "N_1.wav", "N_2.wav", "N_3.wav" }));
    EXPECT_TRUE(testsupport::readFile(phraseFolder() + "N.ini").contains("Level1=80"));
    EXPECT_FALSE(frmRenSet::instance.loaded());

    // "Intro" stands in all three lists: its file takes the first layer's name. The silent save writes
    // Intro.ini, which keeps its name, and Int.ini, which the cut-six rule names, is another set's.
    settle();
    wav("Set/Intro.wav", 0.5f);
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "Int.ini", "theirs"));
    AppModul::FillPhraseLists(AppModul::phraseFolder());
    for (int k = 0; k < 3; ++k) {
        form->lstPhrase[k]->setSelected(row(k, "Intro"));
    }
    popupChoose(0, 0, form->mnuRenameSet);
    messages.clear();
    enterName(frmRenSet::instance->txtNewName, "Opening");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString(); // renamed once, not once a list
    EXPECT_TRUE(exists("Opening_1.wav") && exists("Intro.ini"));
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "Int.ini"), "theirs");

    // A list that lost its selection while the dialog was open names no file; without the first list no
    // settings file moves.
    settle();
    selectSet("N");
    popupChoose(0, 0, form->mnuRenameSet);
    AppModul::FillPhraseLists(AppModul::phraseFolder());
    form->lstPhrase[1]->setSelected(row(1, "N_2"));
    enterName(frmRenSet::instance->txtNewName, "M");
    EXPECT_TRUE(exists("M_2.wav") && exists("N_1.wav") && exists("N_3.wav") && exists("N.ini"));
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList());
}

TEST_F(RenameTest, ATakenProposalOrRefusedSetNameChangesNothingSaysWhyAndKeepsTheDialogOpen)
{
    writeCaseTwins();
    for (int k = 1; k <= 3; ++k) {
        wav(QString("Set/Halftime_%1.wav").arg(k), 0.5f);
    }
    AppModul::FillPhraseLists(AppModul::phraseFolder());
    const QStringList before = files();
    selectSet("Beat");
    press(form->syncButton1); // Beat plays
    popupChoose(0, 0, form->mnuRenameSet);
    frmRenSet* dlg = frmRenSet::instance.get();
    // The dialog proposes Halftime, whose files are there but whose settings are not.
    QStringList picked;
    for (int i = 0; i < dlg->Combo1->ListCount(); ++i) {
        QTest::keyClick(dlg->Combo1, Qt::Key_Down);
        picked << dlg->txtNewName->Text();
    }
    ASSERT_TRUE(picked.contains("Halftime")) << picked.join(',').toStdString();
    dlg->txtNewName->setText("Halftime");

    struct Case
    {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        { "Halftime", "'Halftime_1.wav' already exists." },
        { "halftime", "'Halftime_1.wav' already exists." }, // named as it is on disk
        { "beat", "'beat_1.WAV' already exists." }, // beat's own files differ only in case
        { "../Out", "'../Out' cannot be used as a name." },
        { "", "The set needs a name." },
    };
    for (const Case& c : cases) {
        messages.clear();
        enterName(dlg->txtNewName, QString::fromUtf8(c.name));
        EXPECT_EQ(messages, QStringList({ c.message })) << c.name;
        EXPECT_EQ(files(), before) << c.name;
        EXPECT_TRUE(frmRenSet::instance.loaded() && dlg->isVisible()) << c.name;
    }
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "Beat.ini"), kStoredSettings); // not even saved
    EXPECT_TRUE(plays(0) && plays(1) && plays(2));
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList());

    // A free name renames the set, its settings last.
    enterName(dlg->txtNewName, "Drums");
    EXPECT_TRUE(exists("Drums_1.wav") && exists("Drums_3.wav") && exists("Drums.ini"));
    EXPECT_FALSE(exists("Beat_1.wav") || exists("Beat.ini"));
}

TEST_F(RenameTest, ClosingTheDialogWhileItsRenameLetsEventsRunFinishesTheRenameSafely)
{
    selectSet("A");
    popupChoose(0, 0, form->mnuRenameSet);
    frmRenSet* dlg = frmRenSet::instance.get();
    dlg->txtNewName->setText("a"); // its own name in another case is no twin
    QTimer::singleShot(0, dlg, [dlg] { dlg->close(); });
    dlg->Command2_Click();
    settle();
    EXPECT_EQ(files(), QStringList({ "B_1.wav", "B_2.wav", "C_1.wav", "a.ini", "a_1.wav", "a_2.wav", "a_3.wav" }));
    EXPECT_FALSE(frmRenSet::instance.loaded());
}

} // namespace
