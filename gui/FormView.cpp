#include "gui/FormView.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>

namespace qvl {

namespace {

const char *const kCheckedProperty = "qvlChecked";

// Multi-line boxes hold CR LF line breaks, as the settings file and the invoices expect.
QString fromWidget(const QString &text)
{
    return QString(text).replace(u"\r\n"_qs, u"\n"_qs).replace(u'\n', u"\r\n"_qs);
}

QString toWidget(const QString &text)
{
    return QString(text).replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
}

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// The caption of a wrapped check box: a click on it is a click on the box.
class BoxCaption : public QLabel {
public:
    BoxCaption(QCheckBox *box) : m_box(box) { setWordWrap(true); }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && m_box->isEnabled() && rect().contains(event->position().toPoint()))
            m_box->click();
        QLabel::mouseReleaseEvent(event);
    }

private:
    QCheckBox *m_box;
};

} // namespace

FormView::FormView(FrmDTA &form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
}

void FormView::onRefresh(std::function<void()> refresher)
{
    m_refreshers.append(std::move(refresher));
}

void FormView::refresh()
{
    for (const auto &refresher : m_refreshers)
        refresher();
}

void FormView::edit(const QString &name, const QString &value)
{
    m_form.names().set(name, value);
    refresh();
}

QLineEdit *FormView::lineEdit(const QString &name, TextBox &box)
{
    auto *w = new QLineEdit;
    w->setObjectName(name);
    m_widgets.insert(name, w);
    // Every character typed or pasted reaches the box: a checked box refuses what it cannot
    // read when it is left, never changing the text by dropping characters.
    if (checkedWhenLeft(name)) {
        // A checked box reacts when it is left, not while the user types.
        w->installEventFilter(this);
        w->setProperty(kCheckedProperty, true);
    } else {
        connect(w, &QLineEdit::textEdited, this, [this, name](const QString &text) { edit(name, text); });
    }
    onRefresh([w, &box] {
        if (w->text() != box.Text)
            w->setText(box.Text);
        w->setHidden(!box.Visible);
        w->setEnabled(box.Enabled);
    });
    return w;
}

QPlainTextEdit *FormView::textArea(const QString &name, TextBox &box)
{
    auto *w = new QPlainTextEdit;
    w->setObjectName(name);
    w->setTabChangesFocus(true);
    connect(w, &QPlainTextEdit::textChanged, this, [this, w, name] {
        edit(name, fromWidget(w->toPlainText()));
    });
    onRefresh([w, &box] {
        const QString text = toWidget(box.Text);
        if (w->toPlainText() != text) {
            const QSignalBlocker block(w);
            w->setPlainText(text);
        }
        w->setHidden(!box.Visible);
        w->setEnabled(box.Enabled);
    });
    return w;
}

QCheckBox *FormView::checkBox(const QString &name, CheckBox &box)
{
    auto *w = new QCheckBox(box.Caption);
    w->setObjectName(name);
    connect(w, &QCheckBox::clicked, this, [this, name](bool on) { edit(name, on ? u"1"_qs : u"0"_qs); });
    onRefresh([w, &box] {
        w->setChecked(box.Value == 1);
        if (w->text() != box.Caption)
            w->setText(box.Caption);
        w->setHidden(!box.Visible);
        w->setEnabled(box.Enabled);
    });
    return w;
}

QWidget *FormView::wrappedCheckBox(const QString &name, CheckBox &box)
{
    auto *w = new QCheckBox;
    w->setObjectName(name);
    connect(w, &QCheckBox::clicked, this, [this, name](bool on) { edit(name, on ? u"1"_qs : u"0"_qs); });
    auto *caption = new BoxCaption(w);
    caption->setObjectName(name + u".Caption"_qs);
    caption->setBuddy(w);
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(w, 0, Qt::AlignTop);
    layout->setSpacing(w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
    layout->addWidget(caption, 1);
    onRefresh([w, caption, row, &box] {
        w->setChecked(box.Value == 1);
        // "E-Mail" is one word: the caption wraps before it, never at its hyphen.
        const QString shown = QString(box.Caption).replace(u"E-Mail"_qs, u"E\u2011Mail"_qs);
        if (caption->text() != shown) {
            caption->setText(shown);
            w->setAccessibleName(QString(box.Caption).remove(u'&'));
        }
        row->setHidden(!box.Visible);
        w->setEnabled(box.Enabled);
        caption->setEnabled(box.Enabled);
    });
    return row;
}

QRadioButton *FormView::option(const QString &group, int index, OptionButton &button)
{
    auto *w = new QRadioButton(button.Caption);
    const QString name = group + u'(' + QString::number(index) + u')';
    w->setObjectName(name);
    // The state decides which member is on (none at all before start-up chooses one).
    w->setAutoExclusive(false);
    connect(w, &QRadioButton::clicked, this, [this, name] { edit(name, u"1"_qs); });
    onRefresh([w, &button] {
        w->setChecked(button.Value);
        w->setEnabled(button.Enabled);
    });
    return w;
}

QListWidget *FormView::listBox(const QString &name, ListBox &box)
{
    auto *w = new QListWidget;
    w->setObjectName(name);
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(w, &QListWidget::currentRowChanged, this, [this, name](int row) {
        if (row >= 0)
            edit(name, QString::number(row));
    });
    onRefresh([w, &box] {
        const QSignalBlocker block(w);
        if (items(w) != box.List) {
            w->clear();
            w->addItems(box.List);
        }
        if (w->currentRow() != box.ListIndex)
            w->setCurrentRow(box.ListIndex);
    });
    return w;
}

QComboBox *FormView::comboBox(const QString &name, ListBox &box, std::function<QString(const QString &)> caption)
{
    auto *w = new QComboBox;
    w->setObjectName(name);
    connect(w, &QComboBox::activated, this, [this, name](int index) { edit(name, QString::number(index)); });
    onRefresh([w, &box, caption] {
        const QSignalBlocker block(w);
        QStringList shown = box.List;
        if (caption)
            std::transform(shown.begin(), shown.end(), shown.begin(), caption);
        if (items(w) != shown) {
            w->clear();
            w->addItems(shown);
            // The drop-down shows every entry whole, however narrow the box is.
            int widest = 0;
            for (const QString &text : shown)
                widest = std::max(widest, w->view()->fontMetrics().horizontalAdvance(text));
            w->view()->setMinimumWidth(widest + w->view()->verticalScrollBar()->sizeHint().width()
                                       + 4 * w->view()->frameWidth() + 8);
        }
        if (w->currentIndex() != box.ListIndex)
            w->setCurrentIndex(box.ListIndex);
        w->setToolTip(w->currentText());
    });
    return w;
}

QLabel *FormView::label(const QString &name, Label &label)
{
    auto *w = new QLabel(label.Caption);
    w->setObjectName(name);
    onRefresh([w, &label] {
        if (w->text() != label.Caption)
            w->setText(label.Caption);
        w->setHidden(!label.Visible);
    });
    return w;
}

QGroupBox *FormView::frame(const QString &name, Frame &frame)
{
    auto *w = new QGroupBox(frame.Caption);
    w->setObjectName(name);
    onRefresh([w, &frame] {
        if (w->title() != frame.Caption)
            w->setTitle(frame.Caption);
        w->setHidden(!frame.Visible);
        w->setEnabled(frame.Enabled);
    });
    return w;
}

void FormView::tabs(QTabWidget *w, TabStrip &strip)
{
    onRefresh([w, &strip] {
        for (int i = 0; i < strip.Tabs() && i < w->count(); ++i) {
            w->setTabText(i, strip.TabCaption.at(i));
            w->setTabVisible(i, strip.TabVisible.at(i));
        }
    });
}

bool FormView::leaveCheckedBox(QLineEdit *w)
{
    const QScopedValueRollback<bool> guard(m_leaving, true);
    if (m_form.names().set(w->objectName(), w->text()) == ControlRegistry::SetResult::Ok) {
        refresh();
        return true;
    }
    refresh();
    // The message has been shown; the user corrects the box before going on.
    w->setFocus(Qt::OtherFocusReason);
    return false;
}

bool FormView::commitPendingEdit()
{
    auto *w = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!w || !w->property(kCheckedProperty).isValid() || m_leaving)
        return true;
    return leaveCheckedBox(w);
}

bool FormView::commitAll()
{
    if (!commitPendingEdit())
        return false;
    const QString refused = m_form.LeaveRefusedBoxes();
    refresh();
    if (refused.isEmpty())
        return true;
    focusControl(refused);
    return false;
}

void FormView::focusControl(const QString &name)
{
    QWidget *w = m_widgets.value(name);
    if (!w)
        return;
    // A tab's page lies in the tab widget's stack: show the page that holds the box.
    for (QWidget *page = w; page; page = page->parentWidget()) {
        QWidget *stack = page->parentWidget();
        auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->indexOf(page) >= 0) {
            tabs->setCurrentWidget(page);
            break;
        }
    }
    w->setFocus(Qt::OtherFocusReason);
}

bool FormView::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QLineEdit *>(watched);
    if (!w)
        return false;
    if (event->type() == QEvent::FocusOut && w->property(kCheckedProperty).isValid() && !m_leaving) {
        // Leaving for another control of the form; not when another window takes the focus.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            leaveCheckedBox(w);
    }
    return false;
}

} // namespace qvl
