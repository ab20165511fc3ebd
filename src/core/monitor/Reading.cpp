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

Reading Reading::forMode(quint8 model, quint8 mode) {
    Reading reading;
    reading.model = model;
    reading.mode = mode;
    reading.modeName = modeNameOf(mode);
    // The BC780XLT's LCD has signal bars, all dark until a signal shows; the PRO-2052 has none.
    reading.signalBars = model == ScannerModel::Bc780xlt ? 0 : -1;
    return reading;
}

QString Reading::modeNameOf(quint8 mode) {
    switch (mode) {
    case ModeCode::Scan:
        return QStringLiteral("SCAN");
    case ModeCode::Manual:
        return QStringLiteral("MANUAL");
    case ModeCode::Search:
        return QStringLiteral("SEARCH");
    case ModeCode::SearchHold:
        return QStringLiteral("SEARCH HOLD");
    case ModeCode::ServiceSearch:
        return QStringLiteral("SERVICE SEARCH");
    case ModeCode::ServiceSearchHold:
        return QStringLiteral("SERVICE HOLD");
    case ModeCode::PickTrunk:
        return QStringLiteral("PICK TRUNK");
    case ModeCode::Trunk:
    case ModeCode::TrunkAlike:
        return QStringLiteral("TRUNK");
    case ModeCode::TrunkHold:
        return QStringLiteral("TRUNK HOLD");
    case ModeCode::IdScan:
    case ModeCode::IdScanAlike:
        return QStringLiteral("ID SCAN");
    case ModeCode::IdHold:
    case ModeCode::IdHoldAlike:
        return QStringLiteral("ID HOLD");
    default:
        return QStringLiteral("MODE %1").arg(mode);
    }
}

bool Reading::isTrunkMode(quint8 mode) {
    switch (mode) {
    case ModeCode::Trunk:
    case ModeCode::TrunkAlike:
    case ModeCode::TrunkHold:
    case ModeCode::IdScan:
    case ModeCode::IdScanAlike:
    case ModeCode::IdHold:
    case ModeCode::IdHoldAlike:
        return true;
    default:
        return false;
    }
}

qint64 Reading::hzFromMhzText(const QString& mhz) {
    // Whole megahertz, a point, and up to six digits of fraction; anything else is no frequency.
    const QStringView text = QStringView(mhz).trimmed();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 1 || point > 4 || text.size() - point - 1 < 1 || text.size() - point - 1 > 6)
        return 0;
    qint64 whole = 0;
    for (qsizetype i = 0; i < point; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return 0;
        whole = whole * 10 + (c - u'0');
    }
    qint64 fraction = 0;
    qint64 scale = 100000;
    for (qsizetype i = point + 1; i < text.size(); ++i, scale /= 10) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return 0;
        fraction += (c - u'0') * scale;
    }
    return whole * 1000000 + fraction;
}

Reading::Modulation Reading::modulationIn(const QString& line) {
    // The display tests AM, then NFM, then WFM, and keeps the last one found. One pass over the line:
    // this runs for every modulation reply.
    bool am = false;
    bool nfm = false;
    bool wfm = false;
    const QChar* c = line.constData();
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        if (c[i] == u'A' && c[i + 1] == u'M')
            am = true;
        if (i + 2 < line.size() && c[i + 1] == u'F' && c[i + 2] == u'M') {
            nfm = nfm || c[i] == u'N';
            wfm = wfm || c[i] == u'W';
        }
    }
    return wfm ? Modulation::Wfm : nfm ? Modulation::Nfm : am ? Modulation::Am : Modulation::Unknown;
}

QString Reading::stopKey() const {
    if (!talkgroup.isEmpty())
        return QStringLiteral("TG ") + talkgroup;
    if (channel > 0)
        return QStringLiteral("CH ") + QString::number(channel);
    if (frequencyHz > 0)
        return QStringLiteral("F ") + QString::number(frequencyHz);
    return QString();
}
