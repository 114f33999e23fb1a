#include "app/setfiles.h"

#include "app/appmodul.h"
#include "app/mainform.h"
#include "app/phrasenames.h"
#include "platform/core/heldfolder.h"
#include "platform/gui/filenames.h"
#include "platform/gui/listbox.h"

#include <algorithm>

SetFiles SetFiles::selected()
{
    SetFiles set;
    MainForm* main = AppModul::mainForm();
    if (!main) {
        return set;
    }
    for (int k = 0; k < 3; ++k) {
        set.entries[k] = main->phraseList(k)->Text();
        set.files[k] = AppModul::selectedPhraseFile(k);
    }
    if (const std::optional<QString> name = PhraseNames::layerOneSettingsName(set.entries[0])) {
        set.settingsName = platform::fileNameFromText(*name);
    }
    return set;
}

std::vector<SetFiles::LayerFile> SetFiles::soundFiles() const
{
    std::vector<LayerFile> sounds;
    for (int k = 0; k < 3; ++k) {
        const auto listed = [&](const LayerFile& s) { return s.file == *files[k]; };
        if (files[k] && std::none_of(sounds.begin(), sounds.end(), listed)) {
            sounds.push_back({ k, *files[k] });
        }
    }
    return sounds;
}

std::optional<std::string> SetFiles::settingsOnDisk(const platform::fs::HeldFolder& folder) const
{
    return settingsName ? folder.findWithExtensionInAnyCase(*settingsName) : std::nullopt;
}
