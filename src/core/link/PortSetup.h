#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

struct ScannerState;
class SerialLink;
class Settings;
class Prompter;

/**
 * Choosing, opening and reopening the serial port: the set-up when the faceplate loads, the
 * "Set Com Port" and "Set Port Speed" menu entries (mnuCom_Port, mnuCom_Speed) and ReopenPort.
 *
 * The port is either a port number 1 to 4 (gComPort, stored as "Com_Port") or a device path
 * given with --port (stored as "Com_Device"); a number chosen in the port menu replaces a
 * stored path. Questions go through the Prompter and are re-asked until the answer is valid.
 * Port changes are reported on statusLine(), for the faceplate's StatusLine.
 *
 * A port that goes away (an adapter pulled) is opened again by itself once its device is back:
 * while it is lost, a timer looks for the device every reconnectIntervalMs().
 */
class PortSetup : public QObject {
    Q_OBJECT

public:
    PortSetup(ScannerState& state, SerialLink& link, Settings& settings, Prompter& prompter, QObject* parent = nullptr);

    /**
     * The faceplate load's port set-up. Without a device path the stored port number and
     * speed are used, and asked for when missing or invalid; with one (or with a path stored
     * in "Com_Device") nothing is asked and the speed is the stored one or 19200. Reports the
     * chosen speed with speedChosen(), opens the port, reports it and emits startupFinished(), also
     * when the port could not be opened. A device path is remembered once it has opened; one that
     * will not exist next time (the built-in simulator's pseudo-terminal) is never remembered.
     */
    void start(const QString& devicePath = {}, bool rememberDevice = true);
    /// mnuCom_Port: closes the port, asks for a port number, saves it and reopens.
    void choosePort();
    /// mnuCom_Speed: asks for a speed, saves it and reopens; a cancelled question keeps the speed.
    void chooseSpeed();
    /// ReopenPort: closes the port, opens it with gComPort (or the device path) and gComSpeed,
    /// then emits modeDetectionRequested().
    void reopenPort();
    /// Opens the port when it is closed, asking nothing (the not-connected box's retry); the
    /// status line says how it went.
    void reopenIfClosed();

    /// How often a lost port looks for its device: 2000 ms by default.
    int reconnectIntervalMs() const { return m_reconnect.interval(); }
    void setReconnectIntervalMs(int ms) { m_reconnect.setInterval(ms); }

    /// True while a question is open or the port is being set up; menu requests are ignored then.
    bool isBusy() const { return m_busy; }
    /// The device the port uses: the --port path, or the device of gComPort.
    QString device() const;
    /// How status lines name the port: "#2", or the device path.
    QString portLabel() const;

    /// One of the four line speeds "19200", "9600", "4800", "2400".
    static bool isValidSpeed(const QString& speed);

    /// A serial port this system has.
    struct SystemPort {
        QString device;       ///< the path to open, e.g. /dev/ttyUSB0
        QString description;  ///< e.g. "FT232R USB UART"; may be empty
        QString manufacturer; ///< e.g. "FTDI"; may be empty
        QString usbIds;       ///< "0403:6001" for a USB adapter, empty otherwise
        /// "device  description, maker, USB vvvv:pppp", leaving out what is unknown.
        QString label() const;
    };
    /// The serial ports the system lists, by device path.
    static QList<SystemPort> systemPorts();
    /// The port menu's choice of a system port: the path is stored ("Com_Device") and the port reopened.
    void chooseDevice(const QString& path);
    /// The port menu's choice of a port number 1 to 4: it replaces a stored path and the port is reopened.
    void chooseNumber(int port);

Q_SIGNALS:
    void statusLine(const QString& text);
    /// The load's port set-up settled on this line speed (before it opens the port).
    void speedChosen(const QString& speed);
    /// The load's port set-up is complete (whether or not the port opened).
    void startupFinished();
    /// The port was reopened: the scanner's mode must be detected again.
    void modeDetectionRequested();

private:
    using Answer = std::optional<QString>;

    void ask(const QString& title, const QString& prompt, const QString& defaultText,
             std::function<void(const QString&)> done);
    void askStartPort();
    void askStartSpeed();
    void finishStart();
    void askMenuPort(bool again);
    void menuPortChosen(int port);
    void askMenuSpeed(bool again);
    void doReopen();
    void closeWithStatus();
    void openWithStatus(std::function<void()> then);
    bool openPort(bool reportFailure);
    QString openFailure() const;
    void onReconnectTick();
    QString speedPrompt() const;

    ScannerState& m_state;
    SerialLink& m_link;
    Settings& m_settings;
    Prompter& m_prompter;
    QString m_devicePath;
    QString m_openLabel;    ///< portLabel() when the port was last opened here
    QString m_openSettings; ///< the settings text it was opened with
    bool m_busy = false;
    bool m_rememberDevice = false; ///< store m_devicePath as "Com_Device" once it opens
    QTimer m_reconnect;
};
