#include "dialogs/dialogcontrols.h"

#include "app/appmodul.h"
#include "app/mainform.h"
#include "controls/colours.h"
#include "platform/gui/combobox.h"
#include "platform/gui/form.h"
#include "platform/gui/toolkit.h"

#include <QLabel>
#include <QPushButton>

QWidget* dialogOwner()
{
    MainForm* main = AppModul::mainForm();
    return main ? main->window() : nullptr;
}

QLabel* makeLabel(QWidget* form, const QString& caption, const QFont& font, int left, int top, int width,
                  int height)
{
    auto* label = new QLabel(caption, form);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    platform::placeTwips(label, left, top, width, height);
    return label;
}

QPushButton* makeButton(QWidget* form, const QString& caption, const QFont& font, int left, int top, int width,
                        int height)
{
    auto* button = new QPushButton(caption, form);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFont(font);
    platform::placeTwips(button, left, top, width, height);
    return button;
}

platform::ComboBox* makeCombo(QWidget* form, const QFont& font, int left, int top, int width, int height)
{
    auto* combo = new platform::ComboBox(form);
    combo->setFont(font);
    combo->setText(QStringLiteral("Choose"));
    platform::setColours(combo, controls::kListGrey, QColor(0, 255, 255));
    platform::placeTwips(combo, left, top, width, height);
    return combo;
}

void stopLayersAndSaveSet()
{
    if (MainForm* main = AppModul::mainForm()) {
        main->stopPlayingLayers();
        AppModul::SilentSave = 1;
        main->mnuSave_Click();
        AppModul::SilentSave = 0;
    }
    platform::doEvents();
}

void finishFileSteps(platform::Form* dialog, PhraseFiles::Outcome outcome, bool letEventsRun)
{
    if (outcome != PhraseFiles::Outcome::Done && outcome != PhraseFiles::Outcome::Split) {
        return;
    }
    if (letEventsRun && outcome == PhraseFiles::Outcome::Done) {
        platform::doEvents();
    }
    AppModul::FillPhraseLists(AppModul::phraseFolder());
    if (outcome == PhraseFiles::Outcome::Done) {
        dialog->Unload();
    }
}
