#pragma once
// ANSI text files: Windows-1252, lines ended by CR LF. Every file the program writes goes
// through CheckedSaveFile, so it reaches the disk whole or not at all.

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <functional>
#include <optional>
#include <utility>

namespace qvl {

class RunOutputs;

// All lines of the file. Lines may end in CR LF, LF or a lone CR; the last line needs no
// line end. std::nullopt when the file does not exist or cannot be read.
std::optional<QStringList> readAnsiLines(const QString &path);

// The lines as Windows-1252 bytes, each followed by CR LF.
QByteArray ansiBytes(const QStringList &lines);

// The encoding a settings or INI file was read in, to write it back in the same: the
// Windows program's Windows-1252, or UTF-8 as a modern editor saves it (with or without
// its byte order mark).
enum class TextEncoding { Cp1252, Utf8, Utf8WithBom };

struct DecodedText {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Cp1252;
};

// The lines of a settings or INI file: UTF-8 when it starts with UTF-8's byte order mark or
// is valid UTF-8 holding non-ASCII bytes (Windows-1252 text with umlauts almost never is),
// else Windows-1252. Line ends as readAnsiLines. std::nullopt when it cannot be read.
std::optional<DecodedText> readTextLines(const QString &path);
// Which of the two the bytes are (see readTextLines).
TextEncoding detectTextEncoding(const QByteArray &bytes);

// The lines in the encoding, each followed by CR LF (UTF-8's byte order mark first when
// the file had one).
QByteArray textBytes(const QStringList &lines, TextEncoding encoding);

// "Die Datei „PATH“ konnte nicht geschrieben werden: REASON"
QString fileWriteError(const QString &path, const QString &reason);

// What every file the program writes shares: opened without a buffer of its own, so a
// full disk fails the very write that meets it (a buffered write would only fail in the
// last flush, which QSaveFile does not report); every write checked, a short one failing
// the file for good; the bytes synced to the disk before the file gets its name. Any
// device user may write to it (a PDF writer, a background thread).
template <typename File>
class CheckedFile : public File {
public:
    // Creates the temporary file. False with errorText() when it cannot.
    bool openForWriting();
    // The first failure, as a German text naming the file.
    QString errorText() const { return m_error; }
    // Why it failed, without the file's name (also the device's errorString()).
    QString reason() const { return m_reason; }

protected:
    template <typename... Args>
    explicit CheckedFile(const QString &path, Args &&...args) : File(std::forward<Args>(args)...), m_path(path)
    {
    }
    qint64 writeData(const char *data, qint64 len) override;
    virtual void fail(const QString &reason);
    // Flushes and syncs; false (failed) when the bytes did not reach the disk.
    bool reachedDisk();

    QString m_path;
    QString m_error;
    QString m_reason;
};

// A file replaced whole or not at all: written under a temporary name beside it and
// renamed over the old file only when complete. Destroyed without commitWhole(), it
// leaves the old file as it was.
class CheckedSaveFile : public CheckedFile<QSaveFile> {
public:
    explicit CheckedSaveFile(const QString &path);
    ~CheckedSaveFile() override;
    // Puts the file in place when every write succeeded and the bytes reached the disk;
    // otherwise removes the temporary file. False with errorText().
    bool commitWhole();

protected:
    void fail(const QString &reason) override;
};

// A file that must never replace another one (a bank file, an accounting file): written
// under a hidden temporary name beside the final one (".NAME.XXXXXX"), then moved to the
// first free name in one step that never overwrites, so two runs finishing in the same
// second still get two files. Destroyed without a name given, it leaves nothing behind
// unless kept.
class CheckedNewFile : public CheckedFile<QTemporaryFile> {
public:
    // The name the file is meant to get; its folder holds the temporary file. A `tag`
    // goes into the temporary name (".NAME.TAG.XXXXXX"): whose run made the file.
    explicit CheckedNewFile(const QString &path, const QString &tag = {});
    // Moves the file to `path` or, when that exists, to alternative(2), alternative(3), …
    // (at most 999 tries). Returns the name taken, empty on failure (errorText()).
    QString commitAsNew(const std::function<QString(int)> &alternative);

    // The bytes and the temporary name on the disk, the file still unnamed: what a later
    // step may give its name (commitAsNew or publishAs), also after a crash.
    bool finishUnnamed();
    // The same without the syncs, for many files of one folder synced together afterwards
    // (syncFilesOf) before anything is recorded about them.
    bool finishUnsynced();
    // The temporary file stays when this object is destroyed (or the process dies).
    void keep() { setAutoRemove(false); }
    // Moves the finished file to `name` unless that exists. Taken: false, the file stays
    // unnamed. Failed: false with errorText().
    enum class Publish { Done, Taken, Failed };
    Publish publishAs(const QString &name);
    // Gives a published file its temporary name back (when its partner file of the same
    // number could not be named).
    bool unpublish(const QString &temporaryName);
};

// Writes each line followed by CR LF. Appending creates the file when it is missing; a
// write that fails half-way is taken back, so the file keeps exactly its old lines.
// On failure returns false and puts a German description into *error.
bool appendAnsiLines(const QString &path, const QStringList &lines, QString *error = nullptr);

// Replaces the whole file through writeReplacingFile: within a run (`run` given) a hidden
// file the run names, outside one (nullptr) at once.
bool writeAnsiFileAtomically(RunOutputs *run, const QString &path, const QStringList &lines,
                             QString *error = nullptr);
// The same outside a run in the encoding given (for a settings file written back as it was read).
bool writeTextFileAtomically(const QString &path, const QStringList &lines, TextEncoding encoding,
                             QString *error = nullptr);

} // namespace qvl
