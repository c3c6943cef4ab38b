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

    RunError(Kind kind, const QString &message, const QString &title = {})
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message), m_title(title) {}
    Kind kind() const { return m_kind; }
    const QString &message() const { return m_message; }
    const QString &title() const { return m_title; } // empty: the message has no title

private:
    Kind m_kind;
    QString m_message;
    QString m_title;
};

} // namespace qvl
