#pragma once

#include <QDateTime>

class Recordings;

/**
 * Keeps the recordings within their limits: none older than the number of days, and no more
 * bytes than the cap. The oldest go first. Files that are not in the index are never touched.
 */
struct Retention {
    int keepDays = 30;
    qint64 maxBytes = qint64(2) * 1024 * 1024 * 1024;

    /// Deletes what is over the limits as of now; returns how many recordings went.
    int apply(Recordings& recordings, const QDateTime& now) const;
};
