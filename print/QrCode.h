#pragma once
// QR codes for the letters (the GiroCode of a transfer request), encoded by libqrencode
// and painted as squares, so that they stay sharp in a PDF and on any printer.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <vector>

class QPainter;

namespace qvl {

struct QrMatrix {
    int size = 0;            // modules per side; 0 when the text could not be encoded
    std::vector<bool> dark;  // row by row
    bool at(int x, int y) const { return dark[size_t(y) * size_t(size) + size_t(x)]; }
};

// Error correction level M (what EPC069-12 asks for), 8-bit mode, the smallest version.
QrMatrix encodeQr(const QByteArray &data);

// Paints the code into the square of `rect` (its shorter side), with the quiet zone of
// four modules inside it.
void paintQr(QPainter &painter, const QRectF &rect, const QrMatrix &matrix);

// The code as a picture of `pixelsPerModule` per module, quiet zone included (for checks).
QImage qrImage(const QrMatrix &matrix, int pixelsPerModule = 4);

} // namespace qvl
