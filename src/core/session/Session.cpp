#include "Session.h"

#include "Prompter.h"
#include "Settings.h"
#include "audio/AudioService.h"
#include "link/CommandCodeCheck.h"
#include "link/LinkLamps.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "link/SerialTransport.h"
#include "logging/ActivityLogWriter.h"
#include "logging/NameLookup.h"
#include "monitor/DisplayModel.h"
#include "monitor/KeyHandlers.h"
#include "monitor/ModeDetector.h"
#include "monitor/Monitor.h"
#include "monitor/Panel.h"
#include "protocol/ChannelToBank.h"
#include "remote/IndexedRecordings.h"
#include "remote/RigctlServer.h"
#include "remote/TcpHost.h"
#include "remote/WebAccess.h"
#include "remote/WebServer.h"
#include "state/ScannerProfile.h"
#include "state/Switches.h"
#include "store/LocalDatabase.h"

#include <QDir>

Q_LOGGING_CATEGORY(lcSession, "valdoria.session")

Session::Session(const SessionOptions& options, Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_prompter(prompter) {
    m_state.gAppPath = QDir(options.appFolder).absolutePath();
    m_state.gDbPath = LocalDatabase::pathForAppFolder(m_state.gAppPath);
    m_state.gPanelBackColor = kPanelBack;
    m_state.gPanelForeColor = kPanelFore;
    m_state.gScannerModel = options.model;
    const ScannerProfile& profile = ScannerProfile::of(m_state);

    const QString& settingsName = profile.settingsName;
    m_settings = options.settingsFile.isEmpty() ? std::make_unique<Settings>(settingsName)
                                                : std::make_unique<Settings>(settingsName, options.settingsFile);

    m_link = std::make_unique<SerialLink>(m_state);
    m_link->setTransport(options.transport ? options.transport : new SerialTransport);
    m_options.transport = nullptr;

    m_display = std::make_unique<DisplayModel>();
    Panel::addFields(profile.faceplate, *m_display, m_state.gPanelBackColor, m_state.gPanelForeColor);
    m_aux = std::make_unique<DisplayModel>();
    Panel::addAuxFields(*m_aux);
    m_switches = std::make_unique<Switches>();
    m_switches->setScanDelayMax(profile.scanDelayMax);

    m_lamps = std::make_unique<LinkLamps>(*m_link);
    m_portSetup = std::make_unique<PortSetup>(m_state, *m_link, *m_settings, m_prompter);
    m_database = std::make_unique<LocalDatabase>(m_state.gDbPath, m_prompter);
    m_state.gDb = m_database.get();
    m_remote = std::make_unique<TcpHost>(m_state, *m_link, &m_prompter);
    m_remote->setPort(options.remotePort);
    m_remote->setListenAddress(m_settings->remoteAddress());
    m_remote->setAllowedRanges(m_settings->remoteAllow());
    m_rigctl = std::make_unique<RigctlServer>(m_state, *m_link);
    configureRigctl();
    m_logs = std::make_unique<ActivityLogWriter>(m_state.gAppPath, *m_switches, m_clock);

    // A hit heard while the aux display is closed is named from the database all the same.
    m_logs->setNameSource([this](ActivityLogKind log, const QString& key) -> std::pair<QString, QString> {
        const bool trunk = log == ActivityLogKind::Trunk;
        const int channel = key.trimmed().toInt();
        const RowLookup found = trunk ? m_database->findTalkgroup(key.trimmed())
                                      : m_database->findBankChannel(channelToBank(channel), channel);
        if (!found.ok || !found.row)
            return {};
        return {found.row->value(trunk ? QStringLiteral("SERVICE_DESC") : QStringLiteral("COMPANY_NAME")).toString(),
                found.row->value(QStringLiteral("ALPHA_TAG")).toString()};
    });

    m_context.reset(new MonitorContext{m_state, *m_link, *m_display, *m_aux, *m_switches, m_clock, m_prompter});
    m_lookup = std::make_unique<NameLookup>(*m_context);
    m_context->lookups = m_lookup.get();
    m_context->log = m_logs.get();
    m_context->remote = m_remote.get();
    m_monitor = std::make_unique<Monitor>(*m_context);
    m_monitor->setLampRefresh([this] { m_lamps->refresh(); });
    m_commandCheck = std::make_unique<CommandCodeCheck>(m_state, *m_link);
    m_web = std::make_unique<WebServer>(m_state.gAppPath, m_clock);
    configureWeb();
    m_audio = std::make_unique<AudioService>(m_state.gAppPath, *m_database);
    m_audio->attach(*m_monitor);
    m_webRecordings = std::make_unique<IndexedRecordings>(m_audio->recordings());
    m_web->setRecordings(m_webRecordings.get());

    connect(m_portSetup.get(), &PortSetup::statusLine, this, &Session::showStatus);
    connect(m_remote.get(), &TcpHost::statusLine, this, &Session::showStatus);
    connect(m_rigctl.get(), &RigctlServer::statusLine, this, &Session::showStatus);
    connect(m_web.get(), &WebServer::statusLine, this, &Session::showStatus);
    connect(m_logs.get(), &ActivityLogWriter::statusLine, this, &Session::showStatus);
    connect(m_database.get(), &LocalDatabase::statusLine, this, &Session::showStatus);
    connect(m_monitor.get(), &Monitor::statusLine, this, &Session::showStatus);
    connect(m_audio.get(), &AudioService::statusLine, this, &Session::showStatus);
    connect(m_portSetup.get(), &PortSetup::speedChosen, this, [this](const QString& speed) {
        // A slower line needs a little more time per pass for a reply to arrive whole.
        m_switches->setScanDelay(speed == QLatin1String("19200") ? 2 : 3);
    });
    connect(m_portSetup.get(), &PortSetup::modeDetectionRequested, m_monitor.get(), &Monitor::checkMode);
    // Without a port nothing on the display is current: it goes dead until the port is back.
    connect(m_link.get(), &SerialLink::portOpenChanged, m_display.get(),
            [this](bool open) { m_display->setDimmed(!open); });
    connect(m_portSetup.get(), &PortSetup::startupFinished, this, [this] {
        m_lamps->refresh();
        m_monitor->start();
    });
    connect(m_link.get(), &SerialLink::rxBufferChanged, this, [this](const QString& buffer) {
        if (m_display->isVisible(QStringLiteral("Text1")))
            m_display->setText(QStringLiteral("Text1"), buffer);
    });
    connect(m_commandCheck.get(), &CommandCodeCheck::pairSent, this,
            [this](const QString& pair) { m_display->setText(QStringLiteral("Text3"), pair); });
    // However the check ends, the faceplate is given back: detection finds the mode again and
    // polling resumes (a suspended monitor would otherwise stay frozen for good).
    connect(m_commandCheck.get(), &CommandCodeCheck::failed, this, [this](const QString& reason) {
        m_prompter.inform(m_state.gAppTitle, reason, Prompter::Icon::Warning);
        m_monitor->checkMode();
    });
    connect(m_commandCheck.get(), &CommandCodeCheck::cancelled, m_monitor.get(), &Monitor::checkMode);
    connect(m_commandCheck.get(), &CommandCodeCheck::finished, this, [this] {
        showStatus(QStringLiteral("Command check written to %1").arg(m_commandCheck->logPath()));
        m_monitor->checkMode();
    });
    connect(m_rigctl.get(), &RigctlServer::modeCheckRequested, m_monitor.get(), &Monitor::checkMode);
    connect(m_monitor.get(), &Monitor::readingChanged, m_rigctl.get(), &RigctlServer::setReading);
    // The phone view follows the readings, the hits, the day logs and the link, and presses keys as the
    // faceplate's keypad does.
    WebServer* web = m_web.get();
    connect(m_monitor.get(), &Monitor::readingChanged, web, &WebServer::publishReading);
    connect(m_monitor.get(), &Monitor::hitStarted, web, [web](const Hit& hit) { web->publishHit(hit, false); });
    connect(m_monitor.get(), &Monitor::hitEnded, web, [web](const Hit& hit) { web->publishHit(hit, true); });
    connect(m_logs.get(), &ActivityLogWriter::lineWritten, web, &WebServer::addLogLine);
    const auto linkState = [this] { m_web->setLinkState(m_link->isOpen(), !m_display->isDimmed()); };
    connect(m_link.get(), &SerialLink::portOpenChanged, web, linkState);
    connect(m_display.get(), &DisplayModel::dimmedChanged, web, linkState);
    connect(web, &WebServer::keyPressed, this, [this](const QString& name) {
        if (const std::optional<KeyHandlers::Button> button = KeyHandlers::buttonNamed(name))
            m_monitor->keys().press(*button);
    });
    connect(&m_monitor->detector(), &ModeDetector::connectionRetryRequested, m_portSetup.get(),
            &PortSetup::reopenIfClosed);
}

Session::~Session() {
    // The monitor and the remote host refer to the link and the state: take them down first.
    m_web.reset();
    m_commandCheck.reset();
    m_monitor.reset();
    m_rigctl.reset();
    m_remote.reset();
    m_state.gDb = nullptr;
}

void Session::start() {
    m_state.gSearchHoldLimit = 900;
    if (!m_remote->startListening())
        qCWarning(lcSession) << "remote host is not listening";
    if (m_rigctlPort)
        m_rigctl->startListening();
    if (m_webPort) {
        m_web->setToken(webToken());
        m_web->setLinkState(m_link->isOpen(), !m_display->isDimmed());
        m_web->startListening();
    }
    m_state.gShift = false;
    m_display->setText(QStringLiteral("tbSHIFT"), QString());
    // Creates the database file on the first run, so a broken data folder shows at once.
    m_database->open();
    m_portSetup->start(m_options.device, m_options.rememberDevice);
}

void Session::configureRigctl() {
    m_rigctlPort = m_options.rigctlPort;
    if (!m_rigctlPort) {
        bool ok = false;
        const uint stored = m_settings->rigctlPort().toUInt(&ok);
        if (ok && stored > 0 && stored <= 65535)
            m_rigctlPort = quint16(stored);
        else if (!m_settings->rigctlPort().isEmpty() && m_settings->rigctlPort() != QLatin1String("0"))
            qCWarning(lcSession).noquote()
                << "Rigctl_Port" << m_settings->rigctlPort() << "is no TCP port; rigctl is off";
    }
    m_rigctl->setPort(m_rigctlPort.value_or(RigctlServer::kDefaultPort));
    m_rigctl->setListenAddress(m_settings->rigctlAddress());
    m_rigctl->setTuneChannel(m_settings->tuneChannel());
}

void Session::configureWeb() {
    m_webPort = m_options.webPort;
    const QString stored = m_settings->webPort();
    if (!m_webPort) {
        bool ok = false;
        const uint port = stored.toUInt(&ok);
        if (ok && port > 0 && port <= 65535)
            m_webPort = quint16(port);
        else if (!stored.isEmpty() && stored != QLatin1String("0"))
            qCWarning(lcSession).noquote() << "Web_Port" << stored << "is no TCP port; the phone view is off";
    }
    m_web->setPort(m_webPort.value_or(0));
    m_web->setListenAddress(m_settings->webAddress());
    bool ok = false;
    const int maxClients = m_settings->webMaxClients().toInt(&ok);
    m_web->setMaxClients(ok && maxClients > 0 ? maxClients : WebServer::kDefaultMaxClients);
    m_web->setTlsFiles(m_settings->webCert(), m_settings->webKey());
}

QString Session::webToken() {
    QString token = m_settings->webToken();
    if (token.isEmpty()) {
        token = WebAccess::makeToken();
        m_settings->setWebToken(token);
        m_settings->sync();
    }
    m_web->setToken(token);
    return token;
}

void Session::runCommandCheck() {
    m_monitor->suspend();
    m_commandCheck->start();
}

void Session::showStatus(const QString& text) {
    m_display->setText(QStringLiteral("StatusLine"), text);
    Q_EMIT statusLine(text);
}
