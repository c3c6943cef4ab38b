#pragma once
// The clerk's handbook ("Handbuch"): German Markdown built into the program. The desktop
// program shows it in its help window (F1 opens the section of the window in front), the
// batch program prints a section with "help THEMA", and both save it as a PDF file.
//
// A section is a heading with everything up to the next heading of the same or a higher
// level. Its topic is the heading's anchor as GitHub makes it ("Prüfung vor dem Lauf" →
// "prüfung-vor-dem-lauf"), so the links inside the handbook work in the repository too.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QTextDocument;

namespace qvl {

struct HandbookSection {
    QString topic; // the heading's anchor
    QString title; // the heading's text
    int level = 1; // 1 for "#", 2 for "##" …
    int begin = 0; // the heading's line
    int end = 0;   // the first line after the section (subsections included)
};

class Handbook {
public:
    explicit Handbook(const QString &markdown);

    // The handbook the program was built with.
    static const Handbook &builtIn();
    // Where the built-in handbook's pictures are found: relative links resolve against it.
    static QUrl baseUrl();

    const QString &markdown() const { return m_markdown; }
    const QList<HandbookSection> &sections() const { return m_sections; }

    // The section a topic names: its anchor, letter case and umlauts written as "ae", "oe",
    // "ue", "ss" not minding, or the start of exactly one topic. Null when none or several.
    const HandbookSection *find(const QString &topic) const;
    // The section's Markdown, its subsections included.
    QString sectionMarkdown(const HandbookSection &section) const;
    // The same for reading in a terminal: pictures become their caption in brackets.
    QString sectionText(const HandbookSection &section) const;
    // The section of "Wenn etwas schiefgeht" that quotes a message as the program shows it
    // (its values filled in): the innermost one holding its first line, else its first
    // words; else that chapter itself.
    QString topicQuoting(const QString &message) const;
    // The targets of every link "[…](…)" and picture "![…](…)", in order.
    QStringList linkTargets() const;

    // GitHub's anchor of a heading: lower case, punctuation dropped, blanks as "-".
    static QString anchorOf(const QString &heading);

private:
    QString m_markdown;
    QStringList m_lines;
    QList<HandbookSection> m_sections;
};

// Puts the pictures markdown links to into document, so that it shows them whatever its
// base and wherever the Markdown came from (a section, the whole handbook). After
// setMarkdown, which clears a document's resources.
void addHandbookPictures(QTextDocument &document, const QString &markdown);

// Shows pictures wider than width (in the document's units) at that width.
void fitHandbookPictures(QTextDocument &document, qreal width);

// Writes the whole handbook as a PDF file (A4, its pictures included) through the program's
// checked writer: a file of that name is replaced only once the new one is whole. False
// with a German text in *error.
bool writeHandbookPdf(const QString &path, QString *error);

} // namespace qvl
