#pragma once
// The table PERSONAL_MG_BEITRAGE: one row per fee a direct-debit run collected, so runs
// can be listed and taken back. A stored run is identified by its run key:
// jahr + " " + typ + ", Erstellt: " + the creation day as SQL Server's short date text
// ("2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"), its month name in the language of the
// server's login ("Dez  5 2026" for a German login); the embedded database writes English.

#include "core/Money.h"
#include "db/Database.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace qvl {

// One collected fee.
struct StoredFee {
    long idPersonal = 0;
    QString jahr;         // txtWirtschaftsjahr
    Money betrag;
    QString rechDat;      // txtRechDat, dd.mm.yyyy
    QString faellDat;     // txtFaellDat, dd.mm.yyyy
    QString typ;          // strBeitragsText (stored: its first 50 characters)
    QString rechNr;
    QString iban;
};

// The statements of a direct-debit run, prepared once on the writer's connection.
// They run without a transaction of their own; the caller wraps a run in one.
class StoredFeesWriter {
public:
    // now: the creation time stored with an embedded database (SQL Server takes its own).
    StoredFeesWriter(Database &db, QDateTime now);
    ~StoredFeesWriter();
    StoredFeesWriter(const StoredFeesWriter &) = delete;
    StoredFeesWriter &operator=(const StoredFeesWriter &) = delete;
    // Deletes the owner's row of this year and type (the type compared as stored, so a
    // type longer than 50 characters still finds its row).
    void deleteOwnerFee(long idPersonal, const QString &jahr, const QString &typ);
    void insert(const StoredFee &fee);
    // Records which fee slots the owner's stored fee of this year and type collected
    // (bit k: slot k), replacing an earlier record of the same fee.
    void recordSlots(long idPersonal, const QString &jahr, const QString &typ, unsigned mask);

    // One prepared statement, bound anew for every row (QtSql, or SQLite's own interface
    // for the embedded database).
    class Statement;

private:
    Database &m_db;
    QString m_created; // now, as the embedded database stores it
    std::unique_ptr<Statement> m_delete;
    std::unique_ptr<Statement> m_insert;
    std::unique_ptr<Statement> m_deleteSlots;
    std::unique_ptr<Statement> m_insertSlot;
    // The run's dates are the same for every row: converted once.
    QHash<QString, QString> m_isoDates;
};

// The run keys, in the database's order; a NULL key gives an empty entry. With an
// association (association mode) only the rows of its owners count.
QStringList listStoredRuns(Database &db, std::optional<long> association = std::nullopt);

// The stored fees of a year and type as "id_personal<TAB>invoice number" (the number
// without leading zeros), whatever run stored them. Throws DbError.
QSet<QString> storedFeeNumbers(Database &db, const QString &jahr, const QString &typ);

// How many stored fees a run key holds (with an association: of its owners).
int countStoredRun(Database &db, const QString &runKey, std::optional<long> association = std::nullopt);

// Deletes every row of a run key (with an association: of its owners only) and returns
// how many rows it deleted as the server reports them: std::nullopt when it reports no
// count (SQL Server under SET NOCOUNT ON). A key that matches nothing deletes nothing.
std::optional<int> deleteStoredRun(Database &db, const QString &runKey,
                                   std::optional<long> association = std::nullopt);

// The question before a stored run is deleted: it names the run (year, fee text, day and
// number of fees) and says that its bank file, once handed to the bank, is not undone.
QString deleteRunQuestion(const QString &runKey, int fees);

} // namespace qvl
