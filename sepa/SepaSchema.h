#pragma once
// The official ISO 20022 schemas of the two pain.008 versions, built into the program, and
// a validator that checks a SEPA file against its schema while the file is being written:
// it reads the same bytes on a thread of its own and keeps nothing of the document, so a
// file of any size costs the same small amount of memory.

#include "sepa/SepaDocument.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace qvl {

// Where the first error of a document lies.
struct SepaSchemaError {
    qint64 transaction = -1; // index of the transaction block (DrctDbtTxInf) it lies in; -1: outside any
    QString element;         // local name of the element, empty when unknown
    int line = 0;
    QString message;         // the validator's own (English) text
};

class SepaValidator {
public:
    explicit SepaValidator(SepaFormat format);
    ~SepaValidator();
    SepaValidator(const SepaValidator &) = delete;
    SepaValidator &operator=(const SepaValidator &) = delete;

    // Hands the next bytes of the document to the validator thread; waits while too much
    // is queued. Bytes after the first error are dropped.
    void feed(const QByteArray &bytes);
    // True as soon as an error was found (the document cannot become valid any more).
    bool failed() const;
    // Ends the document and waits for the verdict: the first error, or nothing when valid.
    std::optional<SepaSchemaError> finish();

    struct Run;

private:
    std::unique_ptr<Run> m_run;
};

// A whole document at once.
std::optional<SepaSchemaError> sepaSchemaError(SepaFormat format, const QByteArray &document);

} // namespace qvl
