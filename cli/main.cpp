// qvl32-sepa-batch: the program without windows. Starts like the main form, applies the
// --set options as the user would, and runs one command.
#include "app/FrmDTA.h"
#include "app/Handbook.h"
#include "commands/ProgramStart.h"
#include "cli/BankCommands.h"
#include "cli/BatchOptions.h"
#include "cli/BatchUi.h"
#include "cli/DemoDatabase.h"
#include "cli/MailCommands.h"
#include "text/Conversions.h"
#include "os/CommandLineSecret.h"
#include "os/HeadlessGui.h"
#include "base/InternalError.h"
#include "os/Paths.h"
#include "os/RunSignals.h"
#include "text/Translation.h"
#include "ledger/OwnTables.h"
#include "os/ThreadEnd.h"
#include "run/RunDriver.h"
#include "ledger/RunManifest.h"
#include "run/RunPreparation.h"
#include "run/RunSummary.h"
#include "select/OwnerSelection.h"

#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace qvl;

namespace {

// Documented in the README.
enum Exit { Done = 0, Failure = 1, Usage = 2, Stopped = 3, SettingsNotSaved = 4, BankFileOnly = 5 };

void printOut(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

int usageError(const QString &text)
{
    std::fputs((text + u"\nAufruf: qvl32-sepa-batch [Optionen] BEFEHL [ARGUMENTE]; alle Optionen zeigt --help.\n"_qs)
                   .toUtf8()
                   .constData(),
               stderr);
    return Usage;
}

// The handbook's topics, one a line, indented by their level.
QString handbookTopics(const Handbook &handbook)
{
    QString list = u"Themen des Handbuchs (qvl32-sepa-batch help THEMA):\n"_qs;
    for (const HandbookSection &section : handbook.sections())
        list += QString(2 * (section.level - 1), u' ') + section.topic + u"  („"_qs + section.title + u"“)\n"_qs;
    return list;
}

// help [THEMA]: a section of the handbook, or the list of its topics. Reads no settings and
// no database, so it works before anything is set up.
int printHandbook(const BatchOptions &o)
{
    const Handbook &handbook = Handbook::builtIn();
    if (o.arguments.isEmpty()) {
        printOut(handbookTopics(handbook));
        return Done;
    }
    if (o.arguments.size() > 1)
        return usageError(u"Der Befehl help erwartet höchstens ein Thema."_qs);
    const HandbookSection *section = handbook.find(o.arguments.first());
    if (!section) {
        std::fputs(handbookTopics(handbook).toUtf8().constData(), stderr);
        return usageError(u"Das Handbuch hat kein Thema „"_qs + o.arguments.first()
                          + u"“ (oder mehrere, die so beginnen)."_qs);
    }
    printOut(handbook.sectionText(*section));
    return Done;
}

int demoDb(const BatchOptions &o)
{
    if (o.arguments.size() != 1)
        return usageError(u"demo-db erwartet genau einen Dateinamen."_qs);
    const QString file = nativePath(o.arguments.first());
    QString error;
    if (!createDemoDatabase(file, {o.owners, o.seed}, &error)) {
        std::fputs((error + u'\n').toUtf8().constData(), stderr);
        // An existing file is refused like a wrong argument: the command was not meant for it.
        return QFileInfo::exists(file) ? Usage : Failure;
    }
    printOut(nativePath(o.arguments.first()) + u'\n');
    return Done;
}

int dump(FrmDTA &form)
{
    QString out;
    for (const DumpLine &line : form.names().dump())
        out += line.first + u'=' + line.second + u'\n';
    printOut(out);
    return Done;
}

// Presses the start button; prints one line per file written, the reports' files last,
// then after an empty line the run's summary.
int run(FrmDTA &form, const BatchUi &ui)
{
    const RunReport report = cmdStart_Click(form);
    QString out;
    // Only what is there under its name: a run that failed at its commit names none.
    for (const QString &path : report.outputs + ui.writtenFiles())
        if (QFileInfo::exists(path))
            out += path + u'\n';
    if (const std::optional<RunSummary> summary = summarizeRun(report))
        out += u'\n' + runSummaryText(*summary) + u'\n';
    printOut(out);
    switch (report.outcome) {
    case RunOutcome::Completed:
        return Done;
    case RunOutcome::Stopped:
        return Stopped;
    case RunOutcome::Failed:
        return Failure;
    case RunOutcome::Unfinished:
        return BankFileOnly;
    case RunOutcome::Interrupted:
        return report.signal ? exitCodeForSignal(report.signal) : Failure;
    }
    return Failure;
}

// The first half of the start button: prints what the run would bill and the check before
// it, and writes nothing. Exit 3 when the check holds an error (the run could not start).
int check(FrmDTA &form)
{
    RunReport report;
    const std::optional<PreparedRun> run = PrepareRun(form, report);
    if (!run) {
        switch (report.outcome) {
        case RunOutcome::Completed:
            return Done;
        case RunOutcome::Stopped:
            return Stopped;
        case RunOutcome::Interrupted:
            if (const int signal = pendingRunSignal())
                return exitCodeForSignal(signal);
            return Failure;
        case RunOutcome::Failed:
        case RunOutcome::Unfinished:
            return Failure;
        }
        return Failure;
    }
    printOut(runCheckText(run->check) + u'\n');
    return run->check.hasErrors() ? Stopped : Done;
}

// Leftovers of an interrupted run, told by a command that changes nothing.
void tellPendingRuns(FrmDTA &form)
{
    try {
        const QString notice = pendingRunsNotice(form);
        if (!notice.isEmpty())
            form.ui().message(notice, {}, MsgIcon::Information);
    } catch (const DbError &e) {
        form.ui().message(e.message(), {}, MsgIcon::Exclamation);
    }
}

// The program's own tables, created once by an administrator; a second call changes nothing.
int initDb(FrmDTA &form)
{
    try {
        const std::unique_ptr<Database> db = Database::open(form.strConnectionString, form.connectionOptions);
        const QStringList created = createOwnTables(*db);
        run_manifest::ensureDatabaseId(*db);
        printOut(created.isEmpty() ? u"Die eigenen Tabellen des Programms sind vorhanden.\n"_qs
                                   : u"Angelegt: "_qs + created.join(u", "_qs) + u'\n');
        return Done;
    } catch (const NoRightToCreate &refused) {
        form.ui().message(u"Die eigenen Tabellen des Programms konnten nicht angelegt werden; diese Anmeldung darf "
                          "keine Tabellen anlegen.\n"_qs + refused.reason, {}, MsgIcon::Critical);
        return Failure;
    } catch (const DbError &e) {
        form.ui().message(u"Die eigenen Tabellen des Programms konnten nicht angelegt werden.\n"_qs + e.message(), {},
                          MsgIcon::Critical);
        return Failure;
    }
}

// The stored runs, one run key per line.
int listRuns(FrmDTA &form)
{
    if (!form.cmbBeitraege_GotFocus())
        return Failure;
    QString out;
    for (const QString &key : form.cmbBeitraege.List)
        out += key + u'\n';
    printOut(out);
    return Done;
}

// Deletes a stored run after the form's question (answered by --yes).
int deleteRun(FrmDTA &form, const QString &key)
{
    if (!form.cmbBeitraege_GotFocus())
        return Failure;
    form.cmbBeitraege.ListIndex = int(form.cmbBeitraege.List.indexOf(key));
    form.cmbBeitraege.TypedText = key;
    switch (form.btnBeitraegeLoeschen_Click()) {
    case FrmDTA::DeleteRunResult::Deleted:
        return Done;
    case FrmDTA::DeleteRunResult::Declined:
    case FrmDTA::DeleteRunResult::NotFound:
    case FrmDTA::DeleteRunResult::Refused:
        return Stopped;
    case FrmDTA::DeleteRunResult::Failed:
        return Failure;
    }
    return Failure;
}

// "1001, 1002" as the owner selection would leave it: "(1001,1002)".
bool selectOwners(FrmDTA &form, const QString &numbers, QString *error)
{
    QStringList lines;
    for (const QString &part : numbers.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const qlonglong n = part.trimmed().toLongLong(&ok);
        if (!ok) {
            *error = u"--select-owners erwartet Nummern, durch Komma getrennt, nicht „"_qs + numbers + u"“."_qs;
            return false;
        }
        lines.append(QString::number(n));
    }
    form.strWBIN = BuildWBIN(lines);
    return true;
}

// Sets the controls and fields named by --set; false on an unknown name or a bad value.
bool applySets(FrmDTA &form, const BatchOptions &o, QString *error)
{
    for (const auto &[name, value] : o.sets) {
        switch (form.names().setAsText(name, value)) {
        case ControlRegistry::SetResult::Ok:
            break;
        case ControlRegistry::SetResult::UnknownName:
            *error = u"Unbekannter Name bei --set: „"_qs + name + u"“."_qs;
            return false;
        case ControlRegistry::SetResult::InvalidValue:
            *error = u"Ungültiger Wert für „"_qs + name + u"“: „"_qs + value + u"“."_qs;
            return false;
        }
    }
    return true;
}

int batchMain(int argc, char **argv)
{
    prepareThreadEnd();
    installRunSignalHandlers();
    prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"qvl32-sepa-batch"_qs);
    QCoreApplication::setApplicationVersion(QString::number(QVL_VERSION_MAJOR) + u'.' + QString::number(QVL_VERSION_MINOR));
    installGermanTranslation();
    QString error;
    auto options = parseBatchOptions(app.arguments(), &error);
    // What ps shows from now on: the connection string (and its password) no longer.
    const int secret = optionValueIndex(argc, argv, "command-line");
    hideArguments(argc, argv, [secret](int i) { return i == secret; });
    if (!options)
        return usageError(error);
    if (!options->commandLineFile.isEmpty()) {
        const std::optional<QString> read = readCommandLineFile(options->commandLineFile, &error);
        if (!read)
            return usageError(error);
        options->commandLine = *read;
    }
    const BatchOptions &o = *options;
    if (o.help) {
        printOut(batchUsage());
        return Done;
    }
    if (o.version) {
        printOut(QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return Done;
    }

    if (o.command == u"demo-db"_qs)
        return demoDb(o);
    if (o.command == u"help"_qs)
        return printHandbook(o);
    if (o.command == u"init-db"_qs && o.sql) {
        printOut(ownTablesSqlServerScript());
        return Done;
    }
    const QStringList formCommands{u"dump"_qs,        u"check"_qs,       u"run"_qs,          u"list-runs"_qs,
                                   u"delete-run"_qs,  u"init-db"_qs,     u"send-mail"_qs,    u"bank-import"_qs,
                                   u"open-items"_qs,  u"letters"_qs};
    if (!formCommands.contains(o.command))
        return usageError(u"Unbekannter Befehl „"_qs + o.command + u"“."_qs);
    if (o.command == u"bank-import"_qs && o.arguments.isEmpty())
        return usageError(u"Der Befehl bank-import erwartet eine oder mehrere Dateien."_qs);
    if (o.command == u"letters"_qs
        && (o.arguments.size() != 1
            || !QStringList{u"returns"_qs, u"reminders"_qs, u"unsent"_qs}.contains(o.arguments.first())))
        return usageError(u"Der Befehl letters erwartet returns, reminders oder unsent."_qs);
    const int expectedArguments = o.command == u"delete-run"_qs ? 1 : 0;
    if (o.command != u"bank-import"_qs && o.command != u"letters"_qs && o.arguments.size() != expectedArguments)
        return usageError(expectedArguments == 0 ? u"Der Befehl "_qs + o.command + u" erwartet keine Argumente."_qs
                                                 : u"Der Befehl delete-run erwartet den Schlüssel eines Laufs."_qs);

    std::unique_ptr<Clock> clock;
    if (o.now.isEmpty()) {
        clock = std::make_unique<SystemClock>();
    } else {
        const auto at = parseDate(o.now);
        if (!at)
            return usageError(u"--now erwartet Datum und Uhrzeit, nicht „"_qs + o.now + u"“."_qs);
        clock = std::make_unique<FixedClock>(*at);
    }

    BatchUi ui(o.yes);
    AppContext context;
    context.programDir = o.programDir.isEmpty() ? defaultProgramDir(QGuiApplication::applicationDirPath())
                                                : QDir(nativePath(o.programDir)).absolutePath();
    context.ui = &ui;
    context.clock = clock.get();
    context.dbOptions.odbcDriver = o.odbcDriver;
    // The command check promises to write nothing; init-db only creates the tables.
    context.tidyUpAtStart = o.command != u"check"_qs && o.command != u"init-db"_qs;
    // Read-only on the embedded database: not even a journal an interrupted writer left is
    // rolled back (the next start that writes does that).
    context.dbOptions.readOnly = o.command == u"check"_qs;
    if (!o.reportsDir.isEmpty())
        ui.setReportsDir(o.reportsDir); // where the start looks for leftovers too

    FrmDTA form(context);
    switch (Form_Load(form, o.commandLine)) {
    case StartupResult::Ready:
        break;
    case StartupResult::SettingsMissing:
        return Stopped;
    case StartupResult::SecondInstance:
    case StartupResult::Failed:
        return Failure;
    }

    if (!applySets(form, o, &error) || (!o.selectOwners.isEmpty() && !selectOwners(form, o.selectOwners, &error))) {
        form.bEinstellungenGelesen = false; // nothing is saved after a bad command line
        Form_Unload(form);
        return usageError(error);
    }

    ui.setReportsDir(o.reportsDir.isEmpty() ? form.strExportPfad : o.reportsDir);
    form.strBerichtsPfad = o.reportsDir;
    int result = Done;
    if (o.command == u"run"_qs)
        result = run(form, ui);
    else if (o.command == u"check"_qs) {
        tellPendingRuns(form);
        result = check(form);
    } else if (o.command == u"init-db"_qs)
        result = initDb(form);
    else if (o.command == u"list-runs"_qs)
        result = listRuns(form);
    else if (o.command == u"delete-run"_qs)
        result = deleteRun(form, o.arguments.first());
    else if (o.command == u"send-mail"_qs)
        result = sendMailCommand(form, o.outbox, o.resendUncertain);
    else if (o.command == u"letters"_qs && o.arguments.first() == u"unsent"_qs)
        result = lettersUnsentCommand(form, o.outbox);
    else if (o.command == u"bank-import"_qs)
        result = bankImportCommand(form, o, ui);
    else if (o.command == u"open-items"_qs)
        result = openItemsCommand(form, ui);
    else if (o.command == u"letters"_qs)
        result = lettersCommand(form, o, ui);
    else
        result = dump(form);

    if (!o.saveSettings)
        form.bEinstellungenGelesen = false;
    // The command's own code wins: a script must not repeat a run that went through only
    // because the settings could not be saved afterwards.
    if (!Form_Unload(form) && result == Done)
        return SettingsNotSaved;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    // A run catches what its steps throw and cleans up; this is for the rest (start-up, the
    // other commands): a message and exit 1, never an end without one.
    try {
        return batchMain(argc, argv);
    } catch (...) {
        std::fputs((internalErrorText(std::current_exception()) + u'\n').toUtf8().constData(), stderr);
        return Failure;
    }
}
