#include "bank/CamtBuilder.h"
#include "gui/GuiFixture.h"
#include "gui/PaymentsDialog.h"
#include "db/Database.h"
#include "run/RunDriver.h"

#include <QFile>
#include <QPushButton>
#include <QTableWidget>

using namespace qvl;
using namespace qvl::test;

TEST_F(MainWindowTest, PaymentsDialogShowsAssignsByHandAndApplies)
{
    start();
    form->chkBeitrag[0].Value = 1;
    form->rbEinstellung_Click(0);
    form->txtMindestbeitrag[0].Text = u"10"_qs;
    form->chkEinzelbuchungen.Value = 0;
    form->strFibu.clear();
    ASSERT_EQ(cmdStart_Click(*form).outcome, RunOutcome::Completed);
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
    const QList<RegisteredDocument> documents = readDocuments(*db);
    ASSERT_GE(documents.size(), 2);
    const RegisteredDocument &d = documents[0];
    TestTransaction ret;
    ret.cents = d.grossCents;
    ret.originalCents = d.grossCents;
    ret.endToEndId = d.mandate;
    ret.returnCode = u"MD01"_qs;
    TestTransaction unknown;
    unknown.cents = documents[1].grossCents;
    unknown.name = u"Unbekannt"_qs;
    const QString file = ws.root() + u"/auszug.xml"_qs;
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(camtDocument(u"camt.053.001.02"_qs, {{d.grossCents, false, QDate(2027, 1, 8), u"R"_qs, {}, 0, {ret}},
                                                 {unknown.cents, true, QDate(2027, 1, 9), u"T"_qs, {}, 0, {unknown}}}));
    f.close();

    // The main window opens it.
    EXPECT_NE(window->findChild<QPushButton *>(u"btnZahlungen"_qs), nullptr);
    PaymentsDialog dialog(*form, window.get());
    dialog.readFiles({file});
    QTableWidget *table = dialog.table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 5)->text(), u"Rücklastschrift"_qs);
    EXPECT_TRUE(table->item(0, 7)->text().contains(u"Kein Mandat"_qs));
    EXPECT_EQ(table->item(1, 5)->text(), u"nicht zugeordnet"_qs);

    // "Beleg zuordnen" names the entry; a text without a document's number is told and
    // changes nothing; the number as the letters print it is taken.
    table->selectRow(1);
    auto *assign = dialog.findChild<QPushButton *>(u"cmdZuordnen"_qs);
    ASSERT_NE(assign, nullptr);
    ui.inputs = {u"abc"_qs};
    ui.messages.clear();
    assign->click();
    ASSERT_EQ(ui.prompts.size(), 1);
    EXPECT_TRUE(ui.prompts[0].startsWith(u"Umsatz 2 vom 09.01.2027, +"_qs)) << ui.prompts[0].toStdString();
    EXPECT_TRUE(ui.prompts[0].contains(u"Zahler: Unbekannt"_qs)) << ui.prompts[0].toStdString();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(u"„abc“ ist keine Belegnummer"_qs)) << ui.messages[0].text.toStdString();
    EXPECT_EQ(table->item(1, 5)->text(), u"nicht zugeordnet"_qs);
    ui.inputs = {u"RE "_qs + QString::number(documents[1].number)};
    assign->click();
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(table->item(1, 5)->text(), u"bezahlt"_qs);
    EXPECT_EQ(table->item(1, 6)->text(), u"Beleg "_qs + QString::number(documents[1].number) + u' ' + documents[1].name);
    EXPECT_TRUE(table->item(1, 7)->text().startsWith(u"von Hand zugeordnet"_qs)) << table->item(1, 7)->text().toStdString();
    EXPECT_TRUE(dialog.apply());
    EXPECT_FALSE(dialog.apply()); // once
    EXPECT_EQ(readPayments(*db).size(), 2);

    // Read again: the statement is skipped as a whole, and the clerk is told so.
    ui.messages.clear();
    dialog.readFiles({file});
    EXPECT_EQ(table->rowCount(), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.contains(u"in „auszug.xml“ wurde bereits am "_qs)) << ui.messages[0].text.toStdString();
    EXPECT_TRUE(ui.messages[0].text.endsWith(u"seine 2 Umsätze werden übersprungen."_qs))
        << ui.messages[0].text.toStdString();
    EXPECT_FALSE(dialog.apply());
}
