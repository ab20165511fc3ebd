#include "ReplyRules.h"

#include "TextNumbers.h"

#include <QStringList>

namespace {
// The first position from first to last whose character is not "0"; a position past the end of
// the line reads as empty text, which is not "0", so it counts as found.
std::optional<int> firstNonZero(const ReplyText& reply, int first, int last) {
    for (int p = first; p <= last; ++p) {
        if (!reply.is(p, '0'))
            return p;
    }
    return std::nullopt;
}
} // namespace

QString ReplyRules::channelWholeMegahertz(const ReplyText& reply) {
    if (reply.is(7, '0') && reply.is(8, '0'))
        return reply.mid(9, 2);
    if (reply.is(7, '0'))
        return reply.mid(8, 3);
    return reply.mid(7, 4);
}

QString ReplyRules::channelFrequency(const ReplyText& reply, bool padFraction) {
    QString fraction = reply.mid(11, 4);
    if (padFraction && TextNumbers::isAllDigits(fraction))
        fraction = fraction.rightJustified(4, QLatin1Char('0'));
    return channelWholeMegahertz(reply) + QLatin1Char('.') + fraction;
}

QString ReplyRules::shortFractionFrequency(const ReplyText& reply) {
    const QString last = reply.at(14);
    const bool lastIsNonZeroDigit = TextNumbers::isAllDigits(last) && last != QLatin1String("0");
    return channelWholeMegahertz(reply) + QLatin1Char('.') + reply.mid(11, lastIsNonZeroDigit ? 4 : 3);
}

std::optional<QString> ReplyRules::searchHitFrequency(const ReplyText& reply) {
    const auto p = firstNonZero(reply, 7, reply.length());
    if (!p)
        return std::nullopt;
    // Below 1 MHz there is no whole part left to show; the fraction still follows the point.
    return reply.mid(*p, 11 - *p) + QLatin1Char('.') + reply.from(11);
}

std::optional<QString> ReplyRules::scannedTalkgroup(const ReplyText& reply) {
    const auto p = firstNonZero(reply, 6, 11);
    if (!p)
        return std::nullopt;
    return reply.mid(*p, 12 - *p);
}

QString ReplyRules::positionTalkgroup(const ReplyText& reply) {
    if (reply.is(6, '0') && reply.is(7, '0'))
        return reply.from(8);
    if (reply.is(6, '0'))
        return reply.from(7);
    return reply.from(6);
}

QString ReplyRules::idChannelTalkgroup(const ReplyText& reply) {
    // With 7 to 9 all zeros the search runs out at position 10.
    return reply.from(firstNonZero(reply, 7, 9).value_or(10));
}

std::optional<QString> ReplyRules::callFrequency(const ReplyText& reply, int lastPos) {
    const auto p = firstNonZero(reply, 13, lastPos);
    if (!p)
        return std::nullopt;
    return reply.mid(*p, 17 - *p) + QLatin1Char('.') + reply.mid(17, 4);
}

QStringList ReplyRules::modulations(const QString& line) {
    QStringList found;
    for (const char* mod : {"AM", "NFM", "WFM"}) {
        if (line.contains(QLatin1String(mod)))
            found.append(QLatin1String(mod));
    }
    return found;
}

std::optional<int> ReplyRules::wholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}
