#pragma once

#include "link/Transport.h"

#include <QStringList>
#include <QTimer>

#include <utility>

/**
 * An in-memory transport: what the program writes is recorded (and may be answered by a
 * responder, such as the in-process simulator), what the test feeds is delivered as received
 * bytes on the next turn of the event loop.
 */
class MemoryTransport final : public Transport {
    Q_OBJECT

public:
    explicit MemoryTransport(QObject* parent = nullptr)
        : Transport(parent) {}

    void setDevice(const QString& device) override { m_device = device; }
    QString device() const override { return m_device; }
    void setBaudRate(int baud) override { m_baud = baud; }
    int baudRate() const { return m_baud; }

    bool open() override {
        if (!m_failReason.isEmpty()) {
            m_error = QStringLiteral("Cannot open %1: %2").arg(m_device, std::exchange(m_failReason, {}));
            return false;
        }
        m_error.clear();
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QString errorText() const override { return m_error; }

    bool write(const QByteArray& bytes) override {
        if (!m_open)
            return false;
        m_written += bytes;
        m_allWritten += bytes;
        Q_EMIT written(bytes);
        return true;
    }
    QByteArray readAll() override { return std::exchange(m_incoming, {}); }
    qint64 bytesAvailable() const override { return m_incoming.size(); }
    qint64 bytesToWrite() const override { return 0; }
    bool cts() const override { return m_cts; }
    bool dsr() const override { return m_dsr; }

    // Test controls
    /// Makes the next open() fail with this reason (empty: opens succeed).
    void failNextOpen(const QString& reason) { m_failReason = reason; }
    /// Queues bytes as received from the scanner; readyRead follows from the event loop.
    void feed(const QByteArray& bytes) {
        m_incoming += bytes;
        if (std::exchange(m_notifyPending, true))
            return;
        QTimer::singleShot(0, this, [this] {
            m_notifyPending = false;
            if (!m_incoming.isEmpty())
                Q_EMIT readyRead();
        });
    }
    /// Like feed(), but readyRead is emitted before returning.
    void feedNow(const QByteArray& bytes) {
        m_incoming += bytes;
        Q_EMIT readyRead();
    }
    /// Everything written since the last takeWritten(), as raw bytes.
    QByteArray takeWritten() { return std::exchange(m_written, {}); }
    /// Everything written so far, as command lines without their CR.
    QStringList writtenLines() const {
        QStringList lines = QString::fromLatin1(m_allWritten).split(QLatin1Char('\r'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    void clearWritten() {
        m_written.clear();
        m_allWritten.clear();
    }
    void setModemLines(bool cts, bool dsr) {
        m_cts = cts;
        m_dsr = dsr;
    }
    /// Simulates the device going away.
    void loseDevice(const QString& reason = QStringLiteral("the device was removed")) {
        if (std::exchange(m_open, false))
            Q_EMIT lost(reason);
    }

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
