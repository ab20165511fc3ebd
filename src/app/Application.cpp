#include "Application.h"

#include "AboutWindow.h"
#include "ActivityScript.h"
#include "AuxDisplayWindow.h"
#include "DemoNames.h"
#include "Pro2052Faceplate.h"
#include "PtyHost.h"
#include "RangeSearchPlaceholder.h"
#include "Settings.h"
#include "SimulatedScanner.h"
#include "Simulator.h"
#include "SplashWindow.h"
#include "link/LinkLamps.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "monitor/FaceplateActions.h"
#include "monitor/KeyHandlers.h"
#include "monitor/Keyboard.h"
#include "monitor/Monitor.h"
#include "session/Session.h"
#include "shell/StartupInfo.h"
#include "store/LocalDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QProcess>
#include <QScreen>
#include <QTextStream>

namespace {

using Button = KeyHandlers::Button;

const QHash<QString, Button>& buttonsByName() {
    static const QHash<QString, Button> table{
        {QStringLiteral("btnSCAN"), Button::Scan},      {QStringLiteral("btnMAN"), Button::Manual},
        {QStringLiteral("btnNUM0"), Button::Num0},      {QStringLiteral("btnNUM1"), Button::Num1},
        {QStringLiteral("btnNUM2"), Button::Num2},      {QStringLiteral("btnNUM3"), Button::Num3},
        {QStringLiteral("btnNUM4"), Button::Num4},      {QStringLiteral("btnNUM5"), Button::Num5},
        {QStringLiteral("btnNUM6"), Button::Num6},      {QStringLiteral("btnNUM7"), Button::Num7},
        {QStringLiteral("btnNUM8"), Button::Num8},      {QStringLiteral("btnNUM9"), Button::Num9},
        {QStringLiteral("btnNUMDEC"), Button::Decimal}, {QStringLiteral("btnNUME"), Button::Enter},
        {QStringLiteral("btnSPD"), Button::Speed},      {QStringLiteral("btnSKIP"), Button::Skip},
        {QStringLiteral("btnHOLD"), Button::Hold},      {QStringLiteral("btnLIMIT"), Button::Limit},
        {QStringLiteral("btnSRCH"), Button::Search},    {QStringLiteral("btnSVC"), Button::Service},
        {QStringLiteral("btnDATA"), Button::Data},      {QStringLiteral("btnDLY"), Button::Delay},
        {QStringLiteral("btnTRUNK"), Button::Trunk},    {QStringLiteral("btnSHFT"), Button::Shift},
        {QStringLiteral("btnMUTE"), Button::Mute},
    };
    return table;
}

// Menu entries whose windows come with later versions, with the captions the operator sees.
const QHash<QString, QString>& laterEntries() {
    static const QHash<QString, QString> table{
        {QStringLiteral("EditBanks"), QStringLiteral("Edit Channel Banks")},
        {QStringLiteral("EditTalkGroups"), QStringLiteral("Edit Talkgroups")},
        {QStringLiteral("TrunkType"), QStringLiteral("Edit TrunkType")},
        {QStringLiteral("GetRemoteFreqs"), QStringLiteral("Connect to OrvFreqs")},
        {QStringLiteral("Backup"), QStringLiteral("Backup Scanner to PC")},
        {QStringLiteral("Restore"), QStringLiteral("Restore PC to Scanner")},
        {QStringLiteral("SetTrunkedBankType"), QStringLiteral("Set Trunked Bank Type")},
    };
    return table;
}

} // namespace

Application::Application(const AppOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options) {}

Application::~Application() {
    // Windows render the session's models: close them before the session goes.
    delete m_about.data();
    delete m_rangeSearch.data();
    m_auxWindow.reset();
    m_faceplate.reset();
    m_session.reset();
    m_pty.reset();
    m_simulator.reset();
}

bool Application::start() {
    SessionOptions session;
    session.appFolder = m_options.dataDir;
    session.device = m_options.device;
    session.remotePort = m_options.remotePort;
    if (m_options.simulate) {
        if (!startSimulator())
            return false;
        session.device = m_pty->devicePath();
        session.rememberDevice = false;
    }
    m_session = std::make_unique<Session>(session, m_prompter);
    m_session->settings().setModel(m_options.model);
    if (m_options.simulate && m_session->database().open())
        DemoNames::seed(m_session->database(), ActivityScript::defaultScript());

    ScannerState& state = m_session->state();
    m_buildDateText = StartupInfo::fileDateText(QCoreApplication::applicationFilePath());
    state.gBuildDateText = m_buildDateText;
    state.gPellwickInstalled = StartupInfo::companionInstalled(m_session->settings().pellwickPath());

    m_splash = std::make_unique<SplashWindow>(state.gScannerModel, state.gAppTitle, m_buildDateText);
    connect(m_splash.get(), &SplashWindow::finished, this, &Application::showFaceplate);
    m_splash->start();
    return true;
}

bool Application::startSimulator() {
    m_simulator = std::make_unique<Simulator>(Simulator::createModel(m_options.simulateModel));
    QString error;
    if (!m_simulator->loadScript(ActivityScript::defaultScript(), &error)) {
        QTextStream(stderr) << "valdoria: the simulator's script does not load: " << error << Qt::endl;
        return false;
    }
    m_pty = std::make_unique<PtyHost>(m_simulator.get());
    if (!m_pty->open()) {
        QTextStream(stderr) << "valdoria: cannot start the simulator: " << m_pty->errorText() << Qt::endl;
        return false;
    }
    m_simulator->startActivity();
    return true;
}

void Application::showFaceplate() {
    Session& session = *m_session;
    m_faceplate = std::make_unique<Pro2052Faceplate>(session.display(), session.aux(), session.switches());
    m_faceplate->setWindowTitle(session.state().gAppTitle);
    m_faceplate->setCompanionAvailable(session.state().gPellwickInstalled);
    m_prompter.setParent(m_faceplate.get());
    m_auxWindow = std::make_unique<AuxDisplayWindow>(session.aux(), session.state().gAppTitle, m_faceplate.get());
    wireFaceplate();

    // The faceplate's load: top-left corner of the screen, then the session takes over.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_faceplate->move(screen->availableGeometry().topLeft());
    m_faceplate->show();
    m_splash->hide();
    m_faceplate->activateWindow();
    syncLamps();
    session.start();
}

void Application::wireFaceplate() {
    Session& session = *m_session;
    Pro2052Faceplate* faceplate = m_faceplate.get();
    connect(faceplate, &Pro2052Faceplate::keyClicked, this, &Application::onKeyClicked);
    connect(faceplate, &Pro2052Faceplate::menuTriggered, this, &Application::onMenu);
    connect(faceplate, &Pro2052Faceplate::keyDown, this, [&session](int qtKey, Qt::KeyboardModifiers modifiers) {
        const int code = Keyboard::vbKeyCodeFor(qtKey, modifiers);
        if (code != 0)
            session.monitor().keyboard().keyDown(code);
    });
    connect(faceplate, &Pro2052Faceplate::keyPress, this, [&session](const QString& text) {
        const int code = Keyboard::charCodeFor(text);
        if (code != 0)
            session.monitor().keyboard().keyPress(code);
    });
    connect(faceplate, &Pro2052Faceplate::closing, this, [&session] {
        // Closing the faceplate closes the port, then ends the program.
        session.link().closePort();
        QCoreApplication::quit();
    });
    connect(&session.lamps(), &LinkLamps::changed, this, &Application::syncLamps);
    connect(&session.monitor(), &Monitor::faceplateRequested, this, [this] {
        m_faceplate->show();
        m_faceplate->raise();
    });
    connect(&session.monitor(), &Monitor::rangeSearchRequested, this, &Application::openRangeSearch);
}

void Application::syncLamps() {
    if (!m_faceplate)
        return;
    const LinkLamps& lamps = m_session->lamps();
    struct LampLabel {
        LinkLamps::Lamp lamp;
        const char* label;
    };
    static const LampLabel table[] = {{LinkLamps::Lamp::Buffer, "Label7"},
                                      {LinkLamps::Lamp::Cts, "Label8"},
                                      {LinkLamps::Lamp::Dsr, "Label8"},
                                      {LinkLamps::Lamp::Port, "Label9"}};
    for (const LampLabel& entry : table) {
        const QString label = QLatin1String(entry.label);
        m_faceplate->setLamp(LinkLamps::lampName(entry.lamp), lamps.isLit(entry.lamp), lamps.toolTip(label));
        m_faceplate->setLabelTooltip(label, lamps.toolTip(label));
    }
}

void Application::onKeyClicked(const QString& buttonName) {
    const auto it = buttonsByName().constFind(buttonName);
    if (it != buttonsByName().constEnd())
        m_session->monitor().keys().press(*it);
}

void Application::onMenu(const QString& entry) {
    Session& session = *m_session;
    FaceplateActions& actions = session.monitor().actions();
    if (entry == QLatin1String("File_Exit")) {
        QCoreApplication::quit();
    } else if (entry == QLatin1String("mnuAuxDisp")) {
        actions.openAuxDisplay();
    } else if (entry == QLatin1String("Manual")) {
        actions.manualMode();
    } else if (entry == QLatin1String("ScanMode")) {
        actions.scanMode();
    } else if (entry == QLatin1String("Search")) {
        actions.searchMode();
    } else if (entry == QLatin1String("ClearMemory")) {
        actions.clearMemory();
    } else if (entry == QLatin1String("LoadPellwick")) {
        const QString program = session.settings().pellwickPath();
        if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath()))
            m_prompter.inform(session.state().gAppTitle, tr("Cannot start %1.").arg(program), Prompter::Icon::Warning);
    } else if (entry == QLatin1String("mnuCom_Port")) {
        session.portSetup().choosePort();
    } else if (entry == QLatin1String("mnuCom_Speed")) {
        session.portSetup().chooseSpeed();
    } else if (entry == QLatin1String("mnuShow_Freq_and_Talkgroup")) {
        actions.toggleShowFreqAndTalkgroup();
    } else if (entry == QLatin1String("ScanLogging")) {
        actions.toggleScanLogging();
    } else if (entry == QLatin1String("SearchLogging")) {
        actions.toggleSearchLogging();
    } else if (entry == QLatin1String("TrunkLogging")) {
        actions.toggleTrunkLogging();
    } else if (entry == QLatin1String("mnuGettingStarted") || entry == QLatin1String("mnuTroubleShoot")) {
        showHelp();
    } else if (entry == QLatin1String("About")) {
        showAbout();
    } else if (entry == QLatin1String("CHECKCODES")) {
        session.runCommandCheck();
    } else if (laterEntries().contains(entry)) {
        notYetAvailable(laterEntries().value(entry));
    }
}

void Application::notYetAvailable(const QString& caption) {
    m_prompter.inform(m_session->state().gAppTitle,
                      tr("\"%1\" is not available in this version of Valdoria yet.").arg(caption),
                      Prompter::Icon::Information);
}

void Application::showHelp() {
    const QString folder = StartupInfo::manualFolder(QCoreApplication::applicationDirPath());
    m_prompter.inform(StartupInfo::helpTitle(), StartupInfo::helpMessageText(QDir::toNativeSeparators(folder)),
                      Prompter::Icon::Information);
}

void Application::showAbout() {
    if (!m_about) {
        m_about = new AboutWindow(m_session->state().gAppTitle, m_buildDateText);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
}

void Application::openRangeSearch() {
    if (!m_rangeSearch) {
        m_rangeSearch = new RangeSearchPlaceholder(m_session->state().gAppTitle, m_faceplate.get());
        m_rangeSearch->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_rangeSearch, &RangeSearchPlaceholder::handBack, this, [this] { m_session->monitor().checkMode(); });
    }
    m_rangeSearch->open();
}
