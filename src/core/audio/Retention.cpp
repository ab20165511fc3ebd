#include "Retention.h"

#include "Recordings.h"

int Retention::apply(Recordings& recordings, const QDateTime& now) const {
    const QList<Recording> all = recordings.all();
    qint64 total = 0;
    for (const Recording& r : all)
        total += r.bytes;
    // Day N-1 before today is the oldest kept: "30 days" keeps today and the 29 days before it.
    const QDate firstKept = now.date().addDays(-(qint64(keepDays) - 1));
    int removed = 0;
    for (const Recording& r : all) {
        const bool tooOld = keepDays > 0 && r.start.date() < firstKept;
        const bool overCap = maxBytes > 0 && total > maxBytes;
        if (!tooOld && !overCap)
            break;
        if (recordings.remove(r)) {
            total -= r.bytes;
            ++removed;
        }
    }
    return removed;
}
