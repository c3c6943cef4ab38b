#include "print/InvoiceAddress.h"

#include <gtest/gtest.h>

using namespace qvl;

namespace {

Buchung owner()
{
    Buchung b;
    b.AnredeOrig = u"Herrn"_qs;
    b.VornameOrig = u"Jörg"_qs;
    b.NameOrig = u"Huber"_qs;
    b.Bezeichnung = u"Forstwirt"_qs;
    b.StrasseOrig = u"Waldweg 1"_qs;
    b.Postfach = u"Postfach 12"_qs;
    b.PLZ = u"54321"_qs;
    b.OrtOrig = u"Tannenau"_qs;
    return b;
}

} // namespace

// The window shows the lines in the customer layout's order: the post-office box replaces
// the description in one layout, follows the street in the others, and one leaves it out.
TEST(InvoiceAddress, LinesFollowTheLayoutsOrder)
{
    const struct {
        const char *what;
        LayoutVariant variant;
        void (*change)(Buchung &);
        QStringList lines;
    } cases[] = {
        {"standard", LayoutVariant::Standard, [](Buchung &) {},
         {u"Herrn"_qs, u"Jörg Huber"_qs, u"Forstwirt"_qs, u"Waldweg 1"_qs, u"Postfach 12"_qs, u"54321 Tannenau"_qs}},
        {"box instead of the description", LayoutVariant::Orvelde, [](Buchung &) {},
         {u"Herrn"_qs, u"Jörg Huber"_qs, u"Postfach 12"_qs, u"Waldweg 1"_qs, u"54321 Tannenau"_qs}},
        {"no box", LayoutVariant::Farnwinkel, [](Buchung &) {},
         {u"Herrn"_qs, u"Jörg Huber"_qs, u"Forstwirt"_qs, u"Waldweg 1"_qs, u"54321 Tannenau"_qs}},
        {"abroad, no street, no first name", LayoutVariant::Standard,
         [](Buchung &b) {
             b.NationOrig = u" A "_qs;
             b.StrasseOrig = u"  "_qs;
             b.VornameOrig.clear();
         },
         {u"Herrn"_qs, u"Huber"_qs, u"Forstwirt"_qs, u"Postfach 12"_qs, u"A-54321 Tannenau"_qs}},
        {"line breaks typed into fields", LayoutVariant::Orvelde,
         [](Buchung &b) {
             b.NameOrig = u"Huber\r\nSenior"_qs;
             b.Postfach = u"Postfach\n12"_qs;
             b.OrtOrig = u"Tannenau\u2028Ost"_qs;
         },
         {u"Herrn"_qs, u"Jörg Huber Senior"_qs, u"Postfach 12"_qs, u"Waldweg 1"_qs, u"54321 Tannenau Ost"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Buchung b = owner();
        c.change(b);
        const QString block = addressBlock(b, c.variant);
        EXPECT_TRUE(block.endsWith(u'\r'));
        EXPECT_FALSE(block.contains(u'\n'));
        EXPECT_EQ(block.split(u'\r', Qt::SkipEmptyParts), c.lines) << block.toStdString();
    }
}
