#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

/// The three day logs, in the order the activity views list them.
enum class ActivityLogKind { Scan = 0, Search = 1, Trunk = 2 };

/**
 * One line of a day log, read back: what was heard, when the line was written, and for how long
 * (search log only). The reader accepts the layouts the program has written over time: 24-hour
 * and 12-hour times ("15:04:05", "3:04:05 PM"), a trailing zone name, CR LF or LF endings,
 * tags holding commas, negative search durations from holds across midnight, and files in a
 * Windows code page instead of UTF-8.
 */
struct ActivityHit {
    static constexpr int kLogCount = 3;
    static constexpr int kNoTime = -1;

    ActivityLogKind log = ActivityLogKind::Scan;
    /// Seconds since midnight of the day the line belongs to (0 to 86399).
    int seconds = 0;
    /// Channel number (scan), frequency (search) or talkgroup (trunk).
    QString key;
    /// The frequency of a scan hit; empty for the other logs.
    QString frequency;
    QString mode;
    /// The alpha tags of scan and trunk lines, joined by " / "; empty when the line has none.
    QString name;
    /// Search: NORMAL or FORCED; trunk: the trunk type.
    QString detail;
    /// Seconds the search rested on the signal; negative for the logs without a duration.
    double duration = -1;

    /// True when the line names no channel, frequency or talkgroup but a word the faceplate showed in their
    /// place ("TRUNKING", "SEARCHING"): the log holds such lines, but they are no hits.
    bool showsWord() const;

    /// Reads one line (without its line ending); no value for a line that is malformed or cut short.
    static std::optional<ActivityHit> parse(ActivityLogKind log, QStringView line);
    /// Decodes one line of a day file: UTF-8, or the Windows code page an older file was written in.
    static QString decode(QByteArrayView bytes);
    /// Seconds since midnight of a time field ("15:04:05", "3:04:05 PM", "03.04.05 p.m."), or kNoTime.
    static int parseTime(QStringView text);

    /// LOGS/ folder of a log: "SCAN", "SEARCH", "TRUNK".
    static QString folder(ActivityLogKind log);
    /// Title of a log for people: "Scan", "Search", "Trunk".
    static QString title(ActivityLogKind log);
    /// The day file of a log below the data folder: LOGS/SCAN/20010215.log.
    static QString filePath(const QString& appFolder, ActivityLogKind log, const QDate& day);
    /// The time as hh:mm:ss.
    static QString timeText(int seconds);
};
