#include "HitTracker.h"

#include "Clock.h"

HitTracker::HitTracker(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock) {}

QDateTime HitTracker::wallNow() const {
    return QDateTime(m_clock.date(), m_clock.timeOfDay());
}

namespace {
// The same stop, told in more or fewer words: the BC780XLT's display replies give a stop's frequency
// and channel one after the other, so a fact only one of the two readings has is no difference.
bool sameStop(const Reading& was, const Reading& now) {
    const auto agree = [](auto a, auto b) { return a == b || a == 0 || b == 0; };
    return was.mode == now.mode && was.talkgroup == now.talkgroup && agree(was.channel, now.channel) &&
           agree(was.frequencyHz, now.frequencyHz);
}
} // namespace

void HitTracker::follow(const Reading& reading) {
    const QString key = reading.squelchOpen ? reading.stopKey() : QString();
    if (m_active && (key.isEmpty() || (key != m_key && !sameStop(m_hit.reading, reading))))
        end();
    if (!reading.squelchOpen) {
        m_openSinceMs = -1;
        return;
    }
    if (m_openSinceMs < 0) {
        m_openSinceMs = m_clock.monotonicMs();
        m_openSince = wallNow();
    }
    if (m_active) {
        // The same stop: its modulation and names come in a few replies later.
        m_hit.reading = reading;
        m_key = key;
        return;
    }
    // The squelch may open a reply or two before the scanner says what it stopped on; the hit
    // counts from the opening.
    if (key.isEmpty())
        return;
    m_active = true;
    m_key = key;
    m_startMs = m_openSinceMs;
    m_hit = Hit{reading, m_openSince, 0};
    Q_EMIT hitStarted(m_hit);
}

void HitTracker::finish() {
    if (m_active)
        end();
    m_openSinceMs = -1;
}

void HitTracker::end() {
    const qint64 now = m_clock.monotonicMs();
    m_active = false;
    m_hit.durationMs = now - m_startMs;
    // Under a squelch that stays open the next stop counts from here.
    m_openSinceMs = now;
    m_openSince = wallNow();
    Q_EMIT hitEnded(m_hit);
}
