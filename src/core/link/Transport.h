#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

/**
 * The byte channel to the scanner. SerialTransport drives a real port (or the simulator's
 * pseudo-terminal); the tests' in-memory transport feeds received bytes, records written ones,
 * stalls and injects a lost port.
 */
class Transport : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~Transport() override = default;

    /// The device to open: a path such as /dev/ttyUSB0 or /dev/pts/3.
    virtual void setDevice(const QString& device) = 0;
    virtual QString device() const = 0;
    virtual void setBaudRate(int baud) = 0;

    /// Opens the device with the configured settings, 8N1, no flow control. On failure
    /// returns false and puts a sentence naming the device and the reason in errorText().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString errorText() const = 0;

    /// Writes the bytes at once; returns false when the port refused them.
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual qint64 bytesToWrite() const = 0;

    /// Modem lines; false where the device has none (a pseudo-terminal).
    virtual bool cts() const = 0;
    virtual bool dsr() const = 0;

Q_SIGNALS:
    void readyRead();
    /// The open device went away (adapter pulled, simulator stopped). The transport is closed
    /// by the time this is emitted.
    void lost(const QString& reason);
};
