#include "MemoryWindows.h"

#include "BankTypeWindow.h"
#include "NameEditorWindow.h"
#include "link/SerialLink.h"
#include "memory/BankTypes.h"
#include "monitor/Monitor.h"
#include "protocol/Commands.h"
#include "session/Session.h"

#include <QWidget>

MemoryWindows::MemoryWindows(Session& session, Prompter& prompter, QWidget* faceplate, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_prompter(prompter)
    , m_faceplate(faceplate) {
    m_bankTypes = std::make_unique<BankTypes>(session.state(), session.link(), session.database(), prompter);
    connect(m_bankTypes.get(), &BankTypes::finished, this, &MemoryWindows::handBack);
}

MemoryWindows::~MemoryWindows() = default;

int MemoryWindows::bankCount() const {
    return m_session.state().gScannerModel == ScannerModel::Bc780xlt ? 10 : 20;
}

bool MemoryWindows::openFor(const QString& entry) {
    if (entry == QLatin1String("EditBanks"))
        openEditor(true);
    else if (entry == QLatin1String("EditTalkGroups"))
        openEditor(false);
    else if (entry == QLatin1String("TrunkType"))
        openBankTypes(false);
    else if (entry == QLatin1String("SetTrunkedBankType"))
        openBankTypes(true);
    else
        return false;
    return true;
}

void MemoryWindows::openEditor(bool banks) {
    std::unique_ptr<NameEditorWindow>& window = banks ? m_bankEditor : m_talkgroupEditor;
    if (!window)
        window = std::make_unique<NameEditorWindow>(
            banks ? NameTableModel::Kind::Bank : NameTableModel::Kind::Talkgroups, m_session.database(),
            m_session.clock(), m_session.state().gAppTitle, bankCount());
    window->open();
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
    if (m_session.state().gScannerModel == ScannerModel::Bc780xlt)
        m_session.link().sendToScanner(Commands::StatusInit);
    m_session.monitor().suspend();
}

void MemoryWindows::handBack() {
    m_session.monitor().goBackToFacePlate();
}
