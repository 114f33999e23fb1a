#include "mainwindow/form1.h"
#include "mainwindow/form1layout.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/phrasenames.h"
#include "app/setfiles.h"
#include "controls/animknob.h"
#include "controls/colours.h"
#include "controls/togglebutton.h"
#include "dialogs/frmmoveset.h"
#include "dialogs/frmrename.h"
#include "dialogs/frmrenset.h"
#include "platform/core/heldfolder.h"
#include "platform/gui/filenames.h"
#include "platform/gui/listbox.h"
#include "platform/gui/textbox.h"
#include "platform/gui/toolkit.h"
#include "sound/dx7sound.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>

#include <optional>
#include <vector>

namespace {

// A knob value as the sound engine's byte; nothing when it does not fit.
std::optional<uint8_t> toByte(int value)
{
    if (value < 0 || value > 255) {
        return std::nullopt;
    }
    return uint8_t(value);
}

// The file a path names on disk, whatever the case of its components (the default sound).
std::string localPath(const QString& path)
{
    return platform::diskPath(path);
}

// A delete question: Yes and No with the question icon, Yes the default, titled with the program title.
int16_t askYesNo(const QString& question)
{
    return int16_t(platform::messageBox(question, 36, Commands::AppTitle));
}

// Deletes files of a held folder: first every read-only mark is cleared, then each file is deleted in the
// order given. A file that cannot go simply stays.
void deleteInFolder(const platform::fs::HeldFolder& folder, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        folder.setAttributesNormal(name);
    }
    for (const std::string& name : names) {
        folder.removeFile(name);
    }
}

} // namespace

Form1::Form1()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    buildLayout();
    buildMenus();
    connectHandlers();
    m_programEnd = [] { QCoreApplication::exit(0); };
}

Form1::~Form1() = default;

void Form1::registerAsMainForm(std::function<void()> programEnd)
{
    AppModul::setMainFormFactory([programEnd] {
        auto* form = new Form1;
        form->Form_Load();
        if (programEnd) {
            form->setProgramEnd(programEnd);
        }
        return form;
    });
}

void Form1::connectHandlers()
{
    connect(List1, &platform::ListBox::Click, this, &Form1::List1_Click);
    for (int k = 0; k < 3; ++k) {
        connect(lstPhrase[k], &platform::ListBox::MouseDown, this,
                [this, k](int16_t Button, int16_t Shift, float X, float Y) {
                    lstPhrase_MouseDown(int16_t(k), Button, Shift, X, Y);
                });
    }
    connect(animKnob1, &animKnob::Scroll, this, &Form1::animKnob1_Scroll);
    connect(animKnob2, &animKnob::Scroll, this, &Form1::animKnob2_Scroll);
    connect(animKnob3, &animKnob::Scroll, this, &Form1::animKnob3_Scroll);
    connect(animKnob4, &animKnob::Scroll, this, &Form1::animKnob4_Scroll);
    connect(animKnob5, &animKnob::Scroll, this, &Form1::animKnob5_Scroll);
    connect(animKnob6, &animKnob::Scroll, this, &Form1::animKnob6_Scroll);
    connect(animKnob2, &animKnob::DblClick, this, &Form1::animKnob2_DblClick);
    connect(animKnob4, &animKnob::DblClick, this, &Form1::animKnob4_DblClick);
    connect(animKnob6, &animKnob::DblClick, this, &Form1::animKnob6_DblClick);
    connect(miniButton1, &toggleButton::Push, this, &Form1::miniButton1_Push);
    connect(miniButton2, &toggleButton::Push, this, &Form1::miniButton2_Push);
    connect(miniButton3, &toggleButton::Push, this, &Form1::miniButton3_Push);
    connect(miniButtonGreen1, &toggleButton::Push, this, &Form1::miniButtonGreen1_Push);
    connect(miniButtonGreen2, &toggleButton::Push, this, &Form1::miniButtonGreen2_Push);
    connect(miniButtonGreen3, &toggleButton::Push, this, &Form1::miniButtonGreen3_Push);
    connect(syncButton1, &toggleButton::Push, this, &Form1::syncButton1_Push);
    connect(mnuSync, &QAction::triggered, this, &Form1::mnuSync_Click);
    connect(mnuAutoPlay, &QAction::triggered, this, &Form1::mnuAutoPlay_Click);
    connect(mnuEnding, &QAction::triggered, this, &Form1::mnuEnding_Click);
    connect(mnuSave, &QAction::triggered, this, &Form1::mnuSave_Click);
    connect(mnuRename, &QAction::triggered, this, &Form1::mnuRename_Click);
    connect(mnuRenameSet, &QAction::triggered, this, &Form1::mnuRenameSet_Click);
    connect(mnuDel, &QAction::triggered, this, &Form1::mnuDel_Click);
    connect(mnuDelSet, &QAction::triggered, this, &Form1::mnuDelSet_Click);
    connect(mnuMove, &QAction::triggered, this, &Form1::mnuMove_Click);
}

// ---- Window life -------------------------------------------------------------------------------------

void Form1::setShowExtensionChecked(bool checked)
{
    mnuEnding->setChecked(checked);
}

void Form1::setAutoPlayChecked(bool checked)
{
    mnuAutoPlay->setChecked(checked);
}

void Form1::setPhraseSyncChecked(bool checked)
{
    mnuSync->setChecked(checked);
}

void Form1::Form_Load()
{
    Commands::CenterForm(this);
    QPalette p = Picture1->palette();
    p.setColor(QPalette::Window, controls::kPanelColour);
    Picture1->setPalette(p);
    for (QLabel* header : Label2) {
        header->setStyleSheet(form1layout::labelSheet(controls::kPanelColour));
    }
}

void Form1::LoadDXSound()
{
    DX7Sound::InitDX(std::uintptr_t(winId()));
    DX7Sound::InitBuffers(10, localPath(AppModul::DefaultWav));
    for (int16_t k = 0; k < 3; ++k) {
        DX7Sound::SetVolume(k, 80);
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void Form1::Form_Unload()
{
    for (int16_t k = 0; k < 3; ++k) {
        if (AppModul::LayerPlaying[k] == -1) {
            DX7Sound::StopBuffer(k);
        }
    }
    // Into the program folder held since the start; a refused write has said why on standard error.
    Commands::WriteINI(Commands::AppTitle,
                       { { QStringLiteral("ShowEnding"), QString::number(AppModul::ShowEnding) },
                         { QStringLiteral("AutoPlay"), QString::number(AppModul::AutoPlay) },
                         { QStringLiteral("PhraseSync"), QString::number(AppModul::PhraseSync) } },
                       AppModul::programFolder(), Commands::ExeName + QStringLiteral(".ini"));
    if (m_programEnd) {
        m_programEnd();
    }
}

// ---- Folder list and phrase lists ---------------------------------------------------------------------

void Form1::List1_Click()
{
    AppModul::choosePhraseFolderNamed(List1->Text());
    AppModul::FillPhraseLists(AppModul::phraseFolder());
}

void Form1::lstPhrase_MouseDown(int16_t Index, int16_t Button, int16_t /*Shift*/, float X, float Y)
{
    if (Index < 0 || Index > 2) {
        return;
    }
    AppModul::ActiveList = Index;
    if (Button == 2) {
        const QPoint at(platform::twipsToPixels(int(X)), platform::twipsToPixels(int(Y)));
        mnuPop->exec(lstPhrase[Index]->viewport()->mapToGlobal(at));
        return;
    }
    if (AppModul::PhraseSync == 1) {
        mirrorSelection(Index);
        loadStoredSettings();
        if (AppModul::AutoPlay == 1) {
            startSelectedSet();
            syncButton1->setValue(anyLayerPlaying());
            return;
        }
    }
    if (AppModul::AutoPlay == 1) {
        singleListStart(Index);
    }
}

void Form1::mirrorSelection(int16_t index)
{
    static const int targets[3][2] = { { 1, 2 }, { 0, 2 }, { 1, 0 } };
    for (int target : targets[index]) {
        lstPhrase[target]->setSelected(lstPhrase[index]->ListIndex());
    }
}

void Form1::loadStoredSettings()
{
    PhraseName = PhraseNames::setNameRule(lstPhrase[0]->Text());
    SettingsFile = AppModul::PhrasePath + PhraseName;
    auto read = [this](const char* key, const char* defaultValue) {
        return Commands::ReadINI(Commands::AppTitle, QLatin1String(key), AppModul::phraseFolder(), PhraseName,
                                 QLatin1String(defaultValue));
    };
    auto applyKnob = [](animKnob* knob, const QString& text) {
        if (const std::optional<int16_t> value = Commands::TextToInt16(text)) {
            knob->setValue(*value);
        }
    };
    applyKnob(animKnob1, read("Level1", "80"));
    applyKnob(animKnob3, read("Level2", "80"));
    applyKnob(animKnob5, read("Level3", "80"));
    applyKnob(animKnob2, read("Pan1", "50"));
    applyKnob(animKnob4, read("Pan2", "50"));
    applyKnob(animKnob6, read("Pan3", "50"));
    miniButton1->setValue(read("Mute1", "0") == QLatin1String("1"));
    miniButton2->setValue(read("Mute2", "0") == QLatin1String("1"));
    miniButton3->setValue(read("Mute3", "0") == QLatin1String("1"));
}

std::optional<std::string> Form1::layerSound(int k) const
{
    if (const std::optional<std::string> file = AppModul::selectedPhraseFile(k)) {
        return AppModul::phraseFolder().readPath(*file);
    }
    return std::nullopt;
}

void Form1::loadSelectedLayers()
{
    for (int16_t k = 0; k < 3; ++k) {
        if (lstPhrase[k]->Text().isEmpty()) {
            continue;
        }
        const std::optional<std::string> sound = layerSound(k);
        const std::optional<Levels> levels = startLevels(k);
        if (sound && levels) {
            DX7Sound::LoadBufferLevels(k, *sound, levels->level, levels->pan);
        }
        AppModul::LayerPlaying[k] = -1;
        playButton(k)->setValue(true);
    }
}

void Form1::startSelectedLayers()
{
    // Nothing may stand between these starts: they are what keeps the layers together.
    const bool start[3]
        = { !lstPhrase[0]->Text().isEmpty(), !lstPhrase[1]->Text().isEmpty(), !lstPhrase[2]->Text().isEmpty() };
    for (int16_t k = 0; k < 3; ++k) {
        if (start[k]) {
            DX7Sound::PlayBuffer(k, 1);
        }
    }
}

void Form1::startSelectedSet()
{
    loadSelectedLayers();
    for (int i = 0; i < 3; ++i) {
        platform::doEvents();
    }
    startSelectedLayers();
}

void Form1::singleListStart(int16_t index)
{
    if (lstPhrase[index]->Text().isEmpty()) {
        return;
    }
    startLayer(index);
    playButton(index)->setValue(true);
}

void Form1::startLayer(int k)
{
    const std::optional<std::string> sound = layerSound(k);
    const std::optional<Levels> levels = startLevels(k);
    if (sound && levels) {
        DX7Sound::LoadPlayBuffer(int16_t(k), *sound, levels->level, levels->pan, 1);
    }
    AppModul::LayerPlaying[k] = -1;
    syncButton1->setValue(true);
}

std::optional<Form1::Levels> Form1::startLevels(int k) const
{
    const std::optional<uint8_t> level
        = muteButton(k)->Value() ? std::optional<uint8_t>(0) : toByte(levelKnob(k)->Value());
    const std::optional<uint8_t> pan = toByte(panKnob(k)->Value());
    if (!level || !pan) {
        return std::nullopt;
    }
    return Levels { *level, *pan };
}

void Form1::stopPlayingLayers()
{
    for (int k = 0; k < 3; ++k) {
        stopIfPlaying(k, false);
    }
    syncButton1->setValue(false);
}

void Form1::stopLayer(int k)
{
    if (k >= 0 && k <= 2) {
        stopIfPlaying(k, true);
    }
    if (!anyLayerPlaying()) {
        syncButton1->setValue(false);
    }
}

void Form1::stopIfPlaying(int k, bool eventsBeforeButton)
{
    if (AppModul::LayerPlaying[k] != -1) {
        return;
    }
    DX7Sound::StopBuffer(int16_t(k));
    AppModul::LayerPlaying[k] = 0;
    if (eventsBeforeButton) {
        platform::doEvents();
    }
    playButton(k)->setValue(false);
}

bool Form1::anyLayerPlaying() const
{
    return AppModul::LayerPlaying[0] || AppModul::LayerPlaying[1] || AppModul::LayerPlaying[2];
}

// ---- Layer controls -----------------------------------------------------------------------------------

animKnob* Form1::levelKnob(int k) const
{
    animKnob* const knobs[3] = { animKnob1, animKnob3, animKnob5 };
    return knobs[k];
}

animKnob* Form1::panKnob(int k) const
{
    animKnob* const knobs[3] = { animKnob2, animKnob4, animKnob6 };
    return knobs[k];
}

miniButton* Form1::muteButton(int k) const
{
    miniButton* const buttons[3] = { miniButton1, miniButton2, miniButton3 };
    return buttons[k];
}

miniButtonGreen* Form1::playButton(int k) const
{
    miniButtonGreen* const buttons[3] = { miniButtonGreen1, miniButtonGreen2, miniButtonGreen3 };
    return buttons[k];
}

void Form1::levelScroll(int k, int16_t value)
{
    if (muteButton(k)->Value()) {
        return; // muted: the new position counts when Mute is released
    }
    if (const std::optional<uint8_t> level = toByte(value)) {
        DX7Sound::SetVolume(int16_t(k), *level);
    }
}

void Form1::panScroll(int k, int16_t value)
{
    if (const std::optional<uint8_t> pan = toByte(value)) {
        DX7Sound::SetPan(int16_t(k), *pan);
    }
}

void Form1::panDblClick(int k)
{
    panKnob(k)->setValue(50);
    DX7Sound::SetPan(int16_t(k), 50);
}

void Form1::mutePush(int k, bool value)
{
    if (value) {
        DX7Sound::SetVolume(int16_t(k), 0);
        return;
    }
    // A level that no byte holds (only a hand-edited settings file gives one) leaves the volume as it is.
    if (const std::optional<uint8_t> level = toByte(levelKnob(k)->Value())) {
        DX7Sound::SetVolume(int16_t(k), *level);
    }
}

void Form1::playPush(int k)
{
    if (lstPhrase[k]->Text().isEmpty()) {
        playButton(k)->setValue(false);
        return;
    }
    if (!AppModul::LayerPlaying[k]) {
        startLayer(k); // the Play button stays as the press left it
        return;
    }
    DX7Sound::StopBuffer(int16_t(k));
    AppModul::LayerPlaying[k] = 0;
    if (!anyLayerPlaying()) {
        syncButton1->setValue(false);
    }
}

void Form1::animKnob1_Scroll(int16_t& Value)
{
    levelScroll(0, Value);
}

void Form1::animKnob3_Scroll(int16_t& Value)
{
    levelScroll(1, Value);
}

void Form1::animKnob5_Scroll(int16_t& Value)
{
    levelScroll(2, Value);
}

void Form1::animKnob2_Scroll(int16_t& Value)
{
    panScroll(0, Value);
}

void Form1::animKnob4_Scroll(int16_t& Value)
{
    panScroll(1, Value);
}

void Form1::animKnob6_Scroll(int16_t& Value)
{
    panScroll(2, Value);
}

void Form1::animKnob2_DblClick()
{
    panDblClick(0);
}

void Form1::animKnob4_DblClick()
{
    panDblClick(1);
}

void Form1::animKnob6_DblClick()
{
    panDblClick(2);
}

void Form1::miniButton1_Push(bool& Value)
{
    mutePush(0, Value);
}

void Form1::miniButton2_Push(bool& Value)
{
    mutePush(1, Value);
}

void Form1::miniButton3_Push(bool& Value)
{
    mutePush(2, Value);
}

void Form1::miniButtonGreen1_Push(bool& /*Value*/)
{
    playPush(0);
}

void Form1::miniButtonGreen2_Push(bool& /*Value*/)
{
    playPush(1);
}

void Form1::miniButtonGreen3_Push(bool& /*Value*/)
{
    playPush(2);
}

// ---- Sync button --------------------------------------------------------------------------------------

void Form1::syncButton1_Push(bool& /*Value*/)
{
    if (anyLayerPlaying()) {
        for (int16_t k = 0; k < 3; ++k) {
            DX7Sound::StopBuffer(k);
        }
        for (int k = 0; k < 3; ++k) {
            AppModul::LayerPlaying[k] = 0;
        }
        for (int k = 0; k < 3; ++k) {
            playButton(k)->setValue(false);
        }
        syncButton1->setValue(false);
        return;
    }
    startSelectedSet();
    if (!anyLayerPlaying()) {
        syncButton1->setValue(false);
    }
}

// ---- Menus --------------------------------------------------------------------------------------------

void Form1::mnuSync_Click()
{
    AppModul::PhraseSync = mnuSync->isChecked() ? 1 : 0;
}

void Form1::mnuAutoPlay_Click()
{
    AppModul::AutoPlay = mnuAutoPlay->isChecked() ? 1 : 0;
}

void Form1::mnuEnding_Click()
{
    AppModul::ShowEnding = mnuEnding->isChecked() ? 1 : 0;
    AppModul::FillPhraseLists(AppModul::phraseFolder());
}

void Form1::mnuSave_Click()
{
    const QString first = lstPhrase[0]->Text();
    if (first.isEmpty()) {
        return;
    }
    PhraseName = PhraseNames::setNameRule(first);
    SettingsFile = AppModul::PhrasePath + PhraseName;
    const auto mute
        = [](const toggleButton* button) { return button->Value() ? QStringLiteral("1") : QStringLiteral("0"); };
    // All nine keys in one replacement of the file: a crash leaves the old settings or the new ones.
    QString reason;
    const bool saved = Commands::WriteINI(Commands::AppTitle,
                                          { { QStringLiteral("Level1"), QString::number(animKnob1->Value()) },
                                            { QStringLiteral("Pan1"), QString::number(animKnob2->Value()) },
                                            { QStringLiteral("Level2"), QString::number(animKnob3->Value()) },
                                            { QStringLiteral("Pan2"), QString::number(animKnob4->Value()) },
                                            { QStringLiteral("Level3"), QString::number(animKnob5->Value()) },
                                            { QStringLiteral("Pan3"), QString::number(animKnob6->Value()) },
                                            { QStringLiteral("Mute1"), mute(miniButton1) },
                                            { QStringLiteral("Mute2"), mute(miniButton2) },
                                            { QStringLiteral("Mute3"), mute(miniButton3) } },
                                          AppModul::phraseFolder(), PhraseName, &reason);
    if (AppModul::SilentSave == 1) {
        return;
    }
    QString title;
    if (!saved) {
        const QString why = reason.isEmpty() ? QString() : QStringLiteral("\r\n(") + reason + QStringLiteral(")");
        Commands::ShowMessage(QStringLiteral("The settings could not be saved in\r\n") + SettingsFile + why, 1, title);
        return;
    }
    Commands::ShowMessage(QStringLiteral("This function makes it possible to save the current\r\n"
                                         "'Level', 'Pan' and 'Mute' settings and use it next time\r\n"
                                         "when you reload the three phrases again.\r\n"
                                         "Therefore Options -> 'Phrase Sync' must be checked !   \r\n"
                                         "\r\n"
                                         "Settings saved."),
                          1, title);
}

// ---- Delete commands ----------------------------------------------------------------------------------

void Form1::mnuDel_Click()
{
    if (AppModul::ActiveList < 0 || AppModul::ActiveList > 2) {
        return;
    }
    // With nothing selected there is no phrase to name, and nothing is asked or deleted.
    const QString entry = lstPhrase[AppModul::ActiveList]->Text();
    if (entry.isEmpty()) {
        return;
    }
    // The entry's own file, in the folder it was listed from.
    const std::optional<std::string> file = AppModul::selectedPhraseFile(AppModul::ActiveList);
    const platform::fs::HeldFolder folder = AppModul::phraseFolder();
    PhraseName = PhraseNames::withWav(entry);
    MsgText = QStringLiteral("Really delete phrase '") + PhraseName + QStringLiteral("' ?");
    MsgAnswer = askYesNo(MsgText);
    if (MsgAnswer == platform::IdNo) {
        return;
    }
    if (file) {
        deleteInFolder(folder, { *file });
    }
    platform::doEvents();
    AppModul::FillPhraseLists(AppModul::phraseFolder());
}

void Form1::mnuDelSet_Click()
{
    if (!everyListSelected(QStringLiteral("delete"))) {
        return;
    }
    // The entries' own files, in the folder they were listed from.
    const SetFiles set = SetFiles::selected();
    const platform::fs::HeldFolder folder = AppModul::phraseFolder();
    SetName1 = PhraseNames::withWav(set.entries[0]);
    SetName2 = PhraseNames::withWav(set.entries[1]);
    SetName3 = PhraseNames::withWav(set.entries[2]);
    MsgText = QStringLiteral("Really delete following phrases: \r\n") + SetName1 + QStringLiteral(", ") + SetName2
        + QStringLiteral(", ") + SetName3 + QStringLiteral(" ?");
    MsgAnswer = askYesNo(MsgText);
    if (MsgAnswer == platform::IdNo) {
        return;
    }
    stopPlayingLayers();
    platform::doEvents();

    std::vector<std::string> names;
    for (const SetFiles::LayerFile& sound : set.soundFiles()) {
        names.push_back(sound.file);
    }
    if (const std::optional<std::string> settings = set.settingsOnDisk(folder)) {
        names.push_back(*settings);
    }
    deleteInFolder(folder, names);
    platform::doEvents();
    AppModul::FillPhraseLists(AppModul::phraseFolder());
}

// ---- Dialog openers -----------------------------------------------------------------------------------

void Form1::mnuRename_Click()
{
    const bool listed = AppModul::ActiveList >= 0 && AppModul::ActiveList <= 2;
    PhraseName = PhraseNames::withWav(listed ? lstPhrase[AppModul::ActiveList]->Text() : QString());
    frmRename::instance->lblOldName->setText(PhraseName);
    frmRename::instance->oldFile = AppModul::selectedPhraseFile(AppModul::ActiveList);
    frmRename::instance->oldFolder = AppModul::phraseFolder();
    PhraseName = PhraseNames::withoutWav(PhraseName);
    showWithName(frmRename::instance.get(), frmRename::instance->txtNewName);
}

void Form1::mnuRenameSet_Click()
{
    if (!everyListSelected(QStringLiteral("rename"))) {
        return;
    }
    PhraseName = PhraseNames::setBaseName(lstPhrase[0]->Text());
    showWithName(frmRenSet::instance.get(), frmRenSet::instance->txtNewName);
}

void Form1::mnuMove_Click()
{
    frmMoveSet::instance->Show();
}

bool Form1::everyListSelected(const QString& action)
{
    if (!lstPhrase[0]->Text().isEmpty() && !lstPhrase[1]->Text().isEmpty() && !lstPhrase[2]->Text().isEmpty()) {
        return true;
    }
    QString title;
    Commands::ShowMessage(
        QStringLiteral("To %1 a phrase set you have to make a selection in every phrase list.").arg(action), 1, title);
    return false;
}

void Form1::showWithName(platform::Form* dialog, platform::TextBox* nameBox)
{
    nameBox->setText(PhraseName);
    nameBox->setSelStart(0);
    nameBox->setSelLength(int(nameBox->Text().size()));
    dialog->Show();
    nameBox->SetFocus();
}
