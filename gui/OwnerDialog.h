#pragma once
// The dialog "Waldbesitzer Selektion": restricts the next run to chosen owners. Its state
// and actions are the core's OwnerSelection; closing it (any way) sets strWBIN.

#include "select/OwnerSelection.h"

#include <QDialog>

class QListWidget;
class QRadioButton;

namespace qvl {

class OwnerDialog : public QDialog {
    Q_OBJECT
public:
    // Throws DbError when the owners cannot be read.
    OwnerDialog(FrmDTA &form, QWidget *parent = nullptr);

    // Opens the dialog modally (a fresh list every time); a database error is reported and
    // leaves the restriction as it was.
    static void choose(FrmDTA &form, QWidget *parent);

    void done(int result) override;

private:
    void refresh();

    OwnerSelection m_selection;
    QListWidget *m_list;
    QRadioButton *m_byName;
    QRadioButton *m_byNumber;
    bool m_closed = false;
};

} // namespace qvl
