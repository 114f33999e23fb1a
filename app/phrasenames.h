// How list entries name files: a phrase's WAV file, and a set's settings file.
#pragma once

#include <QString>
#include <optional>

namespace PhraseNames {

// The entry (or whole path) with ".wav" appended unless its last four characters are ".wav" in any case.
QString withWav(const QString& name);

// Settings file of a set by the set-name rule: the first list's entry less a trailing ".wav" (any case),
// then less a trailing "_1", followed by ".ini". An empty entry gives ".ini".
QString setNameRule(const QString& entry);

// Settings file of a set by the cut-six rule: the entry with ".wav" ensured, less its last six characters
// (the length of "_1.wav"), followed by ".ini". Nothing when the entry is too short to name one.
std::optional<QString> cutSixRule(const QString& entry);

} // namespace PhraseNames
