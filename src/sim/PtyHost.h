#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class Simulator;

/**
 * Serves a Simulator on a pseudo-terminal: the program (or a terminal) opens devicePath(), a
 * /dev/pts/N slave in raw mode, as if it were the scanner's serial port. The host keeps its own
 * handle on the slave so the line survives the program closing and reopening it. A
 * pseudo-terminal ignores the baud rate: answers arrive as fast as the kernel moves them.
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

    Simulator* m_simulator;
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QString m_error;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_unsent;
};
