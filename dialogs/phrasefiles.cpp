#include "dialogs/phrasefiles.h"

#include "app/commands.h"
#include "platform/core/filesys.h"
#include "platform/gui/filenames.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace PhraseFiles {

QString quoted(const QString& name)
{
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

bool acceptableName(const QString& name)
{
    return !name.startsWith(QLatin1Char('.')) && platform::fs::isValidNewName(platform::fileNameFromText(name));
}

bool sameFolder(const platform::fs::HeldFolder& a, const platform::fs::HeldFolder& b)
{
    struct stat sa {};
    struct stat sb {};
    return a.isOpen() && b.isOpen() && ::fstat(a.fd(), &sa) == 0 && ::fstat(b.fd(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void tellRefusal(const QString& reason)
{
    QString title;
    Commands::ShowMessage(reason, 1, title);
}

bool checkThenAct(const std::function<Refusal()>& check, const std::function<void()>& prepare,
                  const std::function<Refusal()>& act)
{
    if (const Refusal why = check()) {
        tellRefusal(*why);
        return false;
    }
    prepare();
    // Events ran: the lists and the folders may have changed.
    if (const Refusal why = check()) {
        tellRefusal(*why);
        return false;
    }
    if (const Refusal failure = act()) {
        tellRefusal(*failure);
    }
    return true;
}

QString takenReason(const std::string& name)
{
    return quoted(platform::textFromFileName(name)) + QStringLiteral(" already exists.");
}

QString goneReason(const std::string& name)
{
    return quoted(platform::textFromFileName(name)) + QStringLiteral(" no longer exists.");
}

QString refusedNameReason(const QString& name)
{
    return quoted(name) + QStringLiteral(" cannot be used as a name.");
}

Plan::Plan(platform::fs::HeldFolder source, platform::fs::HeldFolder destination)
    : m_source(std::move(source)), m_destination(std::move(destination)),
      m_sameFolder(sameFolder(m_source, m_destination))
{
}

void Plan::addSound(const std::string& from, const std::string& to)
{
    m_sounds.push_back({ from, to });
}

void Plan::setSettings(const std::string& from, const std::string& to)
{
    m_settings = Step { from, to };
}

bool Plan::stays(const Step& step) const
{
    return m_sameFolder && step.from == step.to;
}

bool Plan::taken(const Step& step) const
{
    if (!m_destination.isOpen()) {
        return false; // a folder still to be made holds nothing
    }
    if (m_destination.exists(step.to)) {
        return true;
    }
    const std::optional<std::string> twin = m_destination.caseTwin(step.to);
    if (!twin) {
        return false;
    }
    if (!(m_sameFolder && *twin == step.from)) {
        return true;
    }
    // The file itself changing case only; another file may still differ from the name only in case.
    const std::vector<std::string> variants = m_destination.files(step.to);
    return std::any_of(variants.begin(), variants.end(), [&](const std::string& v) { return v != step.from; });
}

void Plan::refuse(const QString& why)
{
    m_refused = why;
}

std::optional<QString> Plan::refusal() const
{
    if (m_refused) {
        return m_refused;
    }
    for (const Step& step : m_sounds) {
        if (stays(step)) {
            continue;
        }
        if (!m_source.exists(step.from)) {
            return goneReason(step.from);
        }
        if (taken(step)) {
            return takenReason(step.to);
        }
    }
    if (m_settings && !stays(*m_settings) && taken(*m_settings)) {
        return takenReason(m_settings->to);
    }
    return std::nullopt;
}

bool Plan::go(const Step& step) const
{
    m_source.setAttributesNormal(step.from);
    return m_source.renameTo(step.from, m_destination, step.to);
}

QString Plan::failedReason(const std::string& name) const
{
    return quoted(platform::textFromFileName(name))
        + (m_sameFolder ? QStringLiteral(" could not be renamed.") : QStringLiteral(" could not be moved."));
}

std::optional<QString> Plan::run() const
{
    if (m_refused) {
        return m_refused;
    }
    std::optional<QString> failure;
    bool went = false; // a sound file took a step
    for (const Step& step : m_sounds) {
        if (stays(step)) {
            continue;
        }
        if (!go(step) && !failure) {
            failure = failedReason(step.from);
        }
        went = true;
    }
    // The settings file follows its set's sound files, and only when they all went.
    if (m_settings && went && !failure && m_source.exists(m_settings->from) && !go(*m_settings)) {
        failure = failedReason(m_settings->from);
    }
    return failure;
}

} // namespace PhraseFiles
