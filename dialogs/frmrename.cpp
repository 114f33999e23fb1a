#include "dialogs/frmrename.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "app/phrasenames.h"
#include "dialogs/dialogcontrols.h"
#include "dialogs/phrasefiles.h"
#include "platform/gui/filenames.h"
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

namespace {

// Why a new name may not be used; nothing when it may.
PhraseFiles::Refusal nameRefusal(const QString& newName)
{
    const QString file = newName + QStringLiteral(".wav");
    if (!PhraseFiles::acceptableName(file)) {
        return PhraseFiles::refusedNameReason(file);
    }
    return std::nullopt;
}

} // namespace

PhraseFiles::Plan frmRename::renamePlan(const QString& newName)
{
    PhraseFiles::Plan plan(oldFolder, oldFolder);
    if (const PhraseFiles::Refusal why = nameRefusal(newName)) {
        plan.refuse(*why);
    }
    if (!oldFile) {
        return plan;
    }
    plan.addSound(*oldFile, platform::fileNameFromText(newName + QStringLiteral(".wav")));
    // The settings file follows a phrase of the first list, and only while that list still shows this very
    // phrase selected: a selection moved meanwhile belongs to another set, whose settings stay its own.
    MainForm* main = AppModul::mainForm();
    if (AppModul::ActiveList == 0 && main && AppModul::selectedPhraseFile(0) == oldFile
        && PhraseFiles::sameFolder(oldFolder, AppModul::phraseFolder())) {
        RenIniName = PhraseNames::setNameRule(main->phraseList(0)->Text());
        if (const auto settings = oldFolder.findWithExtensionInAnyCase(platform::fileNameFromText(RenIniName))) {
            plan.setSettings(*settings, platform::fileNameFromText(PhraseNames::setNameRule(newName)));
        }
    }
    return plan;
}

void frmRename::Command2_Click()
{
    const Busy busy(this);
    const QString newName = txtNewName->Text();
    const PhraseFiles::Outcome outcome = PhraseFiles::checkThenAct(
        [&] { return renamePlan(newName).refusal(); },
        [] {
            if (MainForm* main = AppModul::mainForm()) {
                main->stopLayer(AppModul::ActiveList);
            }
        },
        [&] { return renamePlan(newName).run(); });
    finishFileSteps(this, outcome, false);
}
