// "Rename": gives one phrase file of the current phrase folder a new name, and a phrase of the first list's
// set its settings file the matching name. The popup's "Rename Phrase" fills the old name and the name
// box, shows the dialog without waiting and puts the focus in the name box.
#pragma once

#include "platform/gui/form.h"

#include <cstdint>

class QLabel;
class QPushButton;

namespace platform {
class TextBox;
}

class frmRename : public platform::Form
{
    Q_OBJECT
public:
    // The one instance, loaded on first use.
    static platform::FormInstance<frmRename> instance;

    frmRename();

    void Form_Load() override;
    void txtNewName_KeyPress(int16_t& KeyAscii);
    void Command1_Click();
    void Command2_Click();

    QLabel* Label1[3] = {};
    QLabel* lblOldName = nullptr;
    platform::TextBox* txtNewName = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    // Working names of Rename: the set's settings file, and its full path.
    QString RenIniName;
    QString RenIniPath;
};
