#include "dialogs/phrasefiles.h"

#include "platform/core/filesys.h"
#include "platform/gui/filenames.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace PhraseFiles {

bool namesListedFile(const QString& entry)
{
    return !entry.isEmpty() && !entry.startsWith(QLatin1Char('.')) && !entry.contains(QLatin1Char('/'));
}

bool acceptableName(const QString& name)
{
    return !name.startsWith(QLatin1Char('.')) && platform::fs::isValidNewName(platform::fileNameFromText(name));
}

bool liesWithin(const QString& path, const QString& folder)
{
    std::error_code error;
    const std::filesystem::path inner = std::filesystem::weakly_canonical(platform::diskPath(path), error);
    const std::filesystem::path outer = std::filesystem::canonical(platform::diskPath(folder), error);
    if (error || inner == outer) {
        return false;
    }
    const auto [end, rest] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
}

void setNormal(const QString& path)
{
    platform::fs::setAttributesNormal(platform::diskPath(path));
}

bool renameNoReplace(const QString& from, const QString& to)
{
    return platform::fs::renameNoReplace(platform::diskPath(from), platform::fileNameFromText(to));
}

} // namespace PhraseFiles
