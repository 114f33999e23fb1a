// A started main window on a temporary program folder, driven by real mouse events.
#pragma once

#include "app/appmodul.h"
#include "app/commands.h"
#include "controls/animknob.h"
#include "controls/togglebutton.h"
#include "mainwindow/form1.h"
#include "platform/gui/listbox.h"
#include "platform/gui/toolkit.h"
#include "sound/dx7sound.h"
#include "tests/common/testsupport.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

class FormTest : public ::testing::Test
{
protected:
    // Writes the phrase folders; called before the window starts. The default: one folder "Set" with
    // a full set "A", a set "B" of two layers, and a lone "C_1".
    virtual void writePhrases();
    // Writes the program settings file before the start (empty: none).
    virtual QByteArray programSettings() const { return {}; }
    // True: the sound engine mixes offline, only when the test renders.
    virtual bool offlineSound() const { return false; }

    void SetUp() override;
    void TearDown() override;

    QString phraseFolder(const QString& name = QStringLiteral("Set")) const;
    void wav(const QString& relative, float value);

    // Mouse presses on a list entry, a control (its deepest child at the centre) or a point of it.
    void pressEntry(int list, int row, Qt::MouseButton button = Qt::LeftButton);
    void pressListBelowEntries(int list, Qt::MouseButton button = Qt::LeftButton);
    void press(QWidget* control, Qt::MouseButton button = Qt::LeftButton);
    void doubleClick(QWidget* control);
    // Turns a knob by `steps` frames (positive: up, towards its maximum) with the left button held.
    void turn(animKnob* knob, int steps);
    // Chooses an item of the menu bar's "Options" menu with the mouse.
    void chooseOption(QAction* item);
    // A right press on an entry, then `item` chosen from the popup that opens.
    void popupChoose(int list, int row, QAction* item);
    // The entries of phrase list k, and the row of one of them (-1 for none).
    QStringList entries(int k) const;
    int row(int k, const QString& entry) const { return int(entries(k).indexOf(entry)); }
    // Selects the set `base` in the three lists ("base_1" to "base_3"), as a click on each would.
    void selectSet(const QString& base);
    // Adds two sets whose names differ only in case, "Beat" (files ending in ".wav", kStoredSettings saved
    // as its settings) and "beat" (".WAV", never saved), and "pad_2.WAV" beside "Pad_2.wav"; then
    // refills the lists.
    void writeCaseTwins();
    static const QByteArray kStoredSettings; // a settings file holding Level1=90
    // The files (hidden ones too) of a folder of the program folder, sorted; whether the phrase folder
    // "Set" holds a name.
    QStringList files(const QString& folder = QStringLiteral("Set")) const;
    bool exists(const QString& name) const { return QFile::exists(phraseFolder() + name); }
    // Lets the dialogs that unloaded go.
    static void settle();

    // The slot's buffer as the sound engine holds it.
    const platform::SoundBuffer& slot(int k) const;
    QString slotFile(int k) const;

    testsupport::TempFolder program;
    testsupport::TempFolder temp;
    Form1* form = nullptr;
    QStringList messages;

private:
    std::map<animKnob*, int> m_lastRow;
};
