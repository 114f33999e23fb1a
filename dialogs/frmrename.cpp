#include "dialogs/frmrename.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "app/phrasenames.h"
#include "dialogs/dialogcontrols.h"
#include "dialogs/phrasefiles.h"
#include "platform/gui/listbox.h"
#include "platform/gui/textbox.h"

#include <QLabel>
#include <QPushButton>

platform::FormInstance<frmRename> frmRename::instance;

frmRename::frmRename() : Form(dialogOwner(), 5580, 1545)
{
    Caption(QStringLiteral("Rename"));
    const QFont standard = platform::dialogFont(8.25);
    const QFont bold = platform::dialogFont(8.25, true);

    Label1[0] = makeLabel(this, QStringLiteral("Old name:"), standard, 60, 120, 855, 255);
    lblOldName = makeLabel(this, QString(), bold, 1020, 120, 4635, 255);
    txtNewName = new platform::TextBox(this);
    txtNewName->setFont(bold);
    platform::placeTwips(txtNewName, 960, 435, 3975, 315);
    Label1[1] = makeLabel(this, QStringLiteral("New name:"), standard, 60, 480, 855, 255);
    Command1 = makeButton(this, QStringLiteral("Cancel"), standard, 120, 960, 2595, 495);
    Command2 = makeButton(this, QStringLiteral("Rename"), bold, 2880, 960, 2595, 495);
    Label1[2] = makeLabel(this, QStringLiteral(".wav"), bold, 4980, 480, 855, 255);
    setTabOrder(txtNewName, Command1);
    setTabOrder(Command1, Command2);

    connect(txtNewName, &platform::TextBox::KeyPress, this, &frmRename::txtNewName_KeyPress);
    connect(Command1, &QPushButton::clicked, this, &frmRename::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmRename::Command2_Click);
}

void frmRename::Form_Load()
{
    Commands::CenterForm(this);
    Commands::SetTopMost(this);
}

void frmRename::txtNewName_KeyPress(int16_t& KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        Command2_Click();
        return;
    }
    Commands::KeyFilter(KeyAscii, 1);
}

void frmRename::Command1_Click()
{
    Unload();
}

void frmRename::Command2_Click()
{
    const Busy busy(this);
    MainForm* main = AppModul::mainForm();
    const int16_t active = AppModul::ActiveList;
    if (main) {
        main->stopLayer(active);
    }

    // A name that would hide the file, leave the folder or that some system refuses renames nothing.
    const QString newName = txtNewName->Text();
    const bool accepted = PhraseFiles::acceptableName(newName + QStringLiteral(".wav"));

    if (active == 0 && main) {
        const QString first = main->phraseList(0)->Text();
        RenIniName = PhraseNames::setNameRule(first);
        RenIniPath = AppModul::PhrasePath + RenIniName;
        const QString newIniName = PhraseNames::setNameRule(newName);
        if (accepted && PhraseFiles::namesListedFile(first) && PhraseFiles::acceptableName(newIniName)
            && Commands::FileExists(RenIniPath)) {
            PhraseFiles::setNormal(RenIniPath);
            PhraseFiles::renameNoReplace(RenIniPath, AppModul::PhrasePath + newIniName);
        }
    }

    const QString oldName = lblOldName->text();
    if (accepted && PhraseFiles::namesListedFile(oldName)) {
        PhraseFiles::setNormal(AppModul::PhrasePath + oldName);
        PhraseFiles::renameNoReplace(AppModul::PhrasePath + oldName,
                                     AppModul::PhrasePath + newName + QStringLiteral(".wav"));
    }

    AppModul::FillPhraseLists(AppModul::PhrasePath);
    Unload();
}
