#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

struct MonitorContext;
class StatusParser;
class KeyHandlers;
class ModeDetector;

/**
 * PollScanner: switches the scanner's reporting on for the mode, then runs passes on a timer.
 * A pass refreshes the link lamps, cuts at most one reply line and hands it to the status
 * parser, counts gPollCount 1..200 and does the mode's timed work: "SQ" once every 200 passes
 * (at pass 49 in SCAN, 8 in SEARCH), and forcing a search on when it has rested on one signal
 * longer than gSearchHoldLimit.
 *
 * Pacing: the next pass follows 10 x scan delay ms later, or at once while a complete reply
 * line is waiting, so a burst of replies never builds a backlog. With the delay at 0 and nothing
 * waiting the pause is 1 ms, so an idle program never spins.
 */
class PollCycle : public QObject {
    Q_OBJECT

public:
    /// gPollCount runs 1..kPollWrap and then starts at 1 again.
    static constexpr int kPollWrap = 200;

    PollCycle(MonitorContext& context, StatusParser& parser, KeyHandlers& keys, ModeDetector& detector,
              QObject* parent = nullptr);

    /// Starts a cycle for gMode (a running one is replaced): reporting switches, "MUA", "FIN" or
    /// "FIF", the mode's status query, "SI", then passes. A mode above 200 runs detection instead.
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
    /// The pause before the next pass, in ms, for the current scan delay and buffer.
    int nextPassDelayMs() const;
    /// Runs one pass now (the timer calls this; benchmarks and tests may too).
    void runPass();

Q_SIGNALS:
    /// A pass finished.
    void passDone();

private:
    void schedule();
    void perModeWork();
    void searchHoldWork();
    void showText3(const QString& text);

    MonitorContext& m_ctx;
    StatusParser& m_parser;
    KeyHandlers& m_keys;
    ModeDetector& m_detector;
    QTimer m_timer;
    std::function<void()> m_lampRefresh;
    bool m_running = false;
    bool m_suspended = false;
};
