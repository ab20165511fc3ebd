#include "web/QrCode.h"

#include <QPainter>

#include <qrencode.h>

#include <memory>

QImage QrCode::image(const QString& text, int scale) {
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return {};
    constexpr int kQuietZone = 4;
    const int modules = code->width + 2 * kQuietZone;
    QImage out(modules * scale, modules * scale, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // The lowest bit of each module's byte says dark.
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + kQuietZone) * scale, (y + kQuietZone) * scale, scale, scale, Qt::black);
        }
    }
    return out;
}
