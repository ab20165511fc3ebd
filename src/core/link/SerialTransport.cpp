#include "SerialTransport.h"

#include "SerialLink.h"

#include <QFile>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The group that owns the device node, such as "dialout"; empty when it cannot be read.
QString groupOf(const QString& device) {
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return {};
    const group* entry = ::getgrgid(info.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString();
}

// -1: no such path (or it cannot be looked at), 0: something other than a character device, 1: one.
int isCharDevice(const QString& device) {
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return -1;
    return S_ISCHR(info.st_mode) ? 1 : 0;
}

// Whether the character device is a terminal (a serial port or a pseudo-terminal); only asked
// after a failed open, and a device that cannot be looked at counts as one.
bool isTerminal(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

QString userName() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QStringLiteral("$USER");
}
} // namespace

SerialTransport::SerialTransport(QObject* parent)
    : Transport(parent)
    , m_port(new QSerialPort(this)) {
    connect(m_port, &QSerialPort::readyRead, this, &Transport::readyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialTransport::onErrorOccurred);
}

SerialTransport::~SerialTransport() = default;

QString SerialTransport::deviceForPort(int port) {
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

void SerialTransport::setBaudRate(int baud) {
    m_baud = baud;
    if (m_port->isOpen())
        m_port->setBaudRate(baud);
}

bool SerialTransport::open() {
    if (m_port->isOpen())
        return true;
    m_error.clear();
    m_port->setPortName(m_device);
    m_port->setBaudRate(m_baud);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (m_device.isEmpty()) {
        m_error = QStringLiteral("Cannot open the serial port: no device was given");
        return false;
    }
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = openFailureText(m_port->error(), m_port->errorString());
        m_port->clearError();
        return false;
    }
    qCInfo(lcLink) << "opened" << m_device << "at" << m_baud;
    return true;
}

QString SerialTransport::openFailureText(QSerialPort::SerialPortError error, const QString& systemText) const {
    // A regular file, a folder or /dev/null takes no line settings; QSerialPort then reports an
    // unsupported operation, which tells the user nothing.
    const int charDevice = isCharDevice(m_device);
    if (charDevice == 0 ||
        (charDevice == 1 && error == QSerialPort::UnsupportedOperationError && !isTerminal(m_device)))
        return QStringLiteral("%1 is not a serial device").arg(m_device);
    // The usual serial node belongs to root and the group "dialout": a user outside the group
    // gets a permission error, and joining the group only counts from the next login.
    if (error == QSerialPort::PermissionError && ::access(QFile::encodeName(m_device).constData(), R_OK | W_OK) != 0) {
        QString group = groupOf(m_device);
        if (group.isEmpty() || group == QLatin1String("root"))
            group = QStringLiteral("dialout");
        return QStringLiteral("Cannot open %1: permission denied. Add your user to the %2 group, then log in again "
                              "(sudo adduser %3 %2).")
            .arg(m_device, group, userName());
    }
    return QStringLiteral("Cannot open %1: %2").arg(m_device, systemText);
}

void SerialTransport::close() {
    if (m_port->isOpen())
        m_port->close();
}

bool SerialTransport::isOpen() const {
    return m_port->isOpen();
}

bool SerialTransport::write(const QByteArray& bytes) {
    if (!m_port->isOpen())
        return false;
    return m_port->write(bytes) == bytes.size();
}

QByteArray SerialTransport::readAll() {
    return m_port->readAll();
}

qint64 SerialTransport::bytesAvailable() const {
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

qint64 SerialTransport::bytesToWrite() const {
    return m_port->isOpen() ? m_port->bytesToWrite() : 0;
}

QSerialPort::PinoutSignals SerialTransport::pinout() const {
    if (!m_port->isOpen())
        return QSerialPort::NoSignal;
    // A pseudo-terminal has no modem lines: QSerialPort reports UnsupportedOperationError and
    // no signals, and the lamps simply stay dark.
    return m_port->pinoutSignals();
}

bool SerialTransport::cts() const {
    return pinout().testFlag(QSerialPort::ClearToSendSignal);
}

bool SerialTransport::dsr() const {
    return pinout().testFlag(QSerialPort::DataSetReadySignal);
}

void SerialTransport::onErrorOccurred(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return;
    case QSerialPort::UnsupportedOperationError:
        // Modem-line calls on a device without modem lines: not a fault of the link. During a
        // failed open the error is left for open() to read.
        if (m_port->isOpen())
            m_port->clearError();
        return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError: {
        // A vanished device reports a resource error; a pseudo-terminal whose other end closed
        // reads nothing for ever and reports a read error. Either way the port is gone, and
        // keeping it open would only spin on its read notifications.
        if (!m_port->isOpen())
            return;
        const QString reason =
            error == QSerialPort::ResourceError ? m_port->errorString() : QStringLiteral("the device hung up");
        m_error = QStringLiteral("Lost %1: %2").arg(m_device, reason);
        m_port->clearError();
        m_port->close();
        Q_EMIT lost(reason);
        return;
    }
    default:
        // Open errors are reported by open(); others (a read or write that failed once) are
        // logged and the port carries on.
        if (m_port->isOpen())
            qCWarning(lcLink) << m_device << m_port->errorString();
        return;
    }
}
