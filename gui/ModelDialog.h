#pragma once
// The dialog "Modelle": edits the invoice text models of the main form. Its state and every
// action are the core's ModelEditor; closing it (any way) hands the models back to the form.

#include "app/ModelEditor.h"

#include <QDialog>

class QPlainTextEdit;
class QTreeWidget;

namespace qvl {

class ModelDialog : public QDialog {
    Q_OBJECT
public:
    ModelDialog(FrmDTA &form, QWidget *parent = nullptr);

    void done(int result) override;

private:
    void refresh();

    ModelEditor m_editor;
    QTreeWidget *m_list;
    QPlainTextEdit *m_text;
    bool m_closed = false;
};

} // namespace qvl
