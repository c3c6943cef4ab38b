#pragma once
// How the main form's tabs lay out their fields: captions right-aligned, number fields as
// wide as their content, buttons named for their control.

#include <QFormLayout>
#include <QPushButton>
#include <QString>

namespace qvl::formfields {

inline QString indexed(const QString &name, int i)
{
    return name + u'(' + QString::number(i) + u')';
}

inline QPushButton *button(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    // Clicking a button leaves a formatted box through the button's own check, so the
    // box's message never interrupts a half-done click.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

inline QFormLayout *formLayout()
{
    auto *f = new QFormLayout;
    f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return f;
}

// A field of numbers sized for its content, not stretched across the column.
template <typename W>
W *narrow(W *w, int characters)
{
    w->setFixedWidth(w->fontMetrics().horizontalAdvance(QString(characters, u'0')) + 16);
    return w;
}

} // namespace qvl::formfields
