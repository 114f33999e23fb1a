#include "mainwindow/form1.h"

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/phrasenames.h"
#include "controls/animknob.h"
#include "controls/togglebutton.h"
#include "platform/gui/filenames.h"
#include "platform/gui/listbox.h"
#include "platform/gui/propertybag.h"
#include "platform/gui/toolkit.h"
#include "sound/dx7sound.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace {

const QColor kPanelColour(200, 50, 80);

// Pixel rectangle of a control placed in twips.
QRect twips(int left, int top, int width, int height)
{
    return QRect(platform::twipsToPixels(left), platform::twipsToPixels(top), platform::twipsToPixels(width),
                 platform::twipsToPixels(height));
}

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(int(points * 96.0 / 72.0 + 0.5));
    font.setBold(true);
    return font;
}

QString rgb(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

void styleList(platform::ListBox* list, const QColor& background, const QColor& text, double points)
{
    list->setFont(arialBold(points));
    list->setStyleSheet(QStringLiteral("QListView { background: %1; color: %2; }").arg(rgb(background), rgb(text)));
}

QLabel* makeLabel(QWidget* parent, const QString& caption, const QRect& geometry)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(geometry);
    label->setFont(arialBold(9));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setStyleSheet(QStringLiteral("QLabel { color: rgb(224,224,224); background: transparent; }"));
    return label;
}

// A knob value as the sound engine's byte; nothing when it does not fit.
std::optional<uint8_t> toByte(int value)
{
    if (value < 0 || value > 255) {
        return std::nullopt;
    }
    return uint8_t(value);
}

// The file a path made from a list entry names on disk, whatever the case of its extension.
std::string localPath(const QString& path)
{
    return platform::diskPath(path);
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

void Form1::buildLayout()
{
    auto* client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, Qt::black);
    client->setPalette(pal);
    client->setFixedSize(platform::twipsToPixels(14010), platform::twipsToPixels(9855));
    setCentralWidget(client);

    List1 = new platform::ListBox(client);
    List1->setGeometry(twips(240, 240, 2955, 9420));
    styleList(List1, QColor(64, 64, 64), QColor(192, 192, 192), 9.75);

    Picture1 = new QFrame(client);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1->setGeometry(twips(3480, 240, 10275, 7515));
    Picture1->setAutoFillBackground(true);
    const int inner = Picture1->frameWidth(); // children are placed from the panel's inner corner
    auto place = [inner](QWidget* w, const QRect& r) { w->setGeometry(r.translated(inner, inner)); };
    auto at = [inner](QWidget* w, int left, int top) {
        w->move(platform::twipsToPixels(left) + inner, platform::twipsToPixels(top) + inner);
    };

    const int columnLeft[3] = { 240, 3540, 6840 };
    for (int k = 0; k < 3; ++k) {
        Picture2[k] = new QWidget(Picture1);
        place(Picture2[k], twips(columnLeft[k], 120, 3135, 435));
        Picture2[k]->setAutoFillBackground(true);
        QPalette p = Picture2[k]->palette();
        p.setColor(QPalette::Window, QColor(224, 224, 224));
        Picture2[k]->setPalette(p);

        Label2[k] = new QLabel(QStringLiteral("P H R A S E   %1").arg(k + 1), Picture2[k]);
        Label2[k]->setGeometry(twips(0, 0, 3195, 435));
        Label2[k]->setFont(arialBold(18));
        Label2[k]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        Label2[k]->setAttribute(Qt::WA_TranslucentBackground);

        lstPhrase[k] = new platform::ListBox(Picture1);
        place(lstPhrase[k], twips(columnLeft[k], 1560, 3135, 5685));
        styleList(lstPhrase[k], QColor(64, 64, 64), QColor(255, 255, 128), 9);
    }

    const QString level = QStringLiteral("Level");
    lblVolume[0] = makeLabel(Picture1, level, twips(225, 600, 795, 195).translated(inner, inner));
    lblVolume[1] = makeLabel(Picture1, level, twips(3555, 600, 735, 195).translated(inner, inner));
    lblVolume[2] = makeLabel(Picture1, level, twips(6825, 600, 795, 195).translated(inner, inner));
    struct LabelSpec
    {
        const char* caption;
        int left, top, width, height;
    };
    const LabelSpec labels[9] = {
        { "Pan", 1245, 600, 495, 195 },  { "Pan", 4545, 600, 495, 195 },  { "Pan", 7785, 600, 615, 195 },
        { "Mute", 2100, 600, 495, 195 }, { "Play", 2760, 600, 495, 285 }, { "Play", 6060, 600, 495, 285 },
        { "Mute", 5400, 600, 495, 195 }, { "Play", 9360, 600, 495, 285 }, { "Mute", 8700, 600, 495, 195 },
    };
    for (int i = 0; i < 9; ++i) {
        const LabelSpec& s = labels[i];
        Label1[i] = makeLabel(Picture1, QLatin1String(s.caption),
                              twips(s.left, s.top, s.width, s.height).translated(inner, inner));
    }

    // Knobs as the layout stores them: level knobs 40..100 at 80, pan knobs 35..65 at 50.
    const platform::PropertyBag levelProps { { QStringLiteral("Min"), 40 } };
    const platform::PropertyBag panProps { { QStringLiteral("Min"), 35 },
                                           { QStringLiteral("Max"), 65 },
                                           { QStringLiteral("Value"), 50 } };
    animKnob** knobs[6] = { &animKnob1, &animKnob2, &animKnob3, &animKnob4, &animKnob5, &animKnob6 };
    const int knobLeft[6] = { 270, 1125, 3570, 4425, 6870, 7725 };
    for (int i = 0; i < 6; ++i) {
        auto* knob = new animKnob(Picture1);
        at(knob, knobLeft[i], 780);
        knob->UserControl_ReadProperties(i % 2 == 0 ? levelProps : panProps);
        *knobs[i] = knob;
    }

    miniButton** mutes[3] = { &miniButton1, &miniButton2, &miniButton3 };
    miniButtonGreen** plays[3] = { &miniButtonGreen1, &miniButtonGreen2, &miniButtonGreen3 };
    const platform::PropertyBag noProps;
    for (int k = 0; k < 3; ++k) {
        *mutes[k] = new miniButton(Picture1);
        at(*mutes[k], 2160 + 3300 * k, 960);
        (*mutes[k])->UserControl_ReadProperties(noProps);
        *plays[k] = new miniButtonGreen(Picture1);
        at(*plays[k], 2820 + 3300 * k, 960);
        (*plays[k])->UserControl_ReadProperties(noProps);
    }

    syncButton1 = new syncButton(client);
    syncButton1->move(platform::twipsToPixels(3480), platform::twipsToPixels(7860));
    syncButton1->UserControl_ReadProperties(noProps);
}

void Form1::buildMenus()
{
    mnuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    mnuSync = mnuOptions->addAction(QStringLiteral("Phrase Sync"));
    mnuAutoPlay = mnuOptions->addAction(QStringLiteral("Auto Play"));
    mnuEnding = mnuOptions->addAction(QStringLiteral("Show Extension"));
    for (QAction* item : { mnuSync, mnuAutoPlay, mnuEnding }) {
        item->setCheckable(true);
    }
    mnuSync->setChecked(true);
    mnuAutoPlay->setChecked(true);
    mnuEnding->setChecked(false);
    mnuSave = menuBar()->addAction(QStringLiteral("Save Settings"));

    // The phrase lists' right-click menu; never part of the menu bar.
    mnuPop = new QMenu(QStringLiteral("PopupMenu"), this);
    mnuRename = mnuPop->addAction(QStringLiteral("Rename Phrase"));
    mnuRenameSet = mnuPop->addAction(QStringLiteral("Rename Phrase Set"));
    mnuPop->addSeparator();
    mnuDel = mnuPop->addAction(QStringLiteral("Delete Phrase"));
    mnuDelSet = mnuPop->addAction(QStringLiteral("Delete Phrase Set"));
    mnuPop->addSeparator();
    mnuMove = mnuPop->addAction(QStringLiteral("Move Phrase Set"));

    // The client area keeps its size; the window is as large as the menu bar and the client area.
    setFixedSize(centralWidget()->width(), centralWidget()->height() + menuBar()->sizeHint().height());
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
    p.setColor(QPalette::Window, kPanelColour);
    Picture1->setPalette(p);
    for (QLabel* header : Label2) {
        header->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }").arg(rgb(kPanelColour)));
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
    Commands::WriteINI(Commands::AppTitle, QStringLiteral("ShowEnding"), QString::number(AppModul::ShowEnding),
                       Commands::IniFile);
    Commands::WriteINI(Commands::AppTitle, QStringLiteral("AutoPlay"), QString::number(AppModul::AutoPlay),
                       Commands::IniFile);
    Commands::WriteINI(Commands::AppTitle, QStringLiteral("PhraseSync"), QString::number(AppModul::PhraseSync),
                       Commands::IniFile);
    if (m_programEnd) {
        m_programEnd();
    }
}

// ---- Folder list and phrase lists ---------------------------------------------------------------------

void Form1::List1_Click()
{
    AppModul::PhrasePath = Commands::AppPath + List1->Text();
    Commands::AddBackslash(AppModul::PhrasePath);
    AppModul::FillPhraseLists(AppModul::PhrasePath);
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
            loadSelectedLayers();
            for (int i = 0; i < 3; ++i) {
                platform::doEvents();
            }
            startSelectedLayers();
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
        return Commands::ReadINI(Commands::AppTitle, QLatin1String(key), SettingsFile, QLatin1String(defaultValue));
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

QString& Form1::layerFile(int k)
{
    QString* files[3] = { &PhraseFile1, &PhraseFile2, &PhraseFile3 };
    return *files[k];
}

void Form1::loadSelectedLayers()
{
    for (int k = 0; k < 3; ++k) {
        layerFile(k) = PhraseNames::withWav(AppModul::PhrasePath + lstPhrase[k]->Text());
    }
    for (int16_t k = 0; k < 3; ++k) {
        if (lstPhrase[k]->Text().isEmpty()) {
            continue;
        }
        const std::optional<uint8_t> level = startLevel(k);
        const std::optional<uint8_t> pan = toByte(panKnob(k)->Value());
        if (level && pan) {
            DX7Sound::LoadBufferLevels(k, localPath(layerFile(k)), *level, *pan);
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

void Form1::singleListStart(int16_t index)
{
    if (lstPhrase[index]->Text().isEmpty()) {
        return;
    }
    PhraseFile = PhraseNames::withWav(AppModul::PhrasePath + lstPhrase[index]->Text());
    const std::optional<uint8_t> level = startLevel(index);
    const std::optional<uint8_t> pan = toByte(panKnob(index)->Value());
    if (level && pan) {
        DX7Sound::LoadPlayBuffer(index, localPath(PhraseFile), *level, *pan, 1);
    }
    playButton(index)->setValue(true);
    AppModul::LayerPlaying[index] = -1;
    syncButton1->setValue(true);
}

std::optional<uint8_t> Form1::startLevel(int k) const
{
    return muteButton(k)->Value() ? std::optional<uint8_t>(0) : toByte(levelKnob(k)->Value());
}

void Form1::stopPlayingLayers()
{
    for (int16_t k = 0; k < 3; ++k) {
        if (AppModul::LayerPlaying[k] == -1) {
            DX7Sound::StopBuffer(k);
            AppModul::LayerPlaying[k] = 0;
            playButton(k)->setValue(false);
        }
    }
    syncButton1->setValue(false);
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
        PhraseFile = PhraseNames::withWav(AppModul::PhrasePath + lstPhrase[k]->Text());
        const std::optional<uint8_t> level = startLevel(k);
        const std::optional<uint8_t> pan = toByte(panKnob(k)->Value());
        if (level && pan) {
            DX7Sound::LoadPlayBuffer(int16_t(k), localPath(PhraseFile), *level, *pan, 1);
        }
        AppModul::LayerPlaying[k] = -1;
        syncButton1->setValue(true);
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
    loadSelectedLayers();
    for (int i = 0; i < 3; ++i) {
        platform::doEvents();
    }
    startSelectedLayers();
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
    AppModul::FillPhraseLists(AppModul::PhrasePath);
}

void Form1::mnuSave_Click()
{
    const QString first = lstPhrase[0]->Text();
    if (first.isEmpty()) {
        return;
    }
    PhraseName = PhraseNames::setNameRule(first);
    SettingsFile = AppModul::PhrasePath + PhraseName;
    auto write = [this](const char* key, const QString& value) {
        Commands::WriteINI(Commands::AppTitle, QLatin1String(key), value, SettingsFile);
    };
    write("Level1", QString::number(animKnob1->Value()));
    write("Pan1", QString::number(animKnob2->Value()));
    write("Level2", QString::number(animKnob3->Value()));
    write("Pan2", QString::number(animKnob4->Value()));
    write("Level3", QString::number(animKnob5->Value()));
    write("Pan3", QString::number(animKnob6->Value()));
    write("Mute1", miniButton1->Value() ? QStringLiteral("1") : QStringLiteral("0"));
    write("Mute2", miniButton2->Value() ? QStringLiteral("1") : QStringLiteral("0"));
    write("Mute3", miniButton3->Value() ? QStringLiteral("1") : QStringLiteral("0"));
    if (AppModul::SilentSave == 1) {
        return;
    }
    QString title;
    Commands::ShowMessage(QStringLiteral("This function makes it possible to save the current\r\n"
                                         "'Level', 'Pan' and 'Mute' settings and use it next time\r\n"
                                         "when you reload the three phrases again.\r\n"
                                         "Therefore Options -> 'Phrase Sync' must be checked !   \r\n"
                                         "\r\n"
                                         "Settings saved."),
                          1, title);
}
