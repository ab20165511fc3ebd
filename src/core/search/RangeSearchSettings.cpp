#include "RangeSearchSettings.h"

#include "Settings.h"
#include "monitor/PollCycle.h"

const QStringList& RangeSearchSettings::dwellChoices() {
    static const QStringList choices{
        QStringLiteral("0 (Off)"),    QStringLiteral("10 seconds"), QStringLiteral("30 seconds"),
        QStringLiteral("1 minute"),   QStringLiteral("2 minutes"),  QStringLiteral("5 minutes"),
        QStringLiteral("10 minutes"), QStringLiteral("15 minutes"), QStringLiteral("30 minutes")};
    return choices;
}

int RangeSearchSettings::positionForSeconds(int seconds) {
    for (int position = 0; position < dwellChoices().size(); ++position) {
        if (PollCycle::dwellSeconds(position) == seconds)
            return position;
    }
    return -1;
}

RangeSearchSettings RangeSearchSettings::load(const Settings& settings, int holdLimit) {
    RangeSearchSettings s;
    s.low = settings.lowSearch();
    s.high = settings.hiSearch();
    s.dwell = positionForSeconds(holdLimit);
    const QString stored = settings.dwellTime();
    bool ok = false;
    const int position = stored.toInt(&ok);
    if (stored.isEmpty())
        s.dwell = 1;
    else if (ok && position >= 0 && position < dwellChoices().size())
        s.dwell = position;
    if (s.dwell < 0)
        s.dwell = 1;
    return s;
}

void RangeSearchSettings::save(Settings& settings) const {
    settings.setLowSearch(low.trimmed());
    settings.setHiSearch(high.trimmed());
    settings.setDwellTime(QString::number(dwell));
}

std::optional<QString> RangeSearchSettings::refusal() const {
    double limits[2] = {};
    const QString texts[2] = {low.trimmed(), high.trimmed()};
    for (int i = 0; i < 2; ++i) {
        bool ok = false;
        limits[i] = texts[i].toDouble(&ok);
        if (!ok)
            return QStringLiteral("The %1 limit \"%2\" is not a frequency in MHz.")
                .arg(i == 0 ? QStringLiteral("lower") : QStringLiteral("upper"), texts[i]);
        if (limits[i] < PollCycle::kLowestMhz || limits[i] > PollCycle::kHighestMhz)
            return QStringLiteral("The %1 limit %2 MHz is outside the scanner's range of %3 to %4 MHz.")
                .arg(i == 0 ? QStringLiteral("lower") : QStringLiteral("upper"), texts[i])
                .arg(PollCycle::kLowestMhz)
                .arg(PollCycle::kHighestMhz);
    }
    if (limits[0] > limits[1])
        return QStringLiteral("The lower limit %1 MHz is above the upper limit %2 MHz.").arg(texts[0], texts[1]);
    return std::nullopt;
}
