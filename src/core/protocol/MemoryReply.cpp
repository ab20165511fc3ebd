#include "MemoryReply.h"

#include "Commands.h"
#include "ReplyText.h"

namespace {

bool allDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

bool MemoryReply::answers(const QString& line, int channel) {
    return line.contains(QLatin1Char('C') + Commands::channelText(channel));
}

std::optional<MemoryReply> MemoryReply::decode(const QString& line, int channel) {
    if (!answers(line, channel))
        return std::nullopt;
    // The answer is recognised anywhere in the line, but its positions count from the "C".
    const ReplyText reply(line.mid(line.indexOf(QLatin1Char('C') + Commands::channelText(channel))));
    MemoryReply result;
    result.channel = channel;
    if (reply.mid(7, 3) == QLatin1String("000")) {
        result.frequencyText = QStringLiteral("000.000");
        result.lockout = true;
        return result;
    }
    const QString digits = reply.mid(7, 8);
    if (digits.size() != 8 || !allDigits(digits))
        return std::nullopt;
    // At most one leading zero of the whole megahertz is dropped: 0045 reads as 045.
    const QString whole = reply.is(7, '0') ? reply.mid(8, 3) : reply.mid(7, 4);
    result.frequencyText = whole + QLatin1Char('.') + reply.mid(11, 4);
    result.frequency = result.frequencyText.toDouble();
    result.trunked = reply.is(17, 'N');
    result.delay = reply.is(20, 'N');
    result.lockout = reply.is(23, 'N');
    result.priority = reply.is(29, 'N');
    return result;
}
