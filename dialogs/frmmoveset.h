// "Move Phrase Set": moves the set selected in the main window's phrase lists, with its settings file,
// into another phrase folder (a folder under the program folder, created when missing). The combo offers
// the main window's phrase folders as they were when the dialog loaded; a new name can be typed. The
// popup's "Move Phrase Set" only shows the dialog without waiting. A destination that is refused, or that
// holds one of the set's names, moves nothing: the user is told why and the dialog stays open.
#pragma once

#include "platform/gui/form.h"

#include <cstdint>

class QLabel;
class QPushButton;

namespace platform {
class ComboBox;
}

class frmMoveSet : public platform::Form
{
    Q_OBJECT
public:
    // The one instance, loaded on first use.
    static platform::FormInstance<frmMoveSet> instance;

    frmMoveSet();

    void Form_Load() override;
    void Combo1_KeyPress(int16_t& KeyAscii);
    void Command1_Click();
    void Command2_Click();

    QLabel* Label1[1] = {};
    platform::ComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};
