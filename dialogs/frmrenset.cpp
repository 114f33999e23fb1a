#include "dialogs/frmrenset.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "app/phrasenames.h"
#include "app/setfiles.h"
#include "dialogs/dialogcontrols.h"
#include "dialogs/phrasefiles.h"
#include "platform/gui/combobox.h"
#include "platform/gui/filenames.h"
#include "platform/gui/listbox.h"
#include "platform/gui/textbox.h"
#include "platform/gui/toolkit.h"

#include <QLabel>
#include <QPushButton>

platform::FormInstance<frmRenSet> frmRenSet::instance;

frmRenSet::frmRenSet() : Form(dialogOwner(), 5025, 1470)
{
    Caption(QStringLiteral("Rename Phrase Set"));
    const QFont standard = platform::dialogFont(8.25);
    const QFont bold = platform::dialogFont(8.25, true);

    Label1[1] = makeLabel(this, QStringLiteral("Set name:"), standard, 60, 135, 855, 255);
    txtNewName = new platform::TextBox(this);
    txtNewName->setFont(bold);
    platform::placeTwips(txtNewName, 1080, 75, 3855, 315);
    // The combo covers the end of this label's box; at 8.25 points the face that stands in for the old one
    // is wider than it was, and 7.5 points keep the caption clear of the combo.
    Label1[0] = makeLabel(this, QStringLiteral("Choose name:"), platform::dialogFont(7.5), 60, 525, 1155, 255);
    Combo1 = makeCombo(this, standard, 1080, 480, 3855, 315);
    Combo1->setLocked(true); // its text changes only by picking a proposal
    Command1 = makeButton(this, QStringLiteral("Cancel"), standard, 120, 900, 2355, 495);
    Command2 = makeButton(this, QStringLiteral("Rename"), bold, 2580, 900, 2355, 495);
    List1 = new platform::ListBox(this);
    platform::placeTwips(List1, 6420, 360, 1095, 645);
    setTabOrder(txtNewName, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Combo1);
    setTabOrder(Combo1, List1);

    connect(Combo1, &platform::ComboBox::Click, this, &frmRenSet::Combo1_Click);
    connect(Combo1, &platform::ComboBox::KeyPress, this, &frmRenSet::Combo1_KeyPress);
    connect(txtNewName, &platform::TextBox::KeyPress, this, &frmRenSet::txtNewName_KeyPress);
    connect(Command1, &QPushButton::clicked, this, &frmRenSet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmRenSet::Command2_Click);
}

// Proposals: the first list's entries less ".wav" and their last two characters, longer than three
// characters; of neighbours that share their first seven characters only the last one.
void frmRenSet::Form_Load()
{
    Commands::CenterForm(this);
    Commands::SetTopMost(this);
    MainForm* main = AppModul::mainForm();
    platform::ListBox* layer1 = main ? main->phraseList(0) : nullptr;
    if (!layer1 || layer1->ListCount() == 0) {
        return;
    }
    Combo1->Clear();
    List1->Clear();
    QString previous;
    for (int i = layer1->ListCount() - 1; i >= 0; --i) {
        QString candidate = PhraseNames::withoutWav(layer1->List(i));
        if (candidate.size() >= 2) {
            candidate.chop(2);
        }
        const QString prefix = candidate.left(7);
        if (candidate.size() > 3 && prefix != previous) {
            List1->AddItem(candidate);
        }
        previous = prefix;
    }
    for (int i = List1->ListCount() - 1; i >= 0; --i) {
        Combo1->AddItem(List1->List(i));
    }
}

void frmRenSet::Combo1_Click()
{
    txtNewName->setText(Combo1->Text());
    txtNewName->setSelStart(int(txtNewName->Text().size()));
    txtNewName->SetFocus();
}

// The combo's text changes only by picking an entry.
void frmRenSet::Combo1_KeyPress(int16_t& KeyAscii)
{
    KeyAscii = 0;
}

void frmRenSet::txtNewName_KeyPress(int16_t& KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        Command2_Click();
        return;
    }
    if (KeyAscii == '(' || KeyAscii == ')') {
        return;
    }
    Commands::KeyFilter(KeyAscii, 1);
}

void frmRenSet::Command1_Click()
{
    Unload();
}

namespace {

// Why a new base name may not be used; nothing when it may.
std::optional<QString> nameRefusal(const QString& newName)
{
    if (newName.isEmpty()) {
        return QStringLiteral("The set needs a name.");
    }
    if (!PhraseFiles::acceptableName(newName + QStringLiteral("_1.wav"))) {
        return PhraseFiles::refusedNameReason(newName);
    }
    return std::nullopt;
}

} // namespace

PhraseFiles::Plan frmRenSet::renamePlan(const QString& newName)
{
    const SetFiles set = SetFiles::selected();
    const platform::fs::HeldFolder& folder = AppModul::phraseFolder();
    PhraseFiles::Plan plan(folder, folder);
    if (const PhraseFiles::Refusal why = nameRefusal(newName)) {
        plan.refuse(*why);
    }
    for (const SetFiles::LayerFile& sound : set.soundFiles()) {
        plan.addSound(sound.file, platform::fileNameFromText(newName + QStringLiteral("_%1.wav").arg(sound.layer + 1)));
    }
    if (set.settingsName && set.files[0]) {
        plan.setSettings(set.settingsOnDisk(folder).value_or(*set.settingsName),
                         platform::fileNameFromText(newName + QStringLiteral(".ini")));
    }
    return plan;
}

void frmRenSet::Command2_Click()
{
    const Busy busy(this);
    const QString newName = txtNewName->Text();
    const PhraseFiles::Outcome outcome = PhraseFiles::checkThenAct(
        [&] { return renamePlan(newName).refusal(); }, stopLayersAndSaveSet, [&] { return renamePlan(newName).run(); });
    finishFileSteps(this, outcome, true);
}
