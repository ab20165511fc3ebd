#include "faceplate/FaceplateMenus.h"

#include "link/SerialTransport.h"

#include "faceplate/FaceplateController.h"
#include "link/PortSetup.h"
#include "memory/MemoryWindows.h"
#include "monitor/FaceplateActions.h"
#include "monitor/Monitor.h"
#include "session/Session.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {
using Action = FaceplateMenus::Action;

struct Entry {
    const char* name;
    const char* caption;
    bool checkable;
    Action action;
};

struct Heading {
    const char* name;
    const char* caption;
    std::initializer_list<Entry> entries;
};

FaceplateActions& actions(FaceplateController& c) {
    return c.session().monitor().actions();
}

using C = FaceplateController&;

// Every heading and entry of the menu bar, with what choosing the entry does.
const Heading kHeadings[] = {
    {"File", "&File", {{"File_Exit", "Exit", false, [](C c) { c.quit(); }}}},
    {"Edit",
     "&Edit",
     {{"EditBanks", "Edit Channel Banks", false, [](C c) { c.memory().openEditor(true); }},
      {"EditTalkGroups", "Edit Talkgroups", false, [](C c) { c.memory().openEditor(false); }},
      {"TrunkType", "Edit TrunkType", false, [](C c) { c.memory().openBankTypes(false); }}}},
    {"mnuView", "&View", {{"mnuAuxDisp", "Aux Display", true, [](C c) { actions(c).openAuxDisplay(); }}}},
    {"SCAN_FUNCTIONS",
     "&Scan Modes",
     {{"Manual", "Manual Mode", false, [](C c) { actions(c).manualMode(); }},
      {"ScanMode", "Scan Mode", false, [](C c) { actions(c).scanMode(); }},
      {"Search", "Search Mode", false, [](C c) { actions(c).searchMode(); }}}},
    {"Backup_Restore",
     "Freq &Mgmt",
     {{"GetRemoteFreqs", "Connect to OrvFreqs", false, [](C c) { c.openRemoteSearch(); }},
      {"Backup", "Backup Scanner to PC", false, [](C c) { c.memory().openBackup(); }},
      {"Restore", "Restore PC to Scanner", false, [](C c) { c.memory().openRestore(); }},
      {"SetTrunkedBankType", "Set Trunked Bank Type", false, [](C c) { c.memory().openBankTypes(true); }},
      {"ClearMemory", "Delete All Scanner Memory (USE WITH CAUTION!)", false, [](C c) { actions(c).clearMemory(); }}}},
    {"Broadcast", "&Broadcast", {{"LoadPellwick", "Load &Pellwick", false, [](C c) { c.loadPellwick(); }}}},
    {"COM_Options",
     "&Config",
     {{"mnuCom_Port", "Set Com Port", false, [](C c) { c.session().portSetup().choosePort(); }},
      {"mnuCom_Speed", "Set Port Speed", false, [](C c) { c.session().portSetup().chooseSpeed(); }},
      {"mnuShow_Freq_and_Talkgroup", "Show Freq and Talkgroup", true,
       [](C c) { actions(c).toggleShowFreqAndTalkgroup(); }},
      {"mnuTransmitterDb", "Transmitter Database...", false, [](C c) { c.openTransmitterDb(); }},
      {"mnuPhoneView", "Phone View...", false, [](C c) { c.openPhoneView(); }},
      {"mnuAudio", "Audio...", false, [](C c) { c.openAudioConfig(); }}}},
    {"Logs",
     "&Logs",
     {{"ScanLogging", "Enable Scan Log", true, [](C c) { actions(c).toggleScanLogging(); }},
      {"SearchLogging", "Enable Search Log", true, [](C c) { actions(c).toggleSearchLogging(); }},
      {"TrunkLogging", "Enable Trunk Log", true, [](C c) { actions(c).toggleTrunkLogging(); }},
      {"mnuActivity", "Activity...", false, [](C c) { c.openActivity(); }}}},
    {"mnuHelp",
     "&HELP!",
     {{"mnuGettingStarted", "Getting Started", false, [](C c) { c.showHelp(QStringLiteral("Getting started")); }},
      {"mnuTroubleShoot", "Troubleshooting Ideas", false, [](C c) { c.showHelp(QStringLiteral("Troubleshooting")); }},
      {"About", "About", false, [](C c) { c.showAbout(); }},
      {"CHECKCODES", "CHECK CODES", false, [](C c) { c.session().runCommandCheck(); }}}},
};
} // namespace

FaceplateMenus::FaceplateMenus(QMenuBar* bar, QObject* parent)
    : QObject(parent) {
    for (const Heading& heading : kHeadings) {
        const QString headingName = QString::fromLatin1(heading.name);
        QMenu* menu = bar->addMenu(QString::fromLatin1(heading.caption));
        menu->setObjectName(headingName);
        menu->menuAction()->setObjectName(headingName + QStringLiteral("_heading"));
        m_menus.insert(headingName, menu);
        connect(menu, &QMenu::aboutToShow, this, [this, headingName] { Q_EMIT aboutToShow(headingName); });
        for (const Entry& entry : heading.entries) {
            const QString name = QString::fromLatin1(entry.name);
            addEntry(headingName, name, QString::fromLatin1(entry.caption), entry.checkable, entry.action);
        }
    }
    QMenu* ports = m_menus.value(QStringLiteral("COM_Options"))->addMenu(tr("Serial &Port"));
    ports->setObjectName(QStringLiteral("mnuSerialPorts"));
    m_menus.insert(ports->objectName(), ports);
    // Adapters come and go: the list is read again each time the menu opens.
    connect(ports, &QMenu::aboutToShow, this, [this] { fillSerialPorts(PortSetup::systemPorts()); });
}

void FaceplateMenus::fillSerialPorts(const QList<PortSetup::SystemPort>& ports) {
    QMenu* menu = m_menus.value(QStringLiteral("mnuSerialPorts"));
    menu->clear();
    const auto add = [this, menu](const QString& caption, const QString& choice, const QString& device) {
        QAction* action = menu->addAction(caption);
        action->setCheckable(true);
        action->setChecked(!m_portInUse.isEmpty() && device == m_portInUse);
        connect(action, &QAction::triggered, this, [this, choice] { Q_EMIT serialPortChosen(choice); });
    };
    for (int number = 1; number <= 4; ++number)
        add(tr("Port %1").arg(number), QString::number(number), SerialTransport::deviceForPort(quint8(number)));
    menu->addSeparator();
    for (const PortSetup::SystemPort& port : ports)
        add(port.label(), port.device, port.device);
    if (ports.isEmpty())
        menu->addAction(tr("(no serial ports found)"))->setEnabled(false);
}

QAction* FaceplateMenus::addEntry(const QString& headingName, const QString& entryName, const QString& caption,
                                  bool checkable, Action entryAction) {
    QMenu* menu = m_menus.value(headingName);
    if (!menu)
        return nullptr;
    QAction* action = menu->addAction(caption);
    action->setObjectName(entryName);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, entryName] { Q_EMIT triggered(entryName); });
    m_actions.insert(entryName, action);
    m_entryActions.insert(entryName, std::move(entryAction));
    return action;
}
