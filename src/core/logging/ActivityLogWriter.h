#pragma once

#include "logging/ActivityHit.h"
#include "monitor/MonitorHooks.h"

#include <QFile>
#include <QLocale>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcLogging)

class Switches;
class Clock;

/**
 * The three day-by-day activity logs: LOGS/SEARCH, LOGS/SCAN and LOGS/TRUNK below the application
 * folder, one file per day named yyyyMMdd.log, one comma-separated line per event ended by CR LF.
 * Fields are written as they stand (no quoting). Each writer reads its switch when called, opens,
 * appends and closes its file. A line reaches the file whole or not at all; a line that cannot be
 * written is lost, and statusLine() says so once per log ("Trunk log: disk full; lines are not being
 * written") and again when that log writes again.
 *
 * The time of day is the locale's long time format without its time zone (15:04:05, 3:04:05 PM).
 */
class ActivityLogWriter final : public QObject, public ActivityLog {
    Q_OBJECT

public:
    /// Makes the (not yet open) file for a day file's path.
    using FileOpener = std::function<std::unique_ptr<QFile>(const QString& path)>;

    ActivityLogWriter(const QString& appFolder, Switches& switches, Clock& clock,
                      const QLocale& locale = QLocale::system(), QObject* parent = nullptr);

    /// Replaces the plain QFile a day file is written through (tests put the file on a full disk).
    void setFileOpener(FileOpener opener) { m_openFile = std::move(opener); }

    /// The two names of a channel (scan log, key: the channel) or a talkgroup (trunk log, key: the ID).
    using NameSource = std::function<std::pair<QString, QString>(ActivityLogKind log, const QString& key)>;
    /**
     * Where a scan or trunk line finds its names when the caller has none: the parser takes them from the
     * aux display, which holds them only while it is open, so a hit heard with it closed would go unnamed.
     */
    void setNameSource(NameSource source) { m_names = std::move(source); }

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

Q_SIGNALS:
    /// A log stopped or started writing again, for the faceplate's status line.
    void statusLine(const QString& text);
    /// A line reached the day file of day (the line without its CR LF), for views that follow the logs.
    void lineWritten(ActivityLogKind log, const QDate& day, const QString& line);

private:
    /// Appends the line to today's file of the log unless entry shows the log's mode word. The problem
    /// that kept the line out, or empty text.
    QString append(ActivityLogKind log, const QString& entry, const QString& line);
    /// Says on the status line when a log stops being written and when it writes again.
    void noteResult(bool& failing, const QString& title, const QString& problem);

    QString m_appFolder;
    Switches& m_switches;
    Clock& m_clock;
    QLocale m_locale;
    QString m_timeFormat;
    FileOpener m_openFile;
    NameSource m_names;
    bool m_searchFailing = false;
    bool m_scanFailing = false;
    bool m_trunkFailing = false;
};
