#include "ActivityPlayer.h"

#include "SimulatedScanner.h"

#include <QStringList>
#include <algorithm>

ActivityPlayer::ActivityPlayer(SimulatedScanner& model, QObject* parent)
    : QObject(parent)
    , m_model(model) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ActivityPlayer::onTimer);
}

void ActivityPlayer::setEvents(const QList<ActivityEvent>& events, bool repeat) {
    const bool wasRunning = m_running;
    stop();
    m_events = events;
    m_repeat = repeat;
    if (wasRunning)
        start();
}

void ActivityPlayer::start() {
    if (m_running || m_events.isEmpty())
        return;
    m_running = true;
    m_holding = false;
    m_index = 0;
    schedule(m_events.first().delay);
}

void ActivityPlayer::stop() {
    m_timer.stop();
    if (m_running && m_holding && m_model.activityRunning()) {
        QStringList lines;
        m_model.endActivity(lines);
        if (!lines.isEmpty())
            Q_EMIT report(lines);
    }
    m_running = false;
    m_holding = false;
}

void ActivityPlayer::schedule(double seconds) {
    // A script made only of zero delays must not turn into a busy loop.
    const double ms = std::max(1.0, seconds * 1000.0 * m_scale);
    m_timer.start(int(std::min(ms, 86400000.0)));
}

void ActivityPlayer::onTimer() {
    const ActivityEvent& event = m_events.at(m_index);
    if (m_holding) {
        m_holding = false;
        QStringList lines;
        m_model.endActivity(lines);
        if (!lines.isEmpty())
            Q_EMIT report(lines);
        advance();
        return;
    }
    switch (event.kind) {
    case ActivityEvent::Kind::Stop:
    case ActivityEvent::Kind::Hit:
    case ActivityEvent::Kind::Call: {
        QStringList lines;
        if (m_model.beginActivity(event, lines)) {
            Q_EMIT note(m_model.describe(event));
            if (!lines.isEmpty())
                Q_EMIT report(lines);
            m_holding = true;
            schedule(event.hold);
            return;
        }
        break;
    }
    case ActivityEvent::Kind::Mode: {
        QString error;
        m_model.configure({QStringLiteral("mode"), QString::number(event.mode)}, &error);
        Q_EMIT note(QStringLiteral("mode %1").arg(event.mode));
        break;
    }
    case ActivityEvent::Kind::Send:
        Q_EMIT report({event.text});
        break;
    case ActivityEvent::Kind::Fault:
        Q_EMIT faultRequested(event.fault, event.hold);
        break;
    }
    advance();
}

void ActivityPlayer::advance() {
    ++m_index;
    if (m_index >= m_events.size()) {
        if (!m_repeat) {
            m_running = false;
            return;
        }
        m_index = 0;
    }
    schedule(m_events.at(m_index).delay);
}
