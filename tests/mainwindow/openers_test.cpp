// The popup items that open the rename and move dialogs, on the real window, its sound and its files.
#include "tests/mainwindow/formfixture.h"

#include "dialogs/frmmoveset.h"
#include "dialogs/frmrename.h"
#include "dialogs/frmrenset.h"
#include "platform/gui/combobox.h"
#include "platform/gui/textbox.h"

#include <QDir>
#include <QLabel>

namespace {

class OpenerTest : public FormTest
{
protected:
    QStringList files() const { return QDir(phraseFolder()).entryList(QDir::Files, QDir::Name); }
    bool plays(int k) const
    {
        return slot(k).playing() && AppModul::LayerPlaying[k] == -1 && form->playButton(k)->Value();
    }
    bool stopped(int k) const
    {
        return !slot(k).playing() && AppModul::LayerPlaying[k] == 0 && !form->playButton(k)->Value();
    }
};

TEST_F(OpenerTest, RenamePhraseTakesTheActiveListsSelectionAndStopsOnlyThatLayer)
{
    pressEntry(1, 0); // A_2, and with it the whole set A plays
    popupChoose(1, 1, form->mnuRename); // the right press on B_2 leaves A_2 selected
    frmRename* dlg = frmRename::instance.get();
    EXPECT_EQ(dlg->lblOldName->text(), "A_2.wav");
    EXPECT_EQ(dlg->txtNewName->selectedText(), "A_2");
    EXPECT_EQ(dlg->focusWidget(), dlg->txtNewName);
    QTest::keyClicks(dlg->txtNewName, "Pad_2");
    QTest::keyClick(dlg->txtNewName, Qt::Key_Return);

    EXPECT_EQ(files(), QStringList({ "A_1.wav", "A_3.wav", "B_1.wav", "B_2.wav", "C_1.wav", "Pad_2.wav" }));
    EXPECT_TRUE(stopped(1));
    EXPECT_TRUE(plays(0) && plays(2));
    EXPECT_TRUE(form->syncButton1->Value());

    // The last playing layer renamed: the sync button goes off with it.
    form->lstPhrase[0]->setSelected(0);
    press(form->miniButtonGreen1);
    ASSERT_TRUE(stopped(0));
    form->lstPhrase[2]->setSelected(0);
    popupChoose(2, 0, form->mnuRename);
    frmRename::instance->txtNewName->setText("Q_3");
    QTest::keyClick(frmRename::instance->txtNewName, Qt::Key_Return);
    EXPECT_TRUE(stopped(2));
    EXPECT_FALSE(form->syncButton1->Value());
    EXPECT_EQ(entries(2), QStringList({ "Q_3" }));
}

TEST_F(OpenerTest, RenamePhraseShowsOneExtensionAndWithoutASelectionRenamesNothing)
{
    wav("Set/Rain_2.WAV", 0.7f);
    AppModul::ShowEnding = 1;
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    form->lstPhrase[1]->setSelected(int(entries(1).indexOf("Rain_2.WAV")));
    popupChoose(1, 0, form->mnuRename);
    frmRename* dlg = frmRename::instance.get();
    EXPECT_EQ(dlg->lblOldName->text(), "Rain_2.WAV");
    EXPECT_EQ(dlg->txtNewName->Text(), "Rain_2");

    // Chosen again on a list without a selection: the open dialog takes the empty name.
    const QStringList before = files();
    popupChoose(2, 0, form->mnuRename);
    EXPECT_EQ(frmRename::instance.get(), dlg);
    EXPECT_EQ(dlg->lblOldName->text(), ".wav");
    EXPECT_EQ(dlg->txtNewName->Text(), "");
    QTest::keyClick(dlg->txtNewName, Qt::Key_Return);
    EXPECT_EQ(files(), before);
}

TEST_F(OpenerTest, RenameSetNeedsASelectionInEveryListAndMoveNeedsNone)
{
    wav("Set/B_3.wav", 0.7f);
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    form->lstPhrase[0]->setSelected(0);
    form->lstPhrase[1]->setSelected(0);
    popupChoose(0, 0, form->mnuRenameSet);
    EXPECT_EQ(messages, QStringList({ "To rename a phrase set you have to make a selection in every phrase list." }));
    EXPECT_FALSE(frmRenSet::instance.loaded());

    pressEntry(0, 1); // the set B_1, B_2, B_3
    popupChoose(2, 0, form->mnuRenameSet);
    frmRenSet* dlg = frmRenSet::instance.get();
    EXPECT_EQ(dlg->txtNewName->selectedText(), "B");
    EXPECT_EQ(dlg->focusWidget(), dlg->txtNewName);

    // Refused again: the open dialog keeps its name.
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    popupChoose(0, 0, form->mnuRenameSet);
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(dlg->txtNewName->Text(), "B");

    popupChoose(0, 0, form->mnuMove);
    ASSERT_TRUE(frmMoveSet::instance.loaded());
    EXPECT_TRUE(frmMoveSet::instance->isVisible());
    EXPECT_EQ(frmMoveSet::instance->Combo1->List(0), "Set");
}

} // namespace
