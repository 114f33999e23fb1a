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

QString withoutWav(const QString& entry)
{
    return endsWithWav(entry) ? entry.chopped(4) : entry;
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

std::optional<QString> layerOneSettingsName(const QString& entry)
{
    if (!withoutWav(entry).endsWith(QLatin1String("_1"))) {
        return std::nullopt;
    }
    return cutSixRule(entry);
}

QString setBaseName(const QString& entry)
{
    QString name = withoutWav(entry);
    for (const char* marker : { "_1", "_2", "_3" }) {
        if (name.endsWith(QLatin1String(marker))) {
            name.chop(2);
        }
    }
    return name;
}

} // namespace PhraseNames
