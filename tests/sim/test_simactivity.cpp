#include "SimOutput.h"
#include "SimulatedScanner.h"
#include "Simulator.h"

#include <QTest>

class TestSimActivity : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void event_reportsWhatTheScannerWouldSend_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("sent");
        const auto row = [](const char* name, const char* script, const char* commands, const char* sent) {
            QTest::newRow(name) << QString::fromLatin1(script) << linesOf(commands) << linesOf(sent);
        };
        const char* call = "ID S 001234 08510125|ID E 001234 08510125|END";
        row("scan stop", "1 stop 5 2", "", "+|-|END");
        row("locked-out channel is passed", "1 stop 21 2", "", "END");
        row("empty channel is passed", "1 stop 61 2", "", "END");
        row("bank not scanned is passed", "1 stop 1000 2", "", "END");
        row("stop needs scan mode", "1 stop 5 2", "KEY01", "END");
        row("hit in search", "1 hit 154.4300 2", "KEY09", "+|-|END");
        row("hit needs search mode", "1 hit 154.4300 2", "", "END");
        row("call in trunk tracking", "mode 9\n1 call 1234 851.0125 2", "", call);
        row("call without frequency after FIF", "mode 9\n1 call 1234 851.0125 2", "FIF", "ID S 001234|ID E 001234|END");
        row("call unreported after IDF", "mode 9\n1 call 1234 851.0125 2", "IDF", "END");
        row("call needs a trunk mode", "1 call 1234 851.0125 2", "", "END");
        row("ID scan hears stored IDs", "mode 11\n1 call 4567 852.0125 2", "",
            "ID S 004567 08520125|ID E 004567 08520125|END");
        row("ID scan skips unknown IDs", "mode 11\n1 call 9876 851.5125 2", "", "END");
        row("ID scan skips banks off the list", "mode 11\nidbanks A\n1 call 4567 852.0125 2", "", "END");
        row("ID hold hears the held ID", "mode 12\n1 call 1234 851.0125 2", "", call);
        row("ID hold ignores other IDs", "mode 12\n1 call 2345 851.2625 2", "", "END");
        row("dropped line", "1 fault drop\n1 stop 5 2", "", "-|END");
        row("raw line", "1 send ID S 000042", "", "ID S 000042|END");
    }

    void event_reportsWhatTheScannerWouldSend() {
        QFETCH(QString, script);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, sent);

        Simulator simulator;
        SimOutput out(simulator);
        QVERIFY(out.play(script + QStringLiteral("\nrepeat off\n1 send END\n"), commands));
        QTRY_VERIFY(out.lines.contains(QStringLiteral("END")));
        QCOMPARE(out.lines, sent);
    }

    void duringEvent_commandsAnswerAsTheScanner_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("reported");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("replies");
        const auto row = [](const char* name, const char* script, const char* before, const char* reported,
                            const char* commands, const char* replies) {
            QTest::newRow(name) << QString::fromLatin1(script) << linesOf(before) << linesOf(reported)
                                << linesOf(commands) << linesOf(replies);
        };
        const char* hit = "0 hit 154.4300 1000";
        row("scan stop: channel, status, mode; SKIP ends it", "0 stop 14 1000", "", "+", "MA|SQ|SI|MD|KEY06|SQ",
            "C014 F01568000 TF DF LF PRI F|N|+|MD00|-|N");
        row("search hit: frequency and modulation", "0 hit 118.3500 1000", "KEY09", "+", "RM|WI",
            "RM AM|WI F  01183500");
        row("SRCH moves on from a hit", hit, "KEY09", "+", "KEY09|SI", "-|-");
        row("HOLD keeps the hit", hit, "KEY09", "+", "KEY07|SI", "+");
        row("SCAN leaves the hit unreported", hit, "KEY09", "+", "KEY00|SI", "-");
        row("squelch reports off: status still tells", "0 stop 5 1000", "QUF", "", "SQ|SQ", "+|N");
        row("ID scan call: ID channel and bank follow it", "mode 11\n0 call 5678 852.2625 1000", "",
            "ID S 005678 08522625", "IC|TB|RM", "IC B02005678|TB B MOT TYPE II|RM NFM");
        // The silence outlasts the test by far: no timer decides what is hidden.
        row("silence hides the stop, its answers and its end", "0 fault silence 1000\n0 stop 5 1000", "", "",
            "SQ|MA|KEY06", "");
    }

    void duringEvent_commandsAnswerAsTheScanner() {
        QFETCH(QString, script);
        QFETCH(QStringList, before);
        QFETCH(QStringList, reported);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, replies);

        Simulator simulator;
        SimOutput out(simulator);
        QVERIFY(out.play(QStringLiteral("repeat off\n") + script, before));
        QTRY_VERIFY(simulator.model().activityRunning());
        QCOMPARE(out.lines, reported);
        QStringList answered;
        for (const QString& command : commands)
            answered += out.ask(command);
        QCOMPARE(answered, replies);
    }

    // The BC780XLT tells a stop while scanning with the channel's line, whose flags and tags the LCD shows.
    void bc780Stop_tellsTheChannelAndItsTags() {
        Simulator simulator(Simulator::createModel(QStringLiteral("bc780xlt")));
        SimOutput out(simulator);
        QVERIFY(
            out.play(QStringLiteral("repeat off\nprogram 5 460.1250 priority City police dispatch\n0 stop 5 1000\n")));
        QTRY_VERIFY(simulator.model().activityRunning());
        QCOMPARE(out.lines, (QStringList{"+", "C005 F04601250 TF DF LF AN PN"}));
        QCOMPARE(out.ask(QStringLiteral("LCD LINE1")) + out.ask(QStringLiteral("LCD LINE2")),
                 (QStringList{"LINE1 [City police disp]", "LINE2 [CH 005]"}));
    }

    void stopActivity_endsARunningEvent() {
        Simulator simulator;
        SimOutput out(simulator);
        QVERIFY(out.play(QStringLiteral("0 stop 5 1000\n")));
        QTRY_COMPARE(out.lines, QStringList{"+"});
        simulator.stopActivity();
        QCOMPARE(out.lines, (QStringList{"+", "-"}));
        QVERIFY(!simulator.activityRunning());
    }

    void repeat_playsTheScriptAgain() {
        Simulator simulator;
        SimOutput out(simulator);
        QVERIFY(out.play(QStringLiteral("1 stop 5 1\n")));
        QTRY_VERIFY(out.lines.size() >= 6);
        QCOMPARE(out.lines.mid(0, 6), (QStringList{"+", "-", "+", "-", "+", "-"}));
    }
};

QTEST_GUILESS_MAIN(TestSimActivity)
#include "test_simactivity.moc"
