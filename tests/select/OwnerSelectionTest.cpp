#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "text/GermanOrder.h"
#include "select/OwnerSelection.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

TEST(OwnerSelection, BuildsTheInListFromTheSelectedLinesInListOrder)
{
    EXPECT_EQ(BuildWBIN({u"7 Adler Anna"_qs, u"  12 Zeller Hans "_qs}), u"(7,12)"_qs);
    EXPECT_EQ(BuildWBIN({u"1001"_qs}), u"(1001)"_qs);
    EXPECT_EQ(BuildWBIN({}), u""_qs);
}

TEST(OwnerSelection, DialogListsTheAssociationsOwnersAndLeavesTheRestriction)
{
    Workspace ws(40);
    ws.writeSettings(demoSettings());
    // One owner loses its number: it can be neither listed nor restricted to.
    ws.execSql(u"update personal set Nummer = null where Nummer = (select min(p.Nummer) from personal p "
               "inner join personal_free f on p.id_personal = f.id_personal where p.Abrech1 = 1 and f.BOXFREE1 = 1 "
               "and p.Zusatz5 in ('0050', '50'))"_qs);
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    ASSERT_EQ(form->GetFBGNr(), 50);

    OwnerSelection dialog(*form);
    const QList<OwnerLine> &lines = dialog.lines();
    ASSERT_GE(lines.size(), 5);
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].text.startsWith(QString::number(lines[i].nummer) + u' ')) << lines[i].text.toStdString();
        EXPECT_GT(lines[i].nummer, 0); // the owner without a number is left out
        EXPECT_TRUE(dialog.selected()[i]);
        if (i > 0) {
            EXPECT_LT(lines[i - 1].nummer, lines[i].nummer);
        }
    }
    // Leaving at once restricts the run to exactly the listed owners.
    dialog.close();
    QStringList all;
    for (const OwnerLine &line : lines)
        all.append(QString::number(line.nummer));
    EXPECT_EQ(form->strWBIN, u'(' + all.join(u',') + u')');

    // By name: German order, nothing selected; closing then lifts the restriction.
    dialog.setSortByName(true);
    EXPECT_EQ(dialog.lines().size(), lines.size());
    EXPECT_FALSE(dialog.selected().contains(true));
    for (int i = 1; i < dialog.lines().size(); ++i)
        EXPECT_LE(compareGerman(dialog.lines()[i - 1].text.section(u' ', 1),
                                dialog.lines()[i].text.section(u' ', 1)), 0);
    dialog.close();
    EXPECT_EQ(form->strWBIN, u""_qs);

    // Two lines chosen: their numbers in list order.
    dialog.setSelected(3, true);
    dialog.setSelected(1, true);
    dialog.close();
    EXPECT_EQ(form->strWBIN, u'(' + QString::number(dialog.lines()[1].nummer) + u',' +
                                 QString::number(dialog.lines()[3].nummer) + u')');

    // Invoice owners are others than direct-debit owners.
    form->names().set(u"LaoderRe(1)"_qs, u"1"_qs);
    EXPECT_EQ(form->strWBIN, u""_qs);
    OwnerSelection invoices(*form);
    for (const OwnerLine &line : invoices.lines())
        EXPECT_FALSE(all.contains(QString::number(line.nummer)));
}
