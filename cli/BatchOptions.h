#pragma once
// The command line of qvl32-sepa-batch.

#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

struct BatchOptions {
    bool help = false;                     // --help: print the usage, exit 0
    bool version = false;                  // --version: print the version, exit 0
    QString programDir;                    // empty: the executable's folder
    QString commandLine;                   // "connection string|suite INI path"
    QString commandLineFile;               // --command-line-file: the same from a file ("-": stdin)
    QList<QPair<QString, QString>> sets;   // --set NAME=VALUE, in order
    bool yes = false;
    bool saveSettings = false;
    bool sql = false; // init-db: print the T-SQL only
    QString odbcDriver;
    QString now;                           // --now: a fixed "now" (ISO date and time)
    QString selectOwners;                  // --select-owners N,N,…
    QString reportsDir;                    // --reports DIR
    QString outbox;                        // --outbox DIR (send-mail, letters unsent)
    bool resendUncertain = false;          // send-mail --resend-uncertain
    int owners = 250;                      // demo-db
    unsigned seed = 1;                     // demo-db
    QList<QPair<int, qint64>> assignments; // bank-import --assign N=RECHNR (N counted from 1)
    int reminderDays = 14;                 // letters reminders --days
    qint64 returnFeeCents = 0;             // letters returns --return-fee
    QString command;
    QStringList arguments;                 // the command's own arguments
};

// arguments: the whole command line, the program's name first. std::nullopt and a German
// text in *error on bad usage.
std::optional<BatchOptions> parseBatchOptions(const QStringList &arguments, QString *error);

// The usage text of --help (and of a usage error).
QString batchUsage();

} // namespace qvl
