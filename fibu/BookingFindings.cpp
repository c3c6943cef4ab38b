#include "fibu/BookingFindings.h"

#include "text/Conversions.h"

#include "fibu/FibuFiles.h"
#include "text/Cp1252.h"
#include "core/ErrorLog.h"

#include <QLocale>

#include <algorithm>

namespace qvl::fibu {

namespace {

// The message names this many owners; the log names them all.
constexpr qsizetype kNamedInMessage = 10;

// "Datei „X“" or "Dateien „X“ und „Y“".
QString quotedFiles(const QStringList &files)
{
    QStringList quoted;
    for (const QString &file : files)
        quoted.append(u"„"_qs + file + u"“"_qs);
    return (files.size() > 1 ? u"Dateien "_qs : u"Datei "_qs) + quoted.join(u" und "_qs);
}

// "in der Datei „X“" or "in den Dateien „X“ und „Y“".
QString inFiles(const QStringList &files)
{
    return (files.size() > 1 ? u"in den "_qs : u"in der "_qs) + quotedFiles(files);
}

// 2628 as "2.628".
QString count(qsizetype n)
{
    return QLocale(QLocale::German).toString(qlonglong(n));
}

// "A, B, C" or "A, B … und 2.628 weitere (alle in der Log-Datei)".
QString someOf(const QStringList &owners)
{
    if (owners.size() <= kNamedInMessage)
        return owners.join(u", "_qs);
    return owners.first(kNamedInMessage).join(u", "_qs) + u" und "_qs
           + count(owners.size() - kNamedInMessage) + u" weitere (alle in der Log-Datei)"_qs;
}

} // namespace

QString ownerLabel(const Buchung &b)
{
    return (QString::number(b.Nummer) + u' ' + b.Name.trimmed() + u' ' + b.Vorname.trimmed()).trimmed();
}

// The fee with its share of its rate's VAT, as the booking line carries it: at least 0,01
// (accounting refuses a turnover of 0,00).
bool datevBooks(const Buchung &b, int slot)
{
    const auto k = std::size_t(slot);
    return b.BetragCent[k] > Money() && b.BruttoCent[k] > Money();
}

bool syskaBooks(const Buchung &b, int slot)
{
    const auto k = std::size_t(slot);
    return slot < 2 && b.BetragCent[k] > Money();
}

bool lacksOwnerAccount(const Buchung &b)
{
    return b.FibuKonto.trimmed().isEmpty();
}

bool booksWithoutOwnerAccount(const QString &fibuSystem, const Buchung &b)
{
    if (!lacksOwnerAccount(b))
        return false;
    const QString system = fibuSystem.trimmed().toUpper();
    for (int k = 0; k < kFeeSlots; ++k) {
        if (system == u"DATEV-FIBU"_qs && datevBooks(b, k))
            return true;
        if (system == u"SYSKA-FIBU"_qs && syskaBooks(b, k))
            return true;
    }
    return false;
}

void BookingFindings::owner(const Buchung &b, const QStringList &lines, bool withoutAccount)
{
    if (lines.isEmpty())
        return;
    if (withoutAccount)
        m_withoutAccount.append(ownerLabel(b));
    if (!std::all_of(lines.cbegin(), lines.cend(), [](const QString &line) { return fitsCp1252(line); }))
        m_unrepresentable.append(ownerLabel(b));
}

void BookingFindings::formAccountMissing(const QString &what)
{
    if (!m_formAccounts.contains(what))
        m_formAccounts.append(what);
}

QStringList BookingFindings::tell(const FibuSettings &settings, const QStringList &files) const
{
    QStringList notices;
    QStringList log;
    const QString where = quotedFiles(files);
    if (!m_withoutAccount.isEmpty()) {
        notices.append(u"Für folgende Waldbesitzer fehlt das FIBU-Konto: "_qs + someOf(m_withoutAccount) + u" ("_qs
                       + where + u"). Ihre Buchungen wurden ohne Konto geschrieben; die Buchhaltung nimmt sie so "
                                  "nicht an."_qs);
        log.append(u"Für folgende Waldbesitzer fehlt das FIBU-Konto ("_qs + where + u"):"_qs);
        for (const QString &owner : m_withoutAccount)
            log.append(owner);
    }
    for (const QString &account : m_formAccounts) {
        const QString text = u"Den Buchungen "_qs + inFiles(files) + u" fehlt das FIBU-Konto „"_qs + account
                             + u"“; sie wurden ohne dieses Konto geschrieben."_qs;
        notices.append(text);
        log.append(text);
    }
    for (const QString &owner : m_unrepresentable)
        log.append(unrepresentableMessage(owner, inFiles(files)));
    QString error;
    if (!log.isEmpty() && !WriteLogLines(settings.outputs, settings.programDir, *settings.clock, log, &error))
        notices.append(error);
    return notices;
}

} // namespace qvl::fibu
