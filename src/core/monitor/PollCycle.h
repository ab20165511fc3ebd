#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "CycleRules.h"

#include <functional>
#include <memory>

struct MonitorContext;
class ModeDetector;

/**
 * PollScanner: sets the scanner up for the mode, then runs passes on a timer. A pass refreshes
 * the link lamps, reads at most one reply line, counts gPollCount and does the timed work of the
 * count. What differs between the scanners (the set-up, how a line is read, the counter's range and
 * the timed work) are its CycleRules, chosen once by the monitor from the scanner's profile:
 * Pro2052Cycle and Bc780Cycle.
 *
 * Pacing: a pass stands for 10 x scan delay ms (1 ms at delay 0). While a complete reply line
 * waits the next pass follows at once, so a burst of replies never builds a backlog. Otherwise
 * the cycle sleeps through the passes that would have nothing to do, up to the next one with
 * timed work (or kIdleWakeMs for the lamps), and counts them as run when it wakes. A line that
 * arrives meanwhile wakes it: at once at delay 0, else at the pass the paced cycle would have
 * reached, so the same commands go out at the same passes as with a pass on every tick.
 *
 * Silence: once the cycle has asked the scanner something that it answers, kSilenceLimitMs
 * without any received text means the scanner is not answering (switched off, cable pulled).
 * The display is dimmed, statusLine() says so, and "SQ" is asked every kSilenceLimitMs until
 * text arrives again, which undims the display and says so.
 */
class PollCycle : public QObject {
    Q_OBJECT

public:
    /// An idle cycle wakes at least this often, to refresh the link lamps.
    static constexpr int kIdleWakeMs = 500;
    /// A scanner answers a query within a few passes; this long without any text it is not answering.
    static constexpr qint64 kSilenceLimitMs = 3000;

    /// The rules are set with setRules() before the first start().
    PollCycle(MonitorContext& context, ModeDetector& detector, QObject* parent = nullptr);
    ~PollCycle() override;

    /// The scanner's rules; a running cycle stops.
    void setRules(std::unique_ptr<CycleRules> rules);

    /// Starts a cycle for gMode (a running one is replaced): the rules' set-up, then passes. A mode
    /// above 200 runs detection instead.
    void start();
    /// Ends the cycle; nothing runs until the next start().
    void stop();
    /// A take-over window has the scanner: no passes until resume(); received text keeps queueing.
    void suspend();
    void resume();
    bool isRunning() const { return m_running; }
    bool isSuspended() const { return m_suspended; }

    /// Both scanners tune 25 to 1300 MHz; a search limit outside is refused.
    static constexpr double kLowestMhz = 25.0;
    static constexpr double kHighestMhz = 1300.0;

    /**
     * SearchRange: sets gSearchHoldLimit from the dwell choice (1..8 give 10, 30, 60, 120, 300,
     * 600, 900, 1800 s; anything else 0), programs the search limits ("QUN", "LL", "LU"), starts
     * the search ("KEY09") and runs mode detection. The fourth argument is accepted and unused.
     * A limit outside kLowestMhz to kHighestMhz (text that is no number reads as 0) is refused with
     * a message: nothing is sent or changed, and mode detection gives the faceplate the scanner back.
     */
    void searchRange(const QString& low, const QString& high, int dwell, int unused = 0);
    /// The hold limit in seconds for a dwell choice.
    static int dwellSeconds(int dwell);

    /// Called at the start of every pass to refresh the link lamps.
    void setLampRefresh(std::function<void()> refresh) { m_lampRefresh = std::move(refresh); }
    /// The pause before the next pass, in ms, for the current scan delay, buffer and timed work.
    int nextPassDelayMs() const;
    /// Runs one pass now (the timer calls this; benchmarks and tests may too).
    void runPass();
    /// The time one pass stands for at the present scan delay, in ms.
    int passMs() const;
    /// Passes from now until the one that brings gPollCount to count.
    int passesUntil(int count) const;

    /// False from kSilenceLimitMs of silence after a query until text arrives again.
    bool isAnswering() const { return m_answering; }
    /// Reports the scanner as not answering once the silence has lasted kSilenceLimitMs on the
    /// monotonic clock. The silence timer calls this; tests that set the clock may too.
    void checkSilence();

Q_SIGNALS:
    /// A pass finished.
    void passDone();
    /// A text for the status line: the scanner stopped or started answering again.
    void statusLine(const QString& text);

private:
    CycleRules::CountRange countRange() const;
    /// gPollCount after that many passes from count.
    int countAfter(int count, int passes) const;
    int idlePasses() const;
    void schedule();
    void onTimeout();
    void onReceived();
    void onCommandWritten(const QString& command);
    void setAnswering(bool answering);

    MonitorContext& m_ctx;
    ModeDetector& m_detector;
    std::unique_ptr<CycleRules> m_rules;
    QTimer m_timer;
    QTimer m_silenceTimer;
    std::function<void()> m_lampRefresh;
    bool m_running = false;
    bool m_suspended = false;
    // The passes the pending timer stands for (0: a line waits), and when that sleep began.
    int m_idlePasses = 0;
    int m_idlePassMs = 1;
    qint64 m_idleFromMs = 0;
    // When the oldest unanswered query went out; -1 when nothing is awaited.
    qint64 m_awaitingSinceMs = -1;
    bool m_answering = true;
};
