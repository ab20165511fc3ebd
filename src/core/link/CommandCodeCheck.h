#pragma once

#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTimer>

struct ScannerState;
class SerialLink;

/**
 * The "CHECK CODES" job: probes which two-letter commands the scanner answers and appends the
 * answers to LOGS/COMMANDS.log under the application folder (gAppPath).
 *
 * The log gets one "MODE: " line with the scanner's answer to "MD", then one line per pair
 * "AA" ... "ZZ" (675 pairs: "AC" clears the scanner's memory and is never sent), each as pair,
 * space, reply, CR LF. A pair that gets no line within pairWaitMs() repeats the reply written
 * before it. When "MD" gets no answer within modeTimeoutMs(), the mode line reads
 * "MODE: (no answer)" and the pairs are probed all the same.
 *
 * gMode is 157 from the start of the run; it stays so until the next mode detection.
 * Everything runs from the event loop; nothing here waits.
 */
class CommandCodeCheck : public QObject {
    Q_OBJECT

public:
    static constexpr int kPairCount = 675;

    CommandCodeCheck(ScannerState& state, SerialLink& link, QObject* parent = nullptr);

    /// Every pair probed, in order: "AA" ... "ZZ" without "AC".
    static QStringList pairs();
    /// The log file: gAppPath + "/LOGS/COMMANDS.log".
    QString logPath() const;

    /// 5100 ms by default.
    int modeTimeoutMs() const { return m_modeTimeoutMs; }
    void setModeTimeoutMs(int ms) { m_modeTimeoutMs = ms; }
    /// 250 ms by default.
    int pairWaitMs() const { return m_pairWaitMs; }
    void setPairWaitMs(int ms) { m_pairWaitMs = ms; }

    /**
     * Starts the run. Returns false, emitting failed(), when the port is closed or the log
     * cannot be opened; nothing is sent then and gMode is left alone. Does nothing and returns
     * false while a run is going on.
     */
    bool start();
    /// Stops the run; the lines already written stay. Emits cancelled().
    void cancel();
    bool isRunning() const { return m_step != Step::Idle; }

Q_SIGNALS:
    /// A pair went to the scanner (for the diagnostic box Text3).
    void pairSent(const QString& pair);
    /// Pairs done so far out of kPairCount.
    void progress(int done, int total);
    /// All pairs were written and the log is closed.
    void finished();
    void cancelled();
    /// The run could not start, or stopped because the port went away.
    void failed(const QString& reason);

private:
    enum class Step { Idle, WaitingForMode, Between, WaitingForPair };

    void onReceived();
    void onTimeout();
    void takeModeLines();
    void writeModeLine(const QString& reply);
    void sendNextPair();
    void completePair();
    void writeLine(const QString& line);
    void stop();

    ScannerState& m_state;
    SerialLink& m_link;
    QFile m_log;
    QTimer m_timeout;
    QTimer m_next;
    QStringList m_pairs;
    Step m_step = Step::Idle;
    int m_index = 0;
    int m_modeTimeoutMs = 5100;
    int m_pairWaitMs = 250;
};
