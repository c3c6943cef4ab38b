#pragma once
// A temporary program folder with a suite INI file beside it, a demo database and a
// settings file, for tests that start the program for real.

#include "app/FrmDTA.h"
#include "base/Clock.h"
#include "support/FakeUi.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace qvl::test {

class Workspace {
public:
    // Creates <tmp>/program and <tmp>/quarvel.Ini naming <tmp>/suite.sqlite as the
    // embedded database (created with the demo generator, `owners` owners).
    explicit Workspace(int owners = 30);

    QString root() const { return m_dir.path(); }
    QString programDir() const { return m_dir.filePath(u"program"_qs); }
    QString databaseFile() const { return m_dir.filePath(u"suite.sqlite"_qs); }
    QString settingsFile() const;

    // Writes the settings file as the Windows program would: Windows-1252, CR LF.
    void writeSettings(const QStringList &lines) const;
    QByteArray settingsBytes() const;
    // Runs a statement on the demo database (to shape the data of one test).
    void execSql(const QString &statement) const;

    // A form bound to this workspace, with the clock fixed at 2026-12-06 10:00.
    std::unique_ptr<FrmDTA> form();

    FakeUi ui;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};

private:
    QTemporaryDir m_dir;
};

// A complete settings file in association mode for the demo database.
QStringList demoSettings();

} // namespace qvl::test
