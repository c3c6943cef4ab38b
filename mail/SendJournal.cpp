#include "mail/SendJournal.h"

#include "os/Paths.h"
#include "os/TemporaryFiles.h"

#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <optional>


namespace qvl {

namespace {

constexpr char16_t kJournalName[] = u".versandprotokoll";
constexpr char kSent[] = "gesendet";
constexpr char kRefused[] = "abgelehnt";
constexpr char kOnItsWay[] = "unterwegs";
constexpr char kOpen[] = "offen";

QByteArray statusWord(MailStatus status)
{
    switch (status) {
    case MailStatus::Refused:
        return kRefused;
    case MailStatus::Uncertain:
        return kOnItsWay;
    case MailStatus::Open:
        return kOpen;
    default:
        return kSent;
    }
}

std::optional<MailStatus> statusOf(const QByteArray &word)
{
    if (word == kSent)
        return MailStatus::Sent;
    if (word == kRefused)
        return MailStatus::Refused;
    if (word == kOnItsWay)
        return MailStatus::Uncertain;
    if (word == kOpen)
        return MailStatus::Open;
    return std::nullopt;
}

// A field may hold no tab and no line break: they separate the fields and the lines.
QByteArray field(const QString &text)
{
    return QUrl::toPercentEncoding(text, " @<>.:;,()/_-+=!?'\"[]{}$&*#~");
}

QString fieldText(const QByteArray &bytes)
{
    return QUrl::fromPercentEncoding(bytes);
}

bool syncData(QFile &file)
{
    return syncFileToDisk(file.handle(), nullptr, true);
}

} // namespace

SendJournal::SendJournal(const QString &folder) : m_path(joinPath(folder, QString::fromUtf16(kJournalName))) {}

QList<JournalEntry> SendJournal::read() const
{
    QList<JournalEntry> entries;
    QFile file(nativePath(m_path));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QByteArray all = file.readAll();
    for (qsizetype start = 0; start < all.size();) {
        const qsizetype end = all.indexOf('\n', start);
        if (end < 0)
            break; // the last line without its end: the kill came while it was written
        const QList<QByteArray> f = all.mid(start, end - start).split('\t');
        start = end + 1;
        bool ok = false;
        // A line cut short after its status still names an answered mail: the answer's text
        // is all it lacks.
        const long owner = f.size() >= 4 ? f.at(1).toLong(&ok) : 0;
        const std::optional<MailStatus> status = ok ? statusOf(f.at(3)) : std::nullopt;
        if (!status)
            continue;
        entries.append({fieldText(f.at(0)), owner, fieldText(f.at(2)), *status,
                        f.size() > 4 ? fieldText(f.at(4)) : QString()});
    }
    return entries;
}

QList<JournalEntry> SendJournal::lastAnswers() const
{
    QList<JournalEntry> last;
    QHash<QString, qsizetype> at;
    for (const JournalEntry &e : read()) {
        if (const auto found = at.constFind(e.messageId); found != at.cend()) {
            last[*found] = e;
        } else {
            at.insert(e.messageId, last.size());
            last.append(e);
        }
    }
    return last;
}

bool SendJournal::append(const JournalEntry &e, QString *reason, bool sync)
{
    if (!m_file.isOpen()) {
        const bool created = !QFile::exists(nativePath(m_path));
        m_file.setFileName(nativePath(m_path));
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            *reason = m_file.errorString();
            return false;
        }
        // The new file's name must outlast a power cut as its lines do.
        if (created)
            syncFolder(QFileInfo(m_path).absolutePath());
        // A line a kill cut short is ended, so that it does not swallow the next one.
        if (m_file.size() > 0) {
            QFile tail(nativePath(m_path));
            if (tail.open(QIODevice::ReadOnly) && tail.seek(tail.size() - 1) && tail.read(1) != "\n")
                m_file.write("\n");
        }
    }
    const QByteArray line = field(e.messageId) + '\t' + QByteArray::number(qlonglong(e.owner)) + '\t' + field(e.file)
                            + '\t' + statusWord(e.status) + '\t' + field(e.answer)
                            + '\n';
    if (m_file.write(line) != line.size() || (sync && !syncData(m_file))) {
        *reason = m_file.errorString();
        return false;
    }
    return true;
}

bool SendJournal::sync(QString *reason)
{
    if (!m_file.isOpen() || syncData(m_file))
        return true;
    *reason = m_file.errorString();
    return false;
}

bool SendJournal::remove()
{
    m_file.close();
    return !QFile::exists(nativePath(m_path)) || QFile::remove(nativePath(m_path));
}

} // namespace qvl
