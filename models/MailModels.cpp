#include "models/MailModels.h"

namespace qvl {

namespace {

const QString kDefaultSubject = QStringLiteral("Rechnung {Rechnungsnummer} – {Verein}");
const QString kDefaultBody = QStringLiteral(
    "Guten Tag {Name},\n\n"
    "im Anhang erhalten Sie Ihre Rechnung Nr. {Rechnungsnummer} über {Betrag}, fällig am {Fälligkeit}.\n\n"
    "Mit freundlichen Grüßen\n"
    "{Verein}");

QString modelOr(const QString &stored, const QString &fallback)
{
    return stored.trimmed().isEmpty() ? fallback : stored;
}

} // namespace

bool isMailModel(const QString &name)
{
    return name == QStringView(kMailSubjectModel) || name == QStringView(kMailBodyModel);
}

QString mailSubjectModel(const QString &stored)
{
    return modelOr(stored, kDefaultSubject);
}

QString mailBodyModel(const QString &stored)
{
    return modelOr(stored, kDefaultBody);
}

QString filledMailText(const QString &model, const MailPlaceholders &v)
{
    // One pass, so a value that itself reads like a placeholder stays as it is.
    const std::pair<QStringView, const QString *> names[] = {
        {u"{Name}", &v.name},        {u"{Rechnungsnummer}", &v.invoiceNumber}, {u"{Betrag}", &v.amount},
        {u"{Fälligkeit}", &v.dueDate}, {u"{Verein}", &v.association}};
    QString out;
    out.reserve(model.size() + 64);
    for (qsizetype i = 0; i < model.size();) {
        bool replaced = false;
        if (model.at(i) == u'{') {
            for (const auto &[name, value] : names) {
                if (QStringView(model).mid(i).startsWith(name)) {
                    out += *value;
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += model.at(i++);
    }
    return out;
}

QString filledMailSubject(const QString &model, const MailPlaceholders &v)
{
    const QString firstLine = QString(model).replace(u"\r\n"_qs, u"\n"_qs).section(u'\n', 0, 0);
    return filledMailText(firstLine, v).simplified();
}

} // namespace qvl
