// Pressing phrases with "Phrase Sync" and "Auto Play" (both on at a first start), and the per-set
// settings file that Save Settings writes and a press reads back.
#include "tests/mainwindow/formfixture.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

namespace {

using SelectionTest = FormTest;

const char* const kSection = "[Vellmarin Corvadel]\r\n";

TEST_F(SelectionTest, PressMirrorsLoadsAndStartsTheWholeSet)
{
    pressEntry(1, 0); // A_2
    EXPECT_EQ(AppModul::ActiveList, 1);
    EXPECT_EQ(form->lstPhrase[0]->Text(), "A_1");
    EXPECT_EQ(form->lstPhrase[2]->Text(), "A_3");
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(slotFile(k), QString("A_%1.wav").arg(k + 1));
        EXPECT_TRUE(slot(k).playing());
        EXPECT_EQ(AppModul::LayerPlaying[k], -1);
        EXPECT_TRUE(form->playButton(k)->Value());
    }
    EXPECT_TRUE(form->syncButton1->Value());
    EXPECT_EQ(form->SettingsFile, phraseFolder() + "A.ini");
}

TEST_F(SelectionTest, SavedSettingsComeBackOnTheNextPress)
{
    pressEntry(0, 0);
    turn(form->animKnob1, -10);
    turn(form->animKnob4, 5);
    press(form->miniButton3);
    const int16_t level1 = form->animKnob1->Value();
    const int16_t pan2 = form->animKnob4->Value();
    form->mnuSave->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
              "This function makes it possible to save the current\r\n"
              "'Level', 'Pan' and 'Mute' settings and use it next time\r\n"
              "when you reload the three phrases again.\r\n"
              "Therefore Options -> 'Phrase Sync' must be checked !   \r\n\r\nSettings saved.");
    EXPECT_EQ(QString::fromUtf8(testsupport::readFile(phraseFolder() + "A.ini")),
              QString(kSection)
                  + QString("Level1=%1\r\nPan1=50\r\nLevel2=80\r\nPan2=%2\r\nLevel3=80\r\nPan3=50\r\n"
                            "Mute1=0\r\nMute2=0\r\nMute3=1\r\n")
                        .arg(level1)
                        .arg(pan2));

    pressEntry(0, 1); // set B has no settings file: defaults
    EXPECT_EQ(form->animKnob1->Value(), 80);
    EXPECT_EQ(form->animKnob4->Value(), 50);
    EXPECT_FALSE(form->miniButton3->Value());
    pressEntry(2, 0); // A_3: list 0's selection after mirroring names the file
    EXPECT_EQ(form->animKnob1->Value(), level1);
    EXPECT_EQ(form->animKnob4->Value(), pan2);
    EXPECT_TRUE(form->miniButton3->Value());
    EXPECT_EQ(slot(0).volume(), level1 * 60 - 6000);
    EXPECT_EQ(slot(2).volume(), -6000); // muted layer starts at level 0
}

TEST_F(SelectionTest, HandEditedValuesRoundHalvesToEvenAndOnlyOneMutes)
{
    ASSERT_TRUE(
        testsupport::writeFile(phraseFolder() + "A.ini",
                               "; mine\r\n[VELLMARIN CORVADEL]\r\nlevel1 = 72.5\r\nLevel2=73.5\r\nLevel3=loud\r\n"
                               "Pan3=\r\nMute1=yes\r\nMute2= 1 \r\nMute3=1.0\r\n[Other]\r\nLevel1=1\r\n"));
    pressEntry(0, 0);
    EXPECT_EQ(form->animKnob1->Value(), 72);
    EXPECT_EQ(form->animKnob3->Value(), 74);
    EXPECT_EQ(form->animKnob5->Value(), 0); // no number: 0, not limited to the knob's range
    EXPECT_EQ(form->animKnob6->Value(), 50); // empty: the default
    EXPECT_FALSE(form->miniButton1->Value());
    EXPECT_TRUE(form->miniButton2->Value()); // values are trimmed
    EXPECT_FALSE(form->miniButton3->Value());
    EXPECT_EQ(slot(2).volume(), -6000); // level 0

    // Saving replaces the keys in place and keeps every other line.
    form->mnuSave->trigger();
    const QString text = QString::fromUtf8(testsupport::readFile(phraseFolder() + "A.ini"));
    EXPECT_TRUE(text.startsWith("; mine\r\n[VELLMARIN CORVADEL]\r\nlevel1=72\r\nLevel2=74\r\nLevel3=0\r\n"));
    EXPECT_TRUE(text.endsWith("[Other]\r\nLevel1=1\r\n"));
    EXPECT_EQ(text.count("Pan3="), 1);
}

TEST_F(SelectionTest, OutOfRangeStoredLevelSkipsTheLoadButMarksThePlay)
{
    ASSERT_TRUE(
        testsupport::writeFile(phraseFolder() + "A.ini", "[Vellmarin Corvadel]\r\nLevel2=300\r\nPan3=40000\r\n"));
    pressEntry(0, 0);
    EXPECT_EQ(form->animKnob3->Value(), 300);
    EXPECT_EQ(form->animKnob6->Value(), 50); // beyond 16 bits: the knob keeps its value
    EXPECT_EQ(slotFile(1), "Default.wav"); // a level no byte holds cannot be loaded ...
    EXPECT_TRUE(slot(1).playing()); // ... and the slot's old sound starts
    EXPECT_EQ(AppModul::LayerPlaying[1], -1);
    EXPECT_EQ(slotFile(0), "A_1.wav");
}

TEST_F(SelectionTest, MirroringIntoAShorterListKeepsItsSelection)
{
    pressEntry(2, 0); // A_3 in list 3, A_1 and A_2 mirrored
    pressEntry(0, 2); // C_1: list 2 has no third entry, list 3 keeps A_3
    EXPECT_EQ(form->lstPhrase[1]->Text(), "A_2");
    EXPECT_EQ(form->lstPhrase[2]->Text(), "A_3");
    EXPECT_EQ(slotFile(0), "C_1.wav");
    EXPECT_EQ(slotFile(1), "A_2.wav");
    EXPECT_EQ(slotFile(2), "A_3.wav");
}

TEST_F(SelectionTest, PressInAnEmptyPartStillReadsAndStartsWhatIsSelected)
{
    pressEntry(0, 1); // B: lists 1 and 2 select B_1 and B_2, list 3 has no second entry
    ASSERT_EQ(form->lstPhrase[2]->Text(), "");
    for (int k = 0; k < 3; ++k) {
        DX7Sound::StopBuffer(int16_t(k));
    }
    pressListBelowEntries(2);
    EXPECT_EQ(AppModul::ActiveList, 2);
    EXPECT_EQ(form->SettingsFile, phraseFolder() + "B.ini");
    EXPECT_TRUE(slot(0).playing());
    EXPECT_TRUE(slot(1).playing());
    EXPECT_FALSE(slot(2).playing());
}

TEST_F(SelectionTest, PressWhileTheSetPlaysRestartsItFromTheBeginning)
{
    pressEntry(0, 0);
    const platform::SoundBuffer* first = &slot(0);
    pressEntry(0, 0);
    EXPECT_NE(&slot(0), first); // a fresh buffer: it starts at its beginning
    EXPECT_TRUE(slot(0).playing());
    EXPECT_TRUE(form->syncButton1->Value());
}

TEST_F(SelectionTest, RightPressOnlyRecordsTheListAndOpensThePopup)
{
    pressEntry(0, 0);
    for (int k = 0; k < 3; ++k) {
        DX7Sound::StopBuffer(int16_t(k));
    }
    bool popupSeen = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popupSeen = popup == form->mnuPop;
            popup->close();
        }
    });
    pressEntry(1, 1, Qt::RightButton);
    EXPECT_TRUE(popupSeen);
    EXPECT_EQ(AppModul::ActiveList, 1);
    EXPECT_EQ(form->lstPhrase[1]->Text(), "A_2"); // the selection stays
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing());
    }
}

TEST_F(SelectionTest, KeyboardMovesChangeNothingButTheSelection)
{
    pressEntry(0, 0);
    for (int k = 0; k < 3; ++k) {
        DX7Sound::StopBuffer(int16_t(k));
    }
    form->lstPhrase[0]->setFocus();
    QTest::keyClick(form->lstPhrase[0], Qt::Key_Down);
    EXPECT_EQ(form->lstPhrase[0]->Text(), "B_1");
    EXPECT_EQ(form->lstPhrase[1]->Text(), "A_2");
    EXPECT_FALSE(slot(0).playing());
    EXPECT_EQ(slotFile(0), "A_1.wav");
}

TEST_F(SelectionTest, SingleListStartWithoutPhraseSync)
{
    chooseOption(form->mnuSync); // off
    ASSERT_EQ(AppModul::PhraseSync, 0);
    turn(form->animKnob3, -3);
    pressEntry(1, 1); // B_2 alone
    EXPECT_EQ(form->lstPhrase[0]->Text(), "");
    EXPECT_EQ(slotFile(1), "B_2.wav");
    EXPECT_TRUE(slot(1).playing());
    EXPECT_EQ(slot(1).volume(), form->animKnob3->Value() * 60 - 6000); // the knobs are not reset
    EXPECT_FALSE(slot(0).playing());
    EXPECT_EQ(AppModul::LayerPlaying[1], -1);
    EXPECT_TRUE(form->miniButtonGreen2->Value());
    EXPECT_TRUE(form->syncButton1->Value());

    // Each press restarts; a press where nothing is selected starts nothing.
    const platform::SoundBuffer* before = &slot(1);
    pressEntry(1, 1);
    EXPECT_NE(&slot(1), before);
    pressListBelowEntries(2);
    EXPECT_FALSE(slot(2).playing());
    EXPECT_FALSE(form->miniButtonGreen3->Value());
}

TEST_F(SelectionTest, PhraseSyncWithoutAutoPlayOnlySelectsAndLoadsTheKnobs)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "B.ini", "[Vellmarin Corvadel]\r\nLevel1=60\r\n"));
    chooseOption(form->mnuAutoPlay); // off
    pressEntry(1, 1);
    EXPECT_EQ(form->lstPhrase[0]->Text(), "B_1");
    EXPECT_EQ(form->animKnob1->Value(), 60);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing());
    }
}

TEST_F(SelectionTest, SaveWithNothingInTheFirstListDoesNothing)
{
    chooseOption(form->mnuSync);
    chooseOption(form->mnuAutoPlay);
    pressEntry(1, 0);
    form->mnuSave->trigger();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(QFile::exists(phraseFolder() + ".ini"));
    EXPECT_FALSE(QFile::exists(phraseFolder() + "A.ini"));
}

TEST_F(SelectionTest, SetsWhoseNamesDifferOnlyInCaseKeepTwoSettingsFiles)
{
    writeCaseTwins();
    pressEntry(0, row(0, "beat_1"));
    EXPECT_EQ(form->animKnob1->Value(), 80); // Beat's stored level is not beat's
    form->mnuSave->trigger();
    EXPECT_TRUE(exists("beat.ini"));
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "Beat.ini"), kStoredSettings);
}

TEST_F(SelectionTest, SilentSaveWritesWithoutTheMessage)
{
    pressEntry(0, 0);
    AppModul::SilentSave = 1;
    form->mnuSave_Click();
    AppModul::SilentSave = 0;
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(QFile::exists(phraseFolder() + "A.ini"));
}

TEST_F(SelectionTest, SaveThatCannotWriteSaysSoAndNamesTheFile)
{
    pressEntry(0, 0);
    ASSERT_TRUE(QDir(phraseFolder()).removeRecursively()); // the folder went while the set was chosen
    form->mnuSave->trigger();
    EXPECT_EQ(messages, QStringList({ "The settings could not be saved in\r\n" + phraseFolder() + "A.ini" }));
    AppModul::SilentSave = 1;
    form->mnuSave_Click();
    AppModul::SilentSave = 0;
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(SelectionTest, FirstCloseCreatesTheProgramSettingsFile)
{
    form->close();
    EXPECT_EQ(QString::fromUtf8(testsupport::readFile(program.file("Corvadel.ini"))),
              QString(kSection) + "ShowEnding=0\r\nAutoPlay=1\r\nPhraseSync=1\r\n");
}

} // namespace
