#pragma once
// ANSI text files: Windows-1252, lines ended by CR LF. Every file the program writes goes
// through CheckedSaveFile, so it reaches the disk whole or not at all.

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <functional>
#include <optional>

namespace qvl {

// All lines of the file. Lines may end in CR LF, LF or a lone CR; the last line needs no
// line end. std::nullopt when the file does not exist or cannot be read.
std::optional<QStringList> readAnsiLines(const QString &path);

// The lines as Windows-1252 bytes, each followed by CR LF.
QByteArray ansiBytes(const QStringList &lines);

// "Die Datei „PATH“ konnte nicht geschrieben werden: REASON"
QString fileWriteError(const QString &path, const QString &reason);

// A file replaced whole or not at all. Written under a temporary name beside it, without
// a buffer of its own, so a full disk fails the very write that meets it (a buffered
// write would only fail in the last flush, which QSaveFile does not report); then synced
// to the disk and only then renamed over the old file. Any device user may write to it
// (a PDF writer, a background thread); a short write fails it for good.
// Destroyed without commitWhole(), it leaves the old file as it was.
class CheckedSaveFile : public QSaveFile {
public:
    explicit CheckedSaveFile(const QString &path);
    ~CheckedSaveFile() override;

    // Creates the temporary file. False with errorText() when it cannot.
    bool openForWriting();
    // Puts the file in place when every write succeeded and the bytes reached the disk;
    // otherwise removes the temporary file. False with errorText().
    bool commitWhole();
    // The first failure, as a German text naming the file.
    QString errorText() const { return m_error; }

protected:
    qint64 writeData(const char *data, qint64 len) override;

private:
    void fail(const QString &reason);
    QString m_error;
};

// A file that must never replace another one (a bank file): written and checked like
// CheckedSaveFile under a temporary name in its folder, then moved to the first free name
// in one step that never overwrites, so two runs finishing in the same second still
// get two files. Destroyed without commitAsNew(), it leaves nothing behind.
class CheckedNewFile : public QTemporaryFile {
public:
    // The name the file is meant to get; its folder holds the temporary file.
    explicit CheckedNewFile(const QString &path);

    bool openForWriting();
    // Moves the file to `path` or, when that exists, to alternative(2), alternative(3), …
    // (at most 999 tries). Returns the name taken, empty on failure (errorText()).
    QString commitAsNew(const std::function<QString(int)> &alternative);
    QString errorText() const { return m_error; }

protected:
    qint64 writeData(const char *data, qint64 len) override;

private:
    void fail(const QString &reason);
    QString m_path;
    QString m_error;
};

// Writes each line followed by CR LF. Appending creates the file when it is missing; a
// write that fails half-way is taken back, so the file keeps exactly its old lines.
// On failure returns false and puts a German description into *error.
bool appendAnsiLines(const QString &path, const QStringList &lines, QString *error = nullptr);

// Replaces the whole file through CheckedSaveFile.
bool writeAnsiFileAtomically(const QString &path, const QStringList &lines, QString *error = nullptr);

} // namespace qvl
