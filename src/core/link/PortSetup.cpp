#include "PortSetup.h"

#include "Prompter.h"
#include "SerialLink.h"
#include "SerialTransport.h"
#include "Settings.h"
#include "TextNumbers.h"
#include "Transport.h"
#include "state/ScannerState.h"

#include <QFileInfo>
#include <QPointer>
#include <QSerialPortInfo>

#include <algorithm>

namespace {
const QString kPortTitle = QStringLiteral("Select a COM port");
const QString kPortPrompt = QStringLiteral("Enter a COM port 1 thru 4");
const QString kSpeedTitle = QStringLiteral("Select a bps rate");
const QString kDefaultSpeed = QStringLiteral("19200");

bool isValidPort(int port) {
    return port >= 1 && port <= 4;
}
} // namespace

PortSetup::PortSetup(ScannerState& state, SerialLink& link, Settings& settings, Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_link(link)
    , m_settings(settings)
    , m_prompter(prompter) {
    m_reconnect.setInterval(2000);
    connect(&m_reconnect, &QTimer::timeout, this, &PortSetup::onReconnectTick);
    connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) {
        const QString label = m_openLabel.isEmpty() ? portLabel() : m_openLabel;
        Q_EMIT statusLine(QStringLiteral("NO LINK - COMM PORT %1 LOST: %2").arg(label, reason));
        m_reconnect.start();
    });
    connect(&m_link, &SerialLink::portOpenChanged, this, [this](bool open) {
        if (open)
            m_reconnect.stop();
    });
}

bool PortSetup::isValidSpeed(const QString& speed) {
    static const QStringList speeds{QStringLiteral("19200"), QStringLiteral("9600"), QStringLiteral("4800"),
                                    QStringLiteral("2400")};
    return speeds.contains(speed);
}

QString PortSetup::device() const {
    return m_devicePath.isEmpty() ? SerialTransport::deviceForPort(m_state.gComPort) : m_devicePath;
}

QString PortSetup::portLabel() const {
    return m_devicePath.isEmpty() ? QStringLiteral("#%1").arg(m_state.gComPort) : m_devicePath;
}

QString PortSetup::speedPrompt() const {
    const QString port = m_devicePath.isEmpty() ? QStringLiteral("COM%1").arg(m_state.gComPort) : m_devicePath;
    return QStringLiteral("Select a bps rate for %1\r\n19200, 9600, 4800, or 2400").arg(port);
}

void PortSetup::ask(const QString& title, const QString& prompt, const QString& defaultText,
                    std::function<void(const QString&)> done) {
    QPointer<PortSetup> self(this);
    m_prompter.askText(title, prompt, defaultText, [self, done](Answer answer) {
        // A cancelled box answers like an empty one.
        if (self)
            done(answer.value_or(QString()).trimmed());
    });
}

// --- set-up when the faceplate loads ---------------------------------------------------------

void PortSetup::start(const QString& devicePath, bool rememberDevice) {
    m_busy = true;
    if (!devicePath.isEmpty()) {
        m_devicePath = devicePath;
        // A path that does not open (a mistyped one, a file) must not become the next start's port.
        m_rememberDevice = rememberDevice;
    } else {
        m_devicePath = m_settings.comDevice();
    }
    m_state.gComSpeed.clear();

    const int storedPort = TextNumbers::leadingInt(m_settings.comPort());
    if (!m_devicePath.isEmpty()) {
        // A device path needs no questions: it names the port, and the speed falls back to 19200.
        if (isValidPort(storedPort))
            m_state.gComPort = quint8(storedPort);
        const QString speed = m_settings.comSpeed();
        m_state.gComSpeed = isValidSpeed(speed) ? speed : kDefaultSpeed;
        finishStart();
        return;
    }
    // A stored number outside 1 to 4 names no port of ours: ask, as for a missing one.
    if (isValidPort(storedPort)) {
        m_state.gComPort = quint8(storedPort);
        m_state.gComSpeed = m_settings.comSpeed();
        askStartSpeed();
        return;
    }
    askStartPort();
}

void PortSetup::askStartPort() {
    ask(kPortTitle, kPortPrompt, QStringLiteral("2"), [this](const QString& answer) {
        const int port = TextNumbers::leadingInt(answer);
        if (!isValidPort(port)) {
            askStartPort();
            return;
        }
        m_state.gComPort = quint8(port);
        askStartSpeed();
    });
}

void PortSetup::askStartSpeed() {
    if (isValidSpeed(m_state.gComSpeed)) {
        finishStart();
        return;
    }
    ask(kSpeedTitle, speedPrompt(), kDefaultSpeed, [this](const QString& answer) {
        m_state.gComSpeed = answer;
        askStartSpeed();
    });
}

void PortSetup::finishStart() {
    if (m_devicePath.isEmpty())
        m_settings.setComPort(QString::number(m_state.gComPort));
    m_settings.setComSpeed(m_state.gComSpeed);
    m_settings.sync();
    m_state.gComParity = QStringLiteral("N");
    m_state.gComDataBits = QStringLiteral("8");
    m_state.gComStopBits = QStringLiteral("1");
    Q_EMIT speedChosen(m_state.gComSpeed);
    openWithStatus([this] {
        m_busy = false;
        Q_EMIT startupFinished();
    });
}

// --- port menu --------------------------------------------------------------------------------

void PortSetup::choosePort() {
    if (m_busy)
        return;
    m_busy = true;
    closeWithStatus();
    askMenuPort(false);
}

void PortSetup::askMenuPort(bool again) {
    const QString current = QString::number(m_state.gComPort);
    const QString title = again ? kPortTitle : QStringLiteral("COM PORT");
    const QString prompt = again ? kPortPrompt : QStringLiteral("Select a COM Port");
    ask(title, prompt, current, [this, again](const QString& answer) {
        if (answer.isEmpty()) {
            // Cancelled: the port stays what it was.
            menuPortChosen(0);
            return;
        }
        // The first answer is read as a number; a repeated question takes its first character.
        const int port = again ? TextNumbers::leadingInt(answer.left(1)) : TextNumbers::leadingInt(answer);
        if (!isValidPort(port)) {
            askMenuPort(true);
            return;
        }
        menuPortChosen(port);
    });
}

void PortSetup::menuPortChosen(int port) {
    if (isValidPort(port)) {
        m_state.gComPort = quint8(port);
        m_devicePath.clear();
        m_rememberDevice = false;
        m_settings.setComDevice(QString());
    }
    m_settings.setComPort(QString::number(m_state.gComPort));
    m_settings.sync();
    // The port is closed at this point, so reopening opens it once with the new number.
    doReopen();
}

QString PortSetup::SystemPort::label() const {
    QStringList about;
    for (const QString& part : {description, manufacturer})
        if (!part.isEmpty())
            about << part;
    if (!usbIds.isEmpty())
        about << QStringLiteral("USB ") + usbIds;
    return about.isEmpty() ? device : device + QStringLiteral("  ") + about.join(QStringLiteral(", "));
}

QList<PortSetup::SystemPort> PortSetup::systemPorts() {
    QList<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SystemPort port{info.systemLocation(), info.description(), info.manufacturer(), {}};
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            port.usbIds = QStringLiteral("%1:%2")
                              .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                              .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        ports.append(port);
    }
    std::sort(ports.begin(), ports.end(), [](const SystemPort& a, const SystemPort& b) { return a.device < b.device; });
    return ports;
}

void PortSetup::chooseDevice(const QString& path) {
    if (m_busy || path.isEmpty())
        return;
    m_busy = true;
    closeWithStatus();
    m_devicePath = path;
    m_rememberDevice = false;
    m_settings.setComDevice(path);
    m_settings.sync();
    doReopen();
}

void PortSetup::chooseNumber(int port) {
    if (m_busy || !isValidPort(port))
        return;
    m_busy = true;
    closeWithStatus();
    menuPortChosen(port);
}

// --- speed menu -------------------------------------------------------------------------------

void PortSetup::chooseSpeed() {
    if (m_busy)
        return;
    m_busy = true;
    askMenuSpeed(false);
}

void PortSetup::askMenuSpeed(bool again) {
    const QString defaultSpeed = again ? kDefaultSpeed : m_state.gComSpeed;
    ask(kSpeedTitle, speedPrompt(), defaultSpeed, [this](const QString& answer) {
        if (answer.isEmpty()) {
            // Cancelled: keep the speed, nothing saved, the port is reopened as it was.
            doReopen();
            return;
        }
        if (!isValidSpeed(answer)) {
            // Say why before the same question comes again.
            m_prompter.inform(kSpeedTitle,
                              QStringLiteral("%1 is not a speed the scanner can use: type 19200, 9600, 4800 or 2400.")
                                  .arg(answer.trimmed()),
                              Prompter::Icon::Warning, [this] { askMenuSpeed(true); });
            return;
        }
        m_state.gComSpeed = answer;
        m_settings.setComSpeed(answer);
        m_settings.sync();
        doReopen();
    });
}

// --- opening and closing ----------------------------------------------------------------------

void PortSetup::reopenPort() {
    if (m_busy)
        return;
    m_busy = true;
    doReopen();
}

void PortSetup::doReopen() {
    closeWithStatus();
    openWithStatus([this] {
        m_busy = false;
        Q_EMIT modeDetectionRequested();
    });
}

void PortSetup::closeWithStatus() {
    if (!m_link.isOpen())
        return;
    m_link.closePort();
    // The line names the port and settings it was open with, not a speed chosen since.
    const QString label = m_openLabel.isEmpty() ? portLabel() : m_openLabel;
    const QString settings = m_openSettings.isEmpty() ? m_state.settingsText() : m_openSettings;
    Q_EMIT statusLine(QStringLiteral("COMM PORT %1 CLOSED at %2").arg(label, settings));
}

void PortSetup::reopenIfClosed() {
    if (m_busy || m_link.isOpen())
        return;
    openPort(true);
}

void PortSetup::onReconnectTick() {
    if (m_link.isOpen()) {
        m_reconnect.stop();
        return;
    }
    if (m_busy)
        return;
    // A pulled adapter takes its device node with it; opening is tried only once it is back.
    const QString path = device();
    if (path.startsWith(QLatin1Char('/')) && !QFileInfo::exists(path))
        return;
    if (openPort(false))
        Q_EMIT modeDetectionRequested();
}

bool PortSetup::openPort(bool reportFailure) {
    Transport* transport = m_link.transport();
    if (!m_link.isOpen() && transport) {
        transport->setDevice(device());
        transport->setBaudRate(m_state.gComSpeed.toInt());
    }
    if (transport && m_link.openPort()) {
        m_openLabel = portLabel();
        m_openSettings = m_state.settingsText();
        if (m_rememberDevice) {
            m_settings.setComDevice(m_devicePath);
            m_settings.sync();
            m_rememberDevice = false;
        }
        Q_EMIT statusLine(QStringLiteral("COMM PORT %1 OPENED at %2").arg(portLabel(), m_state.settingsText()));
        return true;
    }
    if (reportFailure)
        Q_EMIT statusLine(QStringLiteral("COMM PORT %1 FAILED: %2").arg(portLabel(), openFailure()));
    return false;
}

QString PortSetup::openFailure() const {
    const Transport* transport = m_link.transport();
    return transport ? transport->errorText()
                     : QStringLiteral("Cannot open %1: no serial port is available").arg(device());
}

void PortSetup::openWithStatus(std::function<void()> then) {
    if (openPort(true)) {
        then();
        return;
    }
    // The port menu offers only the ports 1 to 4: a device path is given on the command line.
    const QString hint = m_devicePath.isEmpty()
                             ? QStringLiteral("Choose another port with Config, Set Com Port.")
                             : QStringLiteral("Start Valdoria with --port and the scanner's serial device (such as "
                                              "/dev/ttyUSB0), or choose a port 1 to 4 with Config, Set Com Port.");
    QPointer<PortSetup> self(this);
    m_prompter.inform(m_state.gAppTitle, openFailure() + QStringLiteral("\r\n\r\n") + hint, Prompter::Icon::Warning,
                      [self, then] {
                          if (self)
                              then();
                      });
}
