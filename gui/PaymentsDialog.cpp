#include "gui/PaymentsDialog.h"
#include "check/RunScreens.h"
#include "gui/HelpWindow.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "bank/MatchingText.h"
#include "gui/DialogButton.h"
#include "gui/ScreenFit.h"
#include "text/Conversions.h"
#include "db/Database.h"
#include "os/Paths.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qvl {

PaymentsDialog::PaymentsDialog(FrmDTA &form, QWidget *parent)
    : QDialog(parent), m_form(form), m_table(new QTableWidget(0, 8)), m_summary(new QLabel)
{
    setWindowTitle(u"Zahlungen"_qs);
    setObjectName(u"frmZahlungen"_qs);
    installHelpKey(this, u"das-fenster-zahlungen"_qs);
    m_table->setObjectName(u"tblZuordnung"_qs);
    m_table->setHorizontalHeaderLabels(
        {u"Nr."_qs, u"Buchungstag"_qs, u"Betrag"_qs, u"Zahler"_qs, u"Verwendungszweck"_qs, u"Zuordnung"_qs,
         u"Beleg"_qs, u"Warum"_qs});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_summary->setWordWrap(true);

    auto *read = dialogButton(u"cmdLesen"_qs, u"Kontoauszüge &lesen …"_qs, this, [this] { chooseFiles(); });
    auto *assign = dialogButton(u"cmdZuordnen"_qs, u"Beleg &zuordnen …"_qs, this, [this] { assignByHandClicked(); });
    auto *take = dialogButton(u"cmdUebernehmen"_qs, u"Ü&bernehmen"_qs, this, [this] { apply(); });
    auto *open = dialogButton(u"cmdOffenePosten"_qs, u"&Offene Posten"_qs, this, [this] { showOpenItems(); });
    auto *returns = dialogButton(u"cmdRuecklastschriften"_qs, u"Briefe zu &Rücklastschriften"_qs, this,
                                 [this] { makeLetters(LetterKind::Returns); });
    auto *reminders = dialogButton(u"cmdMahnungen"_qs, u"Zahlungs&erinnerungen"_qs, this,
                                   [this] { makeLetters(LetterKind::Reminders); });
    auto *close = dialogButton(u"cmdSchliessen"_qs, u"S&chließen"_qs, this, [this] { accept(); });
    // Return where no button has the focus closes; nothing is applied but by "Übernehmen".
    close->setDefault(true);

    auto *top = new QHBoxLayout;
    top->addWidget(read);
    top->addWidget(assign);
    top->addWidget(take);
    top->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(open);
    bottom->addWidget(returns);
    bottom->addWidget(reminders);
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(bottom);
    fitToScreen(this, QSize(1100, 500));
}

bool PaymentsDialog::guarded(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const DbError &e) {
        m_form.ui().message(e.message(), u"Zahlungen"_qs, MsgIcon::Critical);
        return false;
    }
}

void PaymentsDialog::chooseFiles()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, u"Kontoauszüge lesen"_qs, nativePath(m_form.strExportPfad),
        u"Kontoauszüge (*.xml *.XML *.zip *.ZIP);;Alle Dateien (*)"_qs);
    if (!paths.isEmpty())
        readFiles(paths);
}

void PaymentsDialog::readFiles(const QStringList &paths)
{
    guarded([&] { m_import = readBankFiles(m_form, paths); });
    m_applied = false;
    if (!m_import.reading.refused.isEmpty())
        m_form.ui().message(m_import.reading.refused.join(u"\n"_qs)
                                + u"\n\nEs kann erst übernommen werden, wenn jede Datei gelesen werden kann."_qs,
                            u"Kontoauszüge"_qs, MsgIcon::Exclamation);
    if (!m_import.skipped.isEmpty())
        m_form.ui().message(m_import.skipped.join(u"\n"_qs), u"Kontoauszüge"_qs, MsgIcon::Information);
    refresh();
}

void PaymentsDialog::refresh()
{
    const Matching &m = m_import.matching;
    m_table->setRowCount(int(m.matches.size()));
    for (int i = 0; i < int(m.matches.size()); ++i) {
        const Match &match = m.matches[i];
        const BankEntry &e = m.entries[match.entry];
        const MatchCells c = matchCells(m, i);
        QString amount = (e.credit ? u"+"_qs : u"-"_qs) + euroCents(e.cents);
        if (e.currency != u"EUR"_qs)
            amount = amount.chopped(1) + e.currency;
        const QString cells[] = {QString::number(i + 1), formatDate(e.booked, u"dd.mm.yyyy"_qs), amount, c.payer,
                                 c.remittance, matchKindText(match.kind), c.documents, c.why};
        for (int col = 0; col < 8; ++col)
            m_table->setItem(i, col, new QTableWidgetItem(cells[col]));
        // The whole remittance text where the cell shows it shortened.
        m_table->item(i, 4)->setToolTip(e.transactions.value(0).remittance);
        m_table->item(i, 2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_table->resizeColumnsToContents();
    m_summary->setText(m.matches.isEmpty() ? u"Noch kein Kontoauszug gelesen."_qs
                                           : matchingText(m).section(u'\n', -2).trimmed()
                                                 + (m_applied ? u" Übernommen."_qs : QString()));
}

void PaymentsDialog::assignByHandClicked()
{
    const int row = m_table->currentRow();
    if (row < 0) {
        m_form.ui().message(u"Bitte wählen Sie zuerst einen Umsatz aus."_qs, u"Zahlungen"_qs);
        return;
    }
    // The clerk sees which entry the document is assigned to, and may type the number as
    // the letters print it ("RE 65") or bare.
    const Matching &m = m_import.matching;
    const BankEntry &e = m.entries[m.matches[row].entry];
    const MatchCells c = matchCells(m, row);
    const QString entry = u"Umsatz "_qs + QString::number(row + 1) + u" vom "_qs + formatDate(e.booked, u"dd.mm.yyyy"_qs)
                          + u", "_qs + (e.credit ? u"+"_qs : u"-"_qs) + euroCents(e.cents) + u"\nZahler: "_qs + c.payer
                          + u"\nVerwendungszweck: "_qs + shortRemittance(c.remittance);
    const std::optional<QString> typed = m_form.ui().inputBox(
        entry + u"\n\nNummer des Belegs (zum Beispiel 65 oder RE 65):"_qs, u"Beleg zuordnen"_qs, QString());
    if (!typed || typed->trimmed().isEmpty())
        return;
    const std::optional<qint64> number = typedDocumentNumber(*typed);
    if (!number) {
        m_form.ui().message(u"„"_qs + typed->trimmed() + u"“ ist keine Belegnummer. Bitte geben Sie die Nummer ein, "
                                "die der Brief nennt, zum Beispiel 65 oder RE 65."_qs,
                            u"Beleg zuordnen"_qs, MsgIcon::Exclamation);
        return;
    }
    assignSelected(*number);
}

void PaymentsDialog::assignSelected(qint64 number)
{
    const int row = m_table->currentRow();
    guarded([&] {
        QString error;
        if (!assignByHand(m_import.matching, row, number, registerBalances(m_form), &error))
            m_form.ui().message(error, u"Zahlungen"_qs, MsgIcon::Exclamation);
    });
    refresh();
    m_table->selectRow(row);
}

bool PaymentsDialog::apply()
{
    if (m_applied || m_import.matching.matches.isEmpty() || !m_import.reading.refused.isEmpty())
        return false;
    ApplyResult result;
    if (!guarded([&] { result = applyBankImport(m_form, m_import); }))
        return false;
    m_applied = true;
    m_form.ui().message(u"Übernommen: "_qs + QString::number(result.entries) + u" Umsätze, "_qs
                            + QString::number(result.payments) + u" Zahlungen und Rücklastschriften."_qs,
                        u"Zahlungen"_qs, MsgIcon::Information);
    refresh();
    return true;
}

void PaymentsDialog::showOpenItems()
{
    guarded([&] {
        runScreens(m_form.ui()).showReport(
            openItemsReport(currentOpenItems(m_form, true), m_form.clock().now().date(), m_form.txtFirmenName.Text));
    });
}

void PaymentsDialog::makeLetters(LetterKind kind)
{
    guarded([&] {
        LetterRequest request;
        request.kind = kind;
        const Letters letters = qvl::makeLetters(m_form, request);
        if (!letters.report) {
            m_form.ui().message(u"Keine Briefe: kein Beleg ist betroffen."_qs, u"Zahlungen"_qs);
            return;
        }
        if (runScreens(m_form.ui()).showReport(*letters.report))
            recordLettersSent(m_form, letters);
    });
}

} // namespace qvl
