#pragma once

#include "Clock.h"

/// A clock that moves only when told to.
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
