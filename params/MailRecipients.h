#pragma once
// Who gets his letter by mail: the owners EMailVersand names whose address the suite holds
// and is usable; the others, and with "paper too" everyone, get it on paper.

#include "core/Buchung.h"

#include <QList>
#include <QStringList>

namespace qvl {

class FrmDTA;

struct MailChoice {
    QList<int> mail;         // records whose owner gets a mail
    QList<int> paper;        // records whose letter is printed
    QStringList badAddress;  // "Nummer Name: address" of owners the mode names whose address is unusable
    QList<int> badAddressRows; // their records
};

MailChoice chooseMailRecipients(const FrmDTA &form, const Buchungen &aBuchungen);

// The owner's name as a mail addresses him: first name and name as the suite holds them.
QString mailOwnerName(const Buchung &b);

} // namespace qvl
