#pragma once
// A failure inside a run step, with the German text the user is shown. The run driver
// catches it (and DbError), tells the user and stops the run.

#include <QString>
#include <stdexcept>

namespace qvl {

class RunError : public std::runtime_error {
public:
    // Input: the user can mend an input and start again (the run stopped before writing).
    // Output: a file could not be written.
    enum class Kind { Input, Output };

    RunError(Kind kind, const QString &message)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message) {}
    Kind kind() const { return m_kind; }
    const QString &message() const { return m_message; }

private:
    Kind m_kind;
    QString m_message;
};

} // namespace qvl
