#include "SimOutput.h"
#include "SimulatedScanner.h"
#include "Simulator.h"

#include <QTest>

namespace {

// Loads the script, sends the commands, then plays it with a script second lasting ten milliseconds.
bool play(Simulator& simulator, SimOutput& out, const QString& script, const QStringList& commands = {}) {
    QString error;
    if (!simulator.loadScript(script, &error))
        return false;
    for (const QString& command : commands)
        out.ask(command);
    simulator.setTimeScale(0.01);
    simulator.startActivity();
    return true;
}

} // namespace

class TestSimActivity : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void event_reportsWhatTheScannerWouldSend_data();
    void event_reportsWhatTheScannerWouldSend();
    void duringEvent_commandsAnswerAsTheScanner_data();
    void duringEvent_commandsAnswerAsTheScanner();
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
    QTest::newRow("hit needs search mode") << "1 hit 154.4300 2" << none << QStringList{"END"};
    QTest::newRow("call in trunk tracking")
        << "mode 9\n1 call 1234 851.0125 2" << none << QStringList{start, end, "END"};
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
    QVERIFY(play(simulator, out, script + QStringLiteral("\nrepeat off\n1 send END\n"), commands));
    QTRY_VERIFY(out.lines.contains(QStringLiteral("END")));
    QCOMPARE(out.lines, lines);
}

void TestSimActivity::duringEvent_commandsAnswerAsTheScanner_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("replies");

    const QString hit = QStringLiteral("0 hit 154.4300 1000");
    const QStringList search{"KEY09"};
    const QStringList open{"+"};
    QTest::newRow("scan stop: channel, status, mode; SKIP ends it")
        << "0 stop 14 1000" << QStringList{} << open << QStringList{"MA", "SQ", "SI", "MD", "KEY06", "SQ"}
        << QStringList{"C014 F01568000 TF DF LF PRI F", "N", "+", "MD00", "-", "N"};
    QTest::newRow("search hit: frequency and modulation")
        << "0 hit 118.3500 1000" << search << open << QStringList{"RM", "WI"} << QStringList{"RM AM", "WI F  01183500"};
    QTest::newRow("SRCH moves on from a hit")
        << hit << search << open << QStringList{"KEY09", "SI"} << QStringList{"-", "-"};
    QTest::newRow("HOLD keeps the hit") << hit << search << open << QStringList{"KEY07", "SI"} << QStringList{"+"};
    QTest::newRow("SCAN leaves the hit unreported")
        << hit << search << open << QStringList{"KEY00", "SI"} << QStringList{"-"};
    QTest::newRow("squelch reports off: status still tells")
        << "0 stop 5 1000" << QStringList{"QUF"} << QStringList{} << QStringList{"SQ", "SQ"} << QStringList{"+", "N"};
    QTest::newRow("ID scan call: ID channel and bank follow it")
        << "mode 11\n0 call 5678 852.2625 1000" << QStringList{} << QStringList{"ID S 005678 08522625"}
        << QStringList{"IC", "TB", "RM"} << QStringList{"IC B02005678", "TB B MOT TYPE II", "RM NFM"};
}

void TestSimActivity::duringEvent_commandsAnswerAsTheScanner() {
    QFETCH(QString, script);
    QFETCH(QStringList, before);
    QFETCH(QStringList, reported);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, replies);

    Simulator simulator;
    SimOutput out(simulator);
    QVERIFY(play(simulator, out, QStringLiteral("repeat off\n") + script, before));
    QTRY_VERIFY(simulator.model().activityRunning());
    QCOMPARE(out.lines, reported);
    QStringList answered;
    for (const QString& command : commands)
        answered += out.ask(command);
    QCOMPARE(answered, replies);
}

void TestSimActivity::stopActivity_endsARunningEvent() {
    Simulator simulator;
    SimOutput out(simulator);
    QVERIFY(play(simulator, out, QStringLiteral("0 stop 5 1000\n")));
    QTRY_COMPARE(out.lines, QStringList{"+"});
    simulator.stopActivity();
    QCOMPARE(out.lines, (QStringList{"+", "-"}));
    QVERIFY(!simulator.activityRunning());
}

void TestSimActivity::repeat_playsTheScriptAgain() {
    Simulator simulator;
    SimOutput out(simulator);
    QVERIFY(play(simulator, out, QStringLiteral("1 stop 5 1\n")));
    QTRY_VERIFY(out.lines.size() >= 6);
    QCOMPARE(out.lines.mid(0, 6), (QStringList{"+", "-", "+", "-", "+", "-"}));
}

QTEST_GUILESS_MAIN(TestSimActivity)
#include "test_simactivity.moc"
