// Start-up settings and the filling of the folder and phrase lists, on a stand-in main window.
#include "app/appmodul.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "platform/gui/listbox.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lists and check marks the start-up fills. The folder list's click (the main window's) is tested
// with the main window.
class FakeForm : public MainForm
{
public:
    FakeForm()
    {
        list1 = new platform::ListBox(&widget);
        for (auto& l : lists) {
            l = new platform::ListBox(&widget);
        }
    }
    QWidget* window() override { return &widget; }
    platform::ListBox* folderList() override { return list1; }
    platform::ListBox* phraseList(int index) override { return lists[index]; }
    void setShowExtensionChecked(bool c) override { showExtension = c; }
    void setAutoPlayChecked(bool c) override { autoPlay = c; }
    void setPhraseSyncChecked(bool c) override { phraseSync = c; }
    void LoadDXSound() override { }
    void stopPlayingLayers() override { }
    void stopLayer(int) override { }
    void mnuSave_Click() override { }

    QStringList entries(int k) const
    {
        QStringList out;
        for (int i = 0; i < lists[k]->ListCount(); ++i) {
            out << lists[k]->List(i);
        }
        return out;
    }

    QWidget widget;
    platform::ListBox* list1;
    platform::ListBox* lists[3];
    bool showExtension = false, autoPlay = false, phraseSync = false;
};

class AppModulTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppModul::ResetState();
        form = new FakeForm;
        AppModul::setMainFormFactory([this] { return form; });
    }
    void TearDown() override
    {
        AppModul::discardMainForm();
        AppModul::setMainFormFactory(nullptr);
        AppModul::ResetState();
    }
    void touch(const QString& relative)
    {
        const QString path = program.file(relative);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(testsupport::writeFile(path, "RIFF"));
    }
    void mkdir(const QString& relative) { ASSERT_TRUE(QDir().mkpath(program.file(relative))); }

    testsupport::TempFolder program;
    testsupport::TempFolder temp;
    FakeForm* form = nullptr;
};

TEST_F(AppModulTest, PhraseFilesGoToTheirLayersInNameOrder)
{
    for (const char* name : { "Beat_1.wav", "Beat_2.wav", "Beat_3.wav", "Pad.wav", "Loop_10_2.wav", "Take_3_2.wav",
                              "Hit_1.WAV", "notes.txt", "Beat_1.ini" }) {
        touch(QString("Set/") + name);
    }
    mkdir("Set/inner.wav"); // a folder is no phrase
    AppModul::ShowEnding = 0;
    AppModul::FillPhraseLists(program.file("Set") + "/");
    EXPECT_EQ(form->entries(0), QStringList({ "Beat_1", "Hit_1", "Loop_10_2", "Pad" }));
    EXPECT_EQ(form->entries(1), QStringList({ "Beat_2", "Pad", "Take_3_2" }));
    EXPECT_EQ(form->entries(2), QStringList({ "Beat_3", "Pad" }));
    for (auto* list : form->lists) {
        EXPECT_EQ(list->ListIndex(), -1);
    }
    // An entry leads back to its own file; one the filling did not make leads to none.
    form->lists[0]->setSelected(1);
    EXPECT_EQ(AppModul::selectedPhraseFile(0), "Hit_1.WAV");
    form->lists[1]->AddItem("Typed_2");
    form->lists[1]->setSelected(3);
    EXPECT_EQ(AppModul::selectedPhraseFile(1), std::nullopt);

    // Any value but 0 shows the names whole.
    AppModul::ShowEnding = 2;
    AppModul::FillPhraseLists(program.file("Set") + "/");
    EXPECT_EQ(form->entries(0), QStringList({ "Beat_1.wav", "Hit_1.WAV", "Loop_10_2.wav", "Pad.wav" }));
    EXPECT_EQ(form->entries(2), QStringList({ "Beat_3.wav", "Pad.wav" }));
}

TEST_F(AppModulTest, EmptyOrMissingFolderEmptiesTheLists)
{
    touch("Set/Beat_1.wav");
    mkdir("Empty");
    AppModul::FillPhraseLists(program.file("Set") + "/");
    ASSERT_EQ(form->entries(0).size(), 1);
    AppModul::FillPhraseLists(program.file("Empty") + "/");
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(form->entries(k).isEmpty());
    }
    AppModul::FillPhraseLists(program.file("Gone") + "/");
    EXPECT_TRUE(form->entries(0).isEmpty());
}

TEST_F(AppModulTest, AFillingThatInterruptsAnotherLeavesEachNameOnce)
{
    touch("One/a_1.wav");
    touch("One/b_1.wav");
    touch("One/c_1.wav");
    touch("Two/x_1.wav");
    touch("Two/y_1.wav");
    // While the first filling lets events run, the user chooses another folder.
    QTimer::singleShot(0, [this] { AppModul::FillPhraseLists(program.file("Two") + "/"); });
    AppModul::FillPhraseLists(program.file("One") + "/");
    EXPECT_EQ(form->entries(0), QStringList({ "x_1", "y_1" }));
}

TEST_F(AppModulTest, StoredOptionsSetFlagsAndMarks)
{
    ASSERT_TRUE(testsupport::writeFile(program.file("Corvadel.ini"),
                                       "[vellmarin corvadel]\r\nshowending=2\r\nAUTOPLAY=0\r\nPhraseSync=99999\r\n"));
    AppModul::Main(program.path(), temp.path());
    EXPECT_EQ(Commands::AppTitle, "Vellmarin Corvadel");
    EXPECT_EQ(Commands::IniFile, program.file("Corvadel.ini"));
    EXPECT_EQ(AppModul::ShowEnding, 2);
    EXPECT_EQ(AppModul::AutoPlay, 0);
    EXPECT_EQ(AppModul::PhraseSync, 0); // out of range: the flag stays 0
    EXPECT_FALSE(form->showExtension); // only 1 checks the item
    EXPECT_FALSE(form->autoPlay);
    EXPECT_FALSE(form->phraseSync);
}

TEST_F(AppModulTest, MissingSettingsGiveDefaultsAndTheDefaultSoundIsWrittenOnce)
{
    AppModul::Main(program.path(), temp.path());
    EXPECT_EQ(AppModul::ShowEnding, 0);
    EXPECT_EQ(AppModul::AutoPlay, 1);
    EXPECT_EQ(AppModul::PhraseSync, 1);
    EXPECT_TRUE(form->autoPlay);
    EXPECT_TRUE(form->phraseSync);
    EXPECT_EQ(AppModul::DefaultWav, temp.file("Default.wav"));
    const QByteArray written = testsupport::readFile(AppModul::DefaultWav);
    ASSERT_EQ(written.size(), 846);
    EXPECT_TRUE(written.startsWith("RIFF"));
    EXPECT_TRUE(written.endsWith(QByteArray(2, '\0')));

    // An existing file of the user's is used as it is, whatever it holds and whatever the case of its extension.
    ASSERT_TRUE(QFile::remove(AppModul::DefaultWav));
    ASSERT_TRUE(testsupport::writeFile(temp.file("Default.WAV"), "mine"));
    AppModul::LoadSettings();
    EXPECT_EQ(AppModul::DefaultWav, temp.file("Default.WAV"));
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files), QStringList { "Default.WAV" });
    EXPECT_EQ(testsupport::readFile(AppModul::DefaultWav), QByteArray("mine"));
}

TEST_F(AppModulTest, WhatAnotherUserPutInTheTemporaryFolderIsNeitherLoadedNorWrittenThrough)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to act as a second user";
    }
    // Shared temporary folders like /tmp: in the first "Default.wav" is a link another user planted there,
    // pointing into a folder only we can reach; in the second it is another user's file; in the third
    // another user has taken both "Default.wav" and the private copy's name "Default-<uid>.wav".
    testsupport::TempFolder other;
    testsupport::TempFolder both;
    for (const QString& folder : { temp.path(), other.path(), both.path() }) {
        ASSERT_EQ(::chmod(folder.toLocal8Bit().constData(), 01777), 0);
    }
    const QString target = program.file("planted.wav");
    const QString privateName = QStringLiteral("Default-%1.wav").arg(::getuid()); // named here, not as nobody
    ASSERT_TRUE(testsupport::runAsNobody([&] {
        ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), temp.file("Default.wav").toLocal8Bit().constData()), 0);
        ASSERT_TRUE(testsupport::writeFile(other.file("Default.WAV"), "RIFF of theirs"));
        ASSERT_TRUE(testsupport::writeFile(both.file("Default.wav"), "RIFF of theirs"));
        ASSERT_TRUE(testsupport::writeFile(both.file(privateName), "RIFF of theirs"));
    }));

    for (const QString& folder : { temp.path(), other.path(), both.path() }) {
        SCOPED_TRACE(folder.toStdString());
        Commands::TempDir = folder + "/";
        AppModul::LoadSettings();
        EXPECT_FALSE(QFile::exists(target));
        EXPECT_EQ(testsupport::readFile(other.file("Default.WAV")), "RIFF of theirs");
        // A private copy of the default sound is used instead.
        EXPECT_TRUE(AppModul::DefaultWav.startsWith(folder + "/Default-")) << AppModul::DefaultWav.toStdString();
        EXPECT_EQ(QFileInfo(AppModul::DefaultWav).ownerId(), ::geteuid());
        EXPECT_EQ(testsupport::readFile(AppModul::DefaultWav).size(), 846);
        // Later starts find that copy again instead of writing more.
        const QString copy = AppModul::DefaultWav;
        AppModul::LoadSettings();
        AppModul::LoadSettings();
        EXPECT_EQ(AppModul::DefaultWav.toStdString(), copy.toStdString());
        int own = 0;
        for (const QFileInfo& file : QDir(folder).entryInfoList({ "Default-*" }, QDir::Files)) {
            own += file.ownerId() == ::geteuid();
        }
        EXPECT_EQ(own, 1);
    }
    EXPECT_EQ(testsupport::readFile(both.file(privateName)), "RIFF of theirs");
}

} // namespace
