#include "memory/MemoryWindows.h"

#include "Prompter.h"
#include "link/SerialLink.h"
#include "memory/BackupJob.h"
#include "memory/BankBackupWindow.h"
#include "memory/BankRestoreWindow.h"
#include "memory/BankTypeWindow.h"
#include "memory/BankTypes.h"
#include "memory/MemoryProgressWindow.h"
#include "memory/NameEditorWindow.h"
#include "memory/RestoreJob.h"
#include "monitor/DisplayModel.h"
#include "monitor/Monitor.h"
#include "protocol/Commands.h"
#include "session/Session.h"
#include "state/ScannerProfile.h"
#include "store/BackupSets.h"

#include <QWidget>

MemoryWindows::MemoryWindows(Session& session, Prompter& prompter, QWidget* faceplate, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_prompter(prompter)
    , m_faceplate(faceplate) {
    m_bankTypes = std::make_unique<BankTypes>(session.state(), session.link(), session.database(), prompter);
    connect(m_bankTypes.get(), &BankTypes::finished, this, &MemoryWindows::handBack);

    const MemoryJobContext context = session.memoryJobContext();
    const QString& title = session.state().gAppTitle;
    m_backup = std::make_unique<BackupJob>(context);
    m_backupWindow = std::make_unique<BankBackupWindow>(title, bankCount());
    m_backupProgress = std::make_unique<MemoryProgressWindow>(QStringLiteral("Backup1"), title,
                                                              tr("Database Access - Please Wait..."));
    follow(*m_backup, *m_backupProgress);
    connect(m_backupWindow.get(), &BankBackupWindow::backupRequested, this, &MemoryWindows::onBackupRequested);
    connect(m_backupWindow.get(), &BankBackupWindow::quitRequested, this, [this] {
        m_backupWindow->hide();
        handBack();
    });
    connect(m_backup.get(), &MemoryJob::finished, this, &MemoryWindows::onBackupFinished);
    connect(m_backupProgress.get(), &MemoryProgressWindow::finishedClicked, m_backupProgress.get(), &QWidget::hide);

    m_restore = std::make_unique<RestoreJob>(context);
    m_restoreWindow = std::make_unique<BankRestoreWindow>(title, bankCount());
    m_restoreProgress =
        std::make_unique<MemoryProgressWindow>(QStringLiteral("Restore1"), title, tr("Restoring from PC to scanner"));
    follow(*m_restore, *m_restoreProgress);
    connect(m_restoreWindow.get(), &BankRestoreWindow::choiceChanged, this,
            [this](const QString& set, const QList<int>& banks) {
                m_restoreWindow->showChangeCount(RestoreJob::channelsToChange(m_session.database(), set, banks));
            });
    connect(m_restoreWindow.get(), &BankRestoreWindow::restoreRequested, this, &MemoryWindows::onRestoreRequested);
    connect(m_restoreWindow.get(), &BankRestoreWindow::quitRequested, this, [this] {
        m_restoreWindow->hide();
        handBack();
    });
    connect(m_restore.get(), &MemoryJob::finished, this, &MemoryWindows::onRestoreFinished);
    connect(m_restore.get(), &RestoreJob::safetyBackupStored, this, [this](const QString& name, int channels) {
        m_restoreProgress->setText5(
            tr("Safety backup \"%1\": %2 channels stored. Restoring from PC to scanner").arg(name).arg(channels));
    });
    connect(m_restoreProgress.get(), &MemoryProgressWindow::retryFailuresRequested, this, [this] {
        m_restoreProgress->reset(m_restoreProgress->windowTitle());
        m_restore->retryNotTaken();
    });
    // Finished on a restore that did not take everything is the operator's last word on it.
    connect(m_restoreProgress.get(), &MemoryProgressWindow::finishedClicked, this, [this] { closeJob(*m_restore); });
    connect(m_restore.get(), &RestoreJob::bankTypesWanted, this, [this](const QList<int>& banks) {
        openBankTypes(false);
        m_bankTypeWindow->tickBanks(banks);
    });
}

MemoryWindows::~MemoryWindows() = default;

int MemoryWindows::bankCount() const {
    return ScannerProfile::of(m_session.state()).banks;
}

void MemoryWindows::openEditor(bool banks) {
    std::unique_ptr<NameEditorWindow>& window = banks ? m_bankEditor : m_talkgroupEditor;
    if (!window)
        window = std::make_unique<NameEditorWindow>(
            banks ? NameTableModel::Kind::Bank : NameTableModel::Kind::Talkgroups, m_session.database(),
            m_session.clock(), m_session.state().gAppTitle, bankCount());
    window->open();
}

void MemoryWindows::follow(MemoryJob& job, MemoryProgressWindow& window) {
    connect(&job, &MemoryJob::progress, &window, &MemoryProgressWindow::setProgress);
    connect(&job, &MemoryJob::working, &window, &MemoryProgressWindow::setChannel);
    connect(&job, &MemoryJob::replyMissing, &window, [&window](int channel) {
        window.showStall(tr("The scanner did not answer for channel %1. Is it switched on and connected? Retry "
                            "asks again; Stop ends here and keeps what is done.")
                             .arg(channel, 3, 10, QLatin1Char('0')));
    });
    connect(&window, &MemoryProgressWindow::retryRequested, &job, [&job, &window] {
        window.hideStall();
        job.retry();
    });
    connect(&window, &MemoryProgressWindow::stopRequested, &job, &MemoryJob::stop);
    connect(&window, &MemoryProgressWindow::cancelRequested, &job, &MemoryJob::cancel);
}

void MemoryWindows::openBackup() {
    if (m_backup->isRunning())
        return;
    takeOver();
    m_session.aux().setWindowVisible(false);
    m_backupWindow->reset(m_session.state().gAppTitle);
    m_backupWindow->show();
    m_backupWindow->raise();
    m_backupWindow->activateWindow();
}

void MemoryWindows::onBackupRequested(const QList<int>& banks) {
    ScannerState& state = m_session.state();
    state.gModeName = QStringLiteral("BACKUP");
    m_backupProgress->reset(state.gAppTitle);
    m_backupWindow->hide();
    m_backupProgress->show();
    m_prompter.askText(tr("Name This Backup"),
                       tr("Specify a name for this backup set (10 Chars)\r\ni.e. Home Freqs, Vegas, Florida, etc."),
                       QStringLiteral("VDPro"), [this, banks](std::optional<QString> typed) {
                           const QString name = BackupJob::setName(typed.value_or(QString()), m_session.clock().date());
                           m_backupWindow->setWindowTitle(name);
                           m_backupProgress->setWindowTitle(name);
                           m_backupProgress->setText5(tr("Backup Set: ") + name);
                           m_backup->start(banks, name);
                       });
}

void MemoryWindows::onBackupFinished(const MemoryJobResult& result) {
    m_backupProgress->hideStall();
    m_backupProgress->showFinished();
    if (result.succeeded())
        m_prompter.inform(m_session.state().gAppTitle,
                          tr("Backup of Scanner memory\r\nand Talkgroup info was SUCCESSFUL!\r\n\r\n"
                             "Click <OK> to resume scanning"),
                          Prompter::Icon::Information, [this] { closeJob(*m_backup); });
    else
        m_prompter.inform(m_session.state().gAppTitle, result.message, Prompter::Icon::Warning,
                          [this] { closeJob(*m_backup); });
}

void MemoryWindows::openRestore() {
    if (m_restore->isRunning())
        return;
    takeOver();
    m_session.aux().setWindowVisible(false);
    if (m_faceplate)
        m_faceplate->hide();
    QStringList names;
    if (const auto sets = BackupSets(m_session.database()).list()) {
        for (const BackupSets::SetInfo& set : *sets)
            names.append(set.name);
    }
    m_restoreWindow->reset(m_session.state().gAppTitle, names);
    m_restoreWindow->show();
    m_restoreWindow->raise();
    m_restoreWindow->activateWindow();
}

void MemoryWindows::onRestoreRequested(const QString& set, const QList<int>& banks, bool safetyBackup) {
    m_restoreProgress->reset(m_session.state().gAppTitle);
    m_restoreWindow->hide();
    m_prompter.inform(m_session.state().gAppTitle, tr("Backup Set '%1' will be used").arg(set),
                      Prompter::Icon::Information, [this, set, banks, safetyBackup] {
                          m_restoreWindow->setWindowTitle(set);
                          m_restoreProgress->setWindowTitle(set);
                          m_restoreProgress->show();
                          m_restore->start(set, banks, safetyBackup);
                      });
}

void MemoryWindows::onRestoreFinished(const MemoryJobResult& result) {
    m_restoreProgress->hideStall();
    m_restoreProgress->showFinished();
    m_restoreProgress->setText5(result.message);
    if (result.outcome == MemoryJobResult::Outcome::NotTaken) {
        // The window lists what did not take and waits: try those again, or Finished.
        QStringList channels;
        for (int channel : result.notTaken)
            channels.append(tr("Channel %1").arg(channel, 3, 10, QLatin1Char('0')));
        m_restoreProgress->showFailures(channels);
        return;
    }
    if (result.succeeded())
        m_prompter.inform(m_session.state().gAppTitle,
                          tr("Scanner Memory Restore SUCCESSFUL!\r\nPress ENTER or click OK to continue"),
                          Prompter::Icon::Information, [this] { closeJob(*m_restore); });
    else
        m_prompter.inform(m_session.state().gAppTitle, result.message, Prompter::Icon::Warning,
                          [this] { closeJob(*m_restore); });
}

void MemoryWindows::closeJob(MemoryJob& job) {
    const bool backup = &job == m_backup.get();
    (backup ? m_backupProgress : m_restoreProgress)->hide();
    if (backup)
        m_backupWindow->hide();
    else
        m_restoreWindow->hide();
    if (m_faceplate)
        m_faceplate->show();
    job.handBack();
}

void MemoryWindows::openBankTypes(bool takeOver) {
    if (takeOver)
        this->takeOver();
    if (!m_bankTypeWindow)
        m_bankTypeWindow = std::make_unique<BankTypeWindow>(*m_bankTypes, m_session.state().gAppTitle, bankCount());
    m_bankTypeWindow->reload();
    m_bankTypeWindow->show();
    m_bankTypeWindow->raise();
    m_bankTypeWindow->activateWindow();
}

void MemoryWindows::takeOver() {
    // A scanner read through its LCD leaves its display reports first.
    if (ScannerProfile::of(m_session.state()).parser == ScannerProfile::Parser::LcdSegments)
        m_session.link().sendToScanner(Commands::StatusInit);
    m_session.monitor().suspend();
}

void MemoryWindows::handBack() {
    m_session.monitor().goBackToFacePlate();
}
