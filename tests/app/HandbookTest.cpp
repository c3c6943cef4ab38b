#include "app/Handbook.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

namespace {

const QString kSample = uR"(# Handbuch

Einleitung, siehe [den Lauf](#der-lauf).

## Einrichten

Text.

### Die Einstellungsdatei

![Bild der Datei](../gui-tab-allgemein.png)

```
## keine Überschrift
```

## Der Lauf

### Prüfung vor dem Lauf

Befunde.
)"_qs;

QStringList topicsOf(const Handbook &handbook)
{
    QStringList topics;
    for (const HandbookSection &s : handbook.sections())
        topics.append(s.topic);
    return topics;
}

} // namespace

TEST(HandbookTest, SectionsAreTheHeadingsOutsideCodeWithGitHubsAnchors)
{
    const Handbook handbook(kSample);
    EXPECT_EQ(topicsOf(handbook), (QStringList{u"handbuch"_qs, u"einrichten"_qs, u"die-einstellungsdatei"_qs,
                                               u"der-lauf"_qs, u"prüfung-vor-dem-lauf"_qs}));
    EXPECT_EQ(Handbook::anchorOf(u"Ein Beitragsjahr Schritt für Schritt"_qs), u"ein-beitragsjahr-schritt-für-schritt"_qs);
    EXPECT_EQ(Handbook::anchorOf(u"Registerkarte „Allgemein“ (IBM-FIBU, DATEV)"_qs),
              u"registerkarte-allgemein-ibm-fibu-datev"_qs);
    EXPECT_EQ(Handbook::anchorOf(u"Handbuch als PDF speichern …"_qs), u"handbuch-als-pdf-speichern-"_qs);

    // A section holds its subsections and ends before the next heading of its level.
    const HandbookSection *setUp = handbook.find(u"einrichten"_qs);
    ASSERT_NE(setUp, nullptr);
    const QString text = handbook.sectionMarkdown(*setUp);
    EXPECT_TRUE(text.startsWith(u"## Einrichten\n"_qs));
    EXPECT_TRUE(text.contains(u"### Die Einstellungsdatei"_qs));
    EXPECT_TRUE(text.contains(u"## keine Überschrift"_qs)); // the code block belongs to it
    EXPECT_FALSE(text.contains(u"## Der Lauf"_qs));
    // The whole handbook is its first section.
    EXPECT_EQ(handbook.sectionMarkdown(handbook.sections().first()), kSample.trimmed() + u'\n');

    // For the terminal a picture is its caption.
    const QString plain = handbook.sectionText(*handbook.find(u"die-einstellungsdatei"_qs));
    EXPECT_TRUE(plain.contains(u"[Bild: Bild der Datei]"_qs));
    EXPECT_FALSE(plain.contains(u".png"_qs));

    EXPECT_EQ(handbook.linkTargets(), (QStringList{u"#der-lauf"_qs, u"../gui-tab-allgemein.png"_qs}));
}

TEST(HandbookTest, TopicsAreFoundWithoutUmlautsLetterCaseOrTheirEnd)
{
    const Handbook handbook(kSample);
    auto topic = [&](const QString &asked) {
        const HandbookSection *s = handbook.find(asked);
        return s ? s->topic : QString();
    };
    EXPECT_EQ(topic(u"Prüfung-vor-dem-Lauf"_qs), u"prüfung-vor-dem-lauf"_qs);
    EXPECT_EQ(topic(u"pruefung-vor-dem-lauf"_qs), u"prüfung-vor-dem-lauf"_qs);
    EXPECT_EQ(topic(u"pruef"_qs), u"prüfung-vor-dem-lauf"_qs);
    EXPECT_EQ(topic(u" einrichten "_qs), u"einrichten"_qs);
    EXPECT_EQ(topic(u"d"_qs), QString()); // "die-…" and "der-…": which one is meant?
    EXPECT_EQ(topic(u"der-lauf-x"_qs), QString());
    EXPECT_EQ(topic(QString()), QString());
}

// The handbook the program carries: the chapters the clerk needs, each link and picture
// working inside the program.
TEST(HandbookTest, BuiltInHandbookHasItsChaptersAndEveryLinkAndPictureResolves)
{
    const Handbook &handbook = Handbook::builtIn();
    for (const char16_t *chapter : {u"einrichten", u"ein-beitragsjahr-schritt-für-schritt", u"prüfung-vor-dem-lauf",
                                    u"nach-der-bank", u"wenn-etwas-schiefgeht", u"buchhaltung"}) {
        const HandbookSection *s = handbook.find(QString::fromUtf16(chapter));
        ASSERT_NE(s, nullptr) << QString::fromUtf16(chapter).toStdString();
        EXPECT_EQ(s->topic, QString::fromUtf16(chapter));
    }
    const QStringList topics = topicsOf(handbook);
    EXPECT_EQ(QSet<QString>(topics.begin(), topics.end()).size(), topics.size()) << "two sections share an anchor";
    int pictures = 0;
    for (const QString &target : handbook.linkTargets()) {
        if (target.startsWith(u'#')) {
            EXPECT_TRUE(topics.contains(target.mid(1))) << target.toStdString();
        } else {
            const QString resource = Handbook::baseUrl().resolved(QUrl(target)).path();
            EXPECT_TRUE(QFile::exists(u':' + resource)) << target.toStdString();
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 5);
}

TEST(HandbookTest, PdfHoldsTheWholeHandbookAndAFailureIsTold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Handbuch.pdf"_qs);
    QString error;
    ASSERT_TRUE(writeHandbookPdf(path, &error)) << error.toStdString();

    QProcess text;
    text.start(u"pdftotext"_qs, {u"-enc"_qs, u"UTF-8"_qs, path, u"-"_qs});
    ASSERT_TRUE(text.waitForFinished(60000));
    ASSERT_EQ(text.exitCode(), 0);
    const QString read = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (const char16_t *expected : {u"Ein Beitragsjahr Schritt für Schritt", u"Prüfung vor dem Lauf",
                                     u"Wenn etwas schiefgeht", u"Es wurde keine gültige Zahl eingegeben.",
                                     u"DATEV-FIBU"})
        EXPECT_TRUE(read.contains(QString::fromUtf16(expected))) << QString::fromUtf16(expected).toStdString();
    // The pictures are in it, one page being far from enough for the text alone.
    QProcess info;
    info.start(u"pdfimages"_qs, {u"-list"_qs, path});
    ASSERT_TRUE(info.waitForFinished(60000));
    EXPECT_GE(QString::fromUtf8(info.readAllStandardOutput()).count(u"image"_qs), 5);

    EXPECT_FALSE(writeHandbookPdf(dir.filePath(u"fehlt/Handbuch.pdf"_qs), &error));
    EXPECT_TRUE(error.contains(u"Handbuch.pdf"_qs)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(u"fehlt/Handbuch.pdf"_qs)));
}

// F1 in a message box: the section that tells what to do about that very message.
TEST(HandbookTest, MessageFindsTheSectionQuotingIt)
{
    const Handbook &handbook = Handbook::builtIn();
    EXPECT_EQ(handbook.topicQuoting(u"Es wurde keine gültige Zahl eingegeben."_qs), u"meldungen-bei-der-eingabe"_qs);
    // With its values filled in and a second line of details.
    EXPECT_EQ(handbook.topicQuoting(u"Die Einstellungsdatei /srv/fbg/QVL32-SEPA-Beitragseinzug.ini konnte nicht "
                                    "geöffnet werden.\nDetails: No such file"_qs),
              u"meldungen-beim-start"_qs);
    EXPECT_EQ(handbook.topicQuoting(u"Der Mailserver „mail.example.org“ hat nicht rechtzeitig geantwortet."_qs),
              u"meldungen-beim-e-mail-versand"_qs);
    EXPECT_EQ(handbook.topicQuoting(u"Etwas, das das Handbuch nicht kennt."_qs), u"wenn-etwas-schiefgeht"_qs);
    EXPECT_EQ(handbook.topicQuoting(QString()), u"wenn-etwas-schiefgeht"_qs);
}
