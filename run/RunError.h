#pragma once
// A failure inside a run step, with the German text the user is shown. The run driver
// catches it (and DbError), tells the user and stops the run.

#include <QString>
#include <stdexcept>

namespace qvl {

class RunError : public std::runtime_error {
public:
    explicit RunError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace qvl
