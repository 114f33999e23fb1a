// "Rename": gives one phrase file of the current phrase folder a new name, and a phrase of the first list's
// set its settings file the matching name. The popup's "Rename Phrase" fills the old name (and the file it
// stands for) and the name box, shows the dialog without waiting and puts the focus in the name box. A name
// that is refused or taken changes nothing: the user is told why and the dialog stays open.
#pragma once

#include "platform/core/heldfolder.h"
#include "platform/gui/form.h"

#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace platform {
class TextBox;
}

namespace PhraseFiles {
class Plan;
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

    // The file of the entry that the opener named in lblOldName, and the folder it was listed from.
    std::optional<std::string> oldFile;
    platform::fs::HeldFolder oldFolder;
    // Working name of Rename: the set's settings file.
    QString RenIniName;

private:
    // The phrase's file, and for a phrase of the first list its set's settings file, with their new names.
    PhraseFiles::Plan renamePlan(const QString& newName);
};
