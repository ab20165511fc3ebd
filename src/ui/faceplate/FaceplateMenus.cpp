#include "faceplate/FaceplateMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {
struct Entry {
    const char* name;
    const char* caption;
    bool checkable;
};

struct Heading {
    const char* name;
    const char* caption;
    std::initializer_list<Entry> entries;
};

const Heading kHeadings[] = {
    {"File", "&File", {{"File_Exit", "Exit", false}}},
    {"Edit",
     "&Edit",
     {{"EditBanks", "Edit Channel Banks", false},
      {"EditTalkGroups", "Edit Talkgroups", false},
      {"TrunkType", "Edit TrunkType", false}}},
    {"mnuView", "&View", {{"mnuAuxDisp", "Aux Display", true}}},
    {"SCAN_FUNCTIONS",
     "&Scan Modes",
     {{"Manual", "Manual Mode", false}, {"ScanMode", "Scan Mode", false}, {"Search", "Search Mode", false}}},
    {"Backup_Restore",
     "Freq &Mgmt",
     {{"GetRemoteFreqs", "Connect to OrvFreqs", false},
      {"Backup", "Backup Scanner to PC", false},
      {"Restore", "Restore PC to Scanner", false},
      {"SetTrunkedBankType", "Set Trunked Bank Type", false},
      {"ClearMemory", "Delete All Scanner Memory (USE WITH CAUTION!)", false}}},
    {"Broadcast", "&Broadcast", {{"LoadPellwick", "Load &Pellwick", false}}},
    {"COM_Options",
     "&Config",
     {{"mnuCom_Port", "Set Com Port", false},
      {"mnuCom_Speed", "Set Port Speed", false},
      {"mnuShow_Freq_and_Talkgroup", "Show Freq and Talkgroup", true},
      {"mnuTransmitterDb", "Transmitter Database...", false},
      {"mnuAudio", "Audio...", false}}},
    {"Logs",
     "&Logs",
     {{"ScanLogging", "Enable Scan Log", true},
      {"SearchLogging", "Enable Search Log", true},
      {"TrunkLogging", "Enable Trunk Log", true},
      {"mnuActivity", "Activity...", false}}},
    {"mnuHelp",
     "&HELP!",
     {{"mnuGettingStarted", "Getting Started", false},
      {"mnuTroubleShoot", "Troubleshooting Ideas", false},
      {"About", "About", false},
      {"CHECKCODES", "CHECK CODES", false}}},
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
            addEntry(headingName, name, QString::fromLatin1(entry.caption), entry.checkable);
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
    const auto add = [this, menu](const QString& caption, const QString& choice) {
        connect(menu->addAction(caption), &QAction::triggered, this,
                [this, choice] { Q_EMIT serialPortChosen(choice); });
    };
    for (int number = 1; number <= 4; ++number)
        add(tr("Port %1").arg(number), QString::number(number));
    menu->addSeparator();
    for (const PortSetup::SystemPort& port : ports)
        add(port.label(), port.device);
    if (ports.isEmpty())
        menu->addAction(tr("(no serial ports found)"))->setEnabled(false);
}

QAction* FaceplateMenus::addEntry(const QString& headingName, const QString& entryName, const QString& caption,
                                  bool checkable) {
    QMenu* menu = m_menus.value(headingName);
    if (!menu)
        return nullptr;
    QAction* action = menu->addAction(caption);
    action->setObjectName(entryName);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, entryName] { Q_EMIT triggered(entryName); });
    m_actions.insert(entryName, action);
    return action;
}
