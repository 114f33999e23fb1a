#include "dialogs/frmmoveset.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "app/phrasenames.h"
#include "dialogs/dialogcontrols.h"
#include "dialogs/phrasefiles.h"
#include "platform/gui/combobox.h"
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

std::optional<QString> frmMoveSet::destinationFolder(const QString& typed)
{
    QString relative = typed;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.endsWith(QLatin1Char('/'))) {
        relative.chop(1);
    }
    if (relative.startsWith(QLatin1Char('/'))) {
        return std::nullopt;
    }
    for (const QString& level : relative.split(QLatin1Char('/'))) {
        if (level.startsWith(QLatin1Char('_')) || !PhraseFiles::acceptableName(level)) {
            return std::nullopt;
        }
    }
    return Commands::AppPath + relative + QLatin1Char('/');
}

void frmMoveSet::Command2_Click()
{
    if (Combo1->Text().isEmpty()) {
        return;
    }
    const Busy busy(this);
    stopLayersAndSaveSet();
    MainForm* main = AppModul::mainForm();

    // The selections as they are now; a list without one names no file.
    QString entries[3];
    QString* files[3] = { &MoveFile1, &MoveFile2, &MoveFile3 };
    for (int k = 0; k < 3; ++k) {
        entries[k] = main ? main->phraseList(k)->Text() : QString();
        *files[k] = PhraseNames::withWav(entries[k]);
    }
    const std::optional<QString> settingsName = PhraseNames::layerOneSettingsName(entries[0]);

    // The names that move: the layers' files that lists show, then the set's settings file.
    QStringList names;
    for (int k = 0; k < 3; ++k) {
        if (PhraseFiles::namesListedFile(entries[k])) {
            names << *files[k];
        }
    }
    if (settingsName) {
        names << *settingsName;
    }
    for (const QString& name : names) {
        PhraseFiles::setNormal(AppModul::PhrasePath + name);
    }

    // A destination that may not be made, or that a link leads out of the program folder, makes every move
    // fail.
    const std::optional<QString> destination = destinationFolder(Combo1->Text());
    if (destination && PhraseFiles::liesWithin(*destination, Commands::AppPath)) {
        QString folder = *destination;
        if (!Commands::DirExists(folder)) {
            Commands::CreatePath(folder);
        }
        for (const QString& name : names) {
            if (Commands::FileExists(AppModul::PhrasePath + name)) {
                PhraseFiles::renameNoReplace(AppModul::PhrasePath + name, *destination + name);
            }
        }
    }

    platform::doEvents();
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    Unload();
}
