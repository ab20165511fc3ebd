#pragma once

#include "monitor/MonitorHooks.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QString>
#include <QTime>

Q_DECLARE_LOGGING_CATEGORY(lcLogging)

class Switches;
class Clock;

/**
 * The three day-by-day activity logs: LOGS/SEARCH, LOGS/SCAN and LOGS/TRUNK below the application
 * folder, one file per day named yyyyMMdd.log, one comma-separated line per event ended by CR LF.
 * Fields are written as they stand (no quoting). Each writer reads its switch when called, opens,
 * appends and closes its file; a line that cannot be written is lost with a warning, never
 * reported to the operator.
 *
 * The time of day is the locale's long time format without its time zone (15:04:05, 3:04:05 PM).
 */
class ActivityLogWriter final : public ActivityLog {
public:
    ActivityLogWriter(const QString& appFolder, Switches& switches, Clock& clock,
                      const QLocale& locale = QLocale::system());

    void writeSearchLog(int start, int now, const QString& freq, const QString& mode, const QString& kind) override;
    void writeScanLog(const QString& chan, const QString& freq, const QString& heard, const QString& mode,
                      const QString& tag1, const QString& tag2) override;
    void writeTrunkLog(const QString& id, const QString& trunkType, const QString& mode, const QString& tag1,
                       const QString& tag2) override;

    /// The search-log duration: now - start + 0.1 seconds as "###0.0"; a hold across midnight counts on.
    static QString durationText(int start, int now);
    /// A locale's long time format with its time-zone part removed.
    static QString timeFormatWithoutZone(const QLocale& locale);
    /// The time of day as the logs write it.
    QString timeText(const QTime& time) const;

private:
    void append(const QString& folder, const QString& entry, const QString& modeWord, const QString& line);

    QString m_appFolder;
    Switches& m_switches;
    Clock& m_clock;
    QLocale m_locale;
    QString m_timeFormat;
};
