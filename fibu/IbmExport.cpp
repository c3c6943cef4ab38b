#include "fibu/IbmExport.h"

#include "fibu/CostCentreMap.h"
#include "fibu/BookingFindings.h"
#include "fibu/FibuFiles.h"
#include "core/RunError.h"
#include "base/Clock.h"
#include "text/Conversions.h"

#include <QStringBuilder>

#include <functional>

namespace qvl::fibu {

namespace {

// The revenue accounts of fees 1 to 5, the last going on in the series of the others.
constexpr const char16_t *kSlotAccounts[] = {u"801000", u"805000", u"805010", u"805020", u"805030"};

// A text field: quoted, with its commas, quotes and line breaks made blanks.
QString quoted(const QString &value)
{
    return u'"' + field(value, u",\"") + u'"';
}

QString quotedOrEmpty(const QString &value)
{
    return value.isEmpty() ? QString() : quoted(value);
}

// What changes from one kind of booking line to the next.
struct Line {
    QString debit, credit, amount, vatCode, text, paymentCode, ownerKey, costValue;
};

struct Run {
    bool directDebit = false;
    QString date;          // dd.mm.yyyy
    QString bookingText;   // "Beitragsrechnung " & year
    SlotArray<QString> vatCodes; // field 9 of each fee's lines: "M" and its rate, or nothing
    QString bankAccount;
    qint64 firstNumber = 0;
};

QString header(const Run &run)
{
    const QString kind = run.directDebit ? u"Beitrag Lastschrift"_qs : u"Beitragsrechnung"_qs;
    return u"$AF1BA1,\"11\",,"_qs % quoted((run.directDebit ? u"LA "_qs : u"RE "_qs) + run.date) % u','
           % quoted(run.date) % u',' % quoted(kind) % u',' % quoted(run.date) % u",,\"";
}

// R, D and N are the invoice number, the date and the owner's name of the booking. The
// amount is quoted as it is: its decimal comma is the format's own.
QString bookingLine(const QString &r, const QString &d, const QString &n, const Line &l)
{
    return u"$AF1BG1,\"11\",,"_qs % quoted(r) % u',' % quoted(d) % u',' % quotedOrEmpty(l.debit) % u','
           % quotedOrEmpty(l.credit) % u",\"" % l.amount % u"\"," % l.vatCode % u",,,,,"
           % quoted(l.text) % u',' % quoted(n) % u',' % l.paymentCode % u",,,,,,"
           % quotedOrEmpty(l.ownerKey) % u',' % quotedOrEmpty(l.costValue) % u",,,\"M\",,\"EUR\"";
}

QString ownerName(const Buchung &b)
{
    return (b.Name + u' ' + b.Vorname).left(30).trimmed();
}

QString fileName(const QString &stem, const QDate &today, int n)
{
    return stem + formatDate(today, u"yyyymmdd"_qs) + (n > 0 ? u'_' + QString::number(n) : QString()) + u".df2"_qs;
}

// One file: the header, then per booking with a positive total the lines `linesOf` gives;
// named with the first free number of the day (*path). Returns the notices about what the
// lines hold.
QStringList writeFile(const FibuSettings &f, const std::function<QString(int)> &name, const Run &run,
                      const Buchungen &records, const std::function<QList<Line>(const Buchung &)> &linesOf,
                      QString *path)
{
    QStringList lines{header(run)};
    BookingFindings findings;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Buchung &b = records[i];
        if (b.SummeCent <= Money())
            continue;
        const QString r = QString::number(run.firstNumber + qint64(i));
        QStringList own;
        for (const Line &l : linesOf(b)) {
            if (l.debit.isEmpty() && l.credit.isEmpty())
                findings.formAccountMissing(u"Bankkonto"_qs);
            own.append(bookingLine(r, run.date, ownerName(b), l));
        }
        findings.owner(b, own, false);
        lines += own;
    }
    *path = writeNumberedFiles(f.outputs, f.folder, [&](int n) { return QStringList{name(n)}; }, {lines}).front();
    return findings.tell(f, {*path});
}

} // namespace

QString ownerKey(long nummer)
{
    const QString text = QString::number(nummer);
    return text.size() == 8 ? text.mid(1, 3) : text.left(3);
}

QStringList ExportIBM(const FibuSettings &f, const Buchungen &records, QStringList &written, const QSet<long> &notCollected)
{
    const QDate today = f.clock->today();
    Run run;
    run.directDebit = f.directDebit;
    run.date = formatDate(today, u"dd.mm.yyyy"_qs);
    run.bookingText = u"Beitragsrechnung "_qs + f.businessYear;
    for (int k = 0; k < kFeeSlots; ++k) {
        const QString rate = f.vatRates[std::size_t(k)].trimmed();
        // A rate is a number as typed ("5,5" keeps its decimal comma, as the amounts do);
        // anything else is cleaned.
        if (!rate.isEmpty())
            run.vatCodes[std::size_t(k)] =
                u"\"M"_qs + (parseGermanAmount(rate) ? rate : field(rate, u",\"")) + u'"';
    }
    run.bankAccount = f.bankAccount;
    const QString feeStem = run.directDebit ? u"BEITLA"_qs : u"BEITRE"_qs;
    run.firstNumber = f.firstInvoiceNumber;

    QStringList notices;
    const QString mapPath = costCentreMapPath(f.programDir);
    std::optional<CostCentreMap> map = CostCentreMap::load(mapPath);
    if (!map) {
        notices += u"Die Kostenstellen-Zuordnung „"_qs + mapPath
                 + u"“ konnte nicht gelesen werden. Die IBM-FIBU-Buchungen werden ohne Kostenstellen geschrieben."_qs;
        map = CostCentreMap();
    }

    const auto totalText = [](const Buchung &b) { return b.SummeCent.german(false); };

    // A fee file that fails does not keep the bank bookings from being written: the
    // debits are on their way to the bank either way. Both failures are told.
    std::optional<WriteError> feeFailure;
    try {
        QString feeFile;
        const auto feeName = [&](int n) { return fileName(feeStem, today, n); };
        notices += writeFile(f, feeName, run, records, [&](const Buchung &b) {
            const QString paymentCode = run.directDebit ? u"A"_qs : u"N90"_qs;
            QList<Line> lines{{QString::number(b.Nummer), {}, totalText(b), {}, run.bookingText, paymentCode, {}, {}}};
            const QString key = ownerKey(b.Nummer);
            const QString cost = map->value(key);
            // Each fee gross, with its own rate's tax code, as the owner's line books the
            // total: the lines of an owner balance, VAT on top or included.
            for (int k = 0; k < kFeeSlots; ++k)
                if (const Money gross = b.BruttoCent[std::size_t(k)]; !gross.isZero())
                    lines.append({{}, QString::fromUtf16(kSlotAccounts[k]), gross.german(false),
                                  run.vatCodes[std::size_t(k)], f.feeNames[std::size_t(k)], {}, key, cost});
            return lines;
        }, &feeFile);
        written.append(feeFile);
    } catch (const WriteError &e) {
        if (!run.directDebit)
            throw;
        feeFailure = e;
    }

    if (run.directDebit) {
        try {
            QString bankFile;
            const auto bankName = [&](int n) { return fileName(u"LA"_qs, today, n); };
            notices += writeFile(f, bankName, run, records, [&](const Buchung &b) {
                if (notCollected.contains(b.Id_Personal))
                    return QList<Line>();
                const QString nummer = QString::number(b.Nummer);
                return QList<Line>{{run.bankAccount, {}, totalText(b), {}, run.bookingText, u"A"_qs, {}, {}},
                                   {{}, nummer, totalText(b), {}, run.bookingText, {}, {}, {}}};
            }, &bankFile);
            written.append(bankFile);
        } catch (const WriteError &e) {
            if (!feeFailure)
                throw;
            throw WriteError(feeFailure->file(), feeFailure->message() + u"\r"_qs + e.message());
        }
    }
    if (feeFailure)
        throw *feeFailure;
    return notices;
}

} // namespace qvl::fibu
