#pragma once

#include "link/Transport.h"

#include <QStringList>

/**
 * An in-memory transport: what the program writes is recorded (and may be answered by a
 * responder, such as the in-process simulator), what the test feeds is delivered as received
 * bytes on the next turn of the event loop.
 */
class MemoryTransport final : public Transport {
    Q_OBJECT

public:
    explicit MemoryTransport(QObject* parent = nullptr);

    void setDevice(const QString& device) override { m_device = device; }
    QString device() const override { return m_device; }
    void setBaudRate(int baud) override { m_baud = baud; }
    int baudRate() const { return m_baud; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString errorText() const override { return m_error; }

    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override { return m_incoming.size(); }
    qint64 bytesToWrite() const override { return 0; }
    bool cts() const override { return m_cts; }
    bool dsr() const override { return m_dsr; }

    // Test controls
    /// Makes the next open() fail with this reason (empty: opens succeed).
    void failNextOpen(const QString& reason) { m_failReason = reason; }
    /// Queues bytes as received from the scanner; readyRead follows from the event loop.
    void feed(const QByteArray& bytes);
    /// Like feed(), but readyRead is emitted before returning.
    void feedNow(const QByteArray& bytes);
    /// Everything written since the last takeWritten(), as raw bytes.
    QByteArray takeWritten();
    /// Everything written so far, as command lines without their CR.
    QStringList writtenLines() const;
    void clearWritten() {
        m_written.clear();
        m_allWritten.clear();
    }
    void setModemLines(bool cts, bool dsr);
    /// Simulates the device going away.
    void loseDevice(const QString& reason = QStringLiteral("the device was removed"));

Q_SIGNALS:
    /// Emitted for every write, so a responder can answer.
    void written(const QByteArray& bytes);

private:
    QString m_device = QStringLiteral("memory");
    int m_baud = 19200;
    bool m_open = false;
    bool m_cts = false;
    bool m_dsr = false;
    QString m_error;
    QString m_failReason;
    QByteArray m_incoming;
    QByteArray m_written;
    QByteArray m_allWritten;
    bool m_notifyPending = false;
};
