#include "dialogs/frmdirselect.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "controls/colours.h"
#include "dialogs/dialogcontrols.h"
#include "platform/gui/folderlists.h"

#include <QPushButton>
#include <QTimer>

namespace {

const QColor kFileBackground(128, 128, 128);
const QColor kListText(128, 255, 255);

} // namespace

platform::FormInstance<frmDirSelect> frmDirSelect::instance;

// The lists start on the process's current drive and folder.
frmDirSelect::frmDirSelect() : Form(dialogOwner(), 5235, 4965)
{
    Caption(QStringLiteral("Choose Directory..."));
    const QFont standard = platform::dialogFont(8.25);

    Drive1 = new platform::DriveListBox(this);
    Drive1->setFont(standard);
    platform::setColours(Drive1, controls::kListGrey, kListText);
    platform::placeTwips(Drive1, 0, 0, 2475, 315);
    Dir1 = new platform::DirListBox(this);
    Dir1->setFont(standard);
    platform::setColours(Dir1, controls::kListGrey, kListText);
    platform::placeTwips(Dir1, 0, 360, 2475, 4590);
    Dir1->setPath(Drive1->currentFolder());
    File1 = new platform::FileListBox(this);
    File1->setFont(standard);
    platform::setColours(File1, kFileBackground, kListText);
    platform::placeTwips(File1, 2520, 0, 2715, 3600);
    File1->setPattern(QStringLiteral("*.wav"));
    File1->setPath(Dir1->Path());
    Command2 = makeButton(this, QStringLiteral("C A N C E L"), standard, 2520, 3660, 2715, 615);
    Command1 = makeButton(this, QStringLiteral("O K"), platform::dialogFont(9.75, true), 2520, 4320, 2715, 615);
    dummy = makeButton(this, QString(), standard, 7560, 420, 195, 195);
    setTabOrder(Command2, Command1);
    setTabOrder(Command1, File1);
    setTabOrder(File1, Dir1);
    setTabOrder(Dir1, Drive1);
    setTabOrder(Drive1, dummy);
    Timer1 = new QTimer(this);
    Timer1->setInterval(20);

    connect(Drive1, &platform::DriveListBox::Change, this, &frmDirSelect::Drive1_Change);
    connect(Dir1, &platform::DirListBox::Change, this, &frmDirSelect::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &frmDirSelect::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDirSelect::Command2_Click);
    connect(Timer1, &QTimer::timeout, this, &frmDirSelect::Timer1_Timer);
    Timer1->start();
}

void frmDirSelect::Form_Load()
{
    Commands::CenterForm(this);
    Commands::SetTopMost(this);
    raise();
    // The window system titles a window without a title with the program's name: an empty caption is
    // shown as a blank one.
    const QString caption = AppModul::DirSelectCaption;
    Caption(caption.isEmpty() ? QStringLiteral(" ") : caption);
    const QString start = AppModul::DirSelectPath;
    if (!start.isEmpty() && Commands::DirExists(start)) {
        Drive1->setDrive(start);
        Dir1->setPath(start);
        File1->setPath(start);
    }
    dummy->setFocus();
}

void frmDirSelect::Drive1_Change()
{
    Dir1->setPath(Drive1->currentFolder());
}

void frmDirSelect::Dir1_Change()
{
    File1->setPath(Dir1->Path());
    dummy->setFocus();
}

void frmDirSelect::Command1_Click()
{
    QString chosen = Dir1->Path();
    AppModul::DirSelectPath = Commands::AddBackslash(chosen);
    AppModul::DirSelectBusy = 0;
    Unload();
}

void frmDirSelect::Command2_Click()
{
    AppModul::DirSelectBusy = 0;
    Unload();
}

void frmDirSelect::Form_Unload()
{
    AppModul::DirSelectBusy = 0;
}

void frmDirSelect::Timer1_Timer() { }
