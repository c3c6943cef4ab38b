#pragma once
// The paper list of the mail: the letters of the owners whose mail the server refused for
// good (a row of the table, or an answer in the journal of a send that was stopped before
// it became one), taken from their outbox messages and put together into one PDF to print.

#include <QString>
#include <QStringList>

namespace qvl {

class Database;

struct UnsentLetters {
    QString file;        // the PDF written, empty when there was nothing to print
    QStringList owners;  // "Nummer Name" of each letter, in the outbox's order
};

// Writes "Rechnung-Papier.pdf" beside the outbox, replacing one of the same name. Throws
// DbError; a file that cannot be written or read throws std::runtime_error with a German
// text.
UnsentLetters writeUnsentLetters(const QString &outbox, Database &db);

} // namespace qvl
