// The main window: folder list, three layer columns (knobs, Mute and Play buttons, phrase lists) on the
// crimson panel, the start/stop-all button, the Options menu, Save Settings and the phrase lists' popup.
#pragma once

#include "app/mainform.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class animKnob;
class miniButton;
class miniButtonGreen;
class syncButton;
class toggleButton;

namespace platform {
class Form;
class ListBox;
class TextBox;
}

class Form1 : public QMainWindow, public MainForm
{
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    // Makes Form1 the program's main window: the first AppModul::mainForm() creates and loads it. A given
    // programEnd replaces what closing the window does last (tests and benchmarks keep their process).
    static void registerAsMainForm(std::function<void()> programEnd = {});

    // MainForm
    QWidget* window() override { return this; }
    platform::ListBox* folderList() override { return List1; }
    platform::ListBox* phraseList(int index) override { return lstPhrase[index]; }
    void setShowExtensionChecked(bool checked) override;
    void setAutoPlayChecked(bool checked) override;
    void setPhraseSyncChecked(bool checked) override;
    void LoadDXSound() override;
    void stopPlayingLayers() override;
    void stopLayer(int k) override;

    // Window life.
    void Form_Load();
    void Form_Unload();
    // What ending the program does; tests replace it so that their process goes on.
    void setProgramEnd(std::function<void()> end) { m_programEnd = std::move(end); }

    // Folder list and phrase lists.
    void List1_Click();
    void lstPhrase_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);

    // Layer controls.
    void animKnob1_Scroll(int16_t& Value);
    void animKnob2_Scroll(int16_t& Value);
    void animKnob3_Scroll(int16_t& Value);
    void animKnob4_Scroll(int16_t& Value);
    void animKnob5_Scroll(int16_t& Value);
    void animKnob6_Scroll(int16_t& Value);
    void animKnob2_DblClick();
    void animKnob4_DblClick();
    void animKnob6_DblClick();
    void miniButton1_Push(bool& Value);
    void miniButton2_Push(bool& Value);
    void miniButton3_Push(bool& Value);
    void miniButtonGreen1_Push(bool& Value);
    void miniButtonGreen2_Push(bool& Value);
    void miniButtonGreen3_Push(bool& Value);
    void syncButton1_Push(bool& Value);

    // Menus. The check mark of an option item has already flipped when its handler runs.
    void mnuSync_Click();
    void mnuAutoPlay_Click();
    void mnuEnding_Click();
    void mnuSave_Click() override;
    // Popup items "Delete Phrase" (the active list's entry) and "Delete Phrase Set" (the three selected
    // entries and the set's settings file); both ask first and refill the lists.
    void mnuDel_Click();
    void mnuDelSet_Click();
    // Popup items that open the dialogs without waiting: "Rename Phrase" with the active list's entry,
    // "Rename Phrase Set" with the selected set's base name (only with a selection in every list), and
    // "Move Phrase Set".
    void mnuRename_Click();
    void mnuRenameSet_Click();
    void mnuMove_Click();

    // Layer members by layer index 0 to 2.
    animKnob* levelKnob(int k) const;
    animKnob* panKnob(int k) const;
    miniButton* muteButton(int k) const;
    miniButtonGreen* playButton(int k) const;

    // Controls.
    platform::ListBox* List1 = nullptr;
    QFrame* Picture1 = nullptr;
    syncButton* syncButton1 = nullptr;
    QWidget* Picture2[3] = {};
    QLabel* Label2[3] = {};
    QLabel* lblVolume[3] = {};
    QLabel* Label1[9] = {};
    animKnob* animKnob1 = nullptr;
    animKnob* animKnob2 = nullptr;
    animKnob* animKnob3 = nullptr;
    animKnob* animKnob4 = nullptr;
    animKnob* animKnob5 = nullptr;
    animKnob* animKnob6 = nullptr;
    miniButton* miniButton1 = nullptr;
    miniButton* miniButton2 = nullptr;
    miniButton* miniButton3 = nullptr;
    miniButtonGreen* miniButtonGreen1 = nullptr;
    miniButtonGreen* miniButtonGreen2 = nullptr;
    miniButtonGreen* miniButtonGreen3 = nullptr;
    platform::ListBox* lstPhrase[3] = {};

    QMenu* mnuOptions = nullptr;
    QAction* mnuSync = nullptr;
    QAction* mnuAutoPlay = nullptr;
    QAction* mnuEnding = nullptr;
    QAction* mnuSave = nullptr;
    QMenu* mnuPop = nullptr;
    QAction* mnuRename = nullptr;
    QAction* mnuRenameSet = nullptr;
    QAction* mnuDel = nullptr;
    QAction* mnuDelSet = nullptr;
    QAction* mnuMove = nullptr;

    // Working fields of the commands.
    QString PhraseName;
    QString SettingsFile;
    QString SetName1;
    QString SetName2;
    QString SetName3;
    QString MsgText;
    int16_t MsgAnswer = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    void connectHandlers();

    void levelScroll(int k, int16_t value);
    void panScroll(int k, int16_t value);
    void panDblClick(int k);
    void mutePush(int k, bool value);
    void playPush(int k);

    void mirrorSelection(int16_t index);
    void loadStoredSettings();
    // Starts every layer whose list has a selection: loads them all, lets pending events run three times,
    // then starts the loaded ones back to back.
    void startSelectedSet();
    void loadSelectedLayers();
    void startSelectedLayers();
    void singleListStart(int16_t index);
    // Loads and starts one layer from its list's entry, marks it playing and lights the sync button.
    void startLayer(int k);
    bool anyLayerPlaying() const;
    // Stops layer k when it plays: its slot, its playing flag, then its Play button, with pending events
    // let run before the button when asked.
    void stopIfPlaying(int k, bool eventsBeforeButton);
    // Level and pan a layer starts with: level 0 while muted, else its knob's; nothing when either knob
    // holds a value that is no byte (the load is then skipped).
    struct Levels
    {
        uint8_t level;
        uint8_t pan;
    };
    std::optional<Levels> startLevels(int k) const;
    // The path that reads the file of layer k's selected entry through the phrase folder; nothing when the
    // entry leads to no file.
    std::optional<std::string> layerSound(int k) const;
    // True when every phrase list has a selection; otherwise says that a set's `action` needs one.
    bool everyListSelected(const QString& action);
    // Puts PhraseName into a dialog's name box, wholly selected, shows the dialog without waiting and puts
    // the focus in the box.
    void showWithName(platform::Form* dialog, platform::TextBox* nameBox);

    std::function<void()> m_programEnd;
};
