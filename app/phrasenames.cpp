#include "app/phrasenames.h"

namespace PhraseNames {

namespace {
bool endsWithWav(const QString& name)
{
    return name.right(4).toLower() == QLatin1String(".wav");
}
} // namespace

QString withWav(const QString& name)
{
    return endsWithWav(name) ? name : name + QStringLiteral(".wav");
}

QString setNameRule(const QString& entry)
{
    QString name = entry;
    if (endsWithWav(name)) {
        name.chop(4);
    }
    if (name.endsWith(QLatin1String("_1"))) {
        name.chop(2);
    }
    return name + QStringLiteral(".ini");
}

std::optional<QString> cutSixRule(const QString& entry)
{
    QString name = withWav(entry);
    // "x.wav" is too short to hold a layer marker: no settings file belongs to it.
    if (name.length() < 6) {
        return std::nullopt;
    }
    name.chop(6);
    return name + QStringLiteral(".ini");
}

} // namespace PhraseNames
