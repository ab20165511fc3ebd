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

/// A clock that moves only when told to; for tests and benchmarks.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDate date = QDate(2001, 2, 15), QTime time = QTime(12, 0, 0));
    QTime timeOfDay() const override { return m_time; }
    QDate date() const override { return m_date; }
    qint64 monotonicMs() const override { return m_monotonicMs; }

    void set(QDate date, QTime time);
    /// Moves time of day, date and the monotonic count forward together.
    void advanceMs(qint64 ms);

private:
    QDate m_date;
    QTime m_time;
    qint64 m_monotonicMs = 0;
};
