#pragma once
// The dialog "Einstellungen": the settings without a box on the main form, one tab per
// subject, a view of SettingsEditor. "OK" takes them only when every value passes its rule
// (the refused one is named and gets the focus); Escape and "Abbrechen" change nothing.

#include "app/SettingsEditor.h"

#include <QDialog>
#include <QList>

class QTabWidget;
class QWidget;

namespace qvl {

class FrmDTA;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(FrmDTA &form, QWidget *parent = nullptr);

    // The widget of a key's field (named as the key).
    QWidget *field(const QString &key) const;
    // "OK": true when the values were taken and the dialog closed.
    bool take();

private:
    void readWidgets();

    FrmDTA &m_form;
    SettingsEditor m_editor;
    QTabWidget *m_tabs;
    QList<QWidget *> m_widgets; // one per field, in the editor's order
};

} // namespace qvl
