// "Rename Phrase Set": gives the three files of the set selected in the main window's phrase lists, and
// the set's settings file, one new base name. The name box can be typed into or filled from the combo's
// proposals, built from the first phrase list when the dialog loads. The popup's "Rename Phrase Set" fills
// the name box, shows the dialog without waiting and puts the focus in the name box. A name that is refused
// or taken changes nothing: the user is told why and the dialog stays open.
#pragma once

#include "platform/gui/form.h"

#include <cstdint>
#include <optional>

class QLabel;
class QPushButton;

namespace platform {
class ComboBox;
class ListBox;
class TextBox;
}

namespace PhraseFiles {
class Plan;
}

class frmRenSet : public platform::Form
{
    Q_OBJECT
public:
    // The one instance, loaded on first use.
    static platform::FormInstance<frmRenSet> instance;

    frmRenSet();

    void Form_Load() override;
    void Combo1_Click();
    void Combo1_KeyPress(int16_t& KeyAscii);
    void txtNewName_KeyPress(int16_t& KeyAscii);
    void Command1_Click();
    void Command2_Click();

    QLabel* Label1[2] = {};
    platform::TextBox* txtNewName = nullptr;
    platform::ComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    platform::ListBox* List1 = nullptr; // outside the client area: the proposals while they are built

private:
    // The selected set's files, and its settings file, with the new base name.
    static PhraseFiles::Plan renamePlan(const QString& newName);
};
