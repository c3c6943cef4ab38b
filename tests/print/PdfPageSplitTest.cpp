// Letters painted together by Qt and cut into one document per letter by bytes: each part
// must be a sound PDF (qpdf reads it without a warning) holding exactly its letter's pages,
// text as painted; documents laid out otherwise are refused, so that qpdf cuts them.
#include "print/PdfPageSplit.h"
#include "support/PdfText.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>

using namespace qvl;
using namespace qvl::test;

namespace {

QByteArray paintedLetters(QPagedPaintDevice::PdfVersion version, int pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(version);
    writer.setTitle(u"Rechnung"_qs);
    QPainter painter(&writer);
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            writer.newPage();
        painter.setFont(QFont(u"Liberation Sans"_qs, 12, p % 2 ? QFont::Bold : QFont::Normal));
        painter.drawText(200, 400, u"Rechnung Nr. "_qs + QString::number(1000 + p) + u" – Größe ÄÖÜ"_qs);
        if (p % 3 == 0)
            painter.drawImage(QRect(200, 600, 400, 200), logo);
    }
    painter.end();
    return bytes;
}

QString writeTemp(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

} // namespace

TEST(PdfPageSplit, EachLetterIsASoundDocumentOfItsOwnPages)
{
    struct Case {
        const char *name;
        QPagedPaintDevice::PdfVersion version;
        QList<QList<int>> letters; // page indexes per letter
    };
    const Case cases[] = {
        {"PDF/A-1b, one page each", QPagedPaintDevice::PdfVersion_A1b, {{0}, {1}, {2}, {3}, {4}, {5}}},
        {"PDF/A-1b, letters of several pages", QPagedPaintDevice::PdfVersion_A1b, {{0, 1}, {2}, {3, 4, 5}}},
        {"PDF 1.4", QPagedPaintDevice::PdfVersion_1_4, {{5}, {0, 1, 2}}},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray all = paintedLetters(c.version, 6);
        const QStringList allText = pdfPages(writeTemp(dir, u"all.pdf"_qs, all));
        ASSERT_EQ(allText.size(), 6);
        PdfPageSplit split;
        ASSERT_TRUE(split.load(all));
        EXPECT_EQ(split.pageCount(), 6);
        for (const QList<int> &letter : c.letters) {
            const QByteArray part = split.pages(letter);
            QPDF check;
            check.setSuppressWarnings(true);
            ASSERT_NO_THROW(check.processMemoryFile("part.pdf", part.constData(), size_t(part.size())));
            EXPECT_EQ(check.getAllPages().size(), size_t(letter.size()));
            EXPECT_FALSE(check.anyWarnings()); // no table qpdf had to mend
            // Smaller than the whole: only what its pages reach.
            EXPECT_LT(part.size(), all.size());
            QStringList expected;
            for (int p : letter)
                expected << allText.at(p);
            EXPECT_EQ(pdfPages(writeTemp(dir, u"part.pdf"_qs, part)), expected);
        }
    }
}

TEST(PdfPageSplit, DocumentsLaidOutOtherwiseAreRefused)
{
    const QByteArray qt = paintedLetters(QPagedPaintDevice::PdfVersion_1_4, 2);
    QByteArray otherTable = qt;
    otherTable.replace("startxref", "startxref\n0"); // points nowhere
    const struct {
        const char *name;
        QByteArray pdf;
    } cases[] = {
        {"no PDF", "Hallo"},
        {"cut short", qt.left(qt.size() / 2)},
        {"a table pointing nowhere", otherTable},
        {"no page tree", "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\nxref\n0 2\n0000000000 65535 f \n"
                         "0000000009 00000 n \ntrailer\n<< /Size 2 /Root 1 0 R >>\nstartxref\n48\n%%EOF\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PdfPageSplit split;
        EXPECT_FALSE(split.load(c.pdf));
    }
}
