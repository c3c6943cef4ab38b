#pragma once
// The owner selection ("Waldbesitzer Selektion"): the owners a run may be restricted to,
// the dialog's state without widgets, and its result, the owner restriction strWBIN.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace qvl {

class FrmDTA;

// From the selected list lines in list order (each starting with the owner's number):
// "(" + the numbers joined by "," + ")", or "" when nothing is selected.
QString BuildWBIN(const QStringList &selectedLines);

// The owner numbers of a restriction strWBIN ("(1001,1002)"), in its order; empty for all
// owners.
QList<long> selectedNumberList(const QString &strWBIN);
QSet<long> selectedNumbers(const QString &strWBIN);

// An active selection as the main form shows it ("Auswahl: 2 Waldbesitzer"); empty without
// one.
QString selectionCaption(const QString &strWBIN);
// The same for the check before a run, naming the first owners' numbers.
QString selectionCheckLine(const QString &strWBIN);

// One line of the owner list.
struct OwnerLine {
    long long nummer = 0;
    QString text; // Nummer, Name and Vorname, each left out when missing
};

// The owners of the payment type chosen on the form (and of its association, in association
// mode), sorted by number or by name. Throws DbError.
QList<OwnerLine> LoadWaldbesitzer(const FrmDTA &form, bool byName);

// The dialog: opening lists the owners sorted by number, all selected.
class OwnerSelection {
public:
    explicit OwnerSelection(FrmDTA &form);

    const QList<OwnerLine> &lines() const { return m_lines; }
    const QList<bool> &selected() const { return m_selected; }
    bool sortedByName() const { return m_byName; }
    int currentLine() const { return m_current; }

    void setSelected(int line, bool on);
    void btnAlle_Click() { selectAll(true); }
    void btnKeinen_Click() { selectAll(false); }
    // optName / optNummer: the list is read again, nothing selected.
    void setSortByName(bool byName);
    // Closing, however it happens: strWBIN from the selected lines' numbers, in list order.
    void close();

private:
    void selectAll(bool on);
    void load();

    FrmDTA &m_form;
    bool m_byName = false;
    QList<OwnerLine> m_lines;
    QList<bool> m_selected;
    int m_current = -1;
};

} // namespace qvl
