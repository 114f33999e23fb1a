// A stand-in main window (folder list and three phrase lists) on a temporary program folder with one phrase
// folder "Set" holding set A (three layers and A.ini) and B_1. What the dialogs do to the main window and
// the files is tested with the real one (tests/mainwindow).
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
    void stopPlayingLayers() override { }
    void stopLayer(int) override { }
    void mnuSave_Click() override { }

    QWidget widget;
    platform::ListBox* folders;
    platform::ListBox* lists[3];
};

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void touch(const QString& relative);
    // Lets the unloaded dialogs go.
    static void settle();

    testsupport::TempFolder program;
    FakeMain* main = nullptr;
    QString startFolder; // the process's current folder, which creating folders changes
};
