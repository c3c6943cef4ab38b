#include "app/Handbook.h"

#include "files/RunOutputs.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include <algorithm>

static void initHandbookResource()
{
    Q_INIT_RESOURCE(handbook);
}

namespace qvl {

namespace {

const QString kResourceFile = u":/doc/handbuch/Handbuch.md"_qs;

QString fold(QString text)
{
    text = text.toLower();
    text.replace(u'ä', u"ae"_qs).replace(u'ö', u"oe"_qs).replace(u'ü', u"ue"_qs).replace(u'ß', u"ss"_qs);
    return text;
}

// "## Titel" → level 2 and "Titel"; 0 for any other line.
int headingLevel(const QString &line, QString *title)
{
    int level = 0;
    while (level < line.size() && line.at(level) == u'#')
        ++level;
    if (level == 0 || level > 6 || level >= line.size() || line.at(level) != u' ')
        return 0;
    *title = line.mid(level + 1).trimmed();
    return level;
}

bool isFence(const QString &line)
{
    return line.trimmed().startsWith(u"```"_qs);
}

const QRegularExpression &linkPattern()
{
    // [text](target) and ![caption](target); the target ends at a blank or ")".
    static const QRegularExpression pattern(u"(!?)\\[([^\\]]*)\\]\\(([^)\\s]+)(?:\\s+\"[^\"]*\")?\\)"_qs);
    return pattern;
}

} // namespace

void fitHandbookPictures(QTextDocument &document, qreal width)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QImage picture =
                document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
            if (picture.isNull() || picture.width() <= width)
                continue;
            image.setWidth(width);
            image.setHeight(picture.height() * width / picture.width());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

Handbook::Handbook(const QString &markdown)
    : m_markdown(markdown)
    , m_lines(markdown.split(u'\n'))
{
    bool inCode = false;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (isFence(m_lines.at(i))) {
            inCode = !inCode;
            continue;
        }
        QString title;
        const int level = inCode ? 0 : headingLevel(m_lines.at(i), &title);
        if (level == 0)
            continue;
        for (HandbookSection &open : m_sections)
            if (open.end == 0 && open.level >= level)
                open.end = i;
        m_sections.append({anchorOf(title), title, level, i, 0});
    }
    for (HandbookSection &open : m_sections)
        if (open.end == 0)
            open.end = int(m_lines.size());
}

const Handbook &Handbook::builtIn()
{
    static const Handbook handbook = [] {
        initHandbookResource();
        QFile file(kResourceFile);
        file.open(QIODevice::ReadOnly);
        return Handbook(QString::fromUtf8(file.readAll()));
    }();
    return handbook;
}

QUrl Handbook::baseUrl()
{
    return QUrl(u"qrc:/doc/handbuch/Handbuch.md"_qs);
}

QString Handbook::anchorOf(const QString &heading)
{
    QString anchor;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

const HandbookSection *Handbook::find(const QString &topic) const
{
    const QString wanted = fold(topic.trimmed());
    if (wanted.isEmpty())
        return nullptr;
    const HandbookSection *prefixed = nullptr;
    int prefixes = 0;
    for (const HandbookSection &section : m_sections) {
        const QString anchor = fold(section.topic);
        if (anchor == wanted)
            return &section;
        if (anchor.startsWith(wanted)) {
            prefixed = &section;
            ++prefixes;
        }
    }
    return prefixes == 1 ? prefixed : nullptr;
}

QString Handbook::sectionMarkdown(const HandbookSection &section) const
{
    return m_lines.mid(section.begin, section.end - section.begin).join(u'\n').trimmed() + u'\n';
}

QString Handbook::sectionText(const HandbookSection &section) const
{
    QString text = sectionMarkdown(section);
    static const QRegularExpression picture(u"!\\[([^\\]]*)\\]\\([^)]*\\)"_qs);
    text.replace(picture, u"[Bild: \\1]"_qs);
    return text;
}

QString Handbook::topicQuoting(const QString &message) const
{
    const HandbookSection *trouble = find(u"wenn-etwas-schiefgeht"_qs);
    if (!trouble)
        return {};
    // Deepest sections first, so the most particular one that quotes the message wins.
    QList<std::pair<const HandbookSection *, QString>> texts;
    for (const HandbookSection &section : m_sections) {
        if (section.begin <= trouble->begin || section.end > trouble->end)
            continue;
        QStringList lines = m_lines.mid(section.begin, section.end - section.begin);
        for (QString &line : lines)
            line.remove(QRegularExpression(u"^\\s*(>\\s?)+"_qs));
        texts.append({&section, lines.join(u' ').simplified()});
    }
    std::stable_sort(texts.begin(), texts.end(),
                     [](const auto &a, const auto &b) { return a.first->level > b.first->level; });

    const QString firstLine = message.section(QRegularExpression(u"[\r\n]"_qs), 0, 0).simplified();
    QStringList wanted{firstLine};
    const QStringList words = firstLine.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype n = std::min<qsizetype>(words.size() - 1, 4); n >= 2; --n)
        wanted.append(words.mid(0, n).join(u' '));
    for (const QString &quote : wanted) {
        if (quote.isEmpty())
            continue;
        for (const auto &[section, text] : texts)
            if (text.contains(quote))
                return section->topic;
    }
    return trouble->topic;
}

QStringList Handbook::linkTargets() const
{
    QStringList targets;
    bool inCode = false;
    for (const QString &line : m_lines) {
        if (isFence(line))
            inCode = !inCode;
        if (inCode)
            continue;
        for (auto it = linkPattern().globalMatch(line); it.hasNext();)
            targets.append(it.next().captured(3));
    }
    return targets;
}

void addHandbookPictures(QTextDocument &document, const QString &markdown)
{
    for (const QString &target : Handbook(markdown).linkTargets()) {
        if (target.startsWith(u'#'))
            continue;
        const QImage picture(u':' + Handbook::baseUrl().resolved(QUrl(target)).path());
        if (!picture.isNull())
            document.addResource(QTextDocument::ImageResource, QUrl(target), picture);
    }
}

bool writeHandbookPdf(const QString &path, QString *error)
{
    return writeReplacingFile(
        nullptr, path,
        [](QIODevice &device, QString *problem) {
            QPdfWriter pdf(&device);
            pdf.setTitle(u"QVL32 SEPA Beitragseinzug – Handbuch"_qs);
            pdf.setCreator(u"QVL32 SEPA Beitragseinzug"_qs);
            // QTextDocument::print keeps margins of 2 cm itself and lays the text out at the
            // screen's 96 dpi, so a picture fits when it is no wider than the page within them.
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                                          QPageLayout::Millimeter));
            QTextDocument document;
            document.setMarkdown(Handbook::builtIn().markdown());
            addHandbookPictures(document, Handbook::builtIn().markdown());
            const qreal width = pdf.pageLayout().paintRectPoints().width() * 96.0 / 72.0 - 2 * (2 / 2.54) * 96.0;
            fitHandbookPictures(document, width);
            Q_UNUSED(problem); // the checked file itself tells a write that failed
            document.print(&pdf);
            return true;
        },
        error);
}

} // namespace qvl
