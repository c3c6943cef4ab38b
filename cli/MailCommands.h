#pragma once
// The batch commands of the outbox: send-mail and letters unsent.

#include <QString>

namespace qvl {

class FrmDTA;

// Sends the outbox (the form's, or `outbox`). Prints the outcome; exit 0 when every mail
// is answered for good (sent, or refused and named), 3 when mails are left for a later
// send (server away, a setting, a temporary refusal), 1 on a database failure, 130/143
// after Ctrl-C or SIGTERM (the mail on its way is finished first). A mail that may have
// been delivered (its answer did not come) is named and goes again only with
// resendUncertain; while one is left the exit is 3.
int sendMailCommand(FrmDTA &form, const QString &outbox, bool resendUncertain = false);

// Writes the letters of the refused mails as one PDF and prints its path. Exit 0 (also
// when there is none), 1 on failure.
int lettersUnsentCommand(FrmDTA &form, const QString &outbox);

} // namespace qvl
