#include "app/Startup.h"

#include "app/FrmDTA.h"
#include "app/Settings.h"
#include "app/StartupSql.h"
#include "text/Conversions.h"
#include "os/Paths.h"
#include "os/RunSignals.h"
#include "os/SingleInstance.h"
#include "core/DueDateRules.h"
#include "core/Target2Calendar.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <memory>

namespace qvl {

namespace {

QString versionCaption()
{
    return kProgramCaption + u"    Version: "_qs + QString::number(QVL_VERSION_MAJOR) + u'.'
           + QString::number(QVL_VERSION_MINOR);
}

// Steps 3 to 5: where the database is.
void findDatabase(FrmDTA &f, const QString &commandLine, DbOptions &options)
{
    const QStringList parts = commandLine.split(u'|');
    f.strConnectionString = parts.value(0).trimmed();
    f.qvlIniPath = parts.value(1).trimmed();

    if (f.strConnectionString.isEmpty()) {
        if (f.qvlIniPath.isEmpty())
            f.qvlIniPath = joinPath(f.context().programDir, u"..\\quarvel.Ini"_qs);
        f.strServerName = ReadFile(nativePath(f.qvlIniPath), u"SQLServer"_qs);
        f.strDataBaseName = ReadFile(nativePath(f.qvlIniPath), u"DatabaseName"_qs);
        if (f.strServerName == kReadFileError)
            throw DbError(u"Die INI-Datei der Waldverwaltung „"_qs + nativePath(f.qvlIniPath)
                          + u"“ konnte nicht geöffnet werden; die Datenbank ist daher nicht bekannt."_qs);
        f.strConnectionString = u"Provider=SQLOLEDB.1;"_qs + u"Integrated Security=SSPI;"_qs
                                + u"Persist Security Info=False;"_qs + u"ConnectionTimout = 40;"_qs
                                + u"Initial Catalog="_qs + f.strDataBaseName + u';' + u"Data Source="_qs
                                + f.strServerName;
        // An embedded database named in the suite's INI file lies beside it.
        options.baseDir = QFileInfo(nativePath(f.qvlIniPath)).absolutePath();
    } else {
        options.baseDir = QDir::currentPath();
    }

    // The catalog as the connection string names it (with ADO's synonyms and quotes).
    if (f.strDataBaseName.isEmpty())
        f.strDataBaseName = translateConnectionString(f.strConnectionString, QString(), options.baseDir).database;
}

// Step 6: a connection to SQL Server can take up to its time-out. Where the user interface
// can show it, it is first tried behind a busy window the clerk can cancel, so a server that
// does not answer shows more than nothing, and the main form never appears half-built.
// False when the clerk cancelled.
bool reachServer(FrmDTA &f, const DbOptions &options)
{
    const ConnectionTarget t = translateConnectionString(f.strConnectionString, QString(), options.baseDir);
    if (t.qtDriver != u"QODBC"_qs || !f.ui().canCancelWaiting())
        return true;
    const QString where = !t.server.isEmpty()         ? u"zum SQL Server „"_qs + t.server + u'“'
                          : !t.dataSource.isEmpty() ? u"zur ODBC-Datenquelle „"_qs + t.dataSource + u'“'
                                                    : u"zur Datenbank"_qs;
    // Owned by the attempt: after a cancel it ends by itself, with its time-out.
    auto failure = std::make_shared<QString>();
    const QString connectionString = f.strConnectionString;
    const bool finished = f.ui().waitCancellable(u"Die Verbindung "_qs + where + u" wird hergestellt …"_qs,
                                                 [failure, connectionString, options] {
                                                     try {
                                                         Database::open(connectionString, options);
                                                     } catch (const DbError &e) {
                                                         *failure = e.message();
                                                     }
                                                 });
    if (finished && !failure->isEmpty())
        throw DbError(*failure);
    return finished;
}

// Step 7: the names of the five fee types. A missing row counts like an empty name.
void readFeeNames(FrmDTA &f)
{
    std::array<QString, kFeeSlots> names;
    QSqlQuery rows = f.SQLConn->run(f.SQLConn->sql(startup_sql::kFeeNames));
    while (rows.next()) {
        const QSqlRecord r = rows.record();
        const int slot = int(fieldNumber(r, u"id_string"_qs)) - 3019;
        if (slot >= 0 && slot < kFeeSlots)
            names[slot] = fieldText(r, u"Custom_German"_qs).trimmed();
    }
    for (int k = 0; k < kFeeSlots; ++k) {
        const QString name = names[k].isEmpty() ? u"Beitrag "_qs + QString::number(k + 1) : names[k];
        f.aBeitragsNamen[k] = name;
        f.chkBeitrag[k].Caption = name;
        f.lblBeitr[k].Caption = name;
    }
}

// Steps 10 and 11: the parts of the form that depend on the accounting system.
void prepareAccounting(FrmDTA &f)
{
    const QString fibu = f.strFibu.toUpper();
    const bool ibm = fibu == u"IBM-FIBU"_qs;
    if (ibm || fibu == u"SYSKA-FIBU"_qs || fibu == u"DATEV-FIBU"_qs) {
        f.txtBankKonto.Visible = ibm;
        f.lblBankKonto.Visible = ibm;
        f.fraBeitragskonten.Visible = !ibm;
        for (TextBox *box : {&f.txtWBVKonto, &f.txtMBTKonto, &f.txtHaftpflichtkonto, &f.txtSturmkonto})
            box->Visible = !ibm;
    }
    f.txtWirtschaftsjahr.Text = QString::number(f.clock().today().year());

    TabStrip &tabs = f.SSTab1;
    if (f.strFibu.isEmpty()) {
        tabs.TabVisible[1] = false;
    } else {
        tabs.TabCaption[1] = f.strFibu;
        for (int i = 2; i < tabs.Tabs(); ++i)
            tabs.TabVisible[i] = tabs.TabCaption[i].trimmed().toUpper() == f.strFibu.trimmed().toUpper();
    }
    for (int i = 0; i < tabs.Tabs(); ++i)
        if (tabs.TabCaption[i] == u"Berechnungsbasis"_qs)
            tabs.TabVisible[i] = !f.strBerechnungsbasis.isEmpty();
}

// Step 12: the target folder of the accounting files.
void prepareAccountingFolder(FrmDTA &f)
{
    if (f.strFibu.isEmpty())
        return;
#ifdef Q_OS_WIN
    const QString fallback = u"C:\\"_qs;
#else
    const QString fallback = QDir::rootPath();
#endif
    const QString folder = f.strZielVerzeichnis.isEmpty() ? fallback : f.strZielVerzeichnis;
#ifdef Q_OS_WIN
    f.Drive1.Drive = windowsDrive(QDir::toNativeSeparators(QDir(nativePath(folder)).absolutePath()));
#else
    f.Drive1.Drive = folder.left(1);
#endif
    if (QFileInfo(nativePath(folder)).isDir()) {
        f.Dir1.Path = folder;
        f.strLetztesLaufwerk = f.Drive1.Drive;
    } else {
        f.ui().message(u"Pfad für Fibuexport nicht gefunden."_qs + u'\r' + u"Der Ordner „"_qs + folder
                       + u"“ wurde nicht gefunden."_qs);
    }
}

} // namespace

StartupResult loadForm(FrmDTA &f, const QString &commandLine, const StartupSteps &steps)
{
    // Step 1: the caption is the same in every instance (database and parameters are
    // not known yet), so a second instance can find the first by it.
    f.Caption = versionCaption() + u"    Datenbank: "_qs + f.strDataBaseName + u"    Parameter: "_qs;

    if (SingleInstance *guard = f.context().instance; guard && !guard->acquire()) {
        f.Caption = QString::number(QRandomGenerator::global()->generate(), 16).toUpper();
        return StartupResult::SecondInstance;
    }

    try {
        DbOptions options = f.context().dbOptions;
        findDatabase(f, commandLine, options);
        f.connectionOptions = options;
        // The title bar names the database the window works on, and nothing empty.
        f.Caption = versionCaption()
                    + (f.strDataBaseName.trimmed().isEmpty() ? QString() : u"    Datenbank: "_qs + f.strDataBaseName.trimmed());
        if (!reachServer(f, options))
            return StartupResult::Failed; // cancelled by the clerk, who needs no message
        f.SQLConn = Database::open(f.strConnectionString, options);
        readFeeNames(f);

        const auto settings = LoadSettings(f);
        if (!settings) {
            f.ui().message(u"Die Einstellungsdatei "_qs + settingsFilePath(f.context().programDir)
                           + u" konnte nicht geöffnet werden."_qs);
            f.SQLConn.reset();
            return StartupResult::SettingsMissing;
        }

        const QDate today = f.clock().today();
        f.txtRechDat.Text = formatDate(today, u"dd.mm.yyyy"_qs);
        // The first due date the banks and the fee notices of today allow, two weeks ahead
        // at the least.
        DueDateRules rules;
        rules.today = today;
        rules.leadDays = f.lVorlaufBankarbeitstage;
        rules.noticeDate = today;
        rules.preNotificationDays = f.lVorabankuendigungTage;
        f.txtFaellDat.Text = formatDate(
            target2::businessDayOnOrAfter(std::max(today.addDays(14), earliestDueDate(rules))), u"dd.mm.yyyy"_qs);
        prepareAccounting(f);
        prepareAccountingFolder(f);

        f.Label8.Visible = f.bFBGVersion;
        f.LoadFBGListe();

        // Step 14: the per-entry minimum fees; the last entry ends selected.
        LoadMindestbeitraege(f, *settings);
        if (f.lbPersons.ListCount() > 0) {
            f.lbPersons.ListIndex = f.lbPersons.ListCount() - 1;
            f.lbPersons_Click();
        }

        LoadModelSections(f, *settings);
        f.LoadModelle();
        if (!f.settingsFallbacks.isEmpty()) {
            f.ui().message(u"Einige Werte der Einstellungsdatei sind nicht lesbar; statt ihrer gilt der Vorgabewert:\n"_qs
                               + f.settingsFallbacks.join(u'\n')
                               + u"\n\nPrüfen Sie die Werte; beim Beenden werden sie so gespeichert."_qs,
                           {}, MsgIcon::Exclamation);
            f.settingsFallbacks.clear();
        }
        if (steps.afterSettings)
            steps.afterSettings(f);
        installRunSignalHandlers();
        if (f.context().tidyUpAtStart && steps.tidyUp)
            steps.tidyUp(f);

        const QString warn = f.bWarnmeldungBankverbindung.toUpper();
        if (warn == u"WAHR"_qs || warn == u"1"_qs)
            f.ui().message(u"Vorsicht: Bankverbindung kontrollieren!"_qs, u"Warnung"_qs, MsgIcon::Information);

        f.bEinstellungenGelesen = true;
        return StartupResult::Ready;
    } catch (const DbError &e) {
        f.ui().message(e.message(), {}, MsgIcon::Critical);
        f.SQLConn.reset();
        f.bEinstellungenGelesen = false;
        return StartupResult::Failed;
    }
}

bool Form_Unload(FrmDTA &f)
{
    bool saved = true;
    if (f.bEinstellungenGelesen) {
        QString error;
        saved = SaveSettings(f, &error);
        if (!saved)
            f.ui().message(u"Die Einstellungen konnten nicht gespeichert werden.\n"_qs + error, {}, MsgIcon::Critical);
    }
    f.SQLConn.reset();
    return saved;
}

} // namespace qvl
