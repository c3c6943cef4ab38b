#pragma once
// The association, or the firm that bills for it, as its settings describe it: the sender of
// every letter, the account the fees are paid into and the creditor the bank file names.
// Built from the form in one place (params/CreditorFromForm); each writer takes what it
// prints of it.

#include <QString>

namespace qvl {

struct Creditor {
    QString name; // the association's or the firm's name, as typed
    QString street, postcode, town;
    QString phone, fax, email;
    QString taxNumber;
    QString bank, iban, bic; // the account the fees are paid into, as typed
    QString creditorId;      // the SEPA creditor identifier, as typed
};

} // namespace qvl
