#pragma once
// The SEPA file of a run on its way into the export folder, and the one place where it is
// created and renamed into place. Its bytes go out as they are built: a thread writes them
// under a hidden temporary name beside the final one, a second thread validates the same
// bytes against the schema of the format. Only a file that is complete, valid and on the
// disk is given its name, and never over another bank file: when the name is taken (a run
// in the same second) it becomes "…_2.xml", "…_3.xml". After any failure before that no
// file remains.
//
// A run finishes the file and hands it to its list of outputs (RunOutputs), which names it
// after the commit of the stored fees; the hidden name then carries the run's tag.

#include "sepa/SepaDocument.h"
#include "sepa/SepaSchema.h"

#include <QByteArray>
#include "files/AnsiTextFile.h"
#include <QString>
#include <memory>
#include <stdexcept>

namespace qvl {

class BackgroundWriter;

// Thrown as soon as the bytes written so far cannot become a valid document.
struct InvalidSepaFile : std::runtime_error {
    explicit InvalidSepaFile(SepaSchemaError e)
        : std::runtime_error(e.message.toStdString()), error(std::move(e)) {}
    SepaSchemaError error;
};

class SepaFile {
public:
    // Throws RunError (Output) when the file cannot be created. `tag`: the run's, for the
    // hidden name.
    SepaFile(const QString &path, SepaFormat format, const QString &tag = {});
    ~SepaFile(); // a file neither named nor kept is removed
    SepaFile(const SepaFile &) = delete;
    SepaFile &operator=(const SepaFile &) = delete;

    // The name meant for the file; after commit() the name it got.
    const QString &path() const { return m_path; }

    // Throws InvalidSepaFile once the validator found an error.
    void write(const QByteArray &bytes);
    // Writes the rest, waits for the validator and puts the bytes on the disk under the
    // hidden name. Throws RunError (Output) when the file cannot be written,
    // InvalidSepaFile when invalid.
    void finish();
    // The hidden name of the finished file.
    QString temporaryPath() const { return m_file->fileName(); }
    // The finished hidden file, still open and locked, for the run's list of outputs.
    std::unique_ptr<CheckedNewFile> release();
    // Gives the finished file its name (the first free one). Throws RunError (Output).
    void publish();
    // finish() and publish() in one.
    void commit();

private:
    void handOn();
    void throwIfInvalid();

    QString m_path;
    std::unique_ptr<CheckedNewFile> m_file;
    SepaValidator m_validator;
    std::unique_ptr<BackgroundWriter> m_writer;
    QByteArray m_chunk;
};

// "Fehler beim Schreiben der XML Datei " + file + " " + CR + reason.
QString sepaWriteError(const QString &file, const QString &reason);

} // namespace qvl
