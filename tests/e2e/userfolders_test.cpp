// Phrase folders as users bring them: names from old archives that are not UTF-8, extensions in capitals,
// hidden folders and files beside the phrases. Each phrase plays its own sound, its settings are saved
// under its own bytes, and a press on the folder already chosen keeps the chosen set.
#include "tests/e2e/e2esupport.h"

#include <QFile>

#include <cmath>
#include <csignal>
#include <dirent.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kFolder = "Caf\xe9"; // Latin-1, not UTF-8
const std::string kBase = std::string("B\xe9") + "at";

std::string bytesOf(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            if (e->d_name[0] != '.') {
                names.emplace_back(e->d_name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A watch on the renames in a folder. Both sides of each are watched: the kernel merges an event into an
// equal one just before it.
int watchRenames(const QString& folder)
{
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(::inotify_add_watch(watch, bytesOf(folder).c_str(), IN_MOVED_FROM | IN_MOVED_TO), 0);
    return watch;
}

// How many renames the watch saw give an entry this name: one for each replacement of a settings file.
int renamesOnto(int watch, const std::string& name)
{
    alignas(inotify_event) char events[1 << 16];
    int count = 0;
    const ssize_t length = ::read(watch, events, sizeof events);
    for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        count += (event->mask & IN_MOVED_TO) && event->name == name;
        at += ssize_t(sizeof(inotify_event) + event->len);
    }
    ::close(watch);
    return count;
}

class UserFolders : public e2e::PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        // A hidden folder sorts first; a hidden file would be a blank first row in every list.
        ASSERT_EQ(::mkdir(bytesOf(folder.file(".git")).c_str(), 0777), 0);
        ASSERT_EQ(::mkdir(phraseFolder().c_str(), 0777), 0);
        ASSERT_TRUE(testsupport::writeLevelWav(folder.file("hidden"), 0.5f, 44100));
        ASSERT_EQ(::rename(bytesOf(folder.file("hidden")).c_str(), (phraseFolder() + "/.wav").c_str()), 0);
        for (int k = 1; k <= 3; ++k) {
            ASSERT_TRUE(testsupport::writeLevelWav(folder.file("layer"), 0.1f * k, 44100));
            const std::string name = phraseFolder() + "/" + kBase + "_" + std::to_string(k) + ".WAV";
            ASSERT_EQ(::rename(bytesOf(folder.file("layer")).c_str(), name.c_str()), 0);
        }
        // "Show Extension" off (by default), "Phrase Sync" and "Auto Play" on.
        ASSERT_TRUE(testsupport::writeFile(folder.file("Corvadel.ini"),
                                           "[Vellmarin Corvadel]\r\nAutoPlay=1\r\nPhraseSync=1\r\n"));
    }

    // The temporary folder's own clean-up cannot spell names that are not UTF-8.
    void TearDown() override
    {
        for (const std::string& name : namesIn(phraseFolder())) {
            ::unlink((phraseFolder() + "/" + name).c_str());
        }
        ::unlink((phraseFolder() + "/.wav").c_str());
        ::rmdir(phraseFolder().c_str());
        PlayerTest::TearDown();
    }

    std::string phraseFolder() const { return bytesOf(folder.path()) + "/" + kFolder; }
};

TEST_F(UserFolders, OddNamesPlayAndSaveUnderTheirOwnBytesAndAPressOnTheChosenFolderKeepsTheSet)
{
    QProcess player;
    const QString window = startPlayer(player);
    ASSERT_FALSE(window.isEmpty());

    // The first entry of the first phrase list: the set plays, each layer its own file, at level 80.
    click(firstEntry(window, 0));
    const float expected = (0.1f + 0.2f + 0.3f) * std::pow(10.0f, -1200.0f / 2000.0f);
    ASSERT_NO_FATAL_FAILURE(expectSteady(soundFromOnset(2000), expected));

    // A press on the folder already chosen, then "Save Settings": the set is still chosen, and its
    // settings file is named by the phrases' own bytes.
    click(screenPoint(window, 16 + 2 + 30, 16 + 2 + 8));
    click(screenPoint(window, 100, -10));
    const std::string settings = phraseFolder() + "/" + kBase + ".ini";
    EXPECT_TRUE(e2e::waitFor([&] { return ::access(settings.c_str(), F_OK) == 0; }, 10000));
    EXPECT_EQ(namesIn(phraseFolder()),
              (std::vector<std::string> { kBase + ".ini", kBase + "_1.WAV", kBase + "_2.WAV", kBase + "_3.WAV" }));

    // Ended by a signal while the message box is open, it still stores its options.
    signal(player, SIGTERM);
    ASSERT_TRUE(player.waitForFinished(10000));
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_TRUE(testsupport::readFile(folder.file("Corvadel.ini")).contains("ShowEnding=0\r\n"));
}

using HeldFolders = e2e::PlayerTest;

TEST_F(HeldFolders, SettingsGoIntoTheFoldersAsOpenedEachSaveInOneReplacement)
{
    ASSERT_TRUE(writeSet(0.1f));
    const int program = watchRenames(folder.path());
    const int set = watchRenames(folder.file("Set"));
    QProcess player;
    const QString window = startPlayer(player);
    ASSERT_FALSE(window.isEmpty());
    click(firstEntry(window, 0));
    click(screenPoint(window, 100, -10)); // Save Settings
    EXPECT_TRUE(e2e::waitFor([&] { return QFile::exists(folder.file("Set/A.ini")); }, 10000));

    // While it runs, the program folder is renamed and a link to another folder takes its name.
    testsupport::TempFolder decoy;
    const std::string moved = bytesOf(folder.path()) + "-moved";
    ASSERT_EQ(::rename(bytesOf(folder.path()).c_str(), moved.c_str()), 0);
    EXPECT_EQ(::symlink(bytesOf(decoy.path()).c_str(), bytesOf(folder.path()).c_str()), 0);
    signal(player, SIGTERM);
    const bool ended = player.waitForFinished(10000);
    ::unlink(bytesOf(folder.path()).c_str());
    ASSERT_EQ(::rename(moved.c_str(), bytesOf(folder.path()).c_str()), 0);
    ASSERT_TRUE(ended);

    EXPECT_EQ(testsupport::readFile(folder.file("Corvadel.ini")),
              "[Vellmarin Corvadel]\r\nShowEnding=0\r\nAutoPlay=1\r\nPhraseSync=1\r\n");
    EXPECT_FALSE(QFile::exists(decoy.file("Corvadel.ini")));
    EXPECT_EQ(renamesOnto(program, "Corvadel.ini"), 1);
    EXPECT_EQ(renamesOnto(set, "A.ini"), 1);
}

} // namespace
