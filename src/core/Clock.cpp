#include "Clock.h"

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
