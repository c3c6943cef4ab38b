#pragma once
// What the lines of an accounting file hold that the accounting system would refuse at
// import, or that a reader of the file would not see: owners without an account (their
// lines are written as the formats have them, but the import refuses them weeks later,
// far from the run) and owners whose texts Windows-1252 cannot show (written with "?").
// Gathered while the lines are built, told when the file is written: both in the export
// error log, the missing accounts also in the notices of the run's end.

#include "core/Buchung.h"
#include "fibu/FibuSettings.h"

#include <QStringList>

namespace qvl::fibu {

class BookingFindings {
public:
    // The lines written for one owner; `withoutAccount`: they lack the owner's account.
    void owner(const Buchung &b, const QStringList &lines, bool withoutAccount);
    // An account the form should give and the lines lack, named as the clerk knows it.
    void formAccountMissing(const QString &what);

    // Logs what was found and returns the notices for the user (missing accounts, a log
    // that cannot be written); `files` the files that hold the lines.
    QStringList tell(const FibuSettings &settings, const QStringList &files) const;

private:
    QStringList m_withoutAccount;  // "4711 Schmidt Bernd"
    QStringList m_unrepresentable; // the same, for texts with "?"
    QStringList m_formAccounts;
};

// "4711 Schmidt Bernd": the owner as the messages name him.
QString ownerLabel(const Buchung &b);

// Which fees of an owner the DATEV and the SYSKA export book (SYSKA only fees 1 and 2).
bool datevBooks(const Buchung &b, int slot);
bool syskaBooks(const Buchung &b, int slot);

// The owner's own account (from Zusatz1) is missing.
bool lacksOwnerAccount(const Buchung &b);

// True when the accounting export of `system` (as FibuSettings::system) writes lines for
// this owner that lack his own account: DATEV and SYSKA book to it; IBM-FIBU books to the
// form's bank account and the cost centres. The check before a run names these owners by
// this rule.
bool booksWithoutOwnerAccount(const QString &system, const Buchung &b);

} // namespace qvl::fibu
