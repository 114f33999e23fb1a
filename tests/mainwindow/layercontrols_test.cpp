// Level, pan, Mute and Play of one layer, and the sync button, with both options off so that a press in a
// list only selects.
#include "tests/mainwindow/formfixture.h"

namespace {

class LayerTest : public FormTest
{
protected:
    QByteArray programSettings() const override
    {
        return "[Vellmarin Corvadel]\r\nShowEnding=0\r\nAutoPlay=0\r\nPhraseSync=0\r\n";
    }
};

TEST_F(LayerTest, PlayStartsAndStopsOneLayerAndKeepsTheSyncButtonInStep)
{
    pressEntry(0, 1); // B_1
    EXPECT_FALSE(slot(0).playing()); // selecting alone starts nothing
    press(form->miniButtonGreen1);
    EXPECT_EQ(slotFile(0), "B_1.wav");
    EXPECT_TRUE(slot(0).playing());
    EXPECT_EQ(slot(0).volume(), -1200); // level 80
    EXPECT_EQ(slot(0).pan(), 0); // the load takes the pan knob's 50: the centre
    EXPECT_EQ(AppModul::LayerPlaying[0], -1);
    EXPECT_TRUE(form->miniButtonGreen1->Value());
    EXPECT_TRUE(form->syncButton1->Value());

    pressEntry(1, 0); // A_2
    press(form->miniButtonGreen2);
    press(form->miniButtonGreen1); // stop layer 1: layer 2 still plays
    EXPECT_FALSE(slot(0).playing());
    EXPECT_EQ(AppModul::LayerPlaying[0], 0);
    EXPECT_TRUE(form->syncButton1->Value());
    press(form->miniButtonGreen2);
    EXPECT_FALSE(form->syncButton1->Value());
    EXPECT_FALSE(slot(1).playing());
}

TEST_F(LayerTest, PlayWithoutSelectionSwitchesItselfOffAndLeavesAPlayingLayer)
{
    pressEntry(2, 0);
    press(form->miniButtonGreen3);
    ASSERT_TRUE(slot(2).playing());
    // The lists are refilled (no selection any more); the layer plays on.
    chooseOption(form->mnuEnding);
    ASSERT_EQ(form->lstPhrase[2]->Text(), "");
    press(form->miniButtonGreen3); // shows off, yet acts on nothing
    EXPECT_FALSE(form->miniButtonGreen3->Value());
    EXPECT_TRUE(slot(2).playing());
    EXPECT_EQ(AppModul::LayerPlaying[2], -1);
    press(form->miniButtonGreen1);
    EXPECT_FALSE(form->miniButtonGreen1->Value());
    EXPECT_EQ(AppModul::LayerPlaying[0], 0);
}

TEST_F(LayerTest, MuteAndLevelWhileMuted)
{
    pressEntry(0, 0);
    press(form->miniButtonGreen1);
    press(form->miniButton1); // mute: level 0 is -60 dB
    EXPECT_EQ(slot(0).volume(), -6000);
    turn(form->animKnob1, -6); // 80 is frame 52; six frames down is frame 46
    EXPECT_EQ(form->animKnob1->Value(), 75);
    EXPECT_EQ(slot(0).volume(), -6000); // the sound stays muted
    press(form->miniButton1); // release: the new level counts
    EXPECT_EQ(slot(0).volume(), 75 * 60 - 6000);
    turn(form->animKnob1, 3);
    EXPECT_EQ(slot(0).volume(), form->animKnob1->Value() * 60 - 6000);

    // A muted layer starts at level 0 and its Mute stays down.
    press(form->miniButton1);
    press(form->miniButtonGreen1);
    press(form->miniButtonGreen1);
    EXPECT_TRUE(slot(0).playing());
    EXPECT_EQ(slot(0).volume(), -6000);
    EXPECT_TRUE(form->miniButton1->Value());
}

TEST_F(LayerTest, PanTurnsAndDoubleClickCentres)
{
    pressEntry(1, 0);
    press(form->miniButtonGreen2);
    turn(form->animKnob4, -39); // from frame 39 to frame 1: pan 35
    EXPECT_EQ(form->animKnob4->Value(), 35);
    EXPECT_EQ(slot(1).pan(), -1500);
    doubleClick(form->animKnob4);
    EXPECT_EQ(form->animKnob4->Value(), 50);
    EXPECT_EQ(slot(1).pan(), 0);

    // A double click on a level knob does nothing.
    const int16_t level = form->animKnob3->Value();
    const int volume = slot(1).volume();
    doubleClick(form->animKnob3);
    EXPECT_EQ(form->animKnob3->Value(), level);
    EXPECT_EQ(slot(1).volume(), volume);
}

TEST_F(LayerTest, StartAtFullLevelAndPanExtremes)
{
    turn(form->animKnob1, 30); // to the top: 100
    ASSERT_EQ(form->animKnob1->Value(), 100);
    pressEntry(0, 0);
    press(form->miniButtonGreen1);
    EXPECT_EQ(slot(0).volume(), 0); // the load takes the level knob's 100: full volume
}

TEST_F(LayerTest, SyncButtonStartsTheSelectedLayersOnly)
{
    pressEntry(1, 1); // B_2 only
    press(form->syncButton1);
    EXPECT_EQ(slotFile(1), "B_2.wav");
    EXPECT_TRUE(slot(1).playing());
    EXPECT_FALSE(slot(0).playing());
    EXPECT_EQ(slotFile(0), "Default.wav");
    EXPECT_EQ(slotFile(2), "Default.wav");
    EXPECT_TRUE(form->miniButtonGreen2->Value());
    EXPECT_FALSE(form->miniButtonGreen1->Value());
    EXPECT_TRUE(form->syncButton1->Value());
    EXPECT_EQ(AppModul::LayerPlaying[1], -1);
    EXPECT_EQ(AppModul::LayerPlaying[0], 0);
}

TEST_F(LayerTest, SyncButtonWithNothingSelectedGoesDarkAgain)
{
    press(form->syncButton1);
    EXPECT_FALSE(form->syncButton1->Value());
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing());
        EXPECT_EQ(slotFile(k), "Default.wav");
    }
}

TEST_F(LayerTest, SyncButtonStopsEverythingWhenAnyLayerPlays)
{
    pressEntry(0, 0);
    pressEntry(1, 0);
    press(form->miniButtonGreen1);
    press(form->miniButtonGreen2);
    press(form->syncButton1); // a lit button: stop all
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing());
        EXPECT_EQ(AppModul::LayerPlaying[k], 0);
        EXPECT_FALSE(form->playButton(k)->Value());
    }
    EXPECT_FALSE(form->syncButton1->Value());
    // The selections remain; the next press starts both again, from their beginning.
    press(form->syncButton1);
    EXPECT_TRUE(slot(0).playing());
    EXPECT_TRUE(slot(1).playing());
}

TEST_F(LayerTest, ShowExtensionRefillsAndItsEntriesNameTheSameFiles)
{
    pressEntry(0, 0);
    chooseOption(form->mnuEnding);
    EXPECT_EQ(AppModul::ShowEnding, 1);
    EXPECT_TRUE(form->mnuEnding->isChecked());
    EXPECT_EQ(form->lstPhrase[0]->List(0), "A_1.wav");
    EXPECT_EQ(form->lstPhrase[0]->ListIndex(), -1);
    pressEntry(0, 0);
    press(form->miniButtonGreen1);
    EXPECT_EQ(slotFile(0), "A_1.wav"); // no second ".wav"
    chooseOption(form->mnuEnding);
    EXPECT_EQ(AppModul::ShowEnding, 0);
    EXPECT_EQ(form->lstPhrase[0]->List(0), "A_1");
    EXPECT_TRUE(slot(0).playing()); // refilling stops nothing
}

TEST_F(LayerTest, OptionItemsFlipTheirFlags)
{
    chooseOption(form->mnuSync);
    EXPECT_EQ(AppModul::PhraseSync, 1);
    EXPECT_TRUE(form->mnuSync->isChecked());
    chooseOption(form->mnuAutoPlay);
    chooseOption(form->mnuAutoPlay);
    EXPECT_EQ(AppModul::AutoPlay, 0);
    EXPECT_FALSE(form->mnuAutoPlay->isChecked());
}

TEST_F(LayerTest, ClosingStopsPlayingLayersAndWritesTheOptionsInOrder)
{
    pressEntry(0, 0);
    press(form->miniButtonGreen1);
    chooseOption(form->mnuEnding);
    form->close();
    EXPECT_FALSE(slot(0).playing());
    const QString ini = QString::fromUtf8(testsupport::readFile(program.file("Corvadel.ini")));
    EXPECT_EQ(ini, "[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=0\r\nPhraseSync=0\r\n");
}

} // namespace
