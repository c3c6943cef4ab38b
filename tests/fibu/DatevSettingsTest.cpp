// The DATEV files made from a run's records and the accounting settings alone: no form, no
// database. Each case changes the sample run's settings and expects what the export through
// the form expects of the same data.
#include "fibu/DatevExport.h"
#include "fibu/FibuSample.h"

#include "core/ErrorLog.h"
#include "core/RunError.h"
#include "base/Clock.h"
#include "text/Cp1252.h"
#include "support/BookedAmounts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct DatevCase {
    const char *name;
    std::function<void(fibu::FibuSettings &)> change;
    bool vatOnTop;
    std::size_t owners;            // the first owners of the sample run
    QStringList files;             // debtors, bookings
    std::function<QString()> bookings; // the bookings file's text, "\n" for CR LF
    QString notice;                // a part of the one notice expected; empty: none
};

QString header(const QString &file)
{
    return file.section(u'\n', 0, 0) + u'\n';
}

QByteArray ansi(const QString &text)
{
    return encodeCp1252(QString(text).replace(u"\n"_qs, u"\r\n"_qs));
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(fehlt)");
}

TEST(DatevFromSettings, WritesTheFilesTheFormsExportWrites)
{
    const QList<DatevCase> cases{
        {"Lastschriftlauf wie über das Formular", [](fibu::FibuSettings &) {}, false, 3,
         {u"DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs, u"DATEV_BEITLA20261206_1.csv"_qs},
         [] { return fibuSampleDatevBookings(); }, {}},
        {"Rechnungslauf, MwSt aufgeschlagen, eigenes Datum, Nummern ab 0",
         [](fibu::FibuSettings &s) {
             s.directDebit = false;
             s.invoiceDate = QDate(2026, 11, 24);
             s.invoiceDateText = u"24.11.2026"_qs;
             s.firstInvoiceNumber = 0;
         },
         true, 1, {u"DATEV_BEITRE_DEBKRED_20261206_1.csv"_qs, u"DATEV_BEITRE20261206_1.csv"_qs},
         [] {
             return header(fibuSampleDatevBookings())
                    + u";H;47,60;;8401;Beitrag  2026;L;2411;10001;;;;;0;;;;;;;\n"
                      ";H;10,00;;8400;Beitrag  2026;L;2411;10001;;;;;0;;;;;;;\n"
                      ";H;5,00;;8404;Beitrag  2026;L;2411;10001;;;;;0;;;;;;;\n"_qs;
         },
         {}},
        {"Ohne WBV-Konto: Zeilen ohne Gegenkonto und ein Hinweis",
         [](fibu::FibuSettings &s) { s.feeAccounts[1].clear(); }, false, 3,
         {u"DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs, u"DATEV_BEITLA20261206_1.csv"_qs},
         [] { return fibuSampleDatevBookings().replace(u";8400;"_qs, u";;"_qs); },
         u"fehlt das FIBU-Konto „Beitragskonto Waldbrand, \"Versicherung\"“"_qs},
    };
    for (const DatevCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        ASSERT_TRUE(QDir(tmp.path()).mkpath(u"fibu"_qs));
        const FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
        fibu::FibuSettings s;
        s.system = u"DATEV-FIBU"_qs;
        s.folder = tmp.filePath(u"fibu"_qs);
        s.programDir = tmp.path();
        s.clock = &clock;
        s.firstInvoiceNumber = 1000;
        s.invoiceDate = clock.today();
        s.bookingText = u"Beitrag; 2026"_qs;
        s.feeAccounts = {u"8401"_qs, u"8400"_qs, u"8402"_qs, u"8403"_qs, u"8404"_qs, {}};
        s.feeNames = {u"Mitgliedsbeitrag"_qs, u"Waldbrand, \"Versicherung\""_qs, u"Haftpflicht"_qs, u"Sturm"_qs,
                      u"Sonder"_qs, {}};
        c.change(s);
        Buchungen records = fibuSampleRecords();
        records.resize(c.owners);
        withCents(records, c.vatOnTop);

        QStringList written;
        const QStringList notices = fibu::ExportDATEV(s, records, written);
        QStringList names;
        for (const QString &path : written)
            names.append(QFileInfo(path).fileName());
        ASSERT_EQ(names, c.files);
        // The debtor file of the whole sample is the one the form's export expects.
        if (c.owners == 3)
            EXPECT_EQ(bytesOf(written[0]), ansi(fibuSampleDatevDebtors()));
        EXPECT_EQ(bytesOf(written[1]), ansi(c.bookings()));
        if (c.notice.isEmpty()) {
            EXPECT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
            EXPECT_FALSE(QFileInfo::exists(logFilePath(s.programDir)));
        } else {
            ASSERT_EQ(notices.size(), 1);
            EXPECT_TRUE(notices[0].contains(c.notice)) << notices[0].toStdString();
            EXPECT_TRUE(decodeCp1252(bytesOf(logFilePath(s.programDir))).contains(c.notice));
        }
    }
}

// An invoice date that is no date stops the export before any file is written. (The first
// invoice number is a number: the run read it as its box does.)
TEST(DatevFromSettings, RefusesWithoutADate)
{
    const std::pair<const char *, std::function<void(fibu::FibuSettings &)>> cases[] = {
        {"kein Datum", [](fibu::FibuSettings &s) { s.invoiceDate.reset(); }},
    };
    for (const auto &[name, change] : cases) {
        SCOPED_TRACE(name);
        QTemporaryDir tmp;
        const FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
        fibu::FibuSettings s;
        s.folder = tmp.path();
        s.programDir = tmp.path();
        s.clock = &clock;
        s.firstInvoiceNumber = 1;
        s.invoiceDate = clock.today();
        change(s);
        Buchungen records = fibuSampleRecords();
        withCents(records);
        QStringList written;
        EXPECT_THROW(fibu::ExportDATEV(s, records, written), RunError);
        EXPECT_TRUE(written.isEmpty());
        EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

} // namespace
