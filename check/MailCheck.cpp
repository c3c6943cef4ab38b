#include "check/MailCheck.h"

#include "app/FrmDTA.h"
#include "app/MailSettingsFile.h"
#include "mail/MailAddress.h"
#include "params/MailRecipients.h"
#include "check/RunCheck.h"

namespace qvl {

void addMailFindings(const FrmDTA &f, const Buchungen &records, RunCheck &check)
{
    // Mails carry the letters: a run that prints none sends none.
    const bool letters = !f.LaoderRe[0].Value || f.chkRechnung.Value == 1;
    if (mailMode(f) == MailMode::Keine || !letters)
        return;
    const MailChoice choice = chooseMailRecipients(f, records);
    if (!choice.mail.isEmpty() && !isValidMailAddress(mailSender(f)))
        check.add({CheckKind::MailSenderInvalid,
                   u"Ohne gültige E-Mail-Adresse des Vereins (Feld „E-Mail“ oder Einstellung EMailAbsender) werden "
                   "keine E-Mails erstellt; alle Briefe gehen auf Papier"_qs,
                   {}});
    CheckItem bad{CheckKind::MailAddressInvalid,
                  u"E-Mail-Adresse ungültig: keine E-Mail, der Brief geht auf Papier"_qs, {}};
    for (int row : choice.badAddressRows) {
        const Buchung &b = records[size_t(row)];
        bad.owners.append({b.Nummer, shownField((b.NameOrig.trimmed() + u' ' + b.VornameOrig.trimmed()).trimmed()),
                           u"„"_qs + shownField(b.Email.trimmed()) + u"“"_qs});
    }
    if (!bad.owners.isEmpty())
        check.add(std::move(bad));
}

} // namespace qvl
