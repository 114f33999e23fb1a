// The files of the set selected in the main window's three phrase lists: what Delete Phrase Set, Rename
// Phrase Set and Move Phrase Set act on.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace platform::fs {
class HeldFolder;
}

struct SetFiles
{
    // The lists' selected entries as they are now.
    static SetFiles selected();

    QString entries[3]; // the selected texts, "" for none
    std::optional<std::string> files[3]; // the exact file each entry was made from
    // The set's settings file as the program names it: by the cut-six rule, and only for a proper layer-1
    // entry, whose settings file the set-name rule names too (any other entry's may be another set's).
    std::optional<std::string> settingsName;

    // The sound files in layer order, each once with the lowest layer (0 to 2) it is selected in: an entry
    // without a layer marker stands in every list.
    struct LayerFile
    {
        int layer;
        std::string file;
    };
    std::vector<LayerFile> soundFiles() const;
    // The settings file as it is in the folder: its name exactly, else with its extension in another case.
    std::optional<std::string> settingsOnDisk(const platform::fs::HeldFolder& folder) const;
};
