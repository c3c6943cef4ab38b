#pragma once
// The dialog "Zahlungen": reads the bank's statements and shows the matching (an entry the
// program could not assign can be assigned to a document by hand), applies it after
// "Übernehmen", and makes the open items and the letters. The work is the core's
// (commands/PaymentsStep, bank/); the dialog only shows it.

#include "commands/PaymentsStep.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace qvl {

class FrmDTA;

class PaymentsDialog : public QDialog {
    Q_OBJECT
public:
    explicit PaymentsDialog(FrmDTA &form, QWidget *parent = nullptr);

    // Reads the files and shows their matching (the file dialog's part, for the tests).
    void readFiles(const QStringList &paths);
    void assignSelected(qint64 number);
    bool apply();
    const BankImport &import() const { return m_import; }
    QTableWidget *table() const { return m_table; }

private:
    void chooseFiles();
    void assignByHandClicked();
    void showOpenItems();
    void makeLetters(LetterKind kind);
    void refresh();
    // Runs a step; a database error is told and ends it.
    bool guarded(const std::function<void()> &step);

    FrmDTA &m_form;
    BankImport m_import;
    bool m_applied = false;
    QTableWidget *m_table;
    QLabel *m_summary;
};

} // namespace qvl
