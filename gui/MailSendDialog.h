#pragma once
// "E-Mails versenden": sends the outbox on a thread of its own while a progress bar counts
// the mails; "Abbrechen" stops after the mail on its way. Then tells what went and what
// did not.

class QWidget;

namespace qvl {

class FrmDTA;

void sendMailsWithProgress(FrmDTA &form, QWidget *parent);

} // namespace qvl
