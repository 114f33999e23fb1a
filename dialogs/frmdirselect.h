// "Choose Directory...": picks a folder from a drive list and a folder list, with the folder's WAV files
// beside them. "O K" hands the folder back in AppModul::DirSelectPath (ending in "/"); "C A N C E L" and
// the close box hand nothing back. AppModul::DirSelectCaption titles the window and
// AppModul::DirSelectPath is the folder it starts in. No command of the program opens it.
#pragma once

#include "platform/gui/form.h"

class QPushButton;
class QTimer;

namespace platform {
class DirListBox;
class DriveListBox;
class FileListBox;
}

class frmDirSelect : public platform::Form
{
    Q_OBJECT
public:
    // The one instance, loaded on first use.
    static platform::FormInstance<frmDirSelect> instance;

    frmDirSelect();

    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();

    platform::DriveListBox* Drive1 = nullptr;
    platform::DirListBox* Dir1 = nullptr;
    platform::FileListBox* File1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* dummy = nullptr; // outside the client area: takes the focus
    QTimer* Timer1 = nullptr;

protected:
    void Form_Unload() override;
};
