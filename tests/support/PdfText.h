#pragma once
// The text of a PDF file as `pdftotext -layout` lays it out, page by page.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace qvl::test {

inline QStringList pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                          pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace qvl::test
