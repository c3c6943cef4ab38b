#include "fibu/SyskaExport.h"

#include "fibu/BookingFindings.h"
#include "fibu/FibuFiles.h"
#include "base/Clock.h"
#include "text/Conversions.h"

namespace qvl::fibu {

QStringList ExportSYSKA(const FibuSettings &f, const Buchungen &records, QStringList &written)
{
    const QDate today = f.clock->today();
    const QString stem = (f.directDebit ? u"BEITLA"_qs : u"BEITRE"_qs) + formatDate(today, u"yyyymmdd"_qs);
    const auto name = [&](int n) { return stem + (n > 0 ? u'_' + QString::number(n) : QString()) + u".txt"_qs; };
    const qint64 firstNumber = f.firstInvoiceNumber;

    // The date as typed; an empty box gives the day of the run.
    const QString date = f.invoiceDateText.trimmed().isEmpty() ? formatDate(today, u"dd.mm.yyyy"_qs)
                                                               : f.invoiceDateText;
    // Fee 1 books to the member-fee account, fee 2 to the forest-fire-insurance account.
    const QString accounts[] = {f.feeAccounts[0], f.feeAccounts[1]};
    QStringList lines;
    BookingFindings findings;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Buchung &b = records[i];
        // Numbered by the record's place, whether or not it books anything.
        const QString number = QString::number(firstNumber + qint64(i));
        QStringList own;
        for (int k = 0; k < 2; ++k) {
            if (!syskaBooks(b, k))
                continue;
            if (accounts[k].trimmed().isEmpty())
                findings.formAccountMissing(u"Beitragskonto "_qs + f.feeNames[std::size_t(k)]);
            own.append(QStringList{u"L"_qs, field(date, u";"), number, field(b.FibuKonto, u";"),
                                   field(accounts[k], u";"), field(f.bookingText, u";"),
                                   b.BetragCent[std::size_t(k)].german(false)}
                           .join(u';'));
        }
        findings.owner(b, own, lacksOwnerAccount(b));
        lines += own;
    }

    const QString file =
        writeNumberedFiles(f.outputs, f.folder, [&](int n) { return QStringList{name(n)}; }, {lines}).front();
    written.append(file);
    return findings.tell(f, {file});
}

} // namespace qvl::fibu
