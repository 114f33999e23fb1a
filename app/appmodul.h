// The application module: the program's start and the state that every window shares.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace platform::fs {
class HeldFolder;
}

namespace AppModul {

extern QString PhrasePath; // current phrase folder, ending in "/"
extern int16_t ShowEnding; // option "Show Extension": the lists cut ".wav" only when 0
extern int16_t AutoPlay; // option "Auto Play": on only when 1
extern int16_t PhraseSync; // option "Phrase Sync": on only when 1
extern int16_t SilentSave; // 1 while a dialog saves a set's settings without the message
extern int16_t ActiveList; // phrase list pressed last, 0 to 2
extern int16_t LayerPlaying[4]; // -1 while layer 0, 1 or 2 plays; element 3 unused
extern QString DefaultWav; // the default sound in the temporary folder
extern QString DirSelectPath;
extern QString DirSelectCaption;
extern int16_t DirSelectBusy;

// How the start procedure ended.
enum class StartResult {
    Started, // the window is shown: the program runs
    AnotherCopyRuns, // this one ends at once, silently: not a failure
    NoLock, // no lock against a second copy can be had: one line on standard error said why; a failure
};
// The start procedure. Anything but Started: this copy must end at once.
StartResult Main();
// The same start in a given program folder and temporary folder, without the single-instance check: what
// Main does once it knows its folders (tests and benchmarks start the program here). ExeName names the
// program settings file.
void Main(const QString& ProgramFolder, const QString& TempFolder, const QString& ExeName = QStringLiteral("Corvadel"));
// Title, settings file, phrase folder, options and their check marks, list filling, default sound.
void LoadSettings();
// Lists the phrase folders and selects the first one.
void FillFolderList();
// Fills the three phrase lists from the WAV files of a held folder, and keeps for every entry the exact
// name of the file it was made from.
void FillPhraseLists(const platform::fs::HeldFolder& Folder);
// The same for a folder named by its path: it is chosen first (choosePhraseFolder).
void FillPhraseLists(const QString& Folder);

// The program folder, opened once at start.
const platform::fs::HeldFolder& programFolder();
// The current phrase folder (PhrasePath), opened once when it was chosen; the program folder until then.
// Every read, write, rename and delete in it goes through this handle.
const platform::fs::HeldFolder& phraseFolder();
// Makes Folder (a full path ending in "/") the current phrase folder: PhrasePath, and the folder opened
// and held.
void choosePhraseFolder(const QString& Folder);
// Makes the phrase folder Name (one level of the program folder, as the folder list shows it) the current
// one: opened beneath the held program folder, never by its path; a link only when it is the user's own or
// the program folder owner's.
void choosePhraseFolderNamed(const QString& Name);
// The exact name of the file that the selected entry of phrase list k (0 to 2) was made from; nothing when
// the list has no selection or the entry did not come from the last filling.
std::optional<std::string> selectedPhraseFile(int k);

// Resets every shared variable to its state before start-up (tests).
void ResetState();

} // namespace AppModul
