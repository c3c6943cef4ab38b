#include "gui/SettingsDialog.h"
#include "gui/HelpWindow.h"

#include "app/FrmDTA.h"
#include "gui/DialogButton.h"
#include "gui/ScreenFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qvl {

SettingsDialog::SettingsDialog(FrmDTA &form, QWidget *parent)
    : QDialog(parent), m_form(form), m_editor(form), m_tabs(new QTabWidget)
{
    setObjectName(u"frmEinstellungen"_qs);
    setWindowTitle(u"Einstellungen"_qs);
    installHelpKey(this, u"einstellungen"_qs);
    m_tabs->setObjectName(u"tabEinstellungen"_qs);
    QHash<QString, QFormLayout *> pages;
    for (const QString &page : m_editor.pages()) {
        auto *content = new QWidget;
        auto *layout = new QFormLayout(content);
        layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        pages.insert(page, layout);
        m_tabs->addTab(scrollingArea(content), page);
    }
    for (const SettingField &f : m_editor.fields) {
        QWidget *w = nullptr;
        switch (f.kind) {
        case SettingField::Kind::Choice: {
            auto *box = new QComboBox;
            box->addItems(f.choices);
            box->setCurrentIndex(int(f.choices.indexOf(f.value)));
            w = box;
            break;
        }
        case SettingField::Kind::Flag: {
            auto *box = new QCheckBox;
            box->setChecked(f.value == u"1"_qs);
            w = box;
            break;
        }
        case SettingField::Kind::Number:
        case SettingField::Kind::Text: {
            auto *box = new QLineEdit(f.value);
            if (f.kind == SettingField::Kind::Number)
                box->setMaximumWidth(box->fontMetrics().horizontalAdvance(u"0000000"_qs) + 16);
            w = box;
            break;
        }
        }
        w->setObjectName(f.key);
        // The key, for whoever looks into the settings file.
        w->setToolTip(u"Schlüssel in der Einstellungsdatei: "_qs + f.key);
        m_widgets.append(w);
        QFormLayout *layout = pages.value(f.page);
        auto *label = new QLabel(f.caption + u':');
        label->setBuddy(w);
        if (f.hint.isEmpty()) {
            layout->addRow(label, w);
        } else {
            // A number's short hint stands beside its narrow box, a longer one below.
            QBoxLayout *with = f.kind == SettingField::Kind::Number ? static_cast<QBoxLayout *>(new QHBoxLayout)
                                                                    : new QVBoxLayout;
            with->setContentsMargins(0, 0, 0, 0);
            with->addWidget(w);
            auto *hint = new QLabel(f.hint);
            hint->setWordWrap(f.kind != SettingField::Kind::Number);
            hint->setObjectName(f.key + u".Hinweis"_qs);
            QFont small = hint->font();
            small.setPointSizeF(small.pointSizeF() * 0.9);
            hint->setFont(small);
            with->addWidget(hint, 1);
            layout->addRow(label, with);
        }
    }
    auto *note = new QLabel(u"Die Einstellungen gelten sofort und werden mit der Einstellungsdatei gespeichert, "
                            "wenn das Programm beendet wird."_qs);
    note->setWordWrap(true);

    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = dialogButton(u"cmdOK"_qs, u"OK"_qs, this, [this] { take(); });
    QPushButton *cancel = dialogButton(u"cmdCancel"_qs, u"Abbrechen"_qs, this, [this] { reject(); });
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    // Return where no button has the focus changes nothing: "Abbrechen" is the default.
    cancel->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(note);
    layout->addWidget(buttons);
    fitToScreen(this, sizeHint().expandedTo(QSize(fontMetrics().horizontalAdvance(QString(90, u'x')), 0)));
}

QWidget *SettingsDialog::field(const QString &key) const
{
    return m_widgets.value(m_editor.indexOf(key));
}

void SettingsDialog::readWidgets()
{
    for (int i = 0; i < m_widgets.size(); ++i) {
        QWidget *w = m_widgets[i];
        QString value;
        if (auto *box = qobject_cast<QComboBox *>(w))
            value = box->currentText();
        else if (auto *check = qobject_cast<QCheckBox *>(w))
            value = check->isChecked() ? u"1"_qs : u"0"_qs;
        else if (auto *line = qobject_cast<QLineEdit *>(w))
            value = line->text();
        m_editor.fields[i].value = value;
    }
}

bool SettingsDialog::take()
{
    readWidgets();
    QString why;
    int field = -1;
    if (!m_editor.apply(m_form, &why, &field)) {
        m_form.ui().message(why, windowTitle(), MsgIcon::Critical);
        if (QWidget *w = m_widgets.value(field)) {
            for (int t = 0; t < m_tabs->count(); ++t)
                if (m_tabs->widget(t)->isAncestorOf(w))
                    m_tabs->setCurrentIndex(t);
            w->setFocus(Qt::OtherFocusReason);
        }
        return false;
    }
    accept();
    return true;
}

} // namespace qvl
