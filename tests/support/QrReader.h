#pragma once
// Reads back a painted QR code as a banking app would: the picture saved and handed to a
// QR reader (zbarimg, from zbar-tools).

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace qvl::test {

inline bool haveQrReader()
{
    return !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
}

// What the reader finds in the picture; empty when it finds nothing.
inline QString decodeQr(const QImage &image)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("code.png"));
    if (!image.save(file))
        return QStringLiteral("(nicht gespeichert)");
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sbinary"), file});
    if (!zbar.waitForFinished(30000))
        return QStringLiteral("(zbarimg hängt)");
    return QString::fromUtf8(zbar.readAllStandardOutput());
}

// A page painted as a printer would, at 200 dpi.
template <typename PaintPage>
QImage paintedPage(PaintPage &&paint)
{
    QImage page(1654, 2339, QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(200 / 0.0254));
    page.setDotsPerMeterY(qRound(200 / 0.0254));
    page.fill(Qt::white);
    paint(page);
    return page;
}

} // namespace qvl::test
