#pragma once
// The mails' texts are text models like the letters' ones: the models named "E-Mail
// Betreff" (one line) and "E-Mail Text", written in the model dialog. Without them the
// defaults below are used. Both take the placeholders {Name}, {Rechnungsnummer},
// {Betrag}, {Fälligkeit} and {Verein}.

#include <QString>

namespace qvl {

inline constexpr char16_t kMailSubjectModel[] = u"E-Mail Betreff";
inline constexpr char16_t kMailBodyModel[] = u"E-Mail Text";

// A model for the mails, not for the letters' fixed text.
bool isMailModel(const QString &name);

struct MailPlaceholders {
    QString name;          // the owner as the letter addresses him
    QString invoiceNumber;
    QString amount;        // "1.234,50 €"
    QString dueDate;       // "dd.mm.yyyy"
    QString association;
};

// The stored model's text (the form's model of that name), or the default when there is
// none or only blanks.
QString mailSubjectModel(const QString &stored);
QString mailBodyModel(const QString &stored);

// The placeholders replaced; a placeholder the program does not know stays as written.
// The subject keeps its first line only: a line break would end the header.
QString filledMailText(const QString &model, const MailPlaceholders &values);
QString filledMailSubject(const QString &model, const MailPlaceholders &values);

} // namespace qvl
