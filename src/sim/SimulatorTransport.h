#pragma once

#include "link/Transport.h"

#include <QElapsedTimer>
#include <QTimer>

class Simulator;

/**
 * A Transport wired straight to an in-process Simulator: what the program writes is answered
 * by the simulator, and the answer arrives as received bytes from the event loop, never inside
 * write(). Optionally paced to a real line rate (19200 8N1 moves 1920 bytes a second), which a
 * pseudo-terminal cannot do.
 */
class SimulatorTransport final : public Transport {
    Q_OBJECT

public:
    /// The simulator is not owned; it must outlive the transport or be destroyed with it.
    explicit SimulatorTransport(Simulator* simulator, QObject* parent = nullptr);

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
    /// A scanner on a cable raises both lines while it is switched on.
    bool cts() const override { return m_open; }
    bool dsr() const override { return m_open; }

    /// Paces received bytes to the line rate of the set baud rate with 8N1 framing (ten bits a
    /// byte); off delivers each answer whole on the next turn of the event loop.
    void setThrottled(bool throttled);
    bool isThrottled() const { return m_throttled; }

private:
    void onOutput(const QByteArray& bytes);
    void onHangUp();
    void deliver();

    Simulator* m_simulator;
    QString m_device = QStringLiteral("simulator");
    QString m_error;
    int m_baud = 19200;
    bool m_open = false;
    bool m_throttled = false;
    /// Answered but not yet received (the line is still carrying them).
    QByteArray m_inFlight;
    QByteArray m_incoming;
    QTimer m_deliveryTimer;
    QElapsedTimer m_lineClock;
    double m_credit = 0.0;
};
