#pragma once
// A run against the fees stored for the same fee type in the year before: how many owners
// and how much, who was billed then and is not now, who is new, whose amount moved by more
// than a threshold. A wrong price per hectare shows here before it goes to the bank.

#include "core/Buchung.h"

#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace qvl {

class Database;

// One owner's stored fees of a year and type, added up.
struct StoredYearFee {
    long idPersonal = 0;
    long nummer = 0;  // 0 when the owner is no longer in the suite
    QString name;     // "Schmidt Bernd"
    Money amount;
};

// The stored fees of a year and type, per owner, in one grouped query; with an association
// only those of its owners. Throws DbError.
QList<StoredYearFee> storedFeesOfYear(Database &db, const QString &jahr, const QString &typ,
                                      std::optional<long> association = std::nullopt);

struct ComparedOwner {
    long nummer = 0;
    QString name;
    Money lastYear;
    Money thisRun;
    // The change against last year in percent; std::nullopt when last year's amount was 0.
    std::optional<double> percent() const;
};

struct YearComparison {
    QString lastYear;  // the year compared with ("2025")
    QString typ;
    bool anyStored = false;
    int lastCount = 0;
    Money lastTotal;
    int thisCount = 0;
    Money thisTotal;
    int thresholdPercent = 25;
    QList<ComparedOwner> gone;    // billed last year, not in this run; by number
    QList<ComparedOwner> added;   // in this run, not billed last year; by number
    QList<ComparedOwner> changed; // beyond the threshold; largest change first
    // Billed in this run but not debited (no usable IBAN: they pay by transfer, and their
    // fees are not stored); kept out of the counts and totals above. By number.
    QList<ComparedOwner> transfer;
    Money transferTotal;

    // The change of the total in percent; std::nullopt when last year's total was 0.
    std::optional<double> totalPercent() const;
};

// `stored`: last year's fees (only those of the owners the run could bill, when it is
// restricted to some); `records`: the run's billed owners, their totals;
// `notDebited`: those of them the bank file leaves out. Debited is compared with debited:
// only debits were stored last year.
YearComparison compareWithYear(const QString &lastYear, const QString &typ, const QList<StoredYearFee> &stored,
                               const Buchungen &records, int thresholdPercent, const QSet<long> &notDebited = {});

} // namespace qvl
