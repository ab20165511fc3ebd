#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>

class QSocketNotifier;
class Simulator;

/**
 * Serves a Simulator on a pseudo-terminal: the program (or a terminal) opens devicePath(), a
 * /dev/pts/N slave in raw mode, as if it were the scanner's serial port. The host keeps its own
 * handle on the slave so the line survives the program closing and reopening it. A
 * pseudo-terminal ignores the baud rate: answers arrive as fast as the kernel moves them, unless
 * setLineRate() paces both directions to a real line and setReplyDelay() gives the scanner time to think.
 */
class PtyHost : public QObject {
    Q_OBJECT

public:
    /// The simulator is not owned.
    explicit PtyHost(Simulator* simulator, QObject* parent = nullptr);
    ~PtyHost() override;

    /// Creates the pseudo-terminal; on failure returns false and explains in errorText().
    bool open();
    /// Closes the master side: whoever holds the slave sees the line hang up.
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString devicePath() const { return m_path; }
    QString errorText() const { return m_error; }

    /**
     * Paces the line to baud with 8N1 framing (ten bits a byte) in both directions: a command reaches the
     * simulator only when its last byte would have arrived, and an answer reaches the program only when its
     * last byte would have left, each direction one byte after another. 0 (the default): no pacing.
     */
    void setLineRate(int baud);
    int lineRate() const { return m_baud; }
    /// Time the scanner takes before it starts an answer, in milliseconds (0: none).
    void setReplyDelay(double ms);

Q_SIGNALS:
    /// The line was closed by a hang-up fault (not by close()).
    void hungUp();

private:
    void onReadable();
    void onWritable();
    void onOutput(const QByteArray& bytes);
    void onHangUp();
    void flush();
    bool fail(const QString& what);
    bool paced() const { return m_byteNs > 0 || m_delayNs > 0; }
    void onPaceTimer();
    void armPaceTimer();

    /// Bytes travelling on the paced line, due at a time on the monotonic clock (nanoseconds).
    struct InFlight {
        qint64 due;
        QByteArray bytes;
    };

    Simulator* m_simulator;
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QString m_error;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_unsent;
    int m_baud = 0;
    qint64 m_byteNs = 0;
    qint64 m_delayNs = 0;
    int m_paceTimer = -1;
    QSocketNotifier* m_paceNotifier = nullptr;
    std::deque<InFlight> m_toScanner;
    std::deque<InFlight> m_toProgram;
    qint64 m_inLineFree = 0;
    qint64 m_outLineFree = 0;
    /// When the command being answered finished arriving; answers are timed from it.
    qint64 m_answeringAt = -1;
};
