#include "print/QrCode.h"

#include <QPainter>

#include <qrencode.h>

namespace qvl {

namespace {

constexpr int kQuietZone = 4;

} // namespace

QrMatrix encodeQr(const QByteArray &data)
{
    QrMatrix matrix;
    if (data.isEmpty())
        return matrix;
    QRcode *code = QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char *>(data.constData()), 0,
                                     QR_ECLEVEL_M);
    if (!code)
        return matrix;
    matrix.size = code->width;
    matrix.dark.resize(size_t(code->width) * size_t(code->width));
    for (size_t i = 0; i < matrix.dark.size(); ++i)
        matrix.dark[i] = code->data[i] & 1;
    QRcode_free(code);
    return matrix;
}

void paintQr(QPainter &painter, const QRectF &rect, const QrMatrix &m)
{
    if (m.size == 0)
        return;
    const double side = std::min(rect.width(), rect.height());
    const double module = side / (m.size + 2 * kQuietZone);
    const QPointF origin = rect.topLeft() + QPointF(kQuietZone * module, kQuietZone * module);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    // A run of dark modules in a row is one rectangle: fewer, seamless shapes.
    for (int y = 0; y < m.size; ++y) {
        for (int x = 0; x < m.size;) {
            if (!m.at(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < m.size && m.at(end, y))
                ++end;
            painter.drawRect(QRectF(origin.x() + x * module, origin.y() + y * module, (end - x) * module, module));
            x = end;
        }
    }
    painter.restore();
}

QImage qrImage(const QrMatrix &m, int pixelsPerModule)
{
    const int side = (m.size + 2 * kQuietZone) * pixelsPerModule;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintQr(painter, QRectF(0, 0, side, side), m);
    return image;
}

} // namespace qvl
