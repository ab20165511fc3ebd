#pragma once

#include "logging/ActivityHit.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>

class ActivityDay;

/**
 * What was busy on a day, and when: hits per hour (0 to 23) for each log, and the busiest channels
 * (scan log), frequencies (search log) and talkgroups (trunk log) with their names, hit counts and,
 * for the search log, the total time the search rested on them. Hits can be added one at a time
 * as the logs are written.
 */
class ActivitySummary {
public:
    /// One channel, frequency or talkgroup and how often it was heard.
    struct Entry {
        QString key;
        /// The last name the logs gave it (alpha tags); empty when none did.
        QString name;
        /// Scan: the frequency; trunk: the trunk type; search: NORMAL or FORCED of the last hit.
        QString detail;
        int hits = 0;
        /// Total seconds (search log); negative for the logs without a duration.
        double duration = -1;
        /// Seconds since midnight of the last hit.
        int lastSeconds = -1;
        /// When the name and the detail were heard: hits may come out of time order.
        int nameSeconds = -1;
        int detailSeconds = -1;
    };

    static constexpr int kHours = 24;
    static constexpr int kBusiest = 10;

    ActivitySummary() = default;
    explicit ActivitySummary(const ActivityDay& day);

    /// Hits may come in any order: the name and detail are those of the latest hit that had them.
    void add(const ActivityHit& hit);

    /// Hits in hour (0 to 23) of a log.
    int hitsInHour(ActivityLogKind log, int hour) const { return m_hours[int(log)][hour]; }
    /// Hits in hour (0 to 23) of all logs together.
    int hitsInHour(int hour) const;
    int hits(ActivityLogKind log) const { return m_totals[int(log)]; }
    int hits() const;
    /// How many different channels, frequencies or talkgroups a log heard.
    int distinct(ActivityLogKind log) const { return int(m_entries[int(log)].size()); }
    /// The most heard of a log, most hits first (then the longer total duration, then the key), at most count.
    QList<Entry> busiest(ActivityLogKind log, int count = kBusiest) const;

private:
    std::array<std::array<int, kHours>, ActivityHit::kLogCount> m_hours{};
    std::array<int, ActivityHit::kLogCount> m_totals{};
    std::array<QHash<QString, Entry>, ActivityHit::kLogCount> m_entries;
};
