#include "ActivitySummary.h"

#include "logging/ActivityDay.h"

#include <algorithm>

namespace {

// Channel numbers and frequencies sort as numbers ("9" before "12"), other texts as texts.
bool keyBefore(const QString& a, const QString& b) {
    bool aNumber = false;
    bool bNumber = false;
    const double x = a.toDouble(&aNumber);
    const double y = b.toDouble(&bNumber);
    if (aNumber && bNumber && x != y)
        return x < y;
    if (aNumber != bNumber)
        return aNumber;
    return a < b;
}

} // namespace

ActivitySummary::ActivitySummary(const ActivityDay& day) {
    for (const ActivityHit& hit : day.hits())
        add(hit);
}

void ActivitySummary::add(const ActivityHit& hit) {
    const int log = int(hit.log);
    ++m_hours[log][std::clamp(hit.seconds / 3600, 0, kHours - 1)];
    ++m_totals[log];
    // A scan hit without a channel number still names its frequency.
    const QString& key = hit.key.isEmpty() ? hit.frequency : hit.key;
    Entry& entry = m_entries[log][key];
    if (entry.hits == 0)
        entry.key = key;
    ++entry.hits;
    entry.lastSeconds = std::max(entry.lastSeconds, hit.seconds);
    // Of hits heard at the same second the later one read counts, as the logs were written.
    if (!hit.name.isEmpty() && hit.seconds >= entry.nameSeconds) {
        entry.name = hit.name;
        entry.nameSeconds = hit.seconds;
    }
    const QString& detail = hit.log == ActivityLogKind::Scan ? hit.frequency : hit.detail;
    if (!detail.isEmpty() && hit.seconds >= entry.detailSeconds) {
        entry.detail = detail;
        entry.detailSeconds = hit.seconds;
    }
    if (hit.duration >= 0)
        entry.duration = std::max(entry.duration, 0.0) + hit.duration;
}

int ActivitySummary::hitsInHour(int hour) const {
    int sum = 0;
    for (const auto& hours : m_hours)
        sum += hours[hour];
    return sum;
}

int ActivitySummary::hits() const {
    int sum = 0;
    for (const int total : m_totals)
        sum += total;
    return sum;
}

QList<ActivitySummary::Entry> ActivitySummary::busiest(ActivityLogKind log, int count) const {
    QList<Entry> entries = m_entries[int(log)].values();
    const auto before = [](const Entry& a, const Entry& b) {
        if (a.hits != b.hits)
            return a.hits > b.hits;
        if (a.duration != b.duration)
            return a.duration > b.duration;
        return keyBefore(a.key, b.key);
    };
    const qsizetype n = std::min<qsizetype>(count, entries.size());
    std::partial_sort(entries.begin(), entries.begin() + n, entries.end(), before);
    entries.resize(n);
    return entries;
}
