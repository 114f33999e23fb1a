// How list entries name files: a phrase's WAV file, and a set's settings file.
#pragma once

#include <QString>
#include <optional>

namespace PhraseNames {

// The entry (or whole path) with ".wav" appended unless its last four characters are ".wav" in any case.
QString withWav(const QString& name);
// The entry less a trailing ".wav" in any case.
QString withoutWav(const QString& entry);

// Settings file of a set by the set-name rule: the first list's entry less a trailing ".wav" (any case),
// then less a trailing "_1", followed by ".ini". An empty entry gives ".ini".
QString setNameRule(const QString& entry);

// Settings file of a set by the cut-six rule: the entry with ".wav" ensured, less its last six characters
// (the length of "_1.wav"), followed by ".ini". Nothing when the entry is too short to name one.
std::optional<QString> cutSixRule(const QString& entry);

// The settings file that a set's commands may delete, rename or move with the set whose first-list entry is
// `entry`: the cut-six name, only for a proper layer-1 entry (ending in "_1", with or without ".wav"), where
// the set-name rule names the same file; for any other entry the cut-six name may be another set's file.
std::optional<QString> layerOneSettingsName(const QString& entry);

// The base name that "Rename Phrase Set" starts from: the entry less ".wav" (any case), then less "_1",
// then less "_2", then less "_3", each tested once and exactly.
QString setBaseName(const QString& entry);

} // namespace PhraseNames
