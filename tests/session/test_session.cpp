// The whole program without windows: a Session on the in-process simulator, its TCP host on
// loopback, its database and logs in a temporary folder.
#include "ActivityScript.h"
#include "DemoNames.h"
#include "PtyHost.h"
#include "SessionRig.h"
#include "Settings.h"
#include "link/CommandCodeCheck.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "monitor/DisplayModel.h"
#include "monitor/FaceplateActions.h"
#include "monitor/KeyHandlers.h"
#include "monitor/ModeDetector.h"
#include "monitor/Monitor.h"
#include "monitor/PollCycle.h"
#include "protocol/Commands.h"
#include "remote/TcpHost.h"
#include "state/ScannerProfile.h"
#include "state/Switches.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>

class TestSession : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    void initTestCase() {
        // The faceplates' own settings files, kept out of the user's and new for every run: a file an earlier
        // run left would hold the values looked for.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }

    void faceplates_keepTheirOwnPortSettings() {
        Settings pro(ScannerProfile::forModel(ScannerModel::Pro2052).settingsName);
        Settings bc(ScannerProfile::forModel(ScannerModel::Bc780xlt).settingsName);
        pro.setComPort(QStringLiteral("2"));
        bc.setComPort(QStringLiteral("4"));
        pro.sync();
        bc.sync();
        // The names the settings have always been kept under.
        QCOMPARE(Settings(QStringLiteral("Valdoria2052/Pro")).comPort(), QStringLiteral("2"));
        QCOMPARE(Settings(QStringLiteral("VDPro2052")).comPort(), QStringLiteral("4"));
    }

    // The BC780XLT on a pseudo-terminal: its start-up queries, a channel on the LCD, a key reaching it.
    void bc780OnAPty_startsUpShowsAChannelAndTakesKeys() {
        QTemporaryDir links;
        const QString device = links.filePath(QStringLiteral("ttyBc%1").arg(QCoreApplication::applicationPid()));
        SessionRig rig(device, QStringLiteral("bc780xlt"));
        QString error;
        QVERIFY(rig.simulator.model().configure({QStringLiteral("mode"), QStringLiteral("1")}, &error));
        PtyHost pty(&rig.simulator);
        QVERIFY2(pty.open(), qPrintable(pty.errorText()));
        QVERIFY(QFile::link(pty.devicePath(), device));
        Session& session = *rig.session;
        session.start();
        QTRY_COMPARE_WITH_TIMEOUT(session.display().text(QStringLiteral("tbfreq")), QStringLiteral("154.2500"), 5000);
        // The scanner's own alpha tag for the channel, on the LCD's third line.
        QTRY_COMPARE_WITH_TIMEOUT(session.display().text(QStringLiteral("Text2"), 3), QStringLiteral("CO FIRE"), 5000);
        // After the mode query its start-up queries, ended by the display light's.
        const qsizetype mute = rig.commands.indexOf(QStringLiteral("MUA"));
        QVERIFY(mute > rig.commands.indexOf(QStringLiteral("MD")));
        QCOMPARE(rig.commands.mid(mute, 4), QStringList({"MUA", "IDN", "QUN", "LCD FRQ"}));
        QCOMPARE(rig.commands.value(mute + 26), QStringLiteral("LTD"));

        session.monitor().keys().press(KeyHandlers::Button::Light);
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("LTN")), 5000);
    }

    void start_detectsScanModeAndSetsUpForTheSpeed_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("scanDelay");
        QTest::newRow("19200") << "19200" << 2;
        QTest::newRow("9600") << "9600" << 3;
    }

    void start_detectsScanModeAndSetsUpForTheSpeed() {
        QFETCH(QString, speed);
        QFETCH(int, scanDelay);
        SessionRig rig;
        rig.session->settings().setComSpeed(speed);
        rig.session->switches().setScanDelay(0);
        rig.session->state().gSearchHoldLimit = 0;
        rig.session->start();
        QCOMPARE(rig.session->switches().scanDelay(), scanDelay);
        QCOMPARE(int(rig.session->state().gSearchHoldLimit), 900);
        QVERIFY(QFile::exists(rig.session->state().gDbPath));
        QVERIFY(rig.session->state().gDbPath.endsWith(QStringLiteral("/Data/ValdoriaPro.mdb")));
        QCOMPARE(rig.session->database().rowCount(QStringLiteral("BANKTYPES")), 20);
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
        // The scan-mode start-up: the mode's query, the reporting switches, then the status queries.
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("SI")), 5000);
        const qsizetype md = rig.commands.indexOf(QStringLiteral("MD"));
        const qsizetype quickOn = rig.commands.indexOf(QStringLiteral("QUN"));
        QVERIFY(md >= 0 && md < quickOn && quickOn < rig.commands.indexOf(QStringLiteral("SI")));
        QCOMPARE(rig.commands.mid(quickOn, 4).join(QLatin1Char(' ')), QStringLiteral("QUN IDF MUA FIF"));
        QCOMPARE(rig.session->display().text(QStringLiteral("tbMUTE")), QStringLiteral("MUTE AUTO"));
        QVERIFY(
            rig.session->display().text(QStringLiteral("StatusLine")).contains(QStringLiteral("OPENED at ") + speed));
        QCOMPARE(rig.prompter.calls().size(), 0);
    }

    // One end-to-end path: stops reach the scan log, named even while the aux display is closed (the parser's
    // names live on that display), then the aux lines of a remote client; a key from the client reaches the scanner.
    void simulatedStops_reachLogAndRemoteClient() {
        SessionRig rig;
        rig.session->start();
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
        DemoNames::seed(rig.session->database(), ActivityScript::defaultScript());
        rig.session->monitor().actions().toggleScanLogging();
        QVERIFY(rig.session->switches().scanLogging());
        QVERIFY(!rig.session->aux().windowVisible());
        rig.simulator.startActivity();
        const QDir logs(rig.dir.filePath(QStringLiteral("LOGS/SCAN")));
        QTRY_VERIFY_WITH_TIMEOUT(!logs.entryList(QDir::Files).isEmpty(), 15000);
        QFile log(logs.filePath(logs.entryList(QDir::Files).first()));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray line = log.readLine();
        QVERIFY(line.endsWith("\r\n"));
        // channel, frequency, time, modulation, tag 1, tag 2
        const QStringList fields = QString::fromLatin1(line.trimmed()).split(QLatin1Char(','));
        QCOMPARE(fields.size(), 6);
        QCOMPARE(fields.value(0), QStringLiteral("001"));
        QCOMPARE(fields.mid(4), QStringList({"Marion County Fire District", "CO FIRE"}));

        rig.session->aux().setWindowVisible(true);
        QTcpSocket client;
        client.connectToHost(QStringLiteral("127.0.0.1"), rig.session->remote().serverPort());
        QVERIFY(client.waitForConnected(3000));
        QTRY_VERIFY(rig.session->remote().isClientConnected());
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll()).contains("AUX2CHAN: "), 15000);
        // A stop shows its frequency on the main line, as a message of its own, before naming it on the aux display.
        const QList<QByteArray> messages = received.split('\r');
        const auto named = std::find_if(messages.cbegin(), messages.cend(),
                                        [](const QByteArray& m) { return m.startsWith("AUX1FREQ: "); });
        QVERIFY(named != messages.cend());
        const QByteArray freq = named->mid(10);
        QVERIFY2(!freq.isEmpty() && messages.indexOf(freq) >= 0 && messages.indexOf(freq) < named - messages.cbegin(),
                 received.constData());
        // A name from the bank table: the stop's channel is one the simulator has programmed.
        QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll()).contains("AUX4CO FIRE\r"), 15000);
        QVERIFY(received.contains("AUX3"));

        client.write("CMD:KEY01\r");
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("KEY01")), 3000);
        // The relayed key put the scanner in manual mode; the next detection follows it there.
        rig.session->monitor().checkMode();
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 1, 5000);
        QTRY_COMPARE(rig.session->display().text(QStringLiteral("tbMANUAL")), QStringLiteral("MANUAL"));
    }

    void commandCheck_everyEndGivesTheFaceplateBack_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("port closed: cannot start") << "closed";
        QTest::newRow("LOGS not writable: cannot start") << "logs";
        QTest::newRow("port lost mid-run") << "lost";
        QTest::newRow("cancelled") << "cancel";
        QTest::newRow("finished") << "finish";
    }

    // However the check ends, mode detection takes the faceplate back: a suspended poll cycle froze it.
    void commandCheck_everyEndGivesTheFaceplateBack() {
        QFETCH(QString, end);

        SessionRig rig;
        Session& session = *rig.session;
        session.portSetup().setReconnectIntervalMs(20);
        session.commandCheck().setPairWaitMs(1);
        session.start();
        QTRY_COMPARE_WITH_TIMEOUT(int(session.state().gMode), 0, 5000);
        if (end == QLatin1String("closed"))
            session.link().closePort();
        QFile logsInTheWay(rig.dir.filePath(QStringLiteral("LOGS")));
        if (end == QLatin1String("logs"))
            QVERIFY(logsInTheWay.open(QIODevice::WriteOnly));
        QSignalSpy progress(&session.commandCheck(), &CommandCodeCheck::progress);
        QSignalSpy detections(&session.monitor().detector(), &ModeDetector::detectionStarted);

        session.runCommandCheck();
        if (end == QLatin1String("lost") || end == QLatin1String("cancel")) {
            QTRY_VERIFY(progress.count() >= 5);
            QCOMPARE(detections.count(), 0);
            if (end == QLatin1String("lost"))
                rig.simulator.injectFault(Simulator::Fault::HangUp);
            else
                session.commandCheck().cancel();
        }
        QTRY_VERIFY_WITH_TIMEOUT(detections.count() > 0, 10000);
        QVERIFY(!session.monitor().poll().isSuspended());
        if (end == QLatin1String("closed"))
            return; // detection waits for the scanner; its not-connected box follows
        // The port is back (a lost one by itself): the mode is detected and polling runs again.
        QTRY_VERIFY_WITH_TIMEOUT(session.state().gMode < ModeCode::CommandCheck, 5000);
        QTRY_VERIFY(session.monitor().poll().isRunning());
    }

    void pulledAdapter_reconnectsWhenItIsBack_data() {
        QTest::addColumn<bool>("byTimer"); // else by the OK of the not-connected box
        QTest::newRow("the lost port looks for its device") << true;
        QTest::newRow("the not-connected box's OK reopens the port") << false;
    }

    // The scanner on a pseudo-terminal behind a fixed name, as udev gives an adapter: pulling it (a hang-up)
    // closes the line, plugging it in makes a new one under the same name.
    void pulledAdapter_reconnectsWhenItIsBack() {
        QFETCH(bool, byTimer);

        QTemporaryDir links;
        const QString device = links.filePath(QStringLiteral("ttyScanner%1").arg(QCoreApplication::applicationPid()));
        SessionRig rig(device);
        PtyHost pty(&rig.simulator);
        QVERIFY2(pty.open(), qPrintable(pty.errorText()));
        QVERIFY(QFile::link(pty.devicePath(), device));
        Session& session = *rig.session;
        session.portSetup().setReconnectIntervalMs(byTimer ? 50 : 3600 * 1000);
        session.start();
        QTRY_COMPARE_WITH_TIMEOUT(int(session.state().gMode), 0, 5000);

        rig.simulator.injectFault(Simulator::Fault::HangUp);
        QTRY_VERIFY_WITH_TIMEOUT(!session.link().isOpen(), 5000);
        // While the link is down the display is dead and the status line says why.
        QVERIFY(session.display().isDimmed());
        QVERIFY2(session.display().text(QStringLiteral("StatusLine")).startsWith(QLatin1String("NO LINK - COMM PORT")),
                 qPrintable(session.display().text(QStringLiteral("StatusLine"))));
        QVERIFY(QFile::remove(device));
        QVERIFY(pty.open());
        QVERIFY(QFile::link(pty.devicePath(), device));
        QSignalSpy detected(&session.monitor().detector(), &ModeDetector::modeDetected);
        if (!byTimer) {
            // A key that changes the mode asks for detection; nobody answers on the closed port.
            session.monitor().checkMode();
            QTRY_VERIFY_WITH_TIMEOUT(rig.prompter.count(QStringLiteral("inform")) == 1, 10000);
            QCOMPARE(rig.prompter.calls().constLast().text,
                     "The scanner doesn't appear to be connected to the PC\r\nPlease verify that the radio is "
                     "connected to the correct COM port\r\nand that the scanner is in SOFTWARE CONTROL MODE\r\n\r\n"
                     "Click OK to retry connection\r\n");
        }
        QTRY_COMPARE_WITH_TIMEOUT(detected.count(), 1, 5000);
        QCOMPARE(detected.first().at(0).toInt(), 0);
        QVERIFY(session.monitor().poll().isRunning());
        QVERIFY(!session.display().isDimmed());
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
