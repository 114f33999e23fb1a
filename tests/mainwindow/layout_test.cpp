// The window as it starts: every control in sight, knobs and buttons at their stored values,
// the menus, and the sound slots.
#include "controls/colours.h"
#include "tests/mainwindow/formfixture.h"

#include <QLabel>

#include <string>
#include <vector>

namespace {

using LayoutTest = FormTest;

// True when the window shows `control` (or a part of it) at a point of it, not another widget over it.
bool shows(QWidget* control, const QPoint& point)
{
    QWidget* top = control->window()->childAt(control->mapTo(control->window(), point));
    return top == control || control->isAncestorOf(top);
}

std::string describe(const QWidget* w)
{
    return std::string(w->metaObject()->className()) + " at " + std::to_string(w->x()) + ","
        + std::to_string(w->y());
}

TEST_F(LayoutTest, EveryControlShowsWholeInsideItsPanelAndNoneHidesAnother)
{
    // What the user presses: inside its panel (clear of the panel's border), and every point of it its own.
    std::vector<QWidget*> controls = { form->List1, form->syncButton1 };
    for (int k = 0; k < 3; ++k) {
        controls.insert(controls.end(), { form->lstPhrase[k], form->levelKnob(k), form->panKnob(k),
                                          form->muteButton(k), form->playButton(k) });
    }
    for (QWidget* control : controls) {
        ASSERT_TRUE(control->isVisible()) << describe(control);
        EXPECT_TRUE(control->parentWidget()->contentsRect().contains(control->geometry())) << describe(control);
        int hidden = 0;
        for (int y = 0; y < control->height(); y += 3) {
            for (int x = 0; x < control->width(); x += 3) {
                hidden += shows(control, QPoint(x, y)) ? 0 : 1;
            }
        }
        EXPECT_EQ(hidden, 0) << describe(control) << ": points covered or outside the window";
    }
    // Every caption shows at least its middle.
    for (QLabel* label : form->findChildren<QLabel*>()) {
        EXPECT_TRUE(shows(label, label->rect().center())) << label->text().toStdString();
    }
    // The client area lies whole in the window, below the menu bar.
    EXPECT_TRUE(form->rect().contains(form->centralWidget()->geometry()));
    EXPECT_GT(form->centralWidget()->y(), form->menuBar()->geometry().bottom());
    EXPECT_EQ(form->Picture1->palette().color(QPalette::Window), controls::kPanelColour);
}

TEST_F(LayoutTest, KnobsButtonsAndMenusStartAsStored)
{
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(form->levelKnob(k)->Min(), 40);
        EXPECT_EQ(form->levelKnob(k)->Max(), 100);
        EXPECT_EQ(form->levelKnob(k)->Value(), 80);
        EXPECT_EQ(form->levelKnob(k)->frame(), 52);
        EXPECT_EQ(form->panKnob(k)->Min(), 35);
        EXPECT_EQ(form->panKnob(k)->Max(), 65);
        EXPECT_EQ(form->panKnob(k)->Value(), 50);
        EXPECT_EQ(form->panKnob(k)->frame(), 39);
        EXPECT_FALSE(form->muteButton(k)->Value());
        EXPECT_FALSE(form->playButton(k)->Value());
    }
    EXPECT_FALSE(form->syncButton1->Value());

    QStringList bar;
    for (QAction* a : form->menuBar()->actions()) {
        bar << a->text();
    }
    EXPECT_EQ(bar, QStringList({ "Options", "Save Settings" }));
    QStringList options;
    for (QAction* a : form->mnuOptions->actions()) {
        options << a->text();
    }
    EXPECT_EQ(options, QStringList({ "Phrase Sync", "Auto Play", "Show Extension" }));
    QStringList popup;
    for (QAction* a : form->mnuPop->actions()) {
        popup << (a->isSeparator() ? "-" : a->text());
    }
    EXPECT_EQ(popup,
              QStringList({ "Rename Phrase", "Rename Phrase Set", "-", "Delete Phrase", "Delete Phrase Set", "-",
                            "Move Phrase Set" }));
    EXPECT_EQ(form->windowTitle(), "Vellmarin Corvadel");
}

TEST_F(LayoutTest, EverySlotHoldsTheDefaultSoundAtLevel80)
{
    ASSERT_EQ(DX7Sound::SoundBuffers.size(), 11u);
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(DX7Sound::SoundBuffers[size_t(k)].Loaded, -1) << k;
        EXPECT_EQ(slotFile(k), "Default.wav") << k;
        EXPECT_EQ(slot(k).volume(), -1200) << k;
        EXPECT_EQ(slot(k).pan(), 0) << k;
        EXPECT_FALSE(slot(k).playing()) << k;
    }
}

TEST_F(LayoutTest, FirstFolderIsChosenAndItsPhrasesListed)
{
    EXPECT_EQ(form->List1->Text(), "Set");
    EXPECT_EQ(AppModul::PhrasePath, phraseFolder());
    EXPECT_EQ(form->lstPhrase[0]->ListCount(), 3); // A_1, B_1, C_1
    EXPECT_EQ(form->lstPhrase[1]->ListCount(), 2);
    EXPECT_EQ(form->lstPhrase[2]->ListCount(), 1);
    EXPECT_EQ(form->lstPhrase[0]->List(0), "A_1");
}

} // namespace

namespace {

class StoredOptionsTest : public FormTest
{
protected:
    QByteArray programSettings() const override
    {
        return "[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=0\r\nPhraseSync=2\r\n";
    }
};

TEST_F(StoredOptionsTest, StoredOptionsGiveTheMarksAndTheFirstFilling)
{
    EXPECT_TRUE(form->mnuEnding->isChecked());
    EXPECT_FALSE(form->mnuAutoPlay->isChecked());
    EXPECT_FALSE(form->mnuSync->isChecked()); // 2 is no "on"
    EXPECT_EQ(AppModul::PhraseSync, 2);
    EXPECT_EQ(form->lstPhrase[0]->List(0), "A_1.wav");
    EXPECT_TRUE(QFile::exists(temp.file("Default.wav")));

    // The first choice of an item sets its flag from the new mark, whatever the flag held.
    chooseOption(form->mnuSync);
    EXPECT_TRUE(form->mnuSync->isChecked());
    EXPECT_EQ(AppModul::PhraseSync, 1);
}

} // namespace
