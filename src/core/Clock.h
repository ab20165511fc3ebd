#pragma once

#include <QDate>
#include <QElapsedTimer>
#include <QTime>

/**
 * Time as the program sees it: the time of day and date for logs and search holds, and a
 * monotonic count for time-outs. Tests replace it with a clock they set.
 */
class Clock {
public:
    static constexpr int kSecondsPerDay = 86400;

    virtual ~Clock() = default;
    virtual QTime timeOfDay() const = 0;
    virtual QDate date() const = 0;
    /// Milliseconds on a clock that never goes back and ignores midnight and clock changes.
    virtual qint64 monotonicMs() const = 0;

    /// Seconds since midnight, rounded to the nearest whole second.
    int secondsSinceMidnight() const;
    /// Seconds since midnight with the fraction (for "later than" tests).
    double exactSecondsSinceMidnight() const;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    QTime timeOfDay() const override;
    QDate date() const override;
    qint64 monotonicMs() const override;

private:
    QElapsedTimer m_elapsed;
};
