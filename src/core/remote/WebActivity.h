#pragma once

#include "logging/ActivityHit.h"
#include "logging/ActivitySummary.h"

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>

class Clock;

/**
 * Today's hits for the phone view, read back from the day logs of the data folder the way the
 * activity view reads them: the hits per hour of all three logs and the newest hits first. The day is
 * read once and then followed line by line as the logs are written; a new day reads afresh.
 */
class WebActivity {
public:
    /// The hit list stops at this many, newest first.
    static constexpr int kMaxHits = 200;

    WebActivity(const QString& appFolder, const Clock& clock);

    /// A line the activity log writer just wrote (ActivityLogWriter::lineWritten).
    void addLine(ActivityLogKind log, const QDate& day, const QString& line);

    /**
     * {"date": "2026-12-07", "total": n, "hours": [24 counts], "hits": [{"time": "15:04:05", "log": "scan",
     * "key": "5", "frequency": "460.1250", "mode": "NFM", "name": "...", "detail": "...", "duration": s or
     * null}, ...]}, newest first, at most kMaxHits.
     */
    QJsonObject today();

private:
    void readDay(const QDate& day);
    void trim();

    QString m_appFolder;
    const Clock& m_clock;
    QDate m_day;
    ActivitySummary m_summary;
    QList<ActivityHit> m_hits;
};
