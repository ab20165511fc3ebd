#include "Clock.h"

#include <QDateTime>

int Clock::secondsSinceMidnight() const {
    const QTime t = timeOfDay();
    return (t.msecsSinceStartOfDay() + 500) / 1000;
}

double Clock::exactSecondsSinceMidnight() const {
    return timeOfDay().msecsSinceStartOfDay() / 1000.0;
}

SystemClock::SystemClock() {
    m_elapsed.start();
}

QTime SystemClock::timeOfDay() const {
    return QTime::currentTime();
}

QDate SystemClock::date() const {
    return QDate::currentDate();
}

qint64 SystemClock::monotonicMs() const {
    return m_elapsed.elapsed();
}

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
