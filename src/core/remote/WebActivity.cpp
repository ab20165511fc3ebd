#include "WebActivity.h"

#include "Clock.h"
#include "logging/ActivityDay.h"

#include <QJsonArray>

namespace {

QString logName(ActivityLogKind log) {
    switch (log) {
    case ActivityLogKind::Search:
        return QStringLiteral("search");
    case ActivityLogKind::Trunk:
        return QStringLiteral("trunk");
    case ActivityLogKind::Scan:
        break;
    }
    return QStringLiteral("scan");
}

QJsonObject hitJson(const ActivityHit& hit) {
    return QJsonObject{
        {QStringLiteral("time"), ActivityHit::timeText(hit.seconds)},
        {QStringLiteral("log"), logName(hit.log)},
        {QStringLiteral("key"), hit.key},
        {QStringLiteral("frequency"), hit.frequency},
        {QStringLiteral("mode"), hit.mode},
        {QStringLiteral("name"), hit.name},
        {QStringLiteral("detail"), hit.detail},
        {QStringLiteral("duration"), hit.duration >= 0 ? QJsonValue(hit.duration) : QJsonValue()},
    };
}

} // namespace

WebActivity::WebActivity(const QString& appFolder, const Clock& clock)
    : m_appFolder(appFolder)
    , m_clock(clock) {}

void WebActivity::readDay(const QDate& day) {
    const ActivityDay read = ActivityDay::read(m_appFolder, day);
    m_day = day;
    m_summary = ActivitySummary(read);
    m_hits.clear();
    for (const ActivityHit& hit : read.hits()) {
        if (!hit.showsWord())
            m_hits.append(hit);
    }
    trim();
}

void WebActivity::trim() {
    // The summary keeps the counts; the list only needs the newest hits it shows.
    if (m_hits.size() > kMaxHits)
        m_hits.remove(0, m_hits.size() - kMaxHits);
}

void WebActivity::addLine(ActivityLogKind log, const QDate& day, const QString& line) {
    // A day not read yet is read whole when it is first asked for, this line included.
    if (day != m_day)
        return;
    const std::optional<ActivityHit> hit = ActivityHit::parse(log, line);
    if (!hit || hit->showsWord())
        return;
    m_summary.add(*hit);
    m_hits.append(*hit);
    trim();
}

QJsonObject WebActivity::today() {
    const QDate day = m_clock.date();
    if (day != m_day)
        readDay(day);
    QJsonArray hours;
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour)
        hours.append(m_summary.hitsInHour(hour));
    QJsonArray hits;
    for (qsizetype i = m_hits.size() - 1; i >= 0 && hits.size() < kMaxHits; --i)
        hits.append(hitJson(m_hits.at(i)));
    return QJsonObject{
        {QStringLiteral("date"), day.toString(Qt::ISODate)},
        {QStringLiteral("total"), m_summary.hits()},
        {QStringLiteral("hours"), hours},
        {QStringLiteral("hits"), hits},
    };
}
