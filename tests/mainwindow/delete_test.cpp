// "Delete Phrase" and "Delete Phrase Set" from the phrase lists' popup, on the real files of a phrase folder.
#include "tests/mainwindow/formfixture.h"

#include <QDir>

namespace {

class DeleteTest : public FormTest
{
protected:
    // Answers each question box with `answer` (6 Yes, 7 No) and records every box as "style|title|text".
    void answerQuestions(int answer)
    {
        platform::setMessageBoxHandler([this, answer](const QString& text, int style, const QString& title) {
            boxes << QString("%1|%2|%3").arg(style).arg(title, text);
            return style == 36 ? answer : platform::IdOk;
        });
    }

    QStringList boxes;
};

const QString kQuestion = QStringLiteral("36|Vellmarin Corvadel|");

TEST_F(DeleteTest, DeletePhraseNamesTheFileWithItsExtensionAndDeletesItWhateverItsCaseAndMark)
{
    wav("Set/Hit_2.WAV", 0.7f);
    ASSERT_TRUE(QFile::setPermissions(phraseFolder() + "Hit_2.WAV", QFile::ReadOwner | QFile::ReadGroup));
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    pressEntry(1, 2); // Hit_2, shown without its extension; the set plays
    answerQuestions(platform::IdYes);
    popupChoose(1, 2, form->mnuDel);

    EXPECT_EQ(boxes, QStringList({ kQuestion + "Really delete phrase 'Hit_2.wav' ?" }));
    EXPECT_FALSE(exists("Hit_2.WAV"));
    EXPECT_EQ(entries(1), QStringList({ "A_2", "B_2" }));
    EXPECT_TRUE(slot(1).playing()); // the layers go on with what they play
}

TEST_F(DeleteTest, DeletePhraseWithNothingSelectedAsksAndDeletesNothing)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + ".wav", "mine"));
    answerQuestions(platform::IdYes);
    popupChoose(2, 0, form->mnuDel); // a right press does not select
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_TRUE(exists(".wav"));
    EXPECT_TRUE(exists("A_3.wav"));
}

TEST_F(DeleteTest, DeleteSetStopsTheLayersDeletesTheFilesAndTheSettingsAndRefills)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "B.ini", kStoredSettings));
    pressEntry(0, 0);
    answerQuestions(platform::IdYes);
    popupChoose(2, 0, form->mnuDelSet);

    EXPECT_EQ(boxes, QStringList({ kQuestion + "Really delete following phrases: \r\nA_1.wav, A_2.wav, A_3.wav ?" }));
    for (const char* gone : { "A_1.wav", "A_2.wav", "A_3.wav", "A.ini" }) {
        EXPECT_FALSE(exists(gone)) << gone;
    }
    for (const char* kept : { "B_1.wav", "B_2.wav", "C_1.wav", "B.ini" }) {
        EXPECT_TRUE(exists(kept)) << kept;
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(slot(k).playing() || AppModul::LayerPlaying[k] || form->playButton(k)->Value()) << k;
    }
    EXPECT_FALSE(form->syncButton1->Value());
    EXPECT_EQ(entries(0), QStringList({ "B_1", "C_1" }));
    EXPECT_TRUE(entries(2).isEmpty());
}

TEST_F(DeleteTest, DeleteSetTakesItsSettingsFileWhoseExtensionAnotherSystemWroteInCapitals)
{
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.INI", kStoredSettings));
    selectSet("A");
    answerQuestions(platform::IdYes);
    popupChoose(0, 0, form->mnuDelSet);
    EXPECT_FALSE(exists("A.INI"));
}

TEST_F(DeleteTest, RefusedDeletionsLeaveLayersAndFilesAlone)
{
    pressEntry(0, 0);
    answerQuestions(platform::IdNo);
    popupChoose(0, 0, form->mnuDel);
    popupChoose(0, 0, form->mnuDelSet);
    ASSERT_EQ(boxes.size(), 2);

    // Lists 2 and 3 without a selection: only the message, nothing asked.
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    form->lstPhrase[0]->setSelected(0);
    popupChoose(0, 0, form->mnuDelSet);
    EXPECT_EQ(boxes.value(2),
              "64|Vellmarin Corvadel|To delete a phrase set you have to make a selection in every phrase list.");
    EXPECT_EQ(boxes.size(), 3);

    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(slot(k).playing() && form->playButton(k)->Value()) << k;
    }
    EXPECT_TRUE(form->syncButton1->Value());
    for (const char* kept : { "A_1.wav", "A_2.wav", "A_3.wav" }) {
        EXPECT_TRUE(exists(kept)) << kept;
    }
}

TEST_F(DeleteTest, UnmarkedEntryIsDeletedOnceAndNoOtherSetLosesItsSettings)
{
    wav("Set/Pad.wav", 0.7f);
    // "Pad" saved its settings as Pad.ini; P.ini belongs to a set "P" (what the cut-six rule would name).
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "Pad.ini", kStoredSettings));
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "P.ini", kStoredSettings));
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    for (int k = 0; k < 3; ++k) {
        form->lstPhrase[k]->setSelected(int(entries(k).indexOf("Pad")));
    }
    answerQuestions(platform::IdYes);
    popupChoose(0, 3, form->mnuDelSet);

    EXPECT_EQ(boxes, QStringList({ kQuestion + "Really delete following phrases: \r\nPad.wav, Pad.wav, Pad.wav ?" }));
    EXPECT_FALSE(exists("Pad.wav"));
    EXPECT_TRUE(exists("P.ini"));
    EXPECT_TRUE(exists("Pad.ini"));
}

TEST_F(DeleteTest, EachDeleteTakesTheEntrysOwnFileNeverItsCaseTwinOrTheTwinSetsSettings)
{
    writeCaseTwins();
    answerQuestions(platform::IdYes);
    pressEntry(1, row(1, "pad_2"));
    popupChoose(1, 0, form->mnuDel);
    EXPECT_FALSE(exists("pad_2.WAV"));
    EXPECT_TRUE(exists("Pad_2.wav"));

    // "beat" never saved its settings: Beat's stay, with Beat's files.
    selectSet("beat");
    popupChoose(0, 0, form->mnuDelSet);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_FALSE(exists(QString("beat_%1.WAV").arg(k))) << k;
        EXPECT_TRUE(exists(QString("Beat_%1.wav").arg(k))) << k;
    }
    EXPECT_EQ(testsupport::readFile(phraseFolder() + "Beat.ini"), kStoredSettings);
}

TEST_F(DeleteTest, AFolderSwappedForALinkWhileTheQuestionIsOpenKeepsWhatTheLinkLeadsTo)
{
    // Another user's phrase folder in a shared program folder, swapped for a link to a private folder with
    // the same names while the question is open.
    testsupport::TempFolder victim;
    const QStringList names = { "A_1.wav", "A_2.wav", "A_3.wav", "A.ini" };
    for (const QString& name : names) {
        ASSERT_TRUE(testsupport::writeFile(victim.file(name), "theirs"));
    }
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    pressEntry(0, 0);
    platform::setMessageBoxHandler([&](const QString&, int, const QString&) {
        EXPECT_TRUE(QDir(program.path()).rename("Set", "Set-old"));
        EXPECT_TRUE(QFile::link(victim.path(), program.file("Set")));
        return int(platform::IdYes);
    });
    popupChoose(0, 0, form->mnuDelSet);
    for (const QString& name : names) {
        EXPECT_EQ(testsupport::readFile(victim.file(name)), "theirs") << name.toStdString();
    }
    EXPECT_EQ(files("Set-old"), QStringList({ "B_1.wav", "B_2.wav", "C_1.wav" }));
    EXPECT_EQ(entries(0), QStringList({ "B_1", "C_1" }));
}

} // namespace
