// The whole program without windows: a Session on the in-process simulator, its TCP host on
// loopback, its database and logs in a temporary folder.
#include "ActivityScript.h"
#include "DemoNames.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimulatedScanner.h"
#include "Simulator.h"
#include "SimulatorTransport.h"
#include "monitor/DisplayModel.h"
#include "monitor/FaceplateActions.h"
#include "monitor/Monitor.h"
#include "remote/TcpHost.h"
#include "session/Session.h"
#include "state/Switches.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

// A scan stop every few script seconds; the time scale makes a script second 20 ms.
constexpr double kTimeScale = 0.02;

struct Rig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    Simulator simulator{Simulator::createModel(QStringLiteral("pro2052"))};
    QStringList commands;
    std::unique_ptr<Session> session;

    Rig() {
        QString error;
        simulator.loadScript(ActivityScript::defaultScript(), &error);
        simulator.setTimeScale(kTimeScale);
        QObject::connect(&simulator, &Simulator::commandReceived,
                         [this](const QString& command) { commands << command; });
        SessionOptions options;
        options.appFolder = dir.path();
        options.device = QStringLiteral("simulator");
        options.rememberDevice = false;
        options.remotePort = 0;
        options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
        options.transport = new SimulatorTransport(&simulator);
        session = std::make_unique<Session>(options, prompter);
    }

    void nameTheChannels() { DemoNames::seed(session->database(), ActivityScript::defaultScript()); }
};

} // namespace

class TestSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void start_detectsScanModeAndPolls();
    void start_createsTheDatabase();
    void start_setsHoldLimitAndScanDelayForTheSpeed_data();
    void start_setsHoldLimitAndScanDelayForTheSpeed();
    void simulatedStops_showOnDisplayAndReachRemoteClient();
    void remoteCommand_reachesScanner();
    void scanLog_fillsWhileSwitchedOn();
    void demoNames_seedOnlyMissingRows();
};

void TestSession::start_detectsScanModeAndPolls() {
    Rig rig;
    rig.session->start();
    QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
    // The scan-mode start-up: the mode's query, the reporting switches, then the status queries.
    QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("SI")), 5000);
    const int md = rig.commands.indexOf(QStringLiteral("MD"));
    const int quickOn = rig.commands.indexOf(QStringLiteral("QUN"));
    const int si = rig.commands.indexOf(QStringLiteral("SI"));
    QVERIFY(md >= 0);
    QVERIFY(md < quickOn);
    QVERIFY(quickOn < si);
    QCOMPARE(rig.commands.mid(quickOn, 4),
             QStringList({QStringLiteral("QUN"), QStringLiteral("IDF"), QStringLiteral("MUA"), QStringLiteral("FIF")}));
    QCOMPARE(rig.session->display().text(QStringLiteral("tbMUTE")), QStringLiteral("MUTE AUTO"));
    QVERIFY(rig.session->display().text(QStringLiteral("StatusLine")).contains(QStringLiteral("OPENED at 19200")));
    QCOMPARE(rig.prompter.calls().size(), 0);
}

void TestSession::start_createsTheDatabase() {
    Rig rig;
    rig.session->start();
    QVERIFY(QFile::exists(rig.session->state().gDbPath));
    QVERIFY(rig.session->state().gDbPath.endsWith(QStringLiteral("/Data/ValdoriaPro.mdb")));
    QCOMPARE(rig.session->database().rowCount(QStringLiteral("BANKTYPES")), 20);
}

void TestSession::start_setsHoldLimitAndScanDelayForTheSpeed_data() {
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("scanDelay");
    QTest::newRow("19200") << "19200" << 2;
    QTest::newRow("9600") << "9600" << 3;
}

void TestSession::start_setsHoldLimitAndScanDelayForTheSpeed() {
    QFETCH(QString, speed);
    QFETCH(int, scanDelay);
    Rig rig;
    rig.session->settings().setComSpeed(speed);
    rig.session->switches().setScanDelay(0);
    rig.session->state().gSearchHoldLimit = 0;
    rig.session->start();
    QCOMPARE(rig.session->switches().scanDelay(), scanDelay);
    QCOMPARE(int(rig.session->state().gSearchHoldLimit), 900);
}

void TestSession::simulatedStops_showOnDisplayAndReachRemoteClient() {
    Rig rig;
    rig.session->start();
    QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
    rig.session->aux().setWindowVisible(true);
    rig.nameTheChannels();

    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), rig.session->remote().serverPort());
    QVERIFY(client.waitForConnected(3000));
    QTRY_VERIFY(rig.session->remote().isClientConnected());

    rig.simulator.startActivity();
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
    QTRY_VERIFY((received += client.readAll()).contains("AUX4Simulated scanner\r"));
    // A name from the bank table: the stop's channel is one the simulator has programmed.
    QVERIFY(received.contains("AUX3"));
}

void TestSession::remoteCommand_reachesScanner() {
    Rig rig;
    rig.session->start();
    QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), rig.session->remote().serverPort());
    QVERIFY(client.waitForConnected(3000));
    QTRY_VERIFY(rig.session->remote().isClientConnected());
    client.write("CMD:KEY01\r");
    QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("KEY01")), 3000);
    // The relayed key put the scanner in manual mode; the next detection follows it there.
    rig.session->monitor().checkMode();
    QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 1, 5000);
    QTRY_COMPARE(rig.session->display().text(QStringLiteral("tbMANUAL")), QStringLiteral("MANUAL"));
}

void TestSession::scanLog_fillsWhileSwitchedOn() {
    Rig rig;
    rig.session->start();
    QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
    rig.session->monitor().actions().toggleScanLogging();
    QVERIFY(rig.session->switches().scanLogging());
    rig.simulator.startActivity();
    const QString logFolder = rig.dir.filePath(QStringLiteral("LOGS/SCAN"));
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(logFolder).entryList(QDir::Files).isEmpty(), 15000);
    QFile log(QDir(logFolder).filePath(QDir(logFolder).entryList(QDir::Files).first()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QVERIFY(lines.first().endsWith('\r'));
    // channel, frequency, time, modulation, tag 1, tag 2
    QCOMPARE(lines.first().count(','), 5);
}

void TestSession::demoNames_seedOnlyMissingRows() {
    Rig rig;
    QVERIFY(rig.session->database().open());
    QVERIFY(rig.session->database().insertRow(
        QStringLiteral("BANK01"),
        {{QStringLiteral("CHANNEL"), 5}, {QStringLiteral("COMPANY_NAME"), QStringLiteral("Mine")}}));
    const QString script = QStringLiteral("program 5 460.1250 priority City police\n"
                                          "program 1000 1240.0000 23 cm beacon\n"
                                          "program 7 0 Empty\n"
                                          "stop 5 3\n");
    QCOMPARE(DemoNames::seed(rig.session->database(), script), 1);
    const RowLookup kept = rig.session->database().findBankChannel(1, 5);
    QVERIFY(kept.row);
    QCOMPARE(kept.row->value(QStringLiteral("COMPANY_NAME")).toString(), QStringLiteral("Mine"));
    const RowLookup added = rig.session->database().findBankChannel(20, 1000);
    QVERIFY(added.row);
    QCOMPARE(added.row->value(QStringLiteral("COMPANY_NAME")).toString(), QStringLiteral("23 cm beacon"));
    QCOMPARE(added.row->value(QStringLiteral("FREQUENCY")).toDouble(), 1240.0);
}

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
