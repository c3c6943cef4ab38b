#pragma once
// A dialog's button, named for its control: Enter in the dialog does not press it by itself.

#include <QPushButton>
#include <functional>

namespace qvl {

// action runs on each click (the dialog's operation, then showing its state again).
inline QPushButton *dialogButton(const QString &name, const QString &caption, QObject *context,
                                 std::function<void()> action)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, context, std::move(action));
    return b;
}

} // namespace qvl
