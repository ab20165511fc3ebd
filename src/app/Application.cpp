#include "Application.h"

#include "BuiltInSimulator.h"
#include "Settings.h"
#include "audio/AudioService.h"
#include "faceplate/Bc780Faceplate.h"
#include "faceplate/FaceplateController.h"
#include "faceplate/Pro2052Faceplate.h"
#include "session/Session.h"
#include "shell/SplashWindow.h"
#include "shell/StartupInfo.h"
#include "state/ScannerProfile.h"
#include "store/LocalDatabase.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTextStream>

Application::Application(const AppOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options) {}

Application::~Application() {
    // Windows render the session's models: close them before the session goes.
    m_controller.reset();
    m_faceplate.reset();
    m_session.reset();
    m_simulator.reset();
}

bool Application::start() {
    SessionOptions session;
    session.appFolder = m_options.dataDir;
    session.device = m_options.device;
    session.remotePort = m_options.remotePort;
    const ScannerProfile* profile = ScannerProfile::byKey(m_options.model);
    session.model = (profile ? *profile : ScannerProfile::standard()).model;
    session.rigctlPort = m_options.rigctlPort;
    session.webPort = m_options.webPort;
    if (m_options.simulate) {
        QString error;
        m_simulator = BuiltInSimulator::start(m_options.simulateModel, BuiltInSimulator::Line::PseudoTerminal, &error);
        if (!m_simulator) {
            QTextStream(stderr) << "valdoria: " << error << Qt::endl;
            return false;
        }
        session.device = m_simulator->devicePath();
        session.rememberDevice = false;
    }
    m_session = std::make_unique<Session>(session, m_prompter);
    // The choice of faceplate lives with the PRO-2052's settings, read before either faceplate exists.
    if (m_options.rememberModel)
        Settings(ScannerProfile::standard().settingsName).setModel(m_options.model);
    if (m_options.simulate && m_session->database().open())
        BuiltInSimulator::seedNames(m_session->database());

    ScannerState& state = m_session->state();
    m_buildDateText = StartupInfo::fileDateText(QCoreApplication::applicationFilePath());
    state.gPellwickInstalled = StartupInfo::companionInstalled(m_session->settings().pellwickPath());

    m_splash = std::make_unique<SplashWindow>(state.gScannerModel, state.gAppTitle, m_buildDateText);
    connect(m_splash.get(), &SplashWindow::finished, this, &Application::showFaceplate);
    m_splash->start();
    return true;
}

void Application::showFaceplate() {
    Session& session = *m_session;
    switch (ScannerProfile::of(session.state()).faceplate) {
    case ScannerProfile::Faceplate::Pro2052:
        m_faceplate = std::make_unique<Pro2052Faceplate>(session.display(), session.aux(), session.switches());
        break;
    case ScannerProfile::Faceplate::Bc780xlt:
        m_faceplate = std::make_unique<Bc780Faceplate>(session.display(), session.aux(), session.switches());
        break;
    }
    m_faceplate->setWindowTitle(session.state().gAppTitle);
    m_faceplate->setCompanionAvailable(session.state().gPellwickInstalled);
    m_prompter.setParent(m_faceplate.get());
    m_controller = std::make_unique<FaceplateController>(session, *m_faceplate, m_prompter, m_buildDateText);
    connect(m_controller.get(), &FaceplateController::quitRequested, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);

    // The faceplate's load: top-left corner of the screen, then the session takes over.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_faceplate->move(screen->availableGeometry().topLeft());
    m_faceplate->show();
    m_splash->hide();
    m_faceplate->activateWindow();
    session.start();
    if (!m_options.audioDevice.isEmpty())
        session.settings().setAudioDevice(m_options.audioDevice);
    AudioConfig audio = AudioConfig::fromSettings(session.settings());
    if (!m_options.streamUrl.isEmpty())
        audio.streamUrl = m_options.streamUrl;
    session.audio().start(audio);
}
