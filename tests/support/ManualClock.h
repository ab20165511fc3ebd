#pragma once

#include "Clock.h"

#include <QDateTime>

/// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDate date = QDate(2001, 2, 15), QTime time = QTime(12, 0, 0)) { set(date, time); }
    QTime timeOfDay() const override { return m_now.time(); }
    QDate date() const override { return m_now.date(); }
    qint64 monotonicMs() const override { return m_monotonicMs; }

    void set(QDate date, QTime time) { m_now = QDateTime(date, time, Qt::UTC); }
    /// Moves time of day, date and the monotonic count forward together.
    void advanceMs(qint64 ms) {
        m_now = m_now.addMSecs(ms);
        m_monotonicMs += ms;
    }

private:
    QDateTime m_now; ///< UTC, so that no daylight-saving change moves it
    qint64 m_monotonicMs = 0;
};
