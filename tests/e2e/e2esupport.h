// Shared by the end-to-end tests: the real player copied into a temporary program folder, started on the
// virtual display with its sound written to a file by SDL's disk driver, and driven by xdotool.
#pragma once

#include "tests/common/testsupport.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <vector>

namespace e2e {

struct Outcome
{
    int exitCode = -1;
    QString out;
};

Outcome run(const QString& program, const QStringList& args, int timeoutMs = 30000);
Outcome xdotool(const QStringList& args, int timeoutMs = 30000);

// Waits (polling, with a generous limit) until cond holds.
template<class Cond> bool waitFor(Cond cond, int limitMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > limitMs) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

// `frames` frames of interleaved stereo samples from the first audible frame on; empty when there is no
// sound or not that much of it yet.
std::vector<float> fromOnset(const std::vector<float>& samples, int frames);

// A program folder holding a copy of the player, and the player's own temporary folder.
class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    // Removes the lock files the player's copy left in the user's private folders.
    void TearDown() override;

    QProcessEnvironment environment() const;
    // Starts the program in its folder (its output goes to the test's) with the given arguments, through a
    // launcher such as nohup when one is given; false when it did not start.
    bool launch(QProcess& player, const QString& launcher = {}, const QStringList& args = {}) const;
    // The same, then waits for its main window: its id, empty when it did not come.
    QString startPlayer(QProcess& player, const QString& launcher = {}, const QStringList& args = {}) const;
    // The phrase set "Set/A" of three constant layers: `level`, twice and three times `level`.
    bool writeSet(float level) const;
    // Screen point of a point of the main window's client area (pixels from its top-left corner; negative
    // rows lie in the menu bar).
    QPoint screenPoint(const QString& window, int x, int y) const;
    // Screen point inside the first entry of a phrase list (0 to 2) of the main window.
    QPoint firstEntry(const QString& window, int list) const;
    // Sends a signal to the running player; nothing when it has ended (a process id of 0 would reach the
    // whole process group, the test included).
    static void signal(QProcess& player, int signal);
    // A click at a screen point. No "--sync": it would wait for a move that does not come when the pointer
    // is there already; the server handles the move before the click all the same.
    void click(const QPoint& at, int button = 1) const;
    // The captured output as interleaved stereo samples.
    std::vector<float> captured() const;
    // Waits for sound in the capture; then `frames` frames from its first audible frame on. Empty when no
    // sound came.
    std::vector<float> soundFromOnset(int frames) const;
    // Every sample of what soundFromOnset gave is the sum of the layers, `expected`.
    static void expectSteady(const std::vector<float>& samples, float expected);

    testsupport::TempFolder folder; // the program folder
    testsupport::TempFolder temp; // the program's temporary folder
    QString exe; // the player's copy, by its real path

private:
    QStringList m_lockFiles; // the copy's, named from the file while it is there (a test may remove it)
};

} // namespace e2e
