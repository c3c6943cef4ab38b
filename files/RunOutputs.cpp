#include "files/RunOutputs.h"

#include "files/AnsiTextFile.h"
#include "base/FaultPoints.h"
#include "os/FileNaming.h"
#include "os/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

namespace qvl {

namespace {

constexpr int kNextFreeNames = 999;
constexpr int kDayNumbers = 50;

QString randomHex(int digits)
{
    QString out;
    while (out.size() < digits)
        out += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, u'0');
    return out.left(digits);
}

// "NAME_PART.ext"
QString withPart(const QString &target, const QString &part)
{
    const QString suffix = QFileInfo(target).suffix();
    const QString stem = suffix.isEmpty() ? target : target.chopped(suffix.size() + 1);
    return stem + u'_' + part + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

QString numbered(const QString &target, int k)
{
    return withPart(target, QString::number(k));
}

QString notNamed(const RunOutput &o, const QString &reason)
{
    return u"Die Datei „"_qs + QDir::toNativeSeparators(candidateName(o, o.first)) + u"“ konnte ihren Namen nicht "
           "erhalten ("_qs + reason + u"). Sie liegt vollständig unter „"_qs + QDir::toNativeSeparators(o.hidden)
           + u"“ und erhält ihren Namen beim nächsten Start des Programms."_qs;
}

// Gives the pending outputs of one group their k-th names, all or none. Taken: another file
// has one of the names.
Renamed nameGroupAt(QList<RunOutput> &outputs, const QList<qsizetype> &pending, int k, QString *reason,
                    QSet<QString> &folders)
{
    QList<qsizetype> done;
    const auto undo = [&] {
        for (const qsizetype j : done)
            renameWithoutReplacing(outputs[j].named, outputs[j].hidden);
    };
    for (const qsizetype i : pending) {
        RunOutput &o = outputs[i];
        const QString name = candidateName(o, k);
        if (name.isEmpty()) {
            undo();
            *reason = u"es gibt keinen freien Dateinamen mehr"_qs;
            return Renamed::Failed;
        }
        // Each folder is synced once when all are named: one sync per mail would cost the
        // outbox of a large run more than its letters.
        folders.insert(QFileInfo(name).absolutePath());
        const Renamed r = o.naming == Naming::Replace ? renameReplacing(o.hidden, name, reason, FolderSync::ByCaller)
                                                      : renameWithoutReplacing(o.hidden, name, reason,
                                                                               FolderSync::ByCaller);
        switch (r) {
        case Renamed::Done:
            o.named = name;
            done.append(i);
            faultPoint("umbenannt");
            break;
        case Renamed::SourceGone: // named by another start meanwhile
            o.named = name;
            break;
        case Renamed::Taken:
            if (o.naming == Naming::Exact) {
                undo();
                *reason = u"eine andere Datei hat diesen Namen"_qs;
                return Renamed::Failed;
            }
            undo();
            return Renamed::Taken;
        case Renamed::Failed:
            undo();
            return Renamed::Failed;
        }
    }
    return Renamed::Done;
}

} // namespace

QString candidateName(const RunOutput &o, int k)
{
    switch (o.naming) {
    case Naming::Exact:
    case Naming::Replace:
        return k == 1 ? o.target : QString();
    case Naming::NextFree:
        return k == 1 ? o.target : k <= kNextFreeNames ? numbered(o.target, k) : QString();
    case Naming::DayNumber:
        return k <= kDayNumbers ? numbered(o.target, k) : k == kDayNumbers + 1 ? o.target : QString();
    case Naming::Dated:
        return k == 1 ? o.target
                      : k <= kNextFreeNames ? withPart(o.target, o.day.toString(Qt::ISODate) + u'_' + QString::number(k))
                                            : QString();
    }
    return {};
}

int firstFreeNumber(const QStringList &targets, Naming naming)
{
    if (naming == Naming::Exact || naming == Naming::Replace)
        return 1;
    for (int k = 1;; ++k) {
        bool free = true;
        for (const QString &target : targets) {
            const QString name = candidateName({{}, target, naming, 0, 1, {}, {}}, k);
            if (name.isEmpty())
                return 0;
            free = free && !QFileInfo::exists(name);
        }
        if (free)
            return k;
    }
}

std::optional<HiddenTag> hiddenTagOf(const QString &fileName)
{
    static const QRegularExpression tagged(u"^\\..+\\.([0-9a-f]{12})-([0-9a-f]{8})\\.[A-Za-z0-9]{6}$"_qs);
    const QRegularExpressionMatch m = tagged.match(fileName);
    if (!m.hasMatch())
        return std::nullopt;
    return HiddenTag{m.captured(1), m.captured(2)};
}

NamingResult nameOutputs(QList<RunOutput> &outputs)
{
    NamingResult result;
    QSet<QString> folders;
    for (qsizetype i = 0; i < outputs.size();) {
        qsizetype end = i + 1;
        while (outputs[i].group > 0 && end < outputs.size() && outputs[end].group == outputs[i].group)
            ++end;
        QList<qsizetype> pending;
        for (qsizetype j = i; j < end; ++j) {
            if (QFileInfo::exists(outputs[j].hidden))
                pending.append(j);
            else if (outputs[j].named.isEmpty())
                outputs[j].named = candidateName(outputs[j], outputs[j].first);
        }
        if (!pending.isEmpty()) {
            QString reason;
            Renamed r = Renamed::Taken;
            for (int k = std::max(1, outputs[i].first); r == Renamed::Taken; ++k)
                r = nameGroupAt(outputs, pending, k, &reason, folders);
            if (r == Renamed::Failed) {
                for (const qsizetype j : pending)
                    outputs[j].named.clear();
                result.problems.append(notNamed(outputs[pending.first()], reason));
            }
        }
        for (qsizetype j = i; j < end; ++j)
            if (!outputs[j].named.isEmpty())
                result.named.append(QDir::toNativeSeparators(outputs[j].named));
        i = end;
    }
    // The names last once their folders are synced; the manifest goes only after this.
    for (const QString &folder : std::as_const(folders))
        syncFolder(folder);
    return result;
}

RunOutputs::RunOutputs(const QString &databaseId, const QString &runId) : m_databaseId(databaseId), m_runId(runId) {}

RunOutputs::~RunOutputs()
{
    if (m_kept)
        return;
    m_held.clear(); // removes the held files
    for (const RunOutput &o : std::as_const(m_entries))
        QFile::remove(o.hidden);
}

QString RunOutputs::newRunId()
{
    return randomHex(8);
}

QString RunOutputs::tag() const
{
    return m_databaseId + u'-' + m_runId;
}

std::unique_ptr<CheckedNewFile> RunOutputs::createHidden(const QString &target) const
{
    return std::make_unique<CheckedNewFile>(target, tag());
}

QString RunOutputs::add(std::unique_ptr<CheckedNewFile> file, const QString &target, Naming naming, int group,
                        int first)
{
    file->setAutoRemove(true); // until the commit keeps it
    const QString name = add(file->fileName(), target, naming, group, first);
    m_held.push_back(std::move(file));
    return name;
}

QString RunOutputs::add(const QString &hiddenPath, const QString &target, Naming naming, int group, int first)
{
    const QString absoluteTarget = QFileInfo(target).absoluteFilePath();
    RunOutput o{QFileInfo(hiddenPath).absoluteFilePath(), absoluteTarget, naming, group,
                first > 0 ? first : std::max(1, firstFreeNumber({absoluteTarget}, naming)), {}, {}};
    m_entries.append(o);
    return candidateName(o, o.first);
}

bool RunOutputs::writeDeferredLog(QString *error)
{
    bool ok = true;
    for (const auto &[path, lines] : std::exchange(m_log, {})) {
        QString reason;
        if (!appendAnsiLines(path, lines, &reason) && ok) {
            ok = false;
            if (error)
                *error = u"Die Log-Datei konnte nicht ergänzt werden.\n"_qs + reason;
        }
    }
    return ok;
}

void RunOutputs::keep()
{
    m_kept = true;
    for (const std::unique_ptr<CheckedNewFile> &file : m_held)
        file->setAutoRemove(false);
}

void RunOutputs::discard()
{
    m_held.clear(); // removes the held files
    for (const RunOutput &o : std::as_const(m_entries))
        QFile::remove(o.hidden);
}

NamingResult RunOutputs::nameAll()
{
    keep();
#ifdef Q_OS_WIN
    // Windows renames no open file, and a temporary file's close() keeps its handle open
    // (Qt only rewinds it): the held files are let go, kept on the disk, before naming.
    m_held.clear();
#endif
    NamingResult result = nameOutputs(m_entries);
    m_held.clear();
    return result;
}

bool writeReplacingFile(RunOutputs *outputs, const QString &path,
                        const std::function<bool(QIODevice &, QString *)> &write, QString *error)
{
    QString problem;
    if (outputs) {
        std::unique_ptr<CheckedNewFile> file = outputs->createHidden(path);
        if (file->openForWriting() && write(*file, &problem) && problem.isEmpty() && file->finishUnnamed()) {
            outputs->add(std::move(file), path, Naming::Replace);
            return true;
        }
        if (error)
            *error = file->errorText().isEmpty() ? problem : file->errorText();
        return false;
    }
    // Outside a run: the same hidden file beside the old one, tagged as the program's own so
    // that a start after a kill removes it and nothing else, then renamed over the old file.
    auto file = std::make_unique<CheckedNewFile>(path);
    if (file->openForWriting() && write(*file, &problem) && problem.isEmpty() && file->finishUnnamed()) {
        const QString hidden = file->fileName();
        // Windows renames no open file, and a temporary file's close() keeps its handle open
        // (Qt only rewinds it): the file object goes, the file stays until it is named.
        file->setAutoRemove(false);
        file.reset();
        QString reason;
        if (renameReplacing(hidden, path, &reason) == Renamed::Done)
            return true;
        QFile::remove(hidden);
        if (error)
            *error = fileWriteError(path, reason);
        return false;
    }
    if (error)
        *error = file->errorText().isEmpty() ? problem : file->errorText();
    return false;
}

} // namespace qvl
