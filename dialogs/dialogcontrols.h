// What every dialog builds itself from: its owner (the main window, above which it stays) and its labels,
// buttons and combo boxes, placed in twips; and the steps before a set is renamed or moved.
#pragma once

#include "dialogs/phrasefiles.h"

#include <QString>

class QFont;
class QLabel;
class QPushButton;
class QWidget;

namespace platform {
class ComboBox;
class Form;
}

// The main window, or nothing when there is none.
QWidget* dialogOwner();

// A label showing its caption as plain text.
QLabel* makeLabel(QWidget* form, const QString& caption, const QFont& font, int left, int top, int width,
                  int height);
// A push button that is no default button: Enter and Esc do not press it.
QPushButton* makeButton(QWidget* form, const QString& caption, const QFont& font, int left, int top, int width,
                        int height);
// The set dialogs' combo box: cyan on dark grey, its text "Choose".
platform::ComboBox* makeCombo(QWidget* form, const QFont& font, int left, int top, int width, int height);

// Before a set is renamed or moved: every playing layer stops, the set's settings are saved without the
// message, and pending events run.
void stopLayersAndSaveSet();
// After a rename or move: when every file went, pending events run (if asked), the phrase lists are refilled
// and the dialog unloads. Otherwise it stays open, so the user can try again or cancel; the lists are
// refilled only when files were left in other places, so that they show where the files are.
void finishFileSteps(platform::Form* dialog, PhraseFiles::Outcome outcome, bool letEventsRun);
