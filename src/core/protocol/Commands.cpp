#include "Commands.h"

namespace Commands {

QString key(Key key) {
    return QStringLiteral("KEY%1").arg(int(key), 2, 10, QLatin1Char('0'));
}

QString digitKey(int digit) {
    return DigitKeyPrefix + QString::number(digit % 10);
}

QString bankLetter(int bank) {
    return QString(QChar('A' - 1 + bank));
}

QString frequencyPattern(double mhz) {
    // The pattern holds 0 to 9999.9999: a value past either end (or no number at all) is pinned to it, so
    // the rounding below cannot overflow and the pattern keeps its nine characters.
    const double bounded = mhz > 0.0 ? qMin(mhz, 9999.9999) : 0.0;
    // Round to 100 Hz first, so 154.24999999 is 0154.2500 and not 0154.2499.
    const qint64 steps = qRound64(bounded * 10000.0);
    return QStringLiteral("%1.%2")
        .arg(steps / 10000, 4, 10, QLatin1Char('0'))
        .arg(steps % 10000, 4, 10, QLatin1Char('0'));
}

QString frequencyDigits(double mhz) {
    const QString pattern = frequencyPattern(mhz);
    return pattern.left(4) + pattern.right(4);
}

QString lowerLimit(double mhz) {
    return QStringLiteral("LL") + frequencyDigits(mhz);
}

QString upperLimit(double mhz) {
    return QStringLiteral("LU") + frequencyDigits(mhz);
}

QString channelText(int channel) {
    // Three digits: channel 1000 wraps to "000", the way the scanner writes it.
    return QStringLiteral("%1").arg(channel % 1000, 3, 10, QLatin1Char('0'));
}

QString memoryRead(int channel) {
    return QStringLiteral("MA") + channelText(channel);
}

QString programChannel(int channel, double mhz) {
    return QStringLiteral("PM") + channelText(channel) + QLatin1Char(' ') + frequencyDigits(mhz);
}

QString delay(bool on) {
    return on ? QStringLiteral("DLN") : QStringLiteral("DLF");
}

QString lockout(bool on) {
    return on ? QStringLiteral("LON") : QStringLiteral("LOF");
}

QString priorityChannel(int bank, int position) {
    return QStringLiteral("PC ") + bankLetter(bank) + QStringLiteral("%1").arg(position, 3, 10, QLatin1Char('0'));
}

QString trunkType(int bank, int code) {
    return QStringLiteral("TR ") + bankLetter(bank) + QString::number(code);
}

} // namespace Commands
