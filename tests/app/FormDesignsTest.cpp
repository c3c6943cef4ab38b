// The report designs belong to their main form: what a run changes stays for the form's
// later runs, and another form starts from the designs as built.
#include "support/BookedAmounts.h"
#include "app/FrmDTA.h"
#include "app/FormDesigns.h"
#include "params/InvoiceFromForm.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>
#include <utility>

using namespace qvl;
using namespace qvl::test;

TEST(FormDesigns, ARunPlacesItsOwnFormsDesignAndNoOther)
{
    Workspace ws{1};
    const auto first = ws.form();
    const auto second = ws.form();
    const int designedTop = designs(*second).Rechnung.control(u"Text1"_qs).Top;
    // Built once per form: the same designs on every call, including through a const form.
    EXPECT_EQ(&designs(*first), &designs(std::as_const(*first)));
    EXPECT_NE(&designs(*first), &designs(*second));

    first->txtAnschriftOben.Text = u"4100"_qs;
    first->chkBeitrag[0].Value = 1;
    Buchung b;
    b.Nummer = 1;
    b.RechNr = u"501"_qs;
    b.Betrag = {20, 0, 0, 0, 0, 0};
    b.SummeCent = Money(2000);
    const Report letters = PrintRechnungen(*first, withCents(Buchungen{b}));
    ASSERT_EQ(letters.rows().rowCount(), 1);
    EXPECT_EQ(letters.design().find(u"Text1"_qs)->Top, 4100);
    EXPECT_EQ(designs(*first).Rechnung.control(u"Text1"_qs).Top, 4100);
    EXPECT_EQ(designs(*second).Rechnung.control(u"Text1"_qs).Top, designedTop);
    EXPECT_NE(designedTop, 4100);
}
