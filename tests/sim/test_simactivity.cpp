#include "Pro2052Model.h"
#include "SimOutput.h"
#include "Simulator.h"

#include <QTest>

namespace {

// A script second lasts ten milliseconds.
constexpr double kFast = 0.01;

} // namespace

class TestSimActivity : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void event_reportsWhatTheScannerWouldSend_data();
    void event_reportsWhatTheScannerWouldSend();
    void scanStop_channelQueryAnswersStoppedChannel();
    void scanStop_skipEndsTheStopAtOnce();
    void searchHit_frequencyQueryAnswersTheHit();
    void searchHit_srchMovesOnAndHoldKeepsIt_data();
    void searchHit_srchMovesOnAndHoldKeepsIt();
    void squelchReportsOff_statusQueryStillTells();
    void idScanCall_idChannelFollowsTheCall();
    void stopActivity_endsARunningEvent();
    void repeat_playsTheScriptAgain();
};

void TestSimActivity::event_reportsWhatTheScannerWouldSend_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("lines");

    const QStringList none;
    const QString start = QStringLiteral("ID S 001234 08510125");
    const QString end = QStringLiteral("ID E 001234 08510125");
    QTest::newRow("scan stop") << "1 stop 5 2" << none << QStringList{"+", "-", "END"};
    QTest::newRow("locked-out channel is passed") << "1 stop 21 2" << none << QStringList{"END"};
    QTest::newRow("empty channel is passed") << "1 stop 61 2" << none << QStringList{"END"};
    QTest::newRow("bank not scanned is passed") << "1 stop 1000 2" << none << QStringList{"END"};
    QTest::newRow("stop needs scan mode") << "1 stop 5 2" << QStringList{"KEY01"} << QStringList{"END"};
    QTest::newRow("hit in search") << "1 hit 154.4300 2" << QStringList{"KEY09"} << QStringList{"+", "-", "END"};
    QTest::newRow("hit in held search") << "1 hit 154.4300 2" << QStringList{"KEY09", "KEY07"}
                                        << QStringList{"+", "-", "END"};
    QTest::newRow("hit needs search mode") << "1 hit 154.4300 2" << none << QStringList{"END"};
    QTest::newRow("call in trunk tracking")
        << "mode 9\n1 call 1234 851.0125 2" << none << QStringList{start, end, "END"};
    QTest::newRow("call in trunk hold") << "mode 10\n1 call 1234 851.0125 2" << none << QStringList{start, end, "END"};
    QTest::newRow("call without frequency after FIF")
        << "mode 9\n1 call 1234 851.0125 2" << QStringList{"FIF"} << QStringList{"ID S 001234", "ID E 001234", "END"};
    QTest::newRow("call unreported after IDF")
        << "mode 9\n1 call 1234 851.0125 2" << QStringList{"IDF"} << QStringList{"END"};
    QTest::newRow("call needs a trunk mode") << "1 call 1234 851.0125 2" << none << QStringList{"END"};
    QTest::newRow("ID scan hears stored IDs") << "mode 11\n1 call 4567 852.0125 2" << none
                                              << QStringList{"ID S 004567 08520125", "ID E 004567 08520125", "END"};
    QTest::newRow("ID scan skips unknown IDs") << "mode 11\n1 call 9876 851.5125 2" << none << QStringList{"END"};
    QTest::newRow("ID scan skips banks off the list")
        << "mode 11\nidbanks A\n1 call 4567 852.0125 2" << none << QStringList{"END"};
    QTest::newRow("ID hold hears the held ID")
        << "mode 12\n1 call 1234 851.0125 2" << none << QStringList{start, end, "END"};
    QTest::newRow("ID hold ignores other IDs") << "mode 12\n1 call 2345 851.2625 2" << none << QStringList{"END"};
    QTest::newRow("dropped line") << "1 fault drop\n1 stop 5 2" << none << QStringList{"-", "END"};
    QTest::newRow("silence hides the stop")
        << "1 fault silence 2\n0 stop 5 0.5\n2 mode 0" << none << QStringList{"END"};
    QTest::newRow("raw line") << "1 send ID S 000042" << none << QStringList{"ID S 000042", "END"};
}

void TestSimActivity::event_reportsWhatTheScannerWouldSend() {
    QFETCH(QString, script);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, lines);

    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY2(simulator.loadScript(script + QStringLiteral("\nrepeat off\n1 send END\n"), &error), qPrintable(error));
    for (const QString& command : commands)
        out.ask(command);
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_VERIFY(out.lines.contains(QStringLiteral("END")));
    QCOMPARE(out.lines, lines);
}

void TestSimActivity::scanStop_channelQueryAnswersStoppedChannel() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("repeat off\n0 stop 14 1000\n"), &error));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_COMPARE(out.lines, QStringList{"+"});
    QCOMPARE(out.ask(QStringLiteral("MA")), QStringList{"C014 F01568000 TF DF LF PRI F"});
    QCOMPARE(out.ask(QStringLiteral("SQ")), QStringList{"N"});
    QCOMPARE(out.ask(QStringLiteral("SI")), QStringList{"+"});
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{"MD00"});
}

void TestSimActivity::scanStop_skipEndsTheStopAtOnce() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("repeat off\n0 stop 5 1000\n"), &error));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_COMPARE(out.lines, QStringList{"+"});
    QCOMPARE(out.ask(QStringLiteral("KEY06")), QStringList{"-"});
    QCOMPARE(out.ask(QStringLiteral("SQ")), QStringList{"N"});
}

void TestSimActivity::searchHit_frequencyQueryAnswersTheHit() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("repeat off\n0 hit 118.3500 1000\n"), &error));
    out.ask(QStringLiteral("KEY09"));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_COMPARE(out.lines, QStringList{"+"});
    QCOMPARE(out.ask(QStringLiteral("RM")), QStringList{"RM AM"});
    QCOMPARE(out.ask(QStringLiteral("WI")), QStringList{"WI F  01183500"});
}

void TestSimActivity::searchHit_srchMovesOnAndHoldKeepsIt_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("reply");
    QTest::addColumn<bool>("open");

    QTest::newRow("SRCH moves on") << "KEY09" << QStringList{"-"} << false;
    QTest::newRow("HOLD keeps the signal") << "KEY07" << QStringList{} << true;
    QTest::newRow("SCAN leaves it unreported") << "KEY00" << QStringList{} << false;
}

void TestSimActivity::searchHit_srchMovesOnAndHoldKeepsIt() {
    QFETCH(QString, key);
    QFETCH(QStringList, reply);
    QFETCH(bool, open);

    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("repeat off\n0 hit 154.4300 1000\n"), &error));
    out.ask(QStringLiteral("KEY09"));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_COMPARE(out.lines, QStringList{"+"});
    QCOMPARE(out.ask(key), reply);
    QCOMPARE(static_cast<Pro2052Model&>(simulator.model()).squelchOpen(), open);
}

void TestSimActivity::squelchReportsOff_statusQueryStillTells() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("repeat off\n0 stop 5 1000\n"), &error));
    out.ask(QStringLiteral("QUF"));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_VERIFY(simulator.model().activityRunning());
    QCOMPARE(out.lines, QStringList{});
    QCOMPARE(out.ask(QStringLiteral("SQ")), QStringList{"+"});
    QCOMPARE(out.ask(QStringLiteral("SQ")), QStringList{"N"});
}

void TestSimActivity::idScanCall_idChannelFollowsTheCall() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("mode 11\nrepeat off\n0 call 5678 852.2625 1000\n"), &error));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_COMPARE(out.lines, QStringList{"ID S 005678 08522625"});
    QCOMPARE(out.ask(QStringLiteral("IC")), QStringList{"IC B02005678"});
    QCOMPARE(out.ask(QStringLiteral("TB")), QStringList{"TB B MOT TYPE II"});
    QCOMPARE(out.ask(QStringLiteral("RM")), QStringList{"RM NFM"});
}

void TestSimActivity::stopActivity_endsARunningEvent() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("0 stop 5 1000\n"), &error));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_COMPARE(out.lines, QStringList{"+"});
    simulator.stopActivity();
    QCOMPARE(out.lines, (QStringList{"+", "-"}));
    QVERIFY(!simulator.activityRunning());
}

void TestSimActivity::repeat_playsTheScriptAgain() {
    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.loadScript(QStringLiteral("1 stop 5 1\n"), &error));
    simulator.setTimeScale(kFast);
    simulator.startActivity();
    QTRY_VERIFY(out.lines.size() >= 6);
    QCOMPARE(out.lines.mid(0, 6), (QStringList{"+", "-", "+", "-", "+", "-"}));
}

QTEST_GUILESS_MAIN(TestSimActivity)
#include "test_simactivity.moc"
