#include "params/MailRecipients.h"

#include "app/FrmDTA.h"
#include "app/MailSettingsFile.h"
#include "mail/MailAddress.h"

namespace qvl {

namespace {

QString ownerText(const Buchung &b)
{
    return QString::number(b.Nummer) + u' ' + mailOwnerName(b);
}

bool modeNames(MailMode mode, const Buchung &b)
{
    switch (mode) {
    case MailMode::AlleMitAdresse:
        return true;
    case MailMode::Unternehmer:
        return b.Unternehmer.trimmed() == u"2"_qs;
    case MailMode::Keine:
        break;
    }
    return false;
}

} // namespace

QString mailOwnerName(const Buchung &b)
{
    return (b.VornameOrig.trimmed() + u' ' + b.NameOrig.trimmed()).trimmed();
}

MailChoice chooseMailRecipients(const FrmDTA &f, const Buchungen &aBuchungen)
{
    MailChoice choice;
    const MailMode mode = mailMode(f);
    for (int i = 0; i < int(aBuchungen.size()); ++i) {
        const Buchung &b = aBuchungen[size_t(i)];
        const bool named = modeNames(mode, b) && !b.Email.trimmed().isEmpty();
        const bool usable = named && !mailAddresses(b.Email).isEmpty();
        if (named && !usable) {
            choice.badAddress.append(shownField(ownerText(b)) + u": "_qs + shownField(b.Email.trimmed()));
            choice.badAddressRows.append(i);
        }
        if (usable)
            choice.mail.append(i);
        if (!usable || f.mail.paperToo)
            choice.paper.append(i);
    }
    return choice;
}

} // namespace qvl
