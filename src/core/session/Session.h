#pragma once

#include "Clock.h"
#include "memory/MemoryJob.h"
#include "monitor/MonitorContext.h"
#include "state/ScannerState.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class ActivityLogWriter;
class AudioService;
class CommandCodeCheck;
class IndexedRecordings;
class DisplayModel;
class LinkLamps;
class LocalDatabase;
class Monitor;
class NameLookup;
class PortSetup;
class Prompter;
class RigctlServer;
class SerialLink;
class Settings;
class Switches;
class TcpHost;
class Transport;
class WebServer;

Q_DECLARE_LOGGING_CATEGORY(lcSession)

/// How a session starts: what the command line gives.
struct SessionOptions {
    /// The application folder holding Data/ and LOGS/.
    QString appFolder;
    /// A serial device path (--port); empty: the stored device or port number.
    QString device;
    /// Keep device in the settings for the next start (not for the simulator's pseudo-terminal).
    bool rememberDevice = true;
    /// TCP port of the remote host; 0 picks a free one (tests).
    quint16 remotePort = 5757;
    /// TCP port of the rigctl control port (--rigctl-port; 0 picks a free one); no value: the
    /// "Rigctl_Port" setting, where empty or 0 leaves the port off.
    std::optional<quint16> rigctlPort;
    /// TCP port of the phone view (--web-port; 0 picks a free one); no value: the "Web_Port" setting,
    /// where empty or 0 leaves it off.
    std::optional<quint16> webPort;
    /// An INI file for the settings instead of the user's settings (tests).
    QString settingsFile;
    /// The transport to use instead of a serial port (tests, the in-process simulator). Owned by
    /// the session from then on.
    Transport* transport = nullptr;
    /// The scanner served (gScannerModel): its display fields, poll cycle and settings name.
    quint8 model = ScannerModel::Pro2052;
};

/**
 * One running connection to one scanner: owns the state record, the serial link, the display
 * models, the monitor, the local database, the lookups, the activity logs and the remote host,
 * and wires them together the way the faceplate's load does. Windows render its models and
 * call its objects; they own nothing of it.
 */
class Session : public QObject {
    Q_OBJECT

public:
    /// LCD colours of the PRO-2052 display panel (&HBBGGRR): a pale green-grey glass with dark segments.
    static constexpr quint32 kPanelBack = 0x86BEA8;
    static constexpr quint32 kPanelFore = 0x1E2A1C;

    Session(const SessionOptions& options, Prompter& prompter, QObject* parent = nullptr);

    ~Session() override;

    /// The faceplate's load: TCP listener, database, port set-up (with its prompts), then mode
    /// detection and the poll cycle.
    void start();

    ScannerState& state() { return m_state; }
    Settings& settings() { return *m_settings; }
    Clock& clock() { return m_clock; }
    SerialLink& link() { return *m_link; }
    DisplayModel& display() { return *m_display; }
    DisplayModel& aux() { return *m_aux; }
    Switches& switches() { return *m_switches; }
    LinkLamps& lamps() { return *m_lamps; }
    PortSetup& portSetup() { return *m_portSetup; }
    Monitor& monitor() { return *m_monitor; }
    TcpHost& remote() { return *m_remote; }
    /// The rigctl control port; listening only when enabled (see rigctlEnabled()).
    RigctlServer& rigctl() { return *m_rigctl; }
    bool rigctlEnabled() const { return m_rigctlPort.has_value(); }
    /// The phone view's web server; listening only when enabled (see webEnabled()).
    WebServer& web() { return *m_web; }
    bool webEnabled() const { return m_webPort.has_value(); }
    /// The phone view's token ("Web_Token"), made and stored the first time it is asked for.
    QString webToken();
    LocalDatabase& database() { return *m_database; }
    MonitorContext& context() { return *m_context; }
    ActivityLogWriter& logs() { return *m_logs; }
    /// What a backup or restore job works with: a job suspends this session's monitor and hands back to it.
    MemoryJobContext memoryJobContext() { return {m_state, *m_link, *m_database, m_clock, m_monitor.get()}; }

    /// The command-code check (CHECKCODES): the monitor stays idle while it runs, and mode
    /// detection takes over again however it ends.
    void runCommandCheck();
    CommandCodeCheck& commandCheck() { return *m_commandCheck; }
    /// The scanner's audio: recordings of the hits and the live stream. Idle until started with a configuration.
    AudioService& audio() { return *m_audio; }

Q_SIGNALS:
    /// Something for the faceplate's status line (also written to the display's StatusLine).
    void statusLine(const QString& text);

private:
    void showStatus(const QString& text);
    void configureRigctl();
    void configureWeb();

    SessionOptions m_options;
    Prompter& m_prompter;
    ScannerState m_state;
    SystemClock m_clock;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<DisplayModel> m_display;
    std::unique_ptr<DisplayModel> m_aux;
    std::unique_ptr<Switches> m_switches;
    std::unique_ptr<LinkLamps> m_lamps;
    std::unique_ptr<PortSetup> m_portSetup;
    std::unique_ptr<LocalDatabase> m_database;
    std::unique_ptr<TcpHost> m_remote;
    std::unique_ptr<RigctlServer> m_rigctl;
    std::optional<quint16> m_rigctlPort;
    std::unique_ptr<WebServer> m_web;
    std::optional<quint16> m_webPort;
    std::unique_ptr<NameLookup> m_lookup;
    std::unique_ptr<ActivityLogWriter> m_logs;
    std::unique_ptr<MonitorContext> m_context;
    std::unique_ptr<Monitor> m_monitor;
    std::unique_ptr<CommandCodeCheck> m_commandCheck;
    std::unique_ptr<AudioService> m_audio;
    /// The recordings as the phone view lists and serves them (after m_audio: it reads its index).
    std::unique_ptr<IndexedRecordings> m_webRecordings;
};
