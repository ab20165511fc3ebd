#pragma once

#include "logging/ActivityHit.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

/**
 * Everything the day logs (scan, search and trunk) of a data folder hold for one day, read back:
 * the hits in time order and how many lines could not be read. Reading never fails on content: a
 * malformed or half-written line is skipped and counted. A file that cannot be opened is named in
 * problems; a day without files is simply empty.
 *
 * The time field of a line is taken when the line is written, but the file is chosen by the date
 * read a moment later, so the first lines of a file can be stamped just before midnight of the day
 * before. Those lines belong to that day: they are left out of this day and picked up from the
 * head of the next day's file.
 */
class ActivityDay {
public:
    /// Reads the three day files of day below appFolder (LOGS/SCAN, LOGS/SEARCH, LOGS/TRUNK).
    static ActivityDay read(const QString& appFolder, const QDate& day);
    /**
     * The same day read as a stream: each hit goes to each as it is read, log by log in file order,
     * and none is kept (hits() stays empty), so memory does not grow with the files. Lines longer
     * than TextFiles::LineReader::kMaxLineBytes count as unreadable.
     */
    static ActivityDay scan(const QString& appFolder, const QDate& day,
                            const std::function<void(const ActivityHit&)>& each);

    QDate date() const { return m_date; }
    /// The hits, ordered by time (lines written at the same second keep the file order).
    const QList<ActivityHit>& hits() const { return m_hits; }
    /// Lines that were neither blank nor readable.
    int unreadableLines() const { return m_unreadable; }
    /// Files that exist but could not be opened ("LOGS/SCAN/20010215.log: Permission denied").
    const QStringList& problems() const { return m_problems; }

    /// "1 line could not be read", "3 lines could not be read".
    static QString unreadableText(int lines);

private:
    void scanLog(const QString& appFolder, ActivityLogKind log, const std::function<void(const ActivityHit&)>& each);

    QDate m_date;
    QList<ActivityHit> m_hits;
    int m_unreadable = 0;
    QStringList m_problems;
};
