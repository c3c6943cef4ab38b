#include "support/Workspace.h"

#include "app/SettingsFile.h"
#include "cli/DemoDatabase.h"
#include "files/AnsiTextFile.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace qvl::test {

Workspace::Workspace(int owners)
{
    QDir(m_dir.path()).mkdir(u"program"_qs);
    QString error;
    if (!createDemoDatabase(databaseFile(), {owners, 7}, &error))
        ADD_FAILURE() << error.toStdString();
    appendAnsiLines(m_dir.filePath(u"quarvel.Ini"_qs),
                    {u"[Datenbank]"_qs, u"SQLServer=SQLite"_qs, u"DatabaseName=suite.sqlite"_qs});
}

QString Workspace::settingsFile() const
{
    return settingsFilePath(programDir());
}

void Workspace::writeSettings(const QStringList &lines) const
{
    QString error;
    if (!writeAnsiFileAtomically(nullptr, settingsFile(), lines, &error))
        ADD_FAILURE() << error.toStdString();
}

QByteArray Workspace::settingsBytes() const
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Workspace::execSql(const QString &statement) const
{
    const QString name = u"workspace-sql"_qs;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, name);
        db.setDatabaseName(databaseFile());
        if (!db.open())
            ADD_FAILURE() << db.lastError().text().toStdString();
        QSqlQuery q(db);
        if (!q.exec(statement))
            ADD_FAILURE() << statement.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

std::unique_ptr<FrmDTA> Workspace::form()
{
    AppContext context;
    context.programDir = programDir();
    context.ui = &ui;
    context.clock = &clock;
    return std::make_unique<FrmDTA>(context);
}

QStringList demoSettings()
{
    return {
        u"ExportPfad=C:\\SEPA\\Export\\"_qs,
        u"Firma=Hochwald"_qs,
        u"Firmenname=FBG Hochwald aus der Datei"_qs,
        u"Verwendungszweck=Beitrag 2026"_qs,
        u"FBGVersion=Wahr"_qs,
        u"BeitraegeNetto=Falsch"_qs,
        u"WarnmeldungBankverbindung=Falsch"_qs,
        u"RundeBeitrag1=Wahr"_qs,
        u"Fibu=DATEV-FIBU"_qs,
        u"Berechnungsbasis=1"_qs,
        u"FibuZiel="_qs,
        u"SortNummer=1"_qs,
        u"Währung=EUR"_qs,
        u"Steuernummerfeld=BLZ1"_qs,
        u"BERECHNUNG=Formel"_qs,
    };
}

} // namespace qvl::test
