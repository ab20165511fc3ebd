#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QLoggingCategory>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "store/LocalDatabase.h"

#include <functional>

struct ScannerState;
class SerialLink;
class Clock;
class Monitor;
struct MemoryReply;

Q_DECLARE_LOGGING_CATEGORY(lcMemory)

/// What a backup or restore job works with. The monitor, when there is one (the window has it, the cli
/// does not), is suspended while a job runs and restarted by MemoryJob::handBack().
struct MemoryJobContext {
    ScannerState& state;
    SerialLink& link;
    LocalDatabase& database;
    Clock& clock;
    Monitor* monitor = nullptr;
};

/// How a backup or restore ended.
struct MemoryJobResult {
    enum class Outcome {
        Succeeded, ///< every channel stored (backup) or programmed and read back the same (restore)
        NotTaken,  ///< the restore ran through, but the channels in notTaken did not take
        Cancelled, ///< cancel(): what was done stays done
        Stopped,   ///< the scanner fell silent and the operator chose stop(); the rows stored stay
        Failed,    ///< the port or the database failed; message says which
    };
    Outcome outcome = Outcome::Failed;
    QString setName;
    int channelsDone = 0;  ///< rows stored (backup) or channels programmed and read back the same (restore)
    int channelsTotal = 0; ///< channels the job set out to do
    int talkgroups = 0;    ///< talkgroup rows copied into the set (backup)
    QList<int> notTaken;   ///< restore: channels that still read back differently after a second try
    QString safetySet;     ///< restore: the safety backup's set name; empty when it was skipped
    QString message;       ///< one or two sentences for the operator, naming the set and the counts

    bool succeeded() const { return outcome == Outcome::Succeeded; }
};
Q_DECLARE_METATYPE(MemoryJobResult)

/**
 * What the backup and the restore share: the take-over of the scanner, the exchange of one memory
 * read with its time-out and repeats, progress with a time-left estimate, cancel, and the
 * retry-or-stop question when the scanner stays silent.
 *
 * A memory read ("MA" + three digits) is answered by the first line that contains "C" + the same
 * digits; every other line is dropped. When no answer comes within replyTimeoutMs() the read is
 * sent again, up to attempts() sends in all; then replyMissing(channel) is emitted and the job
 * waits for retry() (ask again) or stop() (finish as Stopped, keeping what was stored).
 */
class MemoryJob : public QObject {
    Q_OBJECT

public:
    /// How long a channel's answer may take. At 19200 baud a read and its answer fill the line for
    /// about 19 ms and a scanner answers at once, so half a second means it is not listening.
    static constexpr int kReplyTimeoutMs = 500;
    /// Sends of one read before the operator is asked (the first and two repeats).
    static constexpr int kAttempts = 3;
    /// How long a row waits for a database file another program holds locked before the job gives up.
    static constexpr int kLockWaitMs = 10000;
    /// How often a row that met the lock is tried again meanwhile.
    static constexpr int kLockRetryMs = 200;

    explicit MemoryJob(const MemoryJobContext& context, QObject* parent = nullptr);
    ~MemoryJob() override;

    void setReplyTimeout(int ms) { m_timeoutMs = ms; }
    int replyTimeoutMs() const { return m_timeoutMs; }
    void setAttempts(int attempts) { m_attempts = qMax(1, attempts); }
    int attempts() const { return m_attempts; }
    void setLockWait(int ms) { m_lockWaitMs = ms; }
    int lockWaitMs() const { return m_lockWaitMs; }

    bool isRunning() const { return m_running; }
    /// Ends the job after the channel in hand; what was stored or programmed stays. finished() follows.
    void cancel();
    /// After replyMissing(): asks the silent channel again, with a fresh round of attempts.
    void retry();
    /// After replyMissing(): ends the job as Stopped.
    void stop();
    /**
     * Gives the scanner back after the operator has seen the result: sends the job's closing commands and,
     * with a monitor, runs its goBackToFacePlate() (the faceplate shows again, mode detection restarts).
     */
    virtual void handBack();

Q_SIGNALS:
    /// done of total channels; secondsLeft from the pace so far (-1 until there is one).
    void progress(int done, int total, int secondsLeft);
    /// The channel being read or programmed now (for the progress window's bank and channel boxes).
    void working(int bank, int channel);
    /// No answer for channel after attempts() reads; answer with retry() or stop().
    void replyMissing(int channel);
    void finished(const MemoryJobResult& result);

protected:
    /// Suspends the monitor and starts listening to the link; false (with a Failed finish) when the port is closed.
    bool begin(int total);
    /// Sends a command without waiting for anything.
    void send(const QString& command);
    /// Sends the read of channel and calls onAnswer with the decoded answer when it comes.
    void read(int channel, std::function<void(const MemoryReply&)> onAnswer);
    /**
     * Sends the read of a channel the job will wait for next, so the scanner answers it while this one is
     * stored; the read() for that channel then sends nothing more. A time-out forgets it.
     */
    void sendAhead(int channel);
    /// The read sent ahead will not be waited for next (its answer is dropped); the next read() sends again.
    void forgetAhead() { m_ahead = 0; }
    /// Drops every complete line waiting in the receive buffer.
    void drain();
    /**
     * A database write the job's count depends on: attempt() runs now and, while another program holds the
     * file locked, again every kLockRetryMs for up to lockWaitMs(). Once it has landed, stored() runs; if it
     * cannot land, the job finishes Failed with "what: the reason." (a full disk, the lock, the engine's words).
     */
    void store(std::function<LocalDatabase::WriteResult()> attempt, std::function<void()> stored, const QString& what);
    void setDone(int done);
    int done() const { return m_done; }
    int total() const { return m_total; }
    bool cancelRequested() const { return m_cancelRequested; }
    /// Stops listening and emits finished().
    void finish(MemoryJobResult result);
    /// The job's result with this outcome and reason (stop(), cancel, a lost port, or the job's own end).
    virtual MemoryJobResult result(MemoryJobResult::Outcome outcome, const QString& why) const = 0;
    /// The commands handBack() sends before the monitor takes over.
    virtual QStringList closingCommands() const = 0;

    MemoryJobContext m_ctx;

private:
    void onReceived();
    void onTimeout();
    void onPortLost(const QString& reason);
    void sendRead();
    void tryStore();

    int m_timeoutMs = kReplyTimeoutMs;
    int m_attempts = kAttempts;
    bool m_running = false;
    bool m_cancelRequested = false;
    bool m_waitingForOperator = false;
    int m_total = 0;
    int m_done = 0;
    int m_readChannel = 0;
    int m_sends = 0;
    int m_ahead = 0;
    std::function<void(const MemoryReply&)> m_onAnswer;
    int m_lockWaitMs = kLockWaitMs;
    std::function<LocalDatabase::WriteResult()> m_storeAttempt;
    std::function<void()> m_onStored;
    QString m_storeWhat;
    QElapsedTimer m_lockedSince;
    QTimer m_lockRetry;
    QTimer m_timeout;
    QElapsedTimer m_elapsed;
    QList<QMetaObject::Connection> m_connections;
};
