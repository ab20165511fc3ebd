#include "FaceplateMenus.h"

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
      {"mnuTransmitterDb", "Transmitter Database...", false}}},
    {"Logs",
     "&Logs",
     {{"ScanLogging", "Enable Scan Log", true},
      {"SearchLogging", "Enable Search Log", true},
      {"TrunkLogging", "Enable Trunk Log", true}}},
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
            QAction* action = menu->addAction(QString::fromLatin1(entry.caption));
            action->setObjectName(name);
            action->setCheckable(entry.checkable);
            connect(action, &QAction::triggered, this, [this, name] { Q_EMIT triggered(name); });
            m_actions.insert(name, action);
        }
    }
}
