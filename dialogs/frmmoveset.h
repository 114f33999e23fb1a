// "Move Phrase Set": moves the set selected in the main window's phrase lists, with its settings file,
// into another phrase folder (a folder under the program folder, created when missing). The combo offers
// the main window's phrase folders as they were when the dialog loaded; a new name can be typed. The
// popup's "Move Phrase Set" only shows the dialog without waiting.
#pragma once

#include "platform/gui/form.h"

#include <cstdint>
#include <optional>

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

    // The folder a typed destination names under the program folder, ending in "/" ("\" separates levels
    // as "/" does); nothing for one that is absolute, climbs out with "..", starts a level with "_" or ".",
    // or holds a name that some system refuses.
    static std::optional<QString> destinationFolder(const QString& typed);

    QLabel* Label1[1] = {};
    platform::ComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    // File names of layers 1 to 3 that Move works on, without folder.
    QString MoveFile1;
    QString MoveFile2;
    QString MoveFile3;
};
