#include "ManualClock.h"

#include <QDateTime>

ManualClock::ManualClock(QDate date, QTime time)
    : m_date(date)
    , m_time(time) {}

void ManualClock::set(QDate date, QTime time) {
    m_date = date;
    m_time = time;
}

void ManualClock::advanceMs(qint64 ms) {
    const QDateTime next = QDateTime(m_date, m_time).addMSecs(ms);
    m_date = next.date();
    m_time = next.time();
    m_monotonicMs += ms;
}
