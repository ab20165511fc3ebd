#pragma once

#include "Transport.h"

#include <QSerialPort>

/**
 * A Transport over a real serial device through QSerialPort: 8 data bits, no parity, one stop
 * bit, no flow control, at the configured speed.
 *
 * Port numbers 1 to 4 of the port menu are the first four serial ports of the machine,
 * /dev/ttyS0 to /dev/ttyS3 (see deviceForPort()); any other device, a USB adapter or the
 * simulator's pseudo-terminal, is given by its path.
 *
 * Modem lines that the device does not have (a pseudo-terminal has none) read as low; that is
 * never taken for a lost port. A device that vanishes while open closes the port and emits
 * lost().
 *
 * A failed open says what to do where the user can do something: a path that is no serial
 * device is named as such, and a device the user may not use names the group to join.
 */
class SerialTransport final : public Transport {
    Q_OBJECT

public:
    explicit SerialTransport(QObject* parent = nullptr);
    ~SerialTransport() override;

    /// The device of port number 1 to 4: /dev/ttyS0 for port 1 ... /dev/ttyS3 for port 4.
    static QString deviceForPort(int port);

    void setDevice(const QString& device) override { m_device = device; }
    /// The path given to setDevice(), as given (QSerialPort itself would say "pts/3").
    QString device() const override { return m_device; }
    void setBaudRate(int baud) override;
    int baudRate() const { return m_baud; }

    bool open() override;
    void close() override;
    bool isOpen() const override;
    QString errorText() const override { return m_error; }

    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    qint64 bytesToWrite() const override;
    bool cts() const override;
    bool dsr() const override;

private:
    QString openFailureText(QSerialPort::SerialPortError error, const QString& systemText) const;
    void onErrorOccurred(QSerialPort::SerialPortError error);
    QSerialPort::PinoutSignals pinout() const;

    QSerialPort* m_port;
    QString m_device;
    QString m_error;
    int m_baud = 19200;
};
