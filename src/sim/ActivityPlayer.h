#pragma once

#include "ActivityEvent.h"

#include <QList>
#include <QObject>
#include <QTimer>

class SimulatedScanner;

/**
 * Plays the timed events of a script against a scanner model: waits each event's delay, starts
 * it, waits its hold and ends it, then goes on with the next (from the top again when the
 * script repeats). Events that do not fit the scanner's mode pass without effect.
 */
class ActivityPlayer : public QObject {
    Q_OBJECT

public:
    ActivityPlayer(SimulatedScanner& model, QObject* parent = nullptr);

    void setEvents(const QList<ActivityEvent>& events, bool repeat);
    /// Real time per script second: 1 plays in real time, 0.01 a hundred times faster.
    void setTimeScale(double scale) { m_scale = scale; }
    double timeScale() const { return m_scale; }

    void start();
    /// Stops playing; an event still running is ended and its end reported.
    void stop();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    /// Lines the scanner reports on its own ("+", "-", "ID ...").
    void report(const QStringList& lines);
    void faultRequested(ActivityEvent::FaultKind fault, double seconds);
    /// A human-readable note of what just happened, for the log.
    void note(const QString& text);

private:
    void onTimer();
    void advance();
    void schedule(double seconds);

    SimulatedScanner& m_model;
    QList<ActivityEvent> m_events;
    QTimer m_timer;
    double m_scale = 1.0;
    int m_index = 0;
    bool m_repeat = true;
    bool m_running = false;
    bool m_holding = false;
};
