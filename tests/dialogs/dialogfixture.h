// A stand-in main window (folder list, three phrase lists, layer stops and the settings save recorded) on a
// temporary program folder with one phrase folder "Set" holding set A (three layers and A.ini) and B_1.
#pragma once

#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "platform/gui/listbox.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

class FakeMain : public MainForm
{
public:
    FakeMain();
    QWidget* window() override { return &widget; }
    platform::ListBox* folderList() override { return folders; }
    platform::ListBox* phraseList(int index) override { return lists[index]; }
    void setShowExtensionChecked(bool) override { }
    void setAutoPlayChecked(bool) override { }
    void setPhraseSyncChecked(bool) override { }
    void LoadDXSound() override { }
    void stopPlayingLayers() override;
    void stopLayer(int k) override;
    void mnuSave_Click() override;

    QWidget widget;
    platform::ListBox* folders;
    platform::ListBox* lists[3];
    int stopsOfAll = 0;
    std::vector<int> layersStopped;
    std::vector<int16_t> silentSaves; // AppModul::SilentSave at each save
};

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void touch(const QString& relative);
    // Selects the entry of phrase list k that shows `entry`.
    void select(int k, const QString& entry);
    // The names in a folder of the program folder, sorted.
    QStringList files(const QString& folder = QStringLiteral("Set")) const;
    // Lets the unloaded dialogs go.
    static void settle();

    testsupport::TempFolder program;
    FakeMain* main = nullptr;
    QString startFolder; // the process's current folder, which creating folders changes
};
