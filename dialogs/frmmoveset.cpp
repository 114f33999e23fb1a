#include "dialogs/frmmoveset.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "app/setfiles.h"
#include "dialogs/dialogcontrols.h"
#include "dialogs/phrasefiles.h"
#include "platform/gui/combobox.h"
#include "platform/gui/filenames.h"
#include "platform/gui/listbox.h"
#include "platform/gui/toolkit.h"

#include <QLabel>
#include <QPushButton>

platform::FormInstance<frmMoveSet> frmMoveSet::instance;

frmMoveSet::frmMoveSet() : Form(dialogOwner(), 5010, 1125)
{
    Caption(QStringLiteral("Move Phrase Set"));
    const QFont standard = platform::dialogFont(8.25);
    const QFont bold = platform::dialogFont(8.25, true);

    Label1[0] = makeLabel(this, QStringLiteral("Destination Dir:"), standard, 60, 165, 1215, 255);
    Combo1 = makeCombo(this, standard, 1320, 120, 3615, 315);
    Command1 = makeButton(this, QStringLiteral("Cancel"), standard, 120, 540, 2355, 495);
    Command2 = makeButton(this, QStringLiteral("Move"), bold, 2580, 540, 2355, 495);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Combo1);
    Command1->setFocus();

    connect(Combo1, &platform::ComboBox::KeyPress, this, &frmMoveSet::Combo1_KeyPress);
    connect(Command1, &QPushButton::clicked, this, &frmMoveSet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMoveSet::Command2_Click);
}

void frmMoveSet::Form_Load()
{
    Commands::CenterForm(this);
    Commands::SetTopMost(this);
    MainForm* main = AppModul::mainForm();
    platform::ListBox* folders = main ? main->folderList() : nullptr;
    if (!folders || folders->ListCount() == 0) {
        return;
    }
    Combo1->Clear();
    for (int i = 0; i < folders->ListCount(); ++i) {
        Combo1->AddItem(folders->List(i));
    }
}

void frmMoveSet::Combo1_KeyPress(int16_t& KeyAscii)
{
    Commands::KeyFilter(KeyAscii, 1);
}

void frmMoveSet::Command1_Click()
{
    Unload();
}

namespace {

// Where a typed destination leads beneath the program folder ("\" separates levels as "/" does), resolved
// once: the deepest level that exists, held, and the levels still to be made below it. A level that is a
// link is followed only when it is the user's own or its folder owner's.
struct Destination
{
    platform::fs::HeldFolder deepest;
    QStringList missing;

    // The destination itself; nothing held while it is still to be made.
    platform::fs::HeldFolder existing() const { return missing.isEmpty() ? deepest : platform::fs::HeldFolder(); }
    // Makes the missing levels (mkdirat); the destination held, or nothing held when a level failed.
    platform::fs::HeldFolder make() const
    {
        platform::fs::HeldFolder folder = deepest;
        for (const QString& level : missing) {
            folder = folder.createSub(platform::fileNameFromText(level));
        }
        return folder;
    }
};

QString outside(const QString& typed)
{
    return PhraseFiles::quoted(typed) + QStringLiteral(" lies outside the program folder.");
}

// Why a level of a typed destination may not be used; nothing when it may.
PhraseFiles::Refusal levelRefusal(const QString& level, const QString& typed)
{
    if (level == QLatin1String("..")) {
        return outside(typed);
    }
    if (!PhraseFiles::acceptableName(level)) {
        return PhraseFiles::refusedNameReason(level);
    }
    return std::nullopt;
}

// Why an existing entry of a level cannot be opened as a folder.
QString notAFolder(const platform::fs::HeldFolder& folder, const std::string& name)
{
    const QString shown = PhraseFiles::quoted(platform::textFromFileName(name));
    if (folder.isLink(name) && !folder.isTrustedLink(name)) {
        return shown + QStringLiteral(" is a link made by another user.");
    }
    return shown + QStringLiteral(" is not a folder.");
}

// The destination a typed text names, or why there is none.
std::optional<Destination> resolveDestination(const QString& typed, QString& why)
{
    QString relative = typed;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.endsWith(QLatin1Char('/'))) {
        relative.chop(1);
    }
    if (relative.startsWith(QLatin1Char('/'))) {
        why = outside(typed);
        return std::nullopt;
    }
    const QStringList levels = relative.split(QLatin1Char('/'));
    for (const QString& level : levels) {
        if (const PhraseFiles::Refusal refusal = levelRefusal(level, typed)) {
            why = *refusal;
            return std::nullopt;
        }
    }
    Destination destination { AppModul::programFolder(), {} };
    for (const QString& level : levels) {
        if (!destination.missing.isEmpty()) {
            destination.missing << level;
            continue;
        }
        // The exact name first, else a folder whose name differs only in case.
        std::string name = platform::fileNameFromText(level);
        if (!destination.deepest.exists(name)) {
            if (const std::optional<std::string> twin = destination.deepest.caseTwin(name)) {
                name = *twin;
            }
        }
        if (!destination.deepest.exists(name)) {
            destination.missing << level;
            continue;
        }
        platform::fs::HeldFolder sub = destination.deepest.openSub(name, platform::fs::HeldFolder::Links::Trusted);
        if (!sub.isOpen()) {
            why = notAFolder(destination.deepest, name);
            return std::nullopt;
        }
        destination.deepest = sub;
    }
    return destination;
}

// The selected set's files, and its settings file, from the phrase folder into `destination` under the
// same names.
PhraseFiles::Plan movePlan(const platform::fs::HeldFolder& destination)
{
    const SetFiles set = SetFiles::selected();
    const platform::fs::HeldFolder& folder = AppModul::phraseFolder();
    PhraseFiles::Plan plan(folder, destination);
    for (const SetFiles::LayerFile& sound : set.soundFiles()) {
        plan.addSound(sound.file, sound.file);
    }
    if (set.settingsName && set.files[0]) {
        const std::string settings = set.settingsOnDisk(folder).value_or(*set.settingsName);
        plan.setSettings(settings, settings);
    }
    return plan;
}

// Why the set may not move to a resolved destination; nothing when it may.
PhraseFiles::Refusal moveRefusal(const Destination& destination, const QString& typed)
{
    if (!destination.missing.isEmpty() && !destination.deepest.mayChangeNames()) {
        return PhraseFiles::quoted(destination.missing.first())
            + QStringLiteral(" cannot be made: you may not write in the folder it would be in.");
    }
    if (PhraseFiles::sameFolder(destination.existing(), AppModul::phraseFolder())) {
        return QStringLiteral("The set is in ") + PhraseFiles::quoted(typed) + QStringLiteral(" already.");
    }
    return movePlan(destination.existing()).refusal();
}

PhraseFiles::Refusal moveRefusal(const QString& typed)
{
    QString why;
    const std::optional<Destination> destination = resolveDestination(typed, why);
    return destination ? moveRefusal(*destination, typed) : PhraseFiles::Refusal(why);
}

// The move itself: the destination resolved once more (events ran since the first check), checked, made
// where it is missing, and the set moved into that very folder.
PhraseFiles::Result moveTo(const QString& typed)
{
    QString why;
    const std::optional<Destination> destination = resolveDestination(typed, why);
    if (!destination) {
        return { PhraseFiles::Outcome::Refused, why };
    }
    if (const PhraseFiles::Refusal refusal = moveRefusal(*destination, typed)) {
        return { PhraseFiles::Outcome::Refused, *refusal };
    }
    const platform::fs::HeldFolder made = destination->make();
    if (!made.isOpen()) {
        return { PhraseFiles::Outcome::Refused, PhraseFiles::quoted(typed) + QStringLiteral(" could not be made.") };
    }
    return movePlan(made).run();
}

} // namespace

void frmMoveSet::Command2_Click()
{
    const QString typed = Combo1->Text();
    if (typed.isEmpty()) {
        return;
    }
    const Busy busy(this);
    const PhraseFiles::Outcome outcome = PhraseFiles::checkThenAct([&] { return moveRefusal(typed); },
                                                                   stopLayersAndSaveSet, [&] { return moveTo(typed); });
    finishFileSteps(this, outcome, true);
}
