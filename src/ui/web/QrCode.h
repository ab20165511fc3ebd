#pragma once

#include <QImage>
#include <QString>

/// QR codes through libqrencode, for links a phone's camera opens.
namespace QrCode {

/// The code of text (error correction M) as a black-on-white image, each module scale pixels, with the
/// four-module quiet zone a reader needs; a null image when the text does not fit in a QR code.
QImage image(const QString& text, int scale = 6);

} // namespace QrCode
