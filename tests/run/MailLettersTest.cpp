// The letters of the outbox: each owner's own pages cut from the run's letters, painted as
// the run laid them out — page for page the letter he would get on paper.
#include "support/BookedAmounts.h"
#include "app/FrmDTA.h"
#include "cli/DemoLetters.h"
#include "einvoice/HybridPdf.h"
#include "params/InvoiceFromForm.h"
#include "run/MailLetters.h"
#include "support/PdfText.h"
#include "support/Workspace.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

QStringList textOf(const QByteArray &pdf)
{
    static int n = 0;
    QTemporaryDir dir;
    QFile file(dir.filePath(QString::number(++n) + u".pdf"_qs));
    file.open(QIODevice::WriteOnly);
    file.write(pdf);
    file.close();
    return pdfPages(file.fileName());
}

} // namespace

TEST(MailLetters, EachOwnerGetsExactlyHisOwnPagesAsOnPaper)
{
    Workspace ws(1);
    auto form = ws.form();
    Buchungen records = demo::ordinaryLetter(*form);
    const Buchungen hardest = demo::hardestLetter(*form, true); // two pages
    records.push_back(hardest.front());
    records.push_back(records.front());
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].RechNr = QString::number(700 + i);
        records[i].Nummer = long(4000 + i);
    }
    const Report letters = PrintRechnungen(*form, withCents(records, form->bBeitraegeNetto));
    ASSERT_EQ(letters.pagesOfRow(1).size(), 2);

    const struct {
        const char *name;
        QList<int> rows;
    } cases[] = {{"every letter", {0, 1, 2}}, {"some, out of order", {2, 1}}, {"the long one alone", {1}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QList<int> taken;
        eachLetterPdf(letters, c.rows, u"Postausgang"_qs, [&](int row, QByteArray pdf) {
            taken.append(row);
            // The reference: his letter alone, broken into pages anew.
            const QStringList expected = textOf(pdfaLetters(letters.rowsReport({row}), u"Postausgang"_qs));
            EXPECT_EQ(textOf(pdf), expected) << "row " << row;
            EXPECT_EQ(expected.size(), letters.pagesOfRow(row).size());
            EXPECT_TRUE(expected.join(u'\n').contains(QString::number(700 + row)));
            return true;
        });
        EXPECT_EQ(taken, c.rows);
    }
}
