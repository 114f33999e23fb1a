// What every dialog builds itself from: its owner (the main window, above which it stays) and its labels,
// buttons and combo boxes, placed in twips; and the steps before a set is renamed or moved.
#pragma once

#include <QString>

class QFont;
class QLabel;
class QPushButton;
class QWidget;

namespace platform {
class ComboBox;
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
