#pragma once

#include "link/PortSetup.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class FaceplateController;
class QAction;
class QMenu;
class QMenuBar;

/**
 * The faceplate's menu bar: every heading is a QMenu and every entry a QAction, each named
 * after its entry (File, File_Exit, mnuView, mnuAuxDisp, ScanLogging ...) and captioned with
 * its access key. Each entry is declared once, with what choosing it does (entryAction()); choosing it
 * reports its name, and the controller runs the action.
 */
class FaceplateMenus : public QObject {
    Q_OBJECT

public:
    /// What choosing an entry does, given the controller that connects the faceplate to its session.
    using Action = std::function<void(FaceplateController&)>;

    FaceplateMenus(QMenuBar* bar, QObject* parent = nullptr);

    QAction* action(const QString& entryName) const { return m_actions.value(entryName); }
    QMenu* menu(const QString& headingName) const { return m_menus.value(headingName); }
    /// Adds an entry under an existing heading (a faceplate's own entries); it reports like the rest.
    QAction* addEntry(const QString& headingName, const QString& entryName, const QString& caption, bool checkable,
                      Action action);
    /// What the entry does; empty for a name that is no entry.
    Action entryAction(const QString& entryName) const { return m_entryActions.value(entryName); }
    /// Refills Config, Serial Port: the port numbers 1 to 4, then the system's ports (done each time it opens).
    void fillSerialPorts(const QList<PortSetup::SystemPort>& ports);

Q_SIGNALS:
    void triggered(const QString& entryName);
    /// A heading is about to drop down (the View menu refreshes its check mark here).
    void aboutToShow(const QString& headingName);
    /// A port was picked in Config, Serial Port: "1" to "4" for a port number, otherwise a device path.
    void serialPortChosen(const QString& port);

private:
    QHash<QString, QAction*> m_actions;
    QHash<QString, Action> m_entryActions;
    QHash<QString, QMenu*> m_menus;
};
