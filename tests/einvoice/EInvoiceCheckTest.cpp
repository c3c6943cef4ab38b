// The check before a run names every owner who should get an e-invoice and will not, the
// optional fields an e-invoice leaves out, and a business year box the start month cannot
// read — by the rules the e-invoices are built with.
#include "app/RunInputs.h"
#include "einvoice/EInvoiceFixture.h"
#include "check/EInvoiceCheck.h"
#include "run/RunSummary.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct Row {
    const char *what;
    bool directDebit;
    bool letters; // "mit Rechnung"
    std::function<void(Buchung &, FrmDTA &)> change;
    std::optional<CheckKind> finding; // std::nullopt: nothing to tell
    const char16_t *detail = u"";     // part of the owner's detail
};

} // namespace

TEST(EInvoiceCheck, EveryOwnerWithoutHisEInvoiceIsNamed)
{
    const Row rows[] = {
        {"a clean business in an invoice run", false, true, {}, std::nullopt},
        {"a business in a direct-debit run without letters", true, false, {}, CheckKind::EInvoiceNotMade},
        {"a business without an address", true, true, [](Buchung &b, FrmDTA &) { b.OrtOrig.clear(); },
         CheckKind::EInvoiceRefused, u"Anschrift ist unvollständig"},
        {"an unknown country", false, true, [](Buchung &b, FrmDTA &) { b.NationOrig = u"XQ"_qs; },
         CheckKind::EInvoiceRefused, u"„XQ“"},
        {"a VAT identifier without its country", false, true, [](Buchung &b, FrmDTA &) { b.USTID = u"123456789"_qs; },
         CheckKind::EInvoiceFieldLeftOut, u"123456789"},
        {"a member who is no business", true, false, [](Buchung &b, FrmDTA &) { b.Unternehmer = u"1"_qs; },
         std::nullopt},
        {"e-invoices switched off", true, false, [](Buchung &, FrmDTA &f) { f.chkERechnung.Value = 0; }, std::nullopt},
        {"a business year of two calendar years beginning in January", false, true,
         [](Buchung &, FrmDTA &f) { f.txtWirtschaftsjahr.Text = u"2026/2027"_qs; }, CheckKind::BusinessYearUnclear},
        {"the same beginning in July", false, true,
         [](Buchung &, FrmDTA &f) {
             f.txtWirtschaftsjahr.Text = u"2026/2027"_qs;
             f.lWirtschaftsjahrBeginn = 7;
         },
         std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EInvoiceBench bench;
        FrmDTA &f = *bench.form;
        f.LaoderRe[0].Value = row.directDebit;
        f.LaoderRe[1].Value = !row.directDebit;
        f.chkRechnung.Value = row.letters ? 1 : 0;
        f.chkBeitrag[0].Value = 1;
        f.txtMwst[0].Text = u"19"_qs;
        Buchung b = businessOwner(7);
        b.Fixbeitrag[0] = 20;
        if (row.change)
            row.change(b, f);
        Buchungen records{b};
        CalcBeitraege(readRunInputs(f), records, f.bRundeBeitrag);
        RunCheck check;
        addEInvoiceFindings(f, readRunInputs(f), records, f.txtFirmenName.Text, check);
        if (!row.finding) {
            EXPECT_TRUE(check.items.isEmpty()) << findingsText(check).toStdString();
            continue;
        }
        ASSERT_EQ(check.items.size(), 1) << findingsText(check).toStdString();
        const CheckItem &item = check.items.first();
        EXPECT_EQ(item.kind, *row.finding);
        EXPECT_EQ(item.grade(), CheckGrade::Warning);
        if (*row.finding == CheckKind::BusinessYearUnclear)
            continue;
        ASSERT_EQ(item.owners.size(), 1);
        EXPECT_EQ(item.owners.first().nummer, 7);
        EXPECT_TRUE(item.owners.first().detail.contains(QString::fromUtf16(row.detail)))
            << item.owners.first().detail.toStdString();
    }
}

// After the run the summary counts the owners who got no e-invoice; the run stays done.
TEST(EInvoiceCheck, TheRunsSummaryCountsTheOwnersWithoutTheirEInvoice)
{
    for (const int refused : {0, 2}) {
        RunReport report;
        report.directDebit = false;
        report.billed = 5;
        report.totalCent = Money(5000);
        report.eInvoicesRefused = refused;
        const std::optional<RunSummary> summary = summarizeRun(report);
        ASSERT_TRUE(summary.has_value());
        const QString line = u"Ohne E-Rechnung: 2 Waldbesitzer (die Gründe stehen in der Log-Datei)"_qs;
        EXPECT_EQ(runSummaryText(*summary).split(u'\n').contains(line), refused > 0) << refused;
    }
}
