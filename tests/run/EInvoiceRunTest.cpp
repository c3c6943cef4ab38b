// The e-invoices as the start button makes them, on the demo database.
#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "run/RunDriver.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct BusinessRun {
    Workspace ws{12};
    std::unique_ptr<FrmDTA> form;

    BusinessRun()
    {
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
        settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        ws.writeSettings(settings);
        // Every owner a business.
        ws.execSql(u"update personal_free set BOXFREE3 = 1"_qs);
        ws.execSql(u"update personal_free set BoxFree2 = 1 where id_personal % 2 = 0"_qs); // some pay by invoice
        form = ws.form();
        EXPECT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        form->chkBeitrag[0].Value = 1;
        form->rbEinstellung_Click(0);
        form->txtMindestbeitrag[0].Text = u"10"_qs;
        form->chkEinzelbuchungen.Value = 0;
        form->chkRechnung.Value = 1;
    }
    QStringList eInvoices(const RunReport &report) const
    {
        return report.outputs.filter(u"/E-Rechnungen/"_qs);
    }
};

} // namespace

TEST(EInvoiceRun, EveryLetterOfABusinessComesAsEInvoiceBesideTheReports)
{
    for (const int payment : {0, 1}) {
        SCOPED_TRACE(payment == 0 ? "direct debit with letters" : "invoice run");
        BusinessRun r;
        r.form->names().set(u"LaoderRe("_qs + QString::number(payment) + u")"_qs, u"1"_qs);
        const RunReport report = cmdStart_Click(*r.form);
        ASSERT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
        ASSERT_EQ(r.ws.ui.reports.size(), payment == 0 ? 2 : 1); // the slip, the letters
        const int letters = r.ws.ui.reports.last().rows().rowCount();
        const QStringList files = r.eInvoices(report);
        ASSERT_GT(letters, 0);
        EXPECT_EQ(files.size(), letters) << r.ws.ui.texts().join(u'|').toStdString();
        const QString folder = r.ws.root() + u"/E-Rechnungen"_qs;
        for (const QString &file : files) {
            EXPECT_EQ(QFileInfo(file).absolutePath(), folder);
            EXPECT_TRUE(QFileInfo(file).fileName().contains(QRegularExpression(u"^\\d+_\\d+\\.pdf$"_qs)));
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), files.size());
    }
}

TEST(EInvoiceRun, TheCheckBoxAndTheSettingDecide)
{
    BusinessRun r;
    r.form->names().set(u"LaoderRe(1)"_qs, u"1"_qs);
    r.form->names().set(u"chkERechnung"_qs, u"0"_qs);
    EXPECT_TRUE(r.eInvoices(cmdStart_Click(*r.form)).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(r.ws.root() + u"/E-Rechnungen"_qs));

    // No owner is a business: only "Alle" gives e-invoices.
    r.ws.execSql(u"update personal_free set BOXFREE3 = 0"_qs);
    r.form->names().set(u"chkERechnung"_qs, u"1"_qs);
    EXPECT_TRUE(r.eInvoices(cmdStart_Click(*r.form)).isEmpty());
    r.form->strERechnung = u"Alle"_qs;
    EXPECT_FALSE(r.eInvoices(cmdStart_Click(*r.form)).isEmpty());
}
