#include "dialogs/phrasefiles.h"

#include "app/commands.h"
#include "platform/core/filesys.h"
#include "platform/gui/filenames.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
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

Outcome checkThenAct(const std::function<Refusal()>& check, const std::function<void()>& prepare,
                     const std::function<Result()>& act)
{
    if (const Refusal why = check()) {
        tellRefusal(*why);
        return Outcome::Refused;
    }
    prepare();
    // Events ran: the lists and the folders may have changed; `act` checks again what it holds.
    const Result result = act();
    if (result.outcome != Outcome::Done) {
        tellRefusal(result.message);
    }
    return result.outcome;
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

std::optional<std::string> Plan::takenBy(const Step& step) const
{
    if (!m_destination.isOpen()) {
        return std::nullopt; // a folder still to be made holds nothing
    }
    if (m_destination.exists(step.to)) {
        return step.to;
    }
    const std::optional<std::string> twin = m_destination.caseTwin(step.to);
    if (!twin || !(m_sameFolder && *twin == step.from)) {
        return twin;
    }
    // The file itself changing case only; another file may still differ from the name only in case.
    const std::vector<std::string> variants = m_destination.files(step.to);
    const auto other = std::find_if(variants.begin(), variants.end(), [&](const std::string& v) { return v != step.from; });
    return other != variants.end() ? std::optional<std::string>(*other) : std::nullopt;
}

void Plan::refuse(const QString& why)
{
    m_refused = why;
}

QString Plan::verb() const
{
    return m_sameFolder ? QStringLiteral("renamed") : QStringLiteral("moved");
}

Refusal Plan::stepRefusal(const Step& step) const
{
    const QString name = quoted(platform::textFromFileName(step.from));
    if (!m_source.isRegularFile(step.from)) {
        return name + QStringLiteral(" is not a regular file.");
    }
    if (!m_source.mayChangeNames()) {
        return name + QStringLiteral(" cannot be %1: you may not change the folder it is in.").arg(verb());
    }
    if (!m_source.mayTakeAway(step.from)) {
        return name + QStringLiteral(" cannot be %1: it belongs to another user in a shared folder.").arg(verb());
    }
    if (m_destination.isOpen() && !m_destination.mayChangeNames()) {
        return name + QStringLiteral(" cannot be moved: you may not write in the folder it goes to.");
    }
    if (const std::optional<std::string> taker = takenBy(step)) {
        return takenReason(*taker);
    }
    return std::nullopt;
}

Refusal Plan::refusal() const
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
        if (const Refusal why = stepRefusal(step)) {
            return why;
        }
    }
    if (!m_settings || stays(*m_settings)) {
        return std::nullopt;
    }
    // A settings file the save is still to write need only find its name free.
    if (!m_source.exists(m_settings->from)) {
        const std::optional<std::string> taker = takenBy(*m_settings);
        return taker ? Refusal(takenReason(*taker)) : std::nullopt;
    }
    return stepRefusal(*m_settings);
}

std::vector<Plan::Step> Plan::stepsToTake() const
{
    std::vector<Step> steps;
    std::copy_if(m_sounds.begin(), m_sounds.end(), std::back_inserter(steps), [this](const Step& s) { return !stays(s); });
    // The settings file follows its set's sound files.
    if (!steps.empty() && m_settings && !stays(*m_settings) && m_source.exists(m_settings->from)) {
        steps.push_back(*m_settings);
    }
    return steps;
}

namespace {

// Quoted names joined as a sentence lists them: 'a', 'b' and 'c'.
QString listed(const QStringList& names)
{
    QStringList quotedNames;
    for (const QString& name : names) {
        quotedNames << quoted(name);
    }
    const QString last = quotedNames.takeLast();
    return quotedNames.isEmpty() ? last : quotedNames.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace

QString Plan::whereFilesAre(const std::vector<Step>& steps, std::size_t failed, const std::vector<bool>& stranded) const
{
    QStringList inDestination;
    QStringList inSource;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i < failed && stranded[i]) {
            inDestination << platform::textFromFileName(steps[i].to);
        } else {
            inSource << platform::textFromFileName(steps[i].from);
        }
    }
    if (m_sameFolder) {
        return QStringLiteral("The files are now named ") + listed(inDestination + inSource) + QStringLiteral(".");
    }
    const auto folder = [](const platform::fs::HeldFolder& held) {
        return quoted(platform::textFromFileName(held.shownFolder()));
    };
    const auto are = [](const QStringList& names) { return names.size() == 1 ? QStringLiteral(" is in ") : QStringLiteral(" are in "); };
    QString where = QStringLiteral("Now ") + listed(inDestination) + are(inDestination) + folder(m_destination);
    if (!inSource.isEmpty()) {
        where += QStringLiteral("; ") + listed(inSource) + are(inSource) + folder(m_source);
    }
    return where + QStringLiteral(".");
}

Result Plan::run() const
{
    if (const Refusal why = refusal()) {
        return { Outcome::Refused, *why };
    }
    const std::vector<Step> steps = stepsToTake();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        m_source.setAttributesNormal(steps[i].from);
        errno = 0;
        if (m_source.renameTo(steps[i].from, m_destination, steps[i].to)) {
            continue;
        }
        const int error = errno;
        // Puts back what went, the last first, never over anything.
        std::vector<bool> stranded(i, false);
        QStringList notBack;
        for (std::size_t j = i; j-- > 0;) {
            stranded[j] = !m_destination.renameTo(steps[j].to, m_source, steps[j].from);
            if (stranded[j]) {
                notBack.prepend(platform::textFromFileName(steps[j].to));
            }
        }
        QString message = quoted(platform::textFromFileName(steps[i].from)) + QStringLiteral(" could not be ") + verb();
        if (error != 0) {
            message += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(error)));
        }
        if (notBack.isEmpty()) {
            return { Outcome::LeftAsItWas, message + QStringLiteral(". The set was left as it was.") };
        }
        message += QStringLiteral(", and ") + listed(notBack)
            + (!m_sameFolder              ? QStringLiteral(" could not be moved back. ")
               : notBack.size() == 1 ? QStringLiteral(" could not get back its old name. ")
                                     : QStringLiteral(" could not get back their old names. "));
        return { Outcome::Split, message + whereFilesAre(steps, i, stranded) };
    }
    return {};
}

} // namespace PhraseFiles
