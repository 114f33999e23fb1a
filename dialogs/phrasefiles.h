// File steps that the dialogs share. A rename or move is worked out whole before anything is done: every
// source and every target of the set's sound files and its settings file. When one is refused, nothing
// happens and the user is told why; otherwise the files go, the settings file last. Everything goes through
// held folders, so a folder renamed or swapped for a link meanwhile redirects nothing.
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

// A rename or move checked whole before anything happens: `check` first; only when nothing is refused,
// `prepare` (stopping layers and saving, where events run), `check` again, then `act`, whose failure is
// told. False, once the user has been told why, when nothing was done.
bool checkThenAct(const std::function<Refusal()>& check, const std::function<void()>& prepare,
                  const std::function<Refusal()>& act);

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

    // Why the plan may not run: a refused name, a sound file that is gone, or a target that is taken (a name that differs
    // only in case counts); nothing when it may.
    std::optional<QString> refusal() const;
    // Clears each file's read-only mark and gives it its new name in the destination; the settings file
    // only when a sound file went and every one did. Why a file stayed, if one did.
    std::optional<QString> run() const;

private:
    struct Step
    {
        std::string from;
        std::string to;
    };
    bool stays(const Step& step) const;
    bool taken(const Step& step) const;
    bool go(const Step& step) const;
    QString failedReason(const std::string& name) const;

    platform::fs::HeldFolder m_source;
    platform::fs::HeldFolder m_destination;
    bool m_sameFolder;
    std::vector<Step> m_sounds;
    std::optional<Step> m_settings;
    Refusal m_refused;
};

} // namespace PhraseFiles
