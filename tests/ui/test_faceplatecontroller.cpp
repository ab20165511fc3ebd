// The faceplate window over a live session on the in-process simulator: what a click, a key or
// a menu entry puts on the line.
#include "ActivityScript.h"
#include "FaceplateController.h"
#include "Pro2052Faceplate.h"
#include "ScriptedPrompter.h"
#include "SimulatedScanner.h"
#include "Simulator.h"
#include "SimulatorTransport.h"
#include "monitor/DisplayModel.h"
#include "session/Session.h"
#include "state/Switches.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

class TestFaceplateController : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_simulator;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<Pro2052Faceplate> m_window;
    std::unique_ptr<FaceplateController> m_controller;
    QStringList m_commands;
    int m_mark = 0;

    QStringList commandsSinceMark() const { return m_commands.mid(m_mark); }
    void mark() { m_mark = int(m_commands.size()); }

    void waitForPolling() {
        QTRY_VERIFY_WITH_TIMEOUT(m_commands.contains(QStringLiteral("SI")), 5000);
        QCOMPARE(int(m_session->state().gMode), 0);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_simulator = std::make_unique<Simulator>(Simulator::createModel(QStringLiteral("pro2052")));
        QString error;
        QVERIFY(m_simulator->loadScript(ActivityScript::defaultScript(), &error));
        m_simulator->setTimeScale(0.02);
        m_commands.clear();
        m_mark = 0;
        connect(m_simulator.get(), &Simulator::commandReceived, this, [this](const QString& c) { m_commands << c; });

        SessionOptions options;
        options.appFolder = m_dir->path();
        options.device = QStringLiteral("simulator");
        options.rememberDevice = false;
        options.remotePort = 0;
        options.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
        options.transport = new SimulatorTransport(m_simulator.get());
        m_session = std::make_unique<Session>(options, *m_prompter);
        m_window = std::make_unique<Pro2052Faceplate>(m_session->display(), m_session->aux(), m_session->switches());
        m_controller = std::make_unique<FaceplateController>(*m_session, *m_window, *m_prompter, QString());
        m_window->show();
        m_session->start();
    }

    void cleanup() {
        m_controller.reset();
        m_window.reset();
        m_session.reset();
        m_simulator.reset();
    }

    void clickedKey_putsItsCodeOnTheLine_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("command");
        QTest::newRow("SCAN") << "btnSCAN" << QString("KEY00");
        QTest::newRow("digit 7") << "btnNUM7" << QString("KEY02 7");
        QTest::newRow("MUTE from auto") << "btnMUTE" << QString("MUN");
    }

    void clickedKey_putsItsCodeOnTheLine() {
        QFETCH(QString, button);
        QFETCH(QString, command);
        waitForPolling();
        auto* key = m_window->findChild<QPushButton*>(button);
        QVERIFY(key);
        mark();
        QTest::mouseClick(key, Qt::LeftButton);
        QTRY_VERIFY(commandsSinceMark().contains(command));
    }

    void typedLetter_sendsDigitKey() {
        waitForPolling();
        mark();
        QTest::keyClick(m_window.get(), Qt::Key_C);
        QTRY_VERIFY(commandsSinceMark().contains(QStringLiteral("KEY02 3")));
    }

    void clearMemoryCancelled_sendsNothing() {
        waitForPolling();
        auto* entry = m_window->findChild<QAction*>(QStringLiteral("ClearMemory"));
        QVERIFY(entry);
        m_prompter->queueConfirm(false);
        mark();
        entry->trigger();
        QTRY_COMPARE(m_prompter->count(QStringLiteral("confirm")), 1);
        QCOMPARE(m_prompter->calls().last().title, QStringLiteral("WIPE OUT SCANNER MEMORY?"));
        // The prompter answers from a zero timer queued before this one, and the simulator takes
        // commands as they are written: once this timer has fired, an "AC" would be in.
        bool answered = false;
        QTimer::singleShot(0, this, [&answered] { answered = true; });
        QTRY_VERIFY(answered);
        QVERIFY(!commandsSinceMark().contains(QStringLiteral("AC")));
    }

    void logMenu_switchesTheLog() {
        auto* entry = m_window->findChild<QAction*>(QStringLiteral("TrunkLogging"));
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(m_session->switches().trunkLogging());
        QVERIFY(entry->isChecked());
        entry->trigger();
        QVERIFY(!m_session->switches().trunkLogging());
        QVERIFY(!entry->isChecked());
    }

    void laterFeature_saysSo_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("edit banks") << "EditBanks"
                                    << "\"Edit Channel Banks\"";
        QTest::newRow("edit talkgroups") << "EditTalkGroups"
                                         << "\"Edit Talkgroups\"";
        QTest::newRow("trunk type") << "TrunkType"
                                    << "\"Edit TrunkType\"";
        QTest::newRow("online search") << "GetRemoteFreqs"
                                       << "\"Connect to OrvFreqs\"";
        QTest::newRow("backup") << "Backup"
                                << "\"Backup Scanner to PC\"";
        QTest::newRow("restore") << "Restore"
                                 << "\"Restore PC to Scanner\"";
        QTest::newRow("trunked bank type") << "SetTrunkedBankType"
                                           << "\"Set Trunked Bank Type\"";
    }

    void laterFeature_saysSo() {
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        auto* action = m_window->findChild<QAction*>(entry);
        QVERIFY(action);
        action->trigger();
        QCOMPARE(m_prompter->count(QStringLiteral("inform")), 1);
        QVERIFY2(m_prompter->calls().last().text.contains(caption), qPrintable(m_prompter->calls().last().text));
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

    void lamps_carryTheirOwnTooltips() {
        waitForPolling();
        // The in-process scanner raises both modem lines: each lamp names its own, Label8 the DSR.
        QTRY_COMPARE(m_window->findChild<QWidget*>(QStringLiteral("lampCTS"))->toolTip(),
                     QStringLiteral("CTS Signal is high"));
        QCOMPARE(m_window->findChild<QWidget*>(QStringLiteral("lampDSR"))->toolTip(),
                 QStringLiteral("DSR Signal is high"));
        QCOMPARE(m_window->findChild<QWidget*>(QStringLiteral("Label8"))->toolTip(),
                 QStringLiteral("DSR Signal is high"));
        QCOMPARE(m_window->findChild<QWidget*>(QStringLiteral("lampPort"))->toolTip(),
                 QStringLiteral("COM Port is open"));
    }

    void fileExit_asksToQuit() {
        QSignalSpy quit(m_controller.get(), &FaceplateController::quitRequested);
        auto* entry = m_window->findChild<QAction*>(QStringLiteral("File_Exit"));
        QVERIFY(entry);
        entry->trigger();
        QCOMPARE(quit.count(), 1);
    }

    void liveScreenshot_savedAsFaceplateLivePng() {
        waitForPolling();
        m_simulator->startActivity();
        // The first scripted stop: a channel and its frequency on the display.
        QTRY_VERIFY_WITH_TIMEOUT(!m_session->display().text(QStringLiteral("tbChan")).isEmpty(), 10000);
        const QString folder = qEnvironmentVariable("VALDORIA_SCREENSHOT_DIR", QDir::currentPath());
        const QString path = QDir(folder).filePath(QStringLiteral("faceplate-live.png"));
        QVERIFY(m_window->grab().save(path));
    }
};

QTEST_MAIN(TestFaceplateController)
#include "test_faceplatecontroller.moc"
