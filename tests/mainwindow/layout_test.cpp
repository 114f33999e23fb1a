// The window as it starts: controls where the layout puts them, knobs and buttons at their stored values,
// the menus, and the sound slots.
#include "tests/mainwindow/formfixture.h"

#include <QLabel>

namespace {

using LayoutTest = FormTest;

TEST_F(LayoutTest, ControlsSitWhereTheLayoutPutsThem)
{
    EXPECT_EQ(form->centralWidget()->size(), QSize(934, 657));
    EXPECT_EQ(form->List1->geometry(), QRect(16, 16, 197, 628));
    EXPECT_EQ(form->Picture1->geometry(), QRect(232, 16, 685, 501));
    EXPECT_EQ(form->syncButton1->geometry(), QRect(232, 524, 685, 121));
    const int inner = form->Picture1->frameWidth();
    EXPECT_EQ(form->lstPhrase[1]->geometry(), QRect(236 + inner, 104 + inner, 209, 379));
    EXPECT_EQ(form->animKnob5->geometry(), QRect(458 + inner, 52 + inner, 50, 50));
    EXPECT_EQ(form->miniButtonGreen3->geometry(), QRect(628 + inner, 64 + inner, 29, 20));
    EXPECT_EQ(form->Picture1->palette().color(QPalette::Window), QColor(200, 50, 80));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(form->Label2[k]->text(), QString("P H R A S E   %1").arg(k + 1));
    }
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
