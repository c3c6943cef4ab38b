// The e-invoice writer driven by its settings alone: it asks for the run's invoice values
// (which may need the database) only when an owner gets an e-invoice, and it tells and
// logs an owner refused where the settings say.
#include "app/RunInputs.h"
#include "einvoice/EInvoiceData.h"
#include "einvoice/EInvoiceFixture.h"
#include "core/ErrorLog.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct SettingsCase {
    const char *name;
    ERechnungMode mode;
    QString unternehmer; // "2": the owner is a business
    int valuesAsked;
    bool folderMade;
    QString refused;     // the part of the refusal expected; empty: none
};

TEST(EInvoiceSettings, RunValuesAskedOnlyForOwnersWhoGetOne)
{
    const QList<SettingsCase> cases{
        {"keine E-Rechnungen", ERechnungMode::Keine, u"2"_qs, 0, false, {}},
        {"nur Unternehmer, der Besitzer ist keiner", ERechnungMode::Unternehmer, u"1"_qs, 0, false, {}},
        {"alle, der Name fehlt", ERechnungMode::Alle, u"1"_qs, 1, true, u"Der Name fehlt."_qs},
        {"Unternehmer, der Name fehlt", ERechnungMode::Unternehmer, u"2"_qs, 1, true,
         u"Der Name fehlt."_qs},
    };
    for (const SettingsCase &c : cases) {
        SCOPED_TRACE(c.name);
        EInvoiceBench bench;
        Buchung owner = businessOwner(4711);
        owner.Unternehmer = c.unternehmer;
        owner.NameOrig.clear(); // no valid e-invoice: refused once it is tried
        const Buchungen owners{owner};
        const Report letters = PrintRechnungen(*bench.form, owners);

        const QString programDir = bench.ws.root() + u"/programm"_qs;
        ASSERT_TRUE(QDir().mkpath(programDir));
        int asked = 0;
        EInvoiceSettings settings;
        settings.mode = c.mode;
        settings.folder = bench.ws.root() + u"/E-Rechnungen"_qs;
        settings.programDir = programDir;
        settings.clock = &bench.form->clock();
        settings.ui = &bench.ws.ui;
        settings.invoiceValues = [&] {
            ++asked;
            return eInvoiceRun(*bench.form, readRunInputs(*bench.form), bench.form->txtFirmenName.Text, {});
        };
        EInvoiceOutcome outcome;
        MakeERechnungen(settings, owners, letters, outcome);

        EXPECT_EQ(asked, c.valuesAsked);
        EXPECT_EQ(QFileInfo(settings.folder).isDir(), c.folderMade);
        EXPECT_TRUE(outcome.files.isEmpty());
        if (c.refused.isEmpty()) {
            EXPECT_TRUE(outcome.refused.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(logFilePath(programDir)));
        } else {
            ASSERT_EQ(outcome.refused.size(), 1);
            EXPECT_TRUE(outcome.refused[0].contains(c.refused)) << outcome.refused[0].toStdString();
            QFile log(logFilePath(programDir));
            ASSERT_TRUE(log.open(QIODevice::ReadOnly));
            EXPECT_TRUE(QString::fromLatin1(log.readAll()).contains(u"Keine E-Rechnung für Waldbesitzer 4711"_qs));
        }
    }
}

} // namespace
