#include "check/RunCheckFiles.h"

#include "files/AnsiTextFile.h"
#include "check/RunCheck.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace qvl {

namespace {

// A field that holds the separator, a quote or a line break is quoted, its quotes doubled.
QString csvField(const QString &text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u"\""_qs, u"\"\""_qs) + u'"';
}

QString html(const QString &text)
{
    return text.toHtmlEscaped();
}

QString documentHtml(const RunCheck &check)
{
    QString h = u"<html><body style=\"font-family: Arial; font-size: 10pt;\">"
                "<h2>Prüfung vor dem Lauf</h2><p>"_qs;
    for (const QString &line : figuresLines(check))
        h += html(line) + u"<br/>"_qs;
    h += u"</p>"_qs;
    for (const CheckGrade grade : {CheckGrade::Error, CheckGrade::Warning, CheckGrade::Hint}) {
        const QList<CheckItem> items = check.itemsOf(grade);
        h += u"<h3>"_qs + html(gradeTitle(grade)) + u"</h3>"_qs;
        if (items.isEmpty())
            h += u"<p>keine</p>"_qs;
        for (const CheckItem &item : items) {
            h += u"<p><b>"_qs + html(itemHeadline(item)) + u"</b></p>"_qs;
            if (item.owners.isEmpty())
                continue;
            h += u"<table cellspacing=\"0\" cellpadding=\"1\" style=\"margin-left: 12px;\">"_qs;
            for (const CheckOwner &o : item.owners)
                h += u"<tr><td align=\"right\">"_qs + QString::number(o.nummer) + u"</td><td>&nbsp;"_qs + html(o.name)
                     + u"</td><td>&nbsp;"_qs + html(o.detail) + u"</td></tr>"_qs;
            h += u"</table>"_qs;
        }
    }
    return h + u"</body></html>"_qs;
}

bool savePdf(const RunCheck &check, const QString &path, QString *error)
{
    CheckedSaveFile file(path);
    if (file.openForWriting()) {
        bool printed = false;
        {
            QPdfWriter pdf(&file);
            pdf.setTitle(u"Prüfung vor dem Lauf"_qs);
            pdf.setCreator(u"QVL32 SEPA Beitragseinzug"_qs);
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 15, 15, 15),
                                          QPageLayout::Millimeter));
            QTextDocument document;
            document.setHtml(documentHtml(check));
            document.print(&pdf);
            printed = true;
        }
        if (printed && file.commitWhole())
            return true;
    }
    if (error)
        *error = file.errorText();
    return false;
}

} // namespace

QStringList runCheckCsvLines(const RunCheck &check)
{
    QStringList lines{u"Stufe;Meldung;Nummer;Name;Angabe"_qs};
    for (const CheckItem &item : check.items) {
        const QString head = csvField(gradeTitle(item.grade())) + u';' + csvField(item.text) + u';';
        if (item.owners.isEmpty())
            lines.append(head + u";;"_qs);
        for (const CheckOwner &o : item.owners)
            lines.append(head + QString::number(o.nummer) + u';' + csvField(o.name) + u';' + csvField(o.detail));
    }
    return lines;
}

bool saveRunCheck(const RunCheck &check, const QString &path, QString *error)
{
    if (path.endsWith(u".pdf"_qs, Qt::CaseInsensitive))
        return savePdf(check, path, error);
    return writeAnsiFileAtomically(nullptr, path, runCheckCsvLines(check), error);
}

} // namespace qvl
