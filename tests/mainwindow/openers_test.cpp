// The popup items that open the rename and move dialogs, on the real window, its sound and its files.
#include "tests/mainwindow/formfixture.h"

#include "dialogs/frmmoveset.h"
#include "dialogs/frmrename.h"
#include "dialogs/frmrenset.h"
#include "platform/gui/textbox.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace {

class OpenerTest : public FormTest
{
protected:
    bool plays(int k) const { return slot(k).playing() && AppModul::LayerPlaying[k] && form->playButton(k)->Value(); }
    bool stopped(int k) const
    {
        return !slot(k).playing() && !AppModul::LayerPlaying[k] && !form->playButton(k)->Value();
    }
};

TEST_F(OpenerTest, RenamePhraseTakesTheActiveListsSelectionWithOneExtensionAndStopsOnlyItsLayer)
{
    wav("Set/D_2.WAV", 0.7f);
    AppModul::ShowEnding = 1;
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    pressEntry(1, 2); // D_2.WAV, and with it C_1 of the first list
    popupChoose(1, 0, form->mnuRename); // the right press on A_2.wav leaves D_2.WAV selected
    frmRename* dlg = frmRename::instance.get();
    EXPECT_EQ(dlg->lblOldName->text(), "D_2.WAV");
    EXPECT_EQ(dlg->txtNewName->selectedText(), "D_2");
    QTest::keyClicks(dlg->txtNewName, "Pad_2");
    QTest::keyClick(dlg->txtNewName, Qt::Key_Return);

    EXPECT_EQ(entries(1), QStringList({ "A_2.wav", "B_2.wav", "Pad_2.wav" }));
    EXPECT_TRUE(stopped(1) && plays(0));
    EXPECT_TRUE(form->syncButton1->Value());

    // The last playing layer renamed: the sync button goes off with it.
    popupChoose(0, 0, form->mnuRename);
    frmRename::instance->txtNewName->setText("Q_1");
    QTest::keyClick(frmRename::instance->txtNewName, Qt::Key_Return);
    EXPECT_TRUE(stopped(0));
    EXPECT_FALSE(form->syncButton1->Value());
}

TEST_F(OpenerTest, RenameSetNeedsASelectionInEveryListAndMoveNeedsNone)
{
    form->lstPhrase[0]->setSelected(0);
    form->lstPhrase[1]->setSelected(0);
    popupChoose(0, 0, form->mnuRenameSet);
    EXPECT_EQ(messages, QStringList({ "To rename a phrase set you have to make a selection in every phrase list." }));
    EXPECT_FALSE(frmRenSet::instance.loaded());

    AppModul::FillPhraseLists(AppModul::PhrasePath);
    popupChoose(0, 0, form->mnuMove);
    EXPECT_TRUE(frmMoveSet::instance.loaded() && frmMoveSet::instance->isVisible());
}

TEST_F(OpenerTest, ThePopupChoosesWithTheLeftButtonOnly)
{
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(popup);
        const QPoint item = popup->actionGeometry(form->mnuDelSet).center();
        for (const Qt::MouseButton button : { Qt::RightButton, Qt::MiddleButton }) {
            QTest::mouseClick(popup, button, {}, item);
        }
        stillOpen = QApplication::activePopupWidget() == popup;
        popup->close();
    });
    selectSet("A");
    pressEntry(0, 0, Qt::RightButton);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(messages.isEmpty()); // Delete Phrase Set would have asked first
    EXPECT_TRUE(exists("A_1.wav"));
}

} // namespace
