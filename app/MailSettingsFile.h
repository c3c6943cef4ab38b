#pragma once
// The e-mail keys of the settings file (see mail/MailSettings.h) and the main form's check
// box "Rechnungen per E-Mail versenden", which switches the mail off and on.

#include "app/SettingsFile.h"
#include "core/MailSettings.h"

#include <QStringList>

namespace qvl {

class FrmDTA;

// Reads the keys into form.mail and ticks the box unless the mode is "Keine". A file
// without them gets the defaults.
void loadMailSettings(FrmDTA &form, const KeyFile &file);
// The keys as lines "KEY=VALUE", in their fixed order.
QStringList mailSettingsLines(const FrmDTA &form);

// The mode of a run: none when the box is not ticked; ticked after "Keine", every owner
// with an address.
MailMode mailMode(const FrmDTA &form);

// The sender of the mails: the setting, else the association's address on the form.
QString mailSender(const FrmDTA &form);

} // namespace qvl
