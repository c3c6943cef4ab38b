#pragma once
// The files a run makes, from their writing to their name. Every writer of a run writes its
// file whole under a hidden name beside the final one (".NAME.TAG.XXXXXX", the tag naming
// the database and the run) and hands it over here; the run records the list with its
// stored fees in one commit and only then gives each file its name. A file whose writer
// holds it stays open and locked until it is named, so that no other start takes it for
// abandoned. Destroyed before the commit, the list removes every hidden file.
//
// A writer is handed the run's list (a RunOutputs *) by its caller; given none, it names its
// files at once, as a writer outside a run does.

#include <QDate>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qvl {

class CheckedNewFile;

// How a file gets its name.
enum class Naming : int {
    Exact = 0,    // exactly the target, never over another file
    Replace = 1,  // the target, replacing a file of that name (the reports, the CSV list)
    NextFree = 2, // the target or, when taken, "NAME_2.ext", "NAME_3.ext", … (bank file, e-invoices)
    DayNumber = 3, // "NAME_1.ext" … "NAME_50.ext", then "NAME.ext" (accounting files)
    Dated = 4     // the target or, when taken, "NAME_<day>_2.ext", "NAME_<day>_3.ext", …: a report
                  // named after its run was interrupted never replaces a later run's
};

struct RunOutput {
    QString hidden;              // the hidden file
    QString target;              // the name, or the base of the numbered names
    Naming naming = Naming::Exact;
    int group = 0;               // outputs of one group (> 0) take the same number
    int first = 1;               // the first name tried (chosen when the file was made)
    QString named;               // the name it got
    QDate day;                   // Naming::Dated: the run's day
};

// The k-th name of an output (k ≥ 1); empty past the last one.
QString candidateName(const RunOutput &output, int k);

// The first k at which every target has a free name (the names a group would get now); 0
// when every name is taken.
int firstFreeNumber(const QStringList &targets, Naming naming);

// The database and run a hidden file belongs to, read from its name.
struct HiddenTag {
    QString database;
    QString run;
};
std::optional<HiddenTag> hiddenTagOf(const QString &fileName);

struct NamingResult {
    QStringList named;    // the names given, in order
    QStringList problems; // German texts: a file that could not be named stays hidden
};

// Names the outputs in order; a group's files share their number. An output whose hidden
// file is gone was named before (by its run, before it stopped). Nothing is copied and
// nothing replaced except what Naming::Replace says.
NamingResult nameOutputs(QList<RunOutput> &outputs);

class RunOutputs {
public:
    RunOutputs(const QString &databaseId, const QString &runId);
    ~RunOutputs();
    RunOutputs(const RunOutputs &) = delete;
    RunOutputs &operator=(const RunOutputs &) = delete;

    // A new run's id: random, so that runs of any desk never share one.
    static QString newRunId();

    const QString &runId() const { return m_runId; }
    // "DATABASE-RUN", the part of every hidden name of the run.
    QString tag() const;

    // An unopened hidden file beside `target`; write it whole, finishUnnamed(), then add().
    std::unique_ptr<CheckedNewFile> createHidden(const QString &target) const;
    // Takes over a finished hidden file, held open and locked until it is named. Returns the
    // name it will get unless another program takes that name first. Both paths are kept
    // absolute: a recovery from another working directory names the file where it was made.
    QString add(std::unique_ptr<CheckedNewFile> file, const QString &target, Naming naming = Naming::Exact,
                int group = 0, int first = 0);
    // A finished hidden file its writer has closed.
    QString add(const QString &hiddenPath, const QString &target, Naming naming = Naming::Exact, int group = 0,
                int first = 0);
    // A number for files that must share their number.
    int newGroup() { return ++m_groups; }

    const QList<RunOutput> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // Lines for the log file, kept back while the run writes, so that a run stopped before
    // its commit (a kill) leaves none; the run appends them once it is done with them.
    void deferLog(const QString &path, const QStringList &lines) { m_log.append({path, lines}); }
    // Appends the kept lines; false with *error (German) when the file cannot be written.
    bool writeDeferredLog(QString *error);

    // From the commit on, the hidden files outlive this list and the process.
    void keep();
    // The commit surely failed after all (read back): the hidden files go as before it.
    void discard();
    // After the commit: every file its name, in order. The held files are let go.
    NamingResult nameAll();

private:
    QString m_databaseId;
    QString m_runId;
    QList<RunOutput> m_entries;
    std::vector<std::unique_ptr<CheckedNewFile>> m_held;
    QList<std::pair<QString, QStringList>> m_log;
    int m_groups = 0;
    bool m_kept = false;
};

// A whole file that replaces one of the same name: within a run (`run` given) a hidden file
// handed to the run's list, outside one (nullptr) a hidden file of the program's own tag
// renamed over the old one. `write` fills the device; false with *error (a German text
// naming the file) on failure.
bool writeReplacingFile(RunOutputs *run, const QString &path,
                        const std::function<bool(QIODevice &, QString *)> &write, QString *error);

} // namespace qvl
