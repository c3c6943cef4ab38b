#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

QMap<QString, QString> dumpMap(FrmDTA &form)
{
    QMap<QString, QString> map;
    for (const DumpLine &line : form.names().dump()) {
        EXPECT_FALSE(map.contains(line.first)) << "twice: " << line.first.toStdString();
        map.insert(line.first, line.second);
    }
    return map;
}

} // namespace

TEST(FormNames, DumpShowsInitialStateUnderTheControlsNames)
{
    FakeUi ui;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
    FrmDTA form({QString(), &ui, &clock, {}, nullptr});
    const auto m = dumpMap(form);
    EXPECT_EQ(m.value(u"txtRechNr"_qs), u"1"_qs);
    EXPECT_EQ(m.value(u"LaoderRe(0)"_qs), u"1"_qs);
    EXPECT_EQ(m.value(u"LaoderRe(1)"_qs), u"0"_qs);
    EXPECT_EQ(m.value(u"Sort(0)"_qs), u"1"_qs);
    EXPECT_EQ(m.value(u"rbEinstellung(3)"_qs), u"0"_qs);
    EXPECT_EQ(m.value(u"chkEinzelbuchungen"_qs), u"1"_qs);
    EXPECT_EQ(m.value(u"chkBeitrag(0).Caption"_qs), u"Beitrag &1"_qs);
    EXPECT_EQ(m.value(u"txtStaffel(21)"_qs), u"0,00"_qs);
    EXPECT_EQ(m.value(u"txtStaffel(20)"_qs), u"0,0000"_qs);
    EXPECT_EQ(m.value(u"txtAnschriftOben"_qs), u"3380"_qs);
    EXPECT_EQ(m.value(u"bRundeBeitrag(5)"_qs), u"Falsch"_qs);
    EXPECT_EQ(m.value(u"lbPersons"_qs), u"-1"_qs);
    EXPECT_EQ(m.value(u"SSTab1.TabCaption(2)"_qs), u"Berechnungsbasis"_qs);
    EXPECT_EQ(m.value(u"lModelle"_qs), u"0"_qs);
}

TEST(FormNames, SettingByNameActsAsTheUserWould)
{
    FakeUi ui;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
    FrmDTA form({QString(), &ui, &clock, {}, nullptr});
    ControlRegistry &n = form.names();

    form.strWBIN = u"(1001,1002)"_qs;
    form.chkRechnung.Value = 1;
    // The same payment type again keeps the selection; the other lifts it, and says so.
    ASSERT_EQ(n.set(u"LaoderRe(0)"_qs, u"1"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.strWBIN, u"(1001,1002)"_qs);
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(n.set(u"LaoderRe(1)"_qs, u"1"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_FALSE(form.LaoderRe[0].Value);
    EXPECT_TRUE(form.strWBIN.isEmpty());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].title, u"Zahlungsart"_qs);
    EXPECT_TRUE(ui.messages[0].text.contains(u"2 Waldbesitzern"_qs)) << ui.messages[0].text.toStdString();
    ui.messages.clear();
    EXPECT_FALSE(form.chkRechnung.Visible);
    EXPECT_EQ(form.chkRechnung.Value, 0);

    ASSERT_EQ(n.set(u"rbEinstellung(3)"_qs, u"1"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.strBerechnungsart, u"HaStaffelProHa"_qs);
    EXPECT_TRUE(form.grpEinstellung[1].Enabled);
    EXPECT_FALSE(form.grpEinstellung[2].Enabled);
    EXPECT_TRUE(form.txtStaffel[0].Enabled);
    EXPECT_FALSE(form.chkKomma.Enabled);
    ASSERT_EQ(n.set(u"rbEinstellung(2)"_qs, u"1"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_FALSE(form.txtStaffel[19].Enabled);
    EXPECT_TRUE(form.txtStaffel[20].Enabled); // boxes 20 and 21 are never switched
    EXPECT_TRUE(form.txtHoechstbeitrag.Enabled);

    // Leaving a formatted box formats it, or complains, keeps the text and refuses the value
    // (a script's typing error must not run with a price of 0).
    ASSERT_EQ(n.set(u"txtStaffel(0)"_qs, u"1,5"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.txtStaffel[0].Text, u"1,5000"_qs);
    ASSERT_EQ(n.set(u"txtStaffel(1)"_qs, u"1,5"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.txtStaffel[1].Text, u"1,50"_qs);
    ASSERT_EQ(n.set(u"txtHoechstbeitrag"_qs, u""_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(n.set(u"txtPreisZuschlag"_qs, u"4,50 €"_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(form.txtPreisZuschlag.Text, u"4,50 €"_qs);
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0].text, u"Es wurde keine gültige Zahl eingegeben."_qs);
    EXPECT_EQ(ui.messages[0].title, kProgramCaption);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Critical);

    // As command-line text multi-line boxes read \r\n; paths keep their backslashes; a
    // value typed on the form is taken as it stands.
    n.setAsText(u"txtFixtext"_qs, u"Zeile 1\\r\\nZeile 2"_qs);
    EXPECT_EQ(form.txtFixtext.Text, u"Zeile 1\r\nZeile 2"_qs);
    n.setAsText(u"strExportPfad"_qs, u"C:\\neu\\"_qs);
    EXPECT_EQ(form.strExportPfad, u"C:\\neu\\"_qs);
    n.set(u"txtVerwendungszweck"_qs, u"Ablage C:\\neu"_qs);
    EXPECT_EQ(form.txtVerwendungszweck.Text, u"Ablage C:\\neu"_qs);

    EXPECT_EQ(n.set(u"chkKopf"_qs, u"2"_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(n.set(u"bFBGVersion"_qs, u"vielleicht"_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(n.set(u"lbPersons"_qs, u"0"_qs), ControlRegistry::SetResult::InvalidValue); // empty list
    EXPECT_EQ(n.set(u"txtGibtsNicht"_qs, u"1"_qs), ControlRegistry::SetResult::UnknownName);
    EXPECT_EQ(n.set(u"chkkopf"_qs, u"1"_qs), ControlRegistry::SetResult::Ok); // names as in the runtime: any case
}

// Every box of an amount, a count or a date refuses what it cannot read, keeps the text as
// typed, and the value is never run with; a refused minimum fee never reaches the entry's
// stored minimum fees.
TEST(FormNames, AmountCountAndDateBoxesRefuseWhatTheyCannotRead)
{
    FakeUi ui;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
    FrmDTA form({QString(), &ui, &clock, {}, nullptr});
    form.lbPersons.List = {u"0001 FBG Nord"_qs};
    form.lbPersons.ListIndex = 0;
    form.aMindestbeitraege[0][0] = u"15"_qs;
    ControlRegistry &n = form.names();
    const struct {
        const char16_t *name, *value;
        const char16_t *shown; // the box's text afterwards; null when refused
        const char16_t *message;
    } cases[] = {
        {u"txtMindestbeitrag1", u"1,2,3", nullptr, u"keine gültige Zahl"},
        {u"txtMindestbeitrag1", u"1.2", nullptr, u"keine gültige Zahl"},
        {u"txtMindestbeitrag1", u"abc", nullptr, u"keine gültige Zahl"},
        {u"txtMindestbeitrag1", u"12,505", nullptr, u"höchstens zwei Nachkommastellen"},
        {u"txtMindestbeitrag1", u" 12,50 ", u"12,50", nullptr},
        {u"txtMindestbeitrag1", u"", u"", nullptr},
        {u"txtMwst(0)", u"19,5,1", nullptr, u"keine gültige Zahl"},
        {u"txtMwst(0)", u"119", nullptr, u"zwischen 0 und 100"},
        {u"txtMwst(0)", u"19", u"19", nullptr},
        {u"txtMwst(0)", u"7,12345", nullptr, u"höchstens zwei Nachkommastellen"},
        {u"txtMwst(0)", u"7,125", nullptr, u"höchstens zwei Nachkommastellen"},
        {u"txtMwst(0)", u"5,5", u"5,5", nullptr},
        {u"txtMwst(0)", u"16,25", u"16,25", nullptr},
        {u"txtWirtschaftsjahr", u"abcd", nullptr, u"Jahreszahl mit vier Ziffern"},
        {u"txtWirtschaftsjahr", u"26", nullptr, u"Jahreszahl mit vier Ziffern"},
        {u"txtWirtschaftsjahr", u"2026 ", u"2026", nullptr},
        // A business year that begins in January spans no two years.
        {u"txtWirtschaftsjahr", u"2026/2027", nullptr, u"im Januar beginnt"},
        {u"txtFaellDat", u"31.02.2027", nullptr, u"kein gültiges Datum"},
        {u"txtFaellDat", u"morgen", nullptr, u"kein gültiges Datum"},
        {u"txtFaellDat", u"4.1.27", u"04.01.2027", nullptr},
        {u"txtRechDat", u"", u"", nullptr},
        {u"txtStaffel(1)", u"1.2", nullptr, u"keine gültige Zahl"},
        {u"txtStaffel(1)", u"1.200", u"1200,00", nullptr},
    };
    for (const auto &c : cases) {
        const QString name = QString::fromUtf16(c.name);
        const QString value = QString::fromUtf16(c.value);
        SCOPED_TRACE(name.toStdString() + " = " + value.toStdString());
        ui.messages.clear();
        const ControlRegistry::SetResult result = n.set(name, value);
        QString text;
        for (const DumpLine &line : n.dump())
            if (line.first == name)
                text = line.second;
        if (c.shown) {
            EXPECT_EQ(result, ControlRegistry::SetResult::Ok);
            EXPECT_EQ(text, QString::fromUtf16(c.shown));
            EXPECT_TRUE(ui.messages.isEmpty());
        } else {
            EXPECT_EQ(result, ControlRegistry::SetResult::InvalidValue);
            EXPECT_EQ(text, value); // kept as typed, for the user to mend
            ASSERT_EQ(ui.messages.size(), 1);
            EXPECT_TRUE(ui.messages[0].text.contains(QString::fromUtf16(c.message))) << ui.messages[0].text.toStdString();
            EXPECT_EQ(ui.messages[0].icon, MsgIcon::Critical);
        }
        // A refused minimum fee never becomes the entry's minimum fee.
        if (name == u"txtMindestbeitrag1"_qs)
            EXPECT_EQ(form.aMindestbeitraege[0][0], c.shown ? QString::fromUtf16(c.shown) : u"15"_qs);
        if (c.shown && name == u"txtMindestbeitrag1"_qs)
            form.aMindestbeitraege[0][0] = u"15"_qs;
    }
    // The settings a script may set are refused outside their ranges.
    for (const auto &[name, value] : {std::pair{u"lVorabankuendigungTage", u"0"}, {u"lVorabankuendigungTage", u"abc"},
                                      {u"lVergleichAbweichungProzent", u"0"}, {u"lVergleichAbweichungProzent", u"99,99"},
                                      {u"lVorlaufBankarbeitstage", u"-1"}})
        EXPECT_EQ(n.set(QString::fromUtf16(name), QString::fromUtf16(value)), ControlRegistry::SetResult::InvalidValue)
            << QString::fromUtf16(name).toStdString() << "=" << QString::fromUtf16(value).toStdString();
    EXPECT_EQ(n.set(u"aMindestbeitraege(0,1)"_qs, u"1,2,3"_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(n.set(u"aMindestbeitraege(0,1)"_qs, u"7,50"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.aMindestbeitraege[0][1], u"7,50"_qs);
    EXPECT_EQ(n.set(u"lVorabankuendigungTage"_qs, u"1"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.lVorabankuendigungTage, 1);
}

TEST(FormNames, ARefusedValueIsLeftAgainOrGivenBackBeforeTheFormClosesOrRuns)
{
    FakeUi ui;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
    FrmDTA form({QString(), &ui, &clock, {}, nullptr});
    ControlRegistry &n = form.names();
    n.set(u"rbEinstellung(2)"_qs, u"1"_qs);
    EXPECT_TRUE(form.LeaveRefusedBoxes().isEmpty());

    // The invoice number takes whole numbers up to nine digits and is written plainly.
    EXPECT_EQ(n.set(u"txtRechNr"_qs, u"0042"_qs), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form.txtRechNr.Text, u"42"_qs);
    EXPECT_EQ(n.set(u"txtRechNr"_qs, u"99999999999999999999"_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(form.txtRechNr.Text, u"99999999999999999999"_qs);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, u"Die Rechnungsnummer muss eine ganze Zahl von 1 bis 999.999.999 sein."_qs);
    EXPECT_EQ(ui.messages[0].title, kProgramCaption);

    n.set(u"txtPreisMindestbetrag"_qs, u"12"_qs);
    EXPECT_EQ(n.set(u"txtPreisMindestbetrag"_qs, u"1,2,3"_qs), ControlRegistry::SetResult::InvalidValue);
    EXPECT_EQ(n.set(u"txtPreisMindestbetrag"_qs, u"1,2,3,4"_qs), ControlRegistry::SetResult::InvalidValue);

    // Closing leaves the first refused box again: its message once more, the box named.
    ui.messages.clear();
    EXPECT_EQ(form.LeaveRefusedBoxes(), u"txtRechNr"_qs);
    EXPECT_EQ(ui.texts(), QStringList{u"Die Rechnungsnummer muss eine ganze Zahl von 1 bis 999.999.999 sein."_qs});
    // Corrected, the next refused box is named; the user can no longer reach it once its
    // panel is switched off: it gets the value it had before it was refused.
    n.set(u"txtRechNr"_qs, u"17"_qs);
    EXPECT_EQ(form.LeaveRefusedBoxes(), u"txtPreisMindestbetrag"_qs);
    EXPECT_EQ(form.txtPreisMindestbetrag.Text, u"1,2,3,4"_qs);
    n.set(u"rbEinstellung(1)"_qs, u"1"_qs);
    ui.messages.clear();
    EXPECT_TRUE(form.LeaveRefusedBoxes().isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form.txtPreisMindestbetrag.Text, u"12,00"_qs);
    EXPECT_EQ(form.txtRechNr.Text, u"17"_qs);

    // The same on a hidden tab: the scale table on a form without the calculation basis.
    n.set(u"txtStaffel(21)"_qs, u"5"_qs);
    n.set(u"txtStaffel(21)"_qs, u"x"_qs);
    form.SSTab1.TabVisible[2] = false;
    EXPECT_TRUE(form.LeaveRefusedBoxes().isEmpty());
    EXPECT_EQ(form.txtStaffel[21].Text, u"5,00"_qs);
}

TEST(FormNames, SelectingACreditorLoadsItsDataAndMinimumFees)
{
    Workspace ws(5);
    ws.writeSettings(demoSettings() << u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest3=4,00"_qs);
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    const QString firstName = form->lbPersons.List[0];
    ASSERT_EQ(form->names().set(u"lbPersons"_qs, firstName), ControlRegistry::SetResult::Ok);
    EXPECT_EQ(form->GetFBGNr(), 7);
    EXPECT_EQ(form->txtFirmenName.Text, u"Forstbetriebsgemeinschaft Hochwald e.V."_qs);
    EXPECT_EQ(form->txtMindestbeitrag[2].Text, u"4,00"_qs);

    // Typing a minimum fee stores it for the selected entry.
    form->names().set(u"txtMindestbeitrag5"_qs, u"9,99"_qs);
    EXPECT_EQ(form->aMindestbeitraege[0][4], u"9,99"_qs);
    EXPECT_TRUE(form->aMindestbeitraege[1][4].isEmpty());
    EXPECT_EQ(dumpMap(*form).value(u"aMindestbeitraege(0,4)"_qs), u"9,99"_qs);
}
