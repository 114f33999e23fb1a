// File steps that the dialogs share. A rename or move is worked out whole before anything is done: every
// source and every target of the set's sound files and its settings file, and whether the user may take
// each file away and put it in its place. When one is refused, nothing happens and the user is told why;
// otherwise the files go, the settings file last. A step that still fails puts back what already went, so
// the set stays whole. Everything goes through held folders, so a folder renamed or swapped for a link
// meanwhile redirects nothing.
#pragma once

#include "platform/core/heldfolder.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace PhraseFiles {

// True for a name (without folder) that a file or folder may get: not empty, not starting with ".", none of
// the characters or names that some system refuses (see platform::fs::isValidNewName).
bool acceptableName(const QString& name);

// True when two held folders are one folder.
bool sameFolder(const platform::fs::HeldFolder& a, const platform::fs::HeldFolder& b);

// Tells the user why a command did nothing: one information message with the program title.
void tellRefusal(const QString& reason);

// A name as the messages show it: in single quotes.
QString quoted(const QString& name);
// The reasons, each naming the file.
QString takenReason(const std::string& name);
QString goneReason(const std::string& name);
QString refusedNameReason(const QString& name);

// Why a command may not go ahead, naming the file; nothing when it may.
using Refusal = std::optional<QString>;

// What became of a rename or move.
enum class Outcome {
    Done, // every file went
    Refused, // nothing was done (the layers may have stopped and the settings been saved)
    LeftAsItWas, // a file could not go, and what had gone came back
    Split, // a file could not go, and one that had gone could not come back
};
struct Result
{
    Outcome outcome = Outcome::Done;
    QString message; // why, and where the files are, for every outcome but Done
};

// A rename or move checked whole before anything happens: `check` first; only when nothing is refused,
// `prepare` (stopping layers and saving, where events run), then `act`, which checks again what it will
// act on and acts. The user is told why when it was not done.
Outcome checkThenAct(const std::function<Refusal()>& check, const std::function<void()>& prepare,
                     const std::function<Result()>& act);

// The files of one rename or move, from a source folder into a destination folder (the same folder for a
// rename; one not made yet for a move into a new folder, where every name is free).
class Plan
{
public:
    Plan(platform::fs::HeldFolder source, platform::fs::HeldFolder destination);

    // A sound file that goes: it must exist when the plan runs. A file that keeps its name where it is
    // takes no step.
    void addSound(const std::string& from, const std::string& to);
    // The set's settings file, which goes last and only when every sound file went; it need not exist yet
    // (the silent save may be about to write it).
    void setSettings(const std::string& from, const std::string& to);

    // Makes the plan one that may not run, whatever its files (a new name that is refused).
    void refuse(const QString& why);

    // Why the plan may not run: a refused name, a sound file that is gone or is no regular file, a file
    // the user may not take away from its folder, a destination the user may not write in, or a target
    // that is taken (a name that differs only in case counts); nothing when it may.
    Refusal refusal() const;
    // Checks the plan once more, then clears each file's read-only mark and gives it its new name in the
    // destination, the settings file only when a sound file went and every one did. When a step fails,
    // the files that went are given back their places.
    Result run() const;

private:
    struct Step
    {
        std::string from;
        std::string to;
    };
    bool stays(const Step& step) const;
    // The name on disk that takes the step's target, if any.
    std::optional<std::string> takenBy(const Step& step) const;
    Refusal stepRefusal(const Step& step) const;
    std::vector<Step> stepsToTake() const;
    QString verb() const;
    QString whereFilesAre(const std::vector<Step>& steps, std::size_t failed, const std::vector<bool>& stranded) const;

    platform::fs::HeldFolder m_source;
    platform::fs::HeldFolder m_destination;
    bool m_sameFolder;
    std::vector<Step> m_sounds;
    std::optional<Step> m_settings;
    Refusal m_refused;
};

} // namespace PhraseFiles
