#pragma once
// Widgets as a view of the core's form state. Each widget carries the control's registry
// name as its objectName; a user's edit goes through ControlRegistry::set (which fires the
// form's reaction), and after each reaction every widget is refreshed from the state.

#include "app/FormControls.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace qvl {

class FrmDTA;

class FormView : public QObject {
    Q_OBJECT
public:
    explicit FormView(FrmDTA &form, QObject *parent = nullptr);

    // Bound widgets, named as the registry names the control.
    QLineEdit *lineEdit(const QString &name, TextBox &box);
    QPlainTextEdit *textArea(const QString &name, TextBox &box);
    QCheckBox *checkBox(const QString &name, CheckBox &box);
    // A check box whose long caption wraps in a label beside it (a check box's own text
    // never wraps, and would make the window wider than a small screen). Clicking the
    // caption ticks the box, as clicking a check box's own text does.
    QWidget *wrappedCheckBox(const QString &name, CheckBox &box);
    // Member index of the option group "group": named "group(index)".
    QRadioButton *option(const QString &group, int index, OptionButton &button);
    QListWidget *listBox(const QString &name, ListBox &box);
    // caption: how an entry is shown, when not as it is.
    QComboBox *comboBox(const QString &name, ListBox &box, std::function<QString(const QString &)> caption = {});
    QLabel *label(const QString &name, Label &label);
    QGroupBox *frame(const QString &name, Frame &frame);
    void tabs(QTabWidget *widget, TabStrip &strip);
    // A view of state that is not a control of its own (the window caption, a folder).
    void onRefresh(std::function<void()> refresher);

    // The user's edit, as --set does it; then every widget shows the state again.
    void edit(const QString &name, const QString &value);
    void refresh();

    // The focused checked box (a formatted number box, the invoice number) is left as if
    // the focus moved on (formatting or the message). False when it refuses its text: the
    // focus stays, the action must not go on.
    bool commitPendingEdit();
    // Before the form closes or runs: the pending edit, then every box that still holds a
    // refused value (the form's LeaveRefusedBoxes). False when one refuses: its tab is shown
    // and the focus put into it.
    bool commitAll();
    // Shows the tab that holds the control and puts the focus into it.
    void focusControl(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool leaveCheckedBox(QLineEdit *edit);

    FrmDTA &m_form;
    QHash<QString, QWidget *> m_widgets; // the bound line edits, by control name
    QList<std::function<void()>> m_refreshers;
    bool m_leaving = false;
};

} // namespace qvl
