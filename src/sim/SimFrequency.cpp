#include "SimFrequency.h"

#include <QRegularExpression>

namespace SimFrequency {

bool parse(const QString& text, int* steps) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,4})(?:\\.(\\d{0,4}))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const QString fraction = match.captured(2).leftJustified(4, QLatin1Char('0'));
    *steps = match.captured(1).toInt() * 10000 + fraction.toInt();
    return true;
}

QString digits(int steps) {
    return QStringLiteral("%1%2")
        .arg(steps / 10000, 4, 10, QLatin1Char('0'))
        .arg(steps % 10000, 4, 10, QLatin1Char('0'));
}

bool fromDigits(const QString& text, int* steps) {
    if (text.size() != 8)
        return false;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    }
    *steps = text.left(4).toInt() * 10000 + text.right(4).toInt();
    return true;
}

QString text(int steps) {
    return QStringLiteral("%1.%2").arg(steps / 10000).arg(steps % 10000, 4, 10, QLatin1Char('0'));
}

} // namespace SimFrequency
