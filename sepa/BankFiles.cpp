#include "sepa/BankFiles.h"

#include "platform/AnsiTextFile.h"
#include "platform/Database.h"
#include "platform/TemporaryFiles.h"
#include "sepa/BankFileSql.h"
#include "sepa/RunLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

namespace qvl::bank_files {

namespace {

bool journalExists(Database &db)
{
    QSqlQuery rows = db.run(db.sql(bank_file_sql::kJournalExists));
    return rows.next() && rows.value(0).toInt() > 0;
}

QString thisMachine()
{
    return QSysInfo::machineHostName().left(100);
}

// The first free name of "NAME.xml", "NAME_2.xml", … (as the run itself would choose).
bool moveToFreeName(const QString &from, const QString &target, QString *taken)
{
    const QString base = target.endsWith(u".xml"_qs) ? target.chopped(4) : target;
    for (int n = 1; n <= 999; ++n) {
        const QString name = n == 1 ? target : base + u'_' + QString::number(n) + u".xml"_qs;
        if (QFileInfo::exists(name))
            continue;
        if (QFile::rename(from, name)) { // never replaces
            syncFolder(QFileInfo(name).absolutePath());
            *taken = name;
            return true;
        }
        if (!QFileInfo::exists(name))
            return false;
    }
    return false;
}

} // namespace

void recordPending(Database &db, const QString &temporaryPath, const QString &target)
{
    if (!journalExists(db))
        db.run(db.sql(bank_file_sql::kCreateJournal));
    db.run(db.sql(bank_file_sql::kRecordPending),
           {QDir::toNativeSeparators(temporaryPath), QDir::toNativeSeparators(target), thisMachine()});
}

void forget(Database &db, const QString &temporaryPath)
{
    db.run(db.sql(bank_file_sql::kForget), {QDir::toNativeSeparators(temporaryPath)});
}

bool isHiddenBankFile(const QString &fileName)
{
    return fileName.startsWith(u'.') && isTemporaryOf(fileName, {u"MB_.*\\.xml"_qs});
}

Recovery finishInterruptedRuns(Database &db, const QString &exportDir, int waitMilliseconds)
{
    Recovery done;
    const std::unique_ptr<RunLock> lock =
        waitMilliseconds > 0 ? std::make_unique<RunLock>(db, waitMilliseconds) : RunLock::tryTake(db);
    if (!lock) {
        done.busy = true;
        return done;
    }
    QStringList recorded;
    if (journalExists(db)) {
        struct Pending {
            QString file, target, machine;
        };
        QList<Pending> pending;
        {
            QSqlQuery rows = db.run(db.sql(bank_file_sql::kPending));
            while (rows.next())
                pending.append({rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString()});
        }
        for (const Pending &p : pending) {
            const QString file = QDir::fromNativeSeparators(p.file);
            recorded.append(QFileInfo(file).absoluteFilePath());
            if (QFileInfo::exists(file)) {
                if (inUse(file))
                    continue; // its run is naming it right now
                QString taken;
                if (!moveToFreeName(file, QDir::fromNativeSeparators(p.target), &taken))
                    continue; // told again at the next start
                done.named.append(QDir::toNativeSeparators(taken));
            } else if (p.machine != thisMachine()) {
                continue; // written on another machine, into a folder not seen from here
            }
            // Named now, or by its own run just before that run stopped.
            forget(db, p.file);
        }
    }
    const QDir dir(exportDir);
    if (!exportDir.isEmpty() && dir.exists()) {
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString path = dir.absoluteFilePath(name);
            if (isHiddenBankFile(name) && !recorded.contains(path) && !inUse(path) && QFile::remove(path))
                done.deleted.append(QDir::toNativeSeparators(path));
        }
    }
    lock->commit();
    return done;
}

bool hasPending(Database &db)
{
    if (!journalExists(db))
        return false;
    QSqlQuery rows = db.run(db.sql(bank_file_sql::kPending));
    return rows.next();
}

QString pendingRefusal()
{
    return u"Eine SEPA-Datei eines früheren Beitragslaufs hat noch nicht ihren Namen erhalten; ihre Beiträge sind "
           "gespeichert. Solange sie aussteht, wird kein Lastschriftlauf gestartet und kein gespeicherter Lauf "
           "gelöscht: sonst könnten dieselben Lastschriften zweimal eingezogen werden. Starten Sie das Programm auf "
           "dem Rechner neu, der die Datei geschrieben hat (der Exportordner muss erreichbar sein), und reichen Sie "
           "die dann benannte Datei bei der Bank ein."_qs;
}

QStringList messages(const Recovery &recovery)
{
    QStringList out;
    for (const QString &file : recovery.named)
        out.append(u"Ein unterbrochener Beitragslauf wurde abgeschlossen: Die SEPA-Datei „"_qs + file
                   + u"“ hat ihren Namen erhalten. Ihre Beiträge sind gespeichert; reichen Sie die Datei bei der Bank "
                     "ein und wiederholen Sie den Lauf nicht."_qs);
    for (const QString &file : recovery.deleted)
        out.append(u"Ein abgebrochener Beitragslauf wurde zurückgenommen: Die unvollständige SEPA-Datei „"_qs + file
                   + u"“ wurde gelöscht, ihre Beiträge waren nicht gespeichert. Es wurde nichts eingezogen."_qs);
    return out;
}

} // namespace qvl::bank_files
