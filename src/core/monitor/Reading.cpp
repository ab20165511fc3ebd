#include "Reading.h"

#include <QJsonValue>

QString Reading::modulationText(Modulation m) {
    switch (m) {
    case Modulation::Am:
        return QStringLiteral("AM");
    case Modulation::Nfm:
        return QStringLiteral("NFM");
    case Modulation::Wfm:
        return QStringLiteral("WFM");
    case Modulation::Unknown:
        break;
    }
    return QString();
}

QJsonObject Reading::toJson() const {
    const auto orNull = [](const QString& text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); };
    const auto numberOrNull = [](qint64 n) { return n > 0 ? QJsonValue(n) : QJsonValue(); };
    return QJsonObject{
        {QStringLiteral("model"),
         model == ScannerModel::Bc780xlt ? QStringLiteral("bc780xlt") : QStringLiteral("pro2052")},
        {QStringLiteral("mode"), int(mode)},
        {QStringLiteral("mode_name"), modeName},
        {QStringLiteral("frequency_hz"), numberOrNull(frequencyHz)},
        {QStringLiteral("channel"), numberOrNull(channel)},
        {QStringLiteral("bank"), numberOrNull(bank)},
        {QStringLiteral("talkgroup"), orNull(talkgroup)},
        {QStringLiteral("modulation"), orNull(modulationText(modulation))},
        {QStringLiteral("squelch_open"), squelchOpen},
        {QStringLiteral("signal_bars"), signalBars >= 0 ? QJsonValue(signalBars) : QJsonValue()},
        {QStringLiteral("tone"), orNull(tone)},
        {QStringLiteral("channel_name"), orNull(channelName)},
        {QStringLiteral("talkgroup_name"), orNull(talkgroupName)},
    };
}
