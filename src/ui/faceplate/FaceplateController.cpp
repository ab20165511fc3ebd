#include "faceplate/FaceplateController.h"

#include "Prompter.h"
#include "Settings.h"
#include "activity/ActivityWindow.h"
#include "audio/AudioConfigDialog.h"
#include "audio/AudioService.h"
#include "faceplate/AuxDisplayWindow.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/FaceplateWindow.h"
#include "link/LinkLamps.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "memory/MemoryWindows.h"
#include "monitor/KeyHandlers.h"
#include "monitor/Keyboard.h"
#include "monitor/Monitor.h"
#include "search/RemoteDbUrl.h"
#include "search/RemoteFreqsWindow.h"
#include "search/ScanFoundFreqs.h"
#include "search/SearchRangeWindow.h"
#include "search/SearchResultsWindow.h"
#include "search/TransmitterDbDialog.h"
#include "session/Session.h"
#include "shell/AboutWindow.h"
#include "shell/HelpWindow.h"
#include "shell/StartupInfo.h"
#include "state/ScannerProfile.h"
#include "web/PhoneViewDialog.h"

#include <QAction>
#include <QFileInfo>
#include <QProcess>

FaceplateController::FaceplateController(Session& session, FaceplateWindow& faceplate, Prompter& prompter,
                                         const QString& buildDateText, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_faceplate(faceplate)
    , m_prompter(prompter)
    , m_buildDateText(buildDateText) {
    m_auxWindow = std::make_unique<AuxDisplayWindow>(session.aux(), session.state().gAppTitle, &faceplate);
    m_memory = std::make_unique<MemoryWindows>(session, prompter, &faceplate);
    FaceplateWindow* window = &faceplate;
    connect(window, &FaceplateWindow::keyClicked, this, &FaceplateController::onKeyClicked);
    connect(window, &FaceplateWindow::menuTriggered, this, &FaceplateController::onMenu);
    connect(window->menus(), &FaceplateMenus::serialPortChosen, this, [&session](const QString& port) {
        if (port.size() == 1)
            session.portSetup().chooseNumber(port.toInt());
        else
            session.portSetup().chooseDevice(port);
    });
    connect(window->menus(), &FaceplateMenus::aboutToShow, this, [window, &session](const QString& heading) {
        if (heading == QLatin1String("COM_Options"))
            window->menus()->setPortInUse(session.portSetup().device());
    });
    connect(window, &FaceplateWindow::keyDown, this, [&session](int qtKey, Qt::KeyboardModifiers modifiers) {
        const int code = Keyboard::vbKeyCodeFor(qtKey, modifiers);
        if (code != 0)
            session.monitor().keyboard().keyDown(code);
    });
    connect(window, &FaceplateWindow::keyPress, this, [&session](const QString& text) {
        const int code = Keyboard::charCodeFor(text);
        if (code != 0)
            session.monitor().keyboard().keyPress(code);
    });
    connect(window, &FaceplateWindow::closing, this, [this] {
        // Closing the faceplate closes the port, then ends the program.
        m_session.link().closePort();
        Q_EMIT quitRequested();
    });
    connect(&session.lamps(), &LinkLamps::changed, this, &FaceplateController::syncLamps);
    connect(&session.monitor(), &Monitor::faceplateRequested, this, [this] {
        m_faceplate.show();
        m_faceplate.raise();
    });
    connect(&session.monitor(), &Monitor::rangeSearchRequested, this, &FaceplateController::openRangeSearch);
    syncLamps();
}

FaceplateController::~FaceplateController() {
    delete m_about.data();
}

void FaceplateController::onKeyClicked(const QString& buttonName) {
    if (const std::optional<KeyHandlers::Button> button = KeyHandlers::buttonNamed(buttonName))
        m_session.monitor().keys().press(*button);
}

void FaceplateController::onMenu(const QString& entry) {
    if (const FaceplateMenus::Action action = m_faceplate.menus()->entryAction(entry))
        action(*this);
}

void FaceplateController::quit() {
    Q_EMIT quitRequested();
}

void FaceplateController::loadPellwick() {
    const QString program = m_session.settings().pellwickPath();
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath()))
        m_prompter.inform(m_session.state().gAppTitle, tr("Cannot start %1.").arg(program), Prompter::Icon::Warning);
}

void FaceplateController::openTransmitterDb() {
    auto* dialog = new TransmitterDbDialog(m_session.settings(), &m_faceplate);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void FaceplateController::openAudioConfig() {
    auto* dialog = new AudioConfigDialog(m_session.settings(), &m_faceplate);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The new choices take effect at once: capture, recording and stream start over.
    Session& session = m_session;
    connect(dialog, &QDialog::accepted, this,
            [&session] { session.audio().start(AudioConfig::fromSettings(session.settings())); });
    dialog->open();
}

void FaceplateController::showHelp(const QString& heading) {
    if (!m_help)
        m_help = new HelpWindow(StartupInfo::helpTitle(), &m_faceplate);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    m_help->showHeading(heading);
}

void FaceplateController::showAbout() {
    if (!m_about) {
        m_about = new AboutWindow(m_session.state().gAppTitle, m_buildDateText);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
}

void FaceplateController::openRangeSearch() {
    if (!m_rangeSearch) {
        m_rangeSearch =
            new SearchRangeWindow(m_session.settings(), m_session.switches(), m_session.monitor(), m_prompter,
                                  m_session.state().gAppTitle, m_session.state().gSearchHoldLimit, &m_faceplate);
    }
    m_rangeSearch->show();
    m_rangeSearch->raise();
}

void FaceplateController::openRemoteSearch() {
    const QString title = m_session.state().gAppTitle;
    QString error;
    auto url = RemoteDbUrl::parse(m_session.settings().remoteDb(), &error);
    if (url)
        url->setTimeoutSeconds(m_session.settings().searchTimeout());
    if (!url) {
        m_prompter.inform(
            title, error + QStringLiteral("\r\nThe transmitter database is set in Config / Transmitter Database."),
            Prompter::Icon::Warning);
        return;
    }
    auto* window = new RemoteFreqsWindow(m_session.database(), m_prompter, title, *url, &m_faceplate);
    connect(window, &RemoteFreqsWindow::resultsReady, this, &FaceplateController::openSearchResults);
    window->start();
}

void FaceplateController::openSearchResults(const QString& resultText) {
    // A new search replaces the results on show.
    if (m_searchResults)
        m_searchResults->close();
    m_searchResults = new SearchResultsWindow(m_session.database(), m_prompter, m_session.state().gAppTitle, resultText,
                                              &m_faceplate);
    connect(m_searchResults, &SearchResultsWindow::scanRequested, this, &FaceplateController::scanFoundFreqs);
    m_searchResults->show();
}

void FaceplateController::scanFoundFreqs(const QList<TransmitterRow>& rows) {
    if (m_scan)
        return;
    Session& s = m_session;
    const int banks = ScannerProfile::of(s.state()).banks;
    m_scan = new ScanFoundFreqs(s.memoryJobContext(), m_prompter, s.state().gAppTitle, banks, this);
    connect(m_scan, &ScanFoundFreqs::finished, m_scan, &QObject::deleteLater);
    m_scan->start(rows);
}

void FaceplateController::openActivity() {
    if (!m_activity) {
        // A window of its own that goes with the faceplate; it opens on today and follows the logs.
        m_activity = new ActivityWindow(m_session.state().gAppPath, m_session.clock().date(), &m_faceplate);
        m_activity->setAttribute(Qt::WA_DeleteOnClose);
        m_activity->follow(m_session.monitor());
        m_activity->showRecordings(m_session.audio().recordings(), &m_session.audio().recorder());
    }
    m_activity->show();
    m_activity->raise();
    m_activity->activateWindow();
}

void FaceplateController::openPhoneView() {
    if (!m_phoneView) {
        m_phoneView = new PhoneViewDialog(m_session, &m_faceplate);
        m_phoneView->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_phoneView->show();
    m_phoneView->raise();
    m_phoneView->activateWindow();
}

void FaceplateController::syncLamps() {
    const LinkLamps& lamps = m_session.lamps();
    for (const LinkLamps::Lamp lamp :
         {LinkLamps::Lamp::Buffer, LinkLamps::Lamp::Cts, LinkLamps::Lamp::Dsr, LinkLamps::Lamp::Port})
        m_faceplate.setLamp(LinkLamps::lampName(lamp), lamps.isLit(lamp), lamps.toolTip(lamp));
    for (const char* label : {"Label7", "Label8", "Label9"})
        m_faceplate.setLabelTooltip(QLatin1String(label), lamps.toolTip(QLatin1String(label)));
}
