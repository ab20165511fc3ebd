// The faceplate window over a live session on the in-process simulator: what a click, a key or
// a menu entry does.
#include "SessionRig.h"
#include "Settings.h"
#include "faceplate/FaceplateController.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/KeypadWidget.h"
#include "faceplate/Pro2052Faceplate.h"
#include "link/PortSetup.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestFaceplateController : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionRig> m_rig;
    std::unique_ptr<Pro2052Faceplate> m_window;
    std::unique_ptr<FaceplateController> m_controller;
    int m_mark = 0;

    QStringList commandsSinceMark() const { return m_rig->commands.mid(m_mark); }
    void mark() { m_mark = int(m_rig->commands.size()); }

    void waitForPolling() {
        QTRY_VERIFY_WITH_TIMEOUT(m_rig->commands.contains(QStringLiteral("SI")), 5000);
        QCOMPARE(int(m_rig->session->state().gMode), 0);
    }

    // What can be seen of the program: the boxes it asked, the open windows and the check marks.
    QStringList seen() const {
        QStringList out;
        for (const ScriptedPrompter::Call& call : m_rig->prompter.calls())
            out << call.kind + QLatin1Char(':') + call.title + QLatin1Char(':') + call.text;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                out << QStringLiteral("window:") + w->objectName();
        for (QAction* a : m_window->findChildren<QAction*>())
            if (a->isChecked())
                out << QStringLiteral("checked:") + a->objectName();
        return out;
    }

private Q_SLOTS:
    void init() {
        m_rig = std::make_unique<SessionRig>();
        m_mark = 0;
        Session& session = *m_rig->session;
        m_window = std::make_unique<Pro2052Faceplate>(session.display(), session.aux(), session.switches());
        m_controller = std::make_unique<FaceplateController>(session, *m_window, m_rig->prompter, QString());
        m_window->show();
        session.start();
    }

    void cleanup() {
        m_controller.reset();
        m_window.reset();
        m_rig.reset();
    }

    // Each key labelled on the faceplate sends the scanner's code for it; so does a typed key.
    void everyKey_putsItsCodeOnTheLine() {
        const QStringList codes = QStringLiteral("btnSCAN=KEY00 btnMAN=KEY01 btnNUM0=KEY02 0 btnNUM1=KEY02 1 "
                                                 "btnNUM2=KEY02 2 btnNUM3=KEY02 3 btnNUM4=KEY02 4 btnNUM5=KEY02 5 "
                                                 "btnNUM6=KEY02 6 btnNUM7=KEY02 7 btnNUM8=KEY02 8 btnNUM9=KEY02 9 "
                                                 "btnNUMDEC=KEY03 btnNUME=KEY04 btnSPD=KEY05 btnSKIP=KEY06 "
                                                 "btnHOLD=KEY07 btnLIMIT=KEY08 btnSRCH=KEY09 btnSVC=KEY10 "
                                                 "btnDATA=KEY11 btnDLY=KEY12 btnTRUNK=KEY13 btnSHFT=KEY14 btnMUTE=MUN")
                                      .split(QRegularExpression(QStringLiteral(" (?=btn)")));
        QCOMPARE(m_window->keypad()->findChildren<QPushButton*>().size(), codes.size());
        waitForPolling();
        const QRegularExpression keyCode(QStringLiteral("^(KEY|MU)"));
        for (const QString& pair : codes) {
            const QString name = pair.section(QLatin1Char('='), 0, 0);
            auto* key = m_window->findChild<QPushButton*>(name);
            QVERIFY2(key, qPrintable(name));
            mark();
            QTest::mouseClick(key, Qt::LeftButton);
            QTRY_COMPARE(commandsSinceMark().filter(keyCode).value(0), pair.section(QLatin1Char('='), 1));
        }
        mark();
        QTest::keyClick(m_window.get(), Qt::Key_C);
        QTRY_VERIFY(commandsSinceMark().contains(QStringLiteral("KEY02 3")));
    }

    void menuEntry_doesItsJob_data() {
        QTest::addColumn<QString>("effect"); // part of what the entry newly did: "sent:" a command, a box, a window
        const char* rows[][2] = {{"File_Exit", "quit"},
                                 {"mnuAuxDisp", "window:frmAuxDisplay"},
                                 {"Manual", "sent:KEY01"},
                                 {"ScanMode", "sent:KEY00"},
                                 {"Search", "window:frmSearchRange"},
                                 {"ClearMemory", "confirm:WIPE OUT SCANNER MEMORY?"},
                                 {"LoadPellwick", "Cannot start"},
                                 {"mnuCom_Port", "askText:COM PORT"},
                                 {"mnuCom_Speed", "askText:Select a bps rate"},
                                 {"mnuShow_Freq_and_Talkgroup", "sent:FIN"},
                                 {"ScanLogging", "checked:ScanLogging"},
                                 {"SearchLogging", "checked:SearchLogging"},
                                 {"TrunkLogging", "checked:TrunkLogging"},
                                 {"mnuActivity", "window:frmActivity"},
                                 {"mnuGettingStarted", "window:frmHelp"},
                                 {"mnuTroubleShoot", "window:frmHelp"},
                                 {"About", "window:frmAbout"},
                                 {"CHECKCODES", "sent:AA"},
                                 {"EditBanks", "window:frmEditBank2"},
                                 {"EditTalkGroups", "window:frmEditTrunkID"},
                                 {"TrunkType", "window:BankType"},
                                 {"SetTrunkedBankType", "window:BankType"},
                                 {"Backup", "window:BankBackup"},
                                 {"Restore", "window:BankRestore"},
                                 // Out of the box the search reads the built-in sample.
                                 {"GetRemoteFreqs", "window:frmRemoteFreqs"},
                                 {"mnuTransmitterDb", "window:frmTransmitterDb"},
                                 {"mnuPhoneView", "window:PhoneViewDialog"},
                                 {"mnuAudio", "window:frmAudio"}};
        for (const auto& [entry, effect] : rows)
            QTest::newRow(entry) << QString::fromLatin1(effect);
    }

    void menuEntry_doesItsJob() {
        QFETCH(QString, effect);
        waitForPolling();
        QAction* action = m_window->menus()->action(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(action);
        m_window->setCompanionAvailable(true);
        QSignalSpy quit(m_controller.get(), &FaceplateController::quitRequested);
        const QStringList before = seen();
        mark();
        action->trigger();
        const auto did = [&] {
            QStringList news;
            for (const QString& command : commandsSinceMark())
                news << QStringLiteral("sent:") + command;
            for (const QString& item : seen())
                if (!before.contains(item))
                    news << item;
            if (!quit.isEmpty())
                news << QStringLiteral("quit");
            return news;
        };
        QTRY_VERIFY2(!did().filter(effect).isEmpty(), qPrintable(did().join(QLatin1Char('|'))));
    }

    // An entry declared without an action would be chosen and do nothing.
    void everyMenuEntry_carriesAnAction() {
        const FaceplateMenus& menus = *m_window->menus();
        QStringList entries;
        for (QAction* action : m_window->findChildren<QAction*>()) {
            const QString name = action->objectName();
            if (name.isEmpty() || name.endsWith(QLatin1String("_heading")) || action->menu())
                continue;
            entries << name;
            QVERIFY2(menus.entryAction(name), qPrintable(name));
        }
        QCOMPARE(entries.size(), 28);
    }

    // Config, Serial Port lists the numbers 1 to 4 and the system's ports; a pick is stored and opened.
    void serialPortMenu_picksNumbersAndDevices() {
        waitForPolling();
        FaceplateMenus& menus = *m_window->menus();
        menus.fillSerialPorts({{QStringLiteral("/dev/ttyFAKE0"), QStringLiteral("FT232R"), QStringLiteral("FTDI"),
                                QStringLiteral("0403:6001")}});
        QStringList captions;
        for (QAction* action : menus.menu(QStringLiteral("mnuSerialPorts"))->actions())
            captions << action->text();
        QCOMPARE(captions, QStringList({"Port 1", "Port 2", "Port 3", "Port 4", "",
                                        "/dev/ttyFAKE0  FT232R, FTDI, USB 0403:6001"}));
        Settings& settings = m_rig->session->settings();
        menus.menu(QStringLiteral("mnuSerialPorts"))->actions().last()->trigger();
        QCOMPARE(settings.comDevice(), QStringLiteral("/dev/ttyFAKE0"));
        QCOMPARE(m_rig->session->portSetup().device(), QStringLiteral("/dev/ttyFAKE0"));
        QTRY_VERIFY(!m_rig->session->portSetup().isBusy());
        // The entry of the port in use carries the check mark.
        const QList<PortSetup::SystemPort> fake{{QStringLiteral("/dev/ttyFAKE0"), QStringLiteral("FT232R"),
                                                 QStringLiteral("FTDI"), QStringLiteral("0403:6001")}};
        const auto marked = [&menus, &fake] {
            Q_EMIT menus.menu(QStringLiteral("COM_Options"))->aboutToShow();
            menus.fillSerialPorts(fake);
            QStringList checked;
            for (QAction* action : menus.menu(QStringLiteral("mnuSerialPorts"))->actions())
                if (action->isChecked())
                    checked << action->text();
            return checked;
        };
        QCOMPARE(marked(), QStringList({"/dev/ttyFAKE0  FT232R, FTDI, USB 0403:6001"}));
        menus.menu(QStringLiteral("mnuSerialPorts"))->actions().at(1)->trigger();
        QCOMPARE(settings.comDevice(), QString());
        QCOMPARE(settings.comPort(), QStringLiteral("2"));
        QTRY_VERIFY(!m_rig->session->portSetup().isBusy());
        QCOMPARE(marked(), QStringList({"Port 2"}));
    }

    // Backup hides the aux display; its View entry loses the tick with it, and gets it back when it opens again.
    void auxTick_followsTheWindow() {
        waitForPolling();
        QAction* aux = m_window->menus()->action(QStringLiteral("mnuAuxDisp"));
        const auto auxShown = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("frmAuxDisplay"))
                    return w->isVisible();
            return false;
        };
        aux->trigger();
        QTRY_VERIFY(auxShown());
        QVERIFY(aux->isChecked());
        m_window->menus()->action(QStringLiteral("Backup"))->trigger();
        QTRY_VERIFY(!auxShown());
        Q_EMIT m_window->menus()->menu(QStringLiteral("mnuView"))->aboutToShow();
        QVERIFY(!aux->isChecked());
        aux->trigger();
        QTRY_VERIFY(auxShown());
        QVERIFY(aux->isChecked());
    }

    void auxWindow_goesWithTheController() {
        const auto auxWindows = [] {
            int count = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                count += w->objectName() == QLatin1String("frmAuxDisplay");
            return count;
        };
        QCOMPARE(auxWindows(), 1);
        m_controller.reset();
        QCOMPARE(auxWindows(), 0);
    }

    // The in-process scanner raises both modem lines: each lamp names its own, Label8 the DSR.
    void lamps_carryTheirOwnTooltips() {
        waitForPolling();
        const char* tips[][2] = {{"lampCTS", "CTS Signal is high"},
                                 {"lampDSR", "DSR Signal is high"},
                                 {"Label8", "DSR Signal is high"},
                                 {"lampPort", "COM Port is open"}};
        for (const auto& [name, tip] : tips)
            QTRY_COMPARE(m_window->findChild<QWidget*>(QString::fromLatin1(name))->toolTip(), QString::fromLatin1(tip));
    }
};

QTEST_MAIN(TestFaceplateController)
#include "test_faceplatecontroller.moc"
