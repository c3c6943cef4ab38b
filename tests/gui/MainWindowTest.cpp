#include "gui/GuiFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QRadioButton>
#include <QTabWidget>

using namespace qvl;
using namespace qvl::test;

TEST_F(MainWindowTest, StartupShowsCaptionsAndTheTabsOfTheAccountingSystem)
{
    struct Case {
        const char16_t *fibu;
        bool accountingTab;
        bool bankAccount;
    };
    for (const Case c : {Case{u"DATEV-FIBU", true, false}, Case{u"IBM-FIBU", true, true}, Case{u"", false, false}}) {
        const QString fibu = QString::fromUtf16(c.fibu);
        SCOPED_TRACE(fibu.toStdString());
        start([&](QStringList &s) { s.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs + fibu); });
        EXPECT_EQ(window->windowTitle(), form->Caption);
        EXPECT_TRUE(window->windowTitle().startsWith(u"QVL32 - SEPA - Beitragseinzug    Version: 1.0"_qs));
        auto *tabs = widget<QTabWidget>(u"SSTab1"_qs);
        EXPECT_EQ(tabs->tabText(0), u"Allgemein"_qs);
        EXPECT_EQ(tabs->isTabVisible(1), c.accountingTab);
        if (c.accountingTab) {
            EXPECT_EQ(tabs->tabText(1), fibu);
        }
        EXPECT_TRUE(tabs->isTabVisible(2)); // Berechnungsbasis=1
        // IBM-FIBU books to one bank account, the others to an account per fee.
        const bool perFee = c.accountingTab && !c.bankAccount;
        EXPECT_EQ(widget<QLineEdit>(u"txtBankKonto"_qs)->isHidden(), perFee);
        EXPECT_EQ(widget<QLabel>(u"lblBankKonto"_qs)->isHidden(), perFee);
        EXPECT_EQ(widget<QGroupBox>(u"fraBeitragskonten"_qs)->isHidden(), c.bankAccount);

        // Fee names, creditor list with the last entry chosen, the chosen creditor's data.
        EXPECT_EQ(widget<QCheckBox>(u"chkBeitrag(0)"_qs)->text(), u"Mitgliedsbeitrag"_qs);
        EXPECT_EQ(widget<QLabel>(u"lblBeitr(2)"_qs)->text(), u"Beitrag 3"_qs);
        EXPECT_FALSE(widget<QLabel>(u"Label8"_qs)->isHidden());
        auto *persons = widget<QListWidget>(u"lbPersons"_qs);
        EXPECT_EQ(persons->count(), form->lbPersons.ListCount());
        EXPECT_EQ(persons->currentRow(), persons->count() - 1);
        EXPECT_EQ(widget<QLineEdit>(u"txtFirmenName"_qs)->text(), form->txtFirmenName.Text);
        EXPECT_EQ(widget<QComboBox>(u"cmbSEPAFormat"_qs)->currentText(), u"pain.008.001.08"_qs);
        EXPECT_EQ(widget<QPushButton>(u"cmdStart"_qs)->text(), u"&Starte SEPA"_qs);

        // Every control the registry knows by name is a widget of that name.
        static const QRegularExpression control(u"^(txt|chk|cmb|lb|lbl|fra|grp|Label|LaoderRe|Sort|rbEinstellung|Dir1)"_qs);
        int controls = 0;
        for (const DumpLine &line : form->names().dump()) {
            if (line.first.contains(u'.') || !control.match(line.first).hasMatch())
                continue;
            ++controls;
            EXPECT_NE(window->findChild<QWidget *>(line.first), nullptr) << line.first.toStdString();
        }
        EXPECT_GT(controls, 90);

        // Choosing the other creditor loads its data, as a click in the list does.
        persons->setCurrentRow(0);
        EXPECT_EQ(form->GetFBGNr(), 7);
        EXPECT_EQ(widget<QLineEdit>(u"txtFirmenName"_qs)->text(), form->txtFirmenName.Text);
        window.reset();
        form.reset();
    }
}

// Shows the tab that holds `w`.
static void showPageOf(QTabWidget *tabs, QWidget *w)
{
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(w))
            tabs->setCurrentIndex(i);
}

TEST_F(MainWindowTest, BoxesRefuseWhatTheyCannotReadFormattingModePanelsAndPaymentType)
{
    start();
    auto *tabs = widget<QTabWidget>(u"SSTab1"_qs);
    // Typed or pasted, every character reaches the box; leaving it refuses what it cannot
    // read with a message, keeps the text as it stands and the focus in the box.
    const std::pair<QString, QString> refused[] = {
        {u"txtRechNr"_qs, u"1,2,3"_qs},          {u"txtRechNr"_qs, u"1.2"_qs},
        {u"txtMwst(0)"_qs, u"-5"_qs},            {u"txtMwst(0)"_qs, u"1e9"_qs},
        {u"txtMindestbeitrag1"_qs, u"-5"_qs},    {u"txtMindestbeitrag1"_qs, QString(200, u'7')},
        {u"txtAbsenderLinks"_qs, u"abc"_qs},     {u"txtAbsenderOben"_qs, u"-5"_qs},
        {u"txtAnschriftOben"_qs, QString(200, u'9')}, {u"txtAnschriftLinks"_qs, u"1,2,3"_qs},
        {u"txtWaehrung"_qs, QString(198, u'E')}, {u"txtWaehrung"_qs, u"1e9"_qs},
    };
    bool paste = false;
    for (const auto &[name, text] : refused) {
        SCOPED_TRACE(name.toStdString() + " " + text.left(12).toStdString() + (paste ? " pasted" : " typed"));
        auto *box = widget<QLineEdit>(name);
        showPageOf(tabs, box);
        const QString accepted = box->text();
        box->setFocus();
        box->selectAll();
        if (paste) {
            QApplication::clipboard()->setText(text);
            box->paste();
        } else {
            QTest::keyClicks(box, text);
        }
        paste = !paste;
        ui.messages.clear();
        QTest::keyClick(box, Qt::Key_Tab);
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(box->text(), text);
        EXPECT_TRUE(box->hasFocus());
        // Typed back, it is taken again.
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, accepted);
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_EQ(ui.messages.size(), 1) << ui.texts().join(u" | "_qs).toStdString();
        EXPECT_FALSE(box->hasFocus());
    }

    // A position box edits as any box: Backspace and Delete.
    auto *position = widget<QLineEdit>(u"txtAbsenderLinks"_qs);
    showPageOf(tabs, position);
    position->setFocus();
    position->end(false);
    QTest::keyClicks(position, u"1"_qs);
    QTest::keyClick(position, Qt::Key_Backspace);
    EXPECT_EQ(position->text(), u"945"_qs);
    QTest::keyClick(position, Qt::Key_Home);
    QTest::keyClick(position, Qt::Key_Delete);
    QTest::keyClick(position, Qt::Key_Tab);
    EXPECT_EQ(form->txtAbsenderLinks.Text, u"45"_qs);
    ui.messages.clear();

    // A refused position is never saved: the window stays open with it.
    const QByteArray settings = ws.settingsBytes();
    position->setFocus();
    position->selectAll();
    QTest::keyClicks(position, u"abc"_qs);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(position->hasFocus());
    EXPECT_EQ(ws.settingsBytes(), settings);
    position->selectAll();
    QTest::keyClicks(position, u"945"_qs);
    QTest::keyClick(position, Qt::Key_Tab);
    ui.messages.clear();

    // A remittance text is kept as typed: a backslash is no line break.
    auto *purpose = widget<QPlainTextEdit>(u"txtVerwendungszweck"_qs);
    purpose->setFocus();
    purpose->selectAll();
    QTest::keyClicks(purpose, u"Ablage C:\\neu"_qs);
    QTest::keyClick(purpose, Qt::Key_Return);
    QTest::keyClicks(purpose, u"2026"_qs);
    EXPECT_EQ(form->txtVerwendungszweck.Text, u"Ablage C:\\neu\r\n2026"_qs);

    // The scale table's mode: its panel on, the formula's off.
    widget<QTabWidget>(u"SSTab1"_qs)->setCurrentIndex(2);
    click(widget<QRadioButton>(u"rbEinstellung(1)"_qs));
    EXPECT_EQ(form->strBerechnungsart, u"HaStaffel"_qs);
    EXPECT_TRUE(widget<QGroupBox>(u"grpEinstellung(1)"_qs)->isEnabled());
    EXPECT_FALSE(widget<QGroupBox>(u"grpEinstellung(2)"_qs)->isEnabled());
    EXPECT_FALSE(widget<QRadioButton>(u"rbEinstellung(2)"_qs)->isChecked());

    // Leaving a formatted box formats it: four decimals for hectares, two for amounts.
    for (const auto &[name, typed, shown] : {std::tuple{u"txtStaffel(0)"_qs, u"1,5"_qs, u"1,5000"_qs},
                                            std::tuple{u"txtStaffel(1)"_qs, u"1,5"_qs, u"1,50"_qs}}) {
        auto *box = widget<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_EQ(box->text(), shown);
        EXPECT_FALSE(box->hasFocus());
    }
    EXPECT_TRUE(ui.messages.isEmpty());

    // The formula's mode; an emptied box is refused and keeps the focus.
    click(widget<QRadioButton>(u"rbEinstellung(2)"_qs));
    EXPECT_EQ(form->strBerechnungsart, u"Formel"_qs);
    EXPECT_FALSE(widget<QGroupBox>(u"grpEinstellung(1)"_qs)->isEnabled());
    auto *highest = widget<QLineEdit>(u"txtHoechstbeitrag"_qs);
    highest->setFocus();
    highest->selectAll();
    QTest::keyClick(highest, Qt::Key_Delete);
    QTest::keyClick(highest, Qt::Key_Tab);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, u"Es wurde keine gültige Zahl eingegeben."_qs);
    EXPECT_EQ(ui.messages[0].title, kProgramCaption);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(highest->hasFocus());
    // The start button does not run past the refused box.
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    EXPECT_EQ(ui.messages.size(), 2);
    EXPECT_TRUE(QDir(ws.root()).entryList({u"*.xml"_qs}).isEmpty());
    QTest::keyClicks(highest, u"80"_qs);
    QTest::keyClick(highest, Qt::Key_Tab);
    EXPECT_EQ(form->txtHoechstbeitrag.Text, u"80,00"_qs);

    // "Rechnung" hides "mit Rechnung" and lifts an owner selection made for the direct
    // debits, telling so; choosing the same type again keeps a selection.
    showPageOf(tabs, widget<QRadioButton>(u"LaoderRe(1)"_qs));
    window->view().edit(u"strWBIN"_qs, u"(1001,1002)"_qs);
    ui.messages.clear();
    click(widget<QRadioButton>(u"LaoderRe(0)"_qs));
    EXPECT_EQ(form->strWBIN, u"(1001,1002)"_qs);
    EXPECT_TRUE(ui.messages.isEmpty());
    click(widget<QRadioButton>(u"LaoderRe(1)"_qs));
    EXPECT_TRUE(widget<QCheckBox>(u"chkRechnung"_qs)->isHidden());
    EXPECT_FALSE(widget<QRadioButton>(u"LaoderRe(0)"_qs)->isChecked());
    EXPECT_EQ(form->strWBIN, u""_qs);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(u"Die Auswahl von 2 Waldbesitzern für die Zahlungsart „Lastschrift“ "
                                               "wurde aufgehoben"_qs))
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(widget<QLabel>(u"lblAuswahl"_qs)->text(), u"Auswahl: alle Waldbesitzer"_qs);
    click(widget<QRadioButton>(u"LaoderRe(0)"_qs));
    EXPECT_FALSE(widget<QCheckBox>(u"chkRechnung"_qs)->isHidden());
}

TEST_F(MainWindowTest, StartButtonWritesTheSepaFileAndClosingSavesTheSettings)
{
    start([](QStringList &s) {
        s.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        s.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    });
    click(widget<QCheckBox>(u"chkBeitrag(0)"_qs));
    EXPECT_EQ(form->chkBeitrag[0].Value, 1);
    auto *number = widget<QLineEdit>(u"txtReferenznummer"_qs);
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, u"4711"_qs);

    // The accelerator of "&Starte SEPA", while the focus is still in a box.
    // (A mnemonic animates the click, so the run follows a moment later.)
    QSignalSpy clicked(widget<QPushButton>(u"cmdStart"_qs), &QPushButton::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(clicked.wait(5000));
    const QStringList files = QDir(ws.root()).entryList({u"MB_*.xml"_qs});
    EXPECT_EQ(files.size(), 1) << ui.messages.value(0).text.toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the wait cursor is gone again

    // The run's summary comes up beside the form; closed, the form is active again.
    auto *summary = window->findChild<QDialog *>(u"frmRunSummary"_qs);
    ASSERT_NE(summary, nullptr);
    summary->close();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // The stored run is listed when its drop-down receives the focus, its day in German;
    // the entry is still the run key the database gives.
    auto *runs = widget<QComboBox>(u"cmbBeitraege"_qs);
    runs->setFocus();
    ASSERT_EQ(runs->count(), 1);
    EXPECT_EQ(runs->itemText(0), u"2026 Mitgliedsbeitrag, Erstellt: 06.12.2026"_qs);
    EXPECT_EQ(form->cmbBeitraege.List, QStringList{u"2026 Mitgliedsbeitrag, Erstellt: Dec  6 2026"_qs});
    EXPECT_GE(runs->view()->minimumWidth(), runs->fontMetrics().horizontalAdvance(runs->itemText(0)));
    // Deleting it after the question empties the list.
    runs->setCurrentIndex(0);
    emit runs->activated(0);
    ui.answers = {MsgResult::Yes};
    ui.messages.clear();
    QTest::mouseClick(widget<QPushButton>(u"btnBeitraegeLoeschen"_qs), Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_TRUE(ui.messages[1].text.startsWith(u"Löschen erfolgreich"_qs)) << ui.messages[1].text.toStdString();
    EXPECT_EQ(runs->count(), 0);

    QTest::mouseClick(widget<QPushButton>(u"cmdBeenden"_qs), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(form->SQLConn);
    EXPECT_TRUE(ws.settingsBytes().contains("Referenznummer=4711")) << ws.settingsBytes().toStdString();
}
