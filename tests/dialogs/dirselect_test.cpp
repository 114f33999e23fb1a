// The folder chooser: what it hands back, and where it starts.
#include "dialogs/frmdirselect.h"
#include "platform/gui/folderlists.h"
#include "tests/dialogs/dialogfixture.h"

#include <QPushButton>
#include <QTest>

using DirSelectTest = DialogTest;

TEST_F(DirSelectTest, OkHandsBackTheChosenFolderWithOneTrailingSlash)
{
    touch("Set/Deep/x.wav");
    AppModul::DirSelectPath = Commands::AppPath + "Set";
    AppModul::DirSelectCaption = "Pick";
    AppModul::DirSelectBusy = 1;
    frmDirSelect* dlg = frmDirSelect::instance.get();
    dlg->Show();
    EXPECT_EQ(dlg->windowTitle(), "Pick");
    EXPECT_EQ(dlg->File1->ListCount(), 4);
    // A double click on the subfolder opens it, and the file list follows.
    QListWidgetItem* deep = dlg->Dir1->item(dlg->Dir1->count() - 1);
    const QPoint at = dlg->Dir1->visualItemRect(deep).center();
    QTest::mouseClick(dlg->Dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dlg->Dir1->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dlg->File1->List(0), "x.wav");
    QTest::mouseClick(dlg->Command1, Qt::LeftButton);
    EXPECT_EQ(AppModul::DirSelectPath, Commands::AppPath + "Set/Deep/");
    EXPECT_EQ(AppModul::DirSelectBusy, 0);
    EXPECT_FALSE(frmDirSelect::instance.loaded());

    settle();
    AppModul::DirSelectPath = "/";
    frmDirSelect::instance->Command1_Click();
    EXPECT_EQ(AppModul::DirSelectPath, "/");
}

TEST_F(DirSelectTest, CancelOrTheCloseBoxKeepThePathAndAMissingStartFolderStartsInTheCurrentOne)
{
    QDir::setCurrent(program.file("Set"));
    AppModul::DirSelectPath = Commands::AppPath + "Missing/";
    for (int closeBox = 0; closeBox < 2; ++closeBox) {
        AppModul::DirSelectBusy = 1;
        frmDirSelect* dlg = frmDirSelect::instance.get();
        dlg->Show();
        EXPECT_EQ(dlg->Dir1->Path(), program.file("Set"));
        EXPECT_EQ(dlg->File1->ListCount(), 4);
        if (closeBox) {
            dlg->close();
        } else {
            QTest::mouseClick(dlg->Command2, Qt::LeftButton);
        }
        EXPECT_EQ(AppModul::DirSelectPath, Commands::AppPath + "Missing/");
        EXPECT_EQ(AppModul::DirSelectBusy, 0);
        EXPECT_FALSE(frmDirSelect::instance.loaded());
        settle();
    }
}

TEST_F(DirSelectTest, AnEmptyCaptionLeavesTheWindowUntitled)
{
    AppModul::DirSelectCaption.clear();
    frmDirSelect* dlg = frmDirSelect::instance.get();
    // A window system shows the program's name for a window whose title is empty: a blank title shows none.
    EXPECT_FALSE(dlg->windowTitle().isEmpty());
    EXPECT_TRUE(dlg->windowTitle().trimmed().isEmpty());
}
