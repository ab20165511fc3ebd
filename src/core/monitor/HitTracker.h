#pragma once

#include "Reading.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class Clock;

/**
 * Turns the monitor's readings into hits: a hit starts when the squelch is open on something the
 * scanner stopped on (a channel, a search frequency, a talkgroup), timed from the moment the squelch
 * opened, and ends when the squelch closes, the scanner moves on to something else or the mode changes.
 * The day logs keep their own rules; this is the typed record of the same transmissions.
 */
class HitTracker : public QObject {
    Q_OBJECT

public:
    explicit HitTracker(const Clock& clock, QObject* parent = nullptr);

    /// Takes the next reading (each one that differs from the last).
    void follow(const Reading& reading);
    /// Ends the hit in progress, if any (the monitor stops).
    void finish();
    bool isActive() const { return m_active; }

Q_SIGNALS:
    void hitStarted(const Hit& hit);
    void hitEnded(const Hit& hit);

private:
    QDateTime wallNow() const;
    void end();

    const Clock& m_clock;
    bool m_active = false;
    Hit m_hit;
    QString m_key;
    qint64 m_startMs = 0;
    /// When the squelch opened (monotonic ms, -1 while it is closed) and the local time then.
    qint64 m_openSinceMs = -1;
    QDateTime m_openSince;
};
