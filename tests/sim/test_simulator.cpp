#include "Pro2052Model.h"
#include "SimOutput.h"
#include "Simulator.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

class TestSimulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void command_answersAsTheScanner_data();
    void command_answersAsTheScanner();
    void keys_changeModeAsTheScanner_data();
    void keys_changeModeAsTheScanner();
    void line_carriesWhatTheScannerSends_data();
    void line_carriesWhatTheScannerSends();
    void silence_endsWhenClearedOrTimedOut();
    void script_faultyLineIsNamed_data();
    void script_faultyLineIsNamed();
    void scriptFile_setsUpTheScanner();
    void defaultScript_fillsChannelsOneToSixty();
};

void TestSimulator::command_answersAsTheScanner_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("reply");

    const QStringList none;
    const QString empty1 = QStringLiteral("C001 F00000000 TF DF LF PRI F");
    const QString channel3 = QStringLiteral("C003 F01554750 TF DF LF PRI F");
    // Replies are compared whole, so each field is checked at the position the program reads it from.
    QTest::newRow("mode after going to a channel") << QStringList{"MA010"} << "MD" << QStringList{"MD01"};
    QTest::newRow("current channel, priority")
        << QStringList{"MA005"} << "MA" << QStringList{"C005 F04601250 TF DF LF PRI N"};
    QTest::newRow("delay channel") << none << "MA001" << QStringList{"C001 F01542500 TF DN LF PRI F"};
    QTest::newRow("trunked channel") << none << "MA051" << QStringList{"C051 F08510125 TN DF LF PRI F"};
    QTest::newRow("MANUAL goes to typed 1000, shown as 000")
        << QStringList{"MA003", "KEY02 1", "KEY02 0", "KEY02 0", "KEY02 0", "KEY01"} << "MA"
        << QStringList{"C000 F12400000 TF DF LF PRI F"};
    QTest::newRow("typed 1001 is no channel")
        << QStringList{"MA003", "KEY02 1", "KEY02 0", "KEY02 0", "KEY02 1", "KEY01"} << "MA" << QStringList{channel3};
    QTest::newRow("typed 0 is no channel") << QStringList{"MA003", "KEY02 0", "KEY01"} << "MA" << QStringList{channel3};
    QTest::newRow("typed frequency is no channel")
        << QStringList{"MA003", "KEY02 1", "KEY03", "KEY02 5", "KEY01"} << "MA" << QStringList{channel3};
    QTest::newRow("digit in scan adds a bank") << QStringList{"KEY02 3"} << "SB" << QStringList{"SB ABC"};
    QTest::newRow("zero in scan is bank 10") << QStringList{"KEY02 0"} << "SB" << QStringList{"SB ABJ"};
    QTest::newRow("shifted digit is bank 13") << QStringList{"KEY14", "KEY02 3"} << "SB" << QStringList{"SB ABM"};
    QTest::newRow("the last bank stays") << QStringList{"KEY02 1", "KEY02 2"} << "SB" << QStringList{"SB B"};
    QTest::newRow("switches are not answered") << none << "QUF" << QStringList{};
    QTest::newRow("narrow FM") << QStringList{"MA001"} << "RM" << QStringList{"RM NFM"};
    QTest::newRow("aircraft band is AM") << QStringList{"MA011"} << "RM" << QStringList{"RM AM"};
    QTest::newRow("broadcast band is WFM") << QStringList{"MA021"} << "RM" << QStringList{"RM WFM"};
    QTest::newRow("search starts at the lower limit")
        << QStringList{"LL01555000", "KEY08"} << "WI" << QStringList{"WI F  01555000"};
    QTest::newRow("typed frequency moves the search")
        << QStringList{"KEY09", "KEY02 1", "KEY02 2", "KEY02 1", "KEY03", "KEY02 5", "KEY04"} << "WI"
        << QStringList{"WI F  01215000"};
    QTest::newRow("limits acknowledged") << none << "LU01600000" << QStringList{"OK"};
    QTest::newRow("channel delay off") << QStringList{"MA002"} << "DL" << QStringList{"DLF"};
    QTest::newRow("DLY key toggles the delay") << QStringList{"MA002", "KEY12"} << "DL" << QStringList{"DLN"};
    QTest::newRow("trunk type set by code") << QStringList{"TR B4"} << "TB" << QStringList{"TB B LTR"};
    QTest::newRow("unknown trunk type code") << none << "TR B9" << QStringList{"NG"};
    QTest::newRow("trunk type of bank U") << none << "TR U1" << QStringList{"NG"};
    QTest::newRow("ID scan banks") << none << "IS" << QStringList{"IS AB"};
    QTest::newRow("digit in ID hold picks the ID")
        << QStringList{"mode 12", "KEY02 2"} << "IC" << QStringList{"IC A02002345"};
    QTest::newRow("status without change") << none << "SQ" << QStringList{"N"};
    QTest::newRow("status asked afresh") << none << "SI" << QStringList{"-"};
    QTest::newRow("delay and lockout follow PM") << QStringList{"MA001", "PM007 04531000", "DLN", "LON"} << "MA007"
                                                 << QStringList{"C007 F04531000 TF DN LN PRI F"};
    QTest::newRow("eight zeros empty a channel") << QStringList{"PM001 00000000"} << "MA001" << QStringList{empty1};
    QTest::newRow("clear memory") << QStringList{"AC"} << "MA001" << QStringList{empty1};
    QTest::newRow("priority set") << QStringList{"PC A007"} << "MA007" << QStringList{"C007 F04532500 TF DF LF PRI N"};
    QTest::newRow("one priority channel per bank")
        << QStringList{"PC A007"} << "MA005" << QStringList{"C005 F04601250 TF DF LF PRI F"};
    QTest::newRow("unknown command") << none << "XYZ" << QStringList{"NG"};
    QTest::newRow("key code 15") << none << "KEY15" << QStringList{"NG"};
    QTest::newRow("digit key without digit") << none << "KEY02" << QStringList{"NG"};
    QTest::newRow("digit on a function key") << none << "KEY00 5" << QStringList{"NG"};
    QTest::newRow("two-digit channel") << none << "MA01" << QStringList{"NG"};
    QTest::newRow("seven frequency digits") << none << "PM001 0154250" << QStringList{"NG"};
    QTest::newRow("priority position 51") << none << "PC A051" << QStringList{"NG"};
    QTest::newRow("limit with letters") << none << "LL0155500x" << QStringList{"NG"};
}

void TestSimulator::command_answersAsTheScanner() {
    QFETCH(QStringList, before);
    QFETCH(QString, command);
    QFETCH(QStringList, reply);

    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    for (const QString& earlier : before) {
        // "mode N" turns the scanner's knob; everything else is a command.
        if (earlier.startsWith(QLatin1String("mode ")))
            QVERIFY(simulator.model().configure(earlier.split(QLatin1Char(' ')), &error));
        else
            out.ask(earlier);
    }
    QCOMPARE(out.ask(command), reply);
}

void TestSimulator::keys_changeModeAsTheScanner_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("mode");

    QTest::newRow("HOLD in scan goes manual") << 0 << QStringList{"KEY07"} << 1;
    QTest::newRow("SCAN from manual") << 1 << QStringList{"KEY00"} << 0;
    QTest::newRow("SRCH from scan") << 0 << QStringList{"KEY09"} << 2;
    QTest::newRow("HOLD holds the search") << 2 << QStringList{"KEY07"} << 3;
    QTest::newRow("HOLD releases the search") << 3 << QStringList{"KEY07"} << 2;
    QTest::newRow("LIMIT searches") << 1 << QStringList{"KEY08"} << 2;
    QTest::newRow("SVC") << 0 << QStringList{"KEY10"} << 4;
    QTest::newRow("HOLD holds service search") << 4 << QStringList{"KEY07"} << 5;
    QTest::newRow("TRUNK picks a trunk bank") << 0 << QStringList{"KEY13"} << 8;
    QTest::newRow("SCAN starts trunk tracking") << 8 << QStringList{"KEY00"} << 9;
    QTest::newRow("HOLD holds trunk tracking") << 9 << QStringList{"KEY07"} << 10;
    QTest::newRow("HOLD holds an ID") << 11 << QStringList{"KEY07"} << 12;
    QTest::newRow("SCAN releases an ID") << 12 << QStringList{"KEY00"} << 11;
    QTest::newRow("MANUAL in trunk tracking holds") << 9 << QStringList{"KEY01"} << 10;
    QTest::newRow("TRUNK then SCAN leaves ID scan") << 11 << QStringList{"KEY13", "KEY00"} << 0;
    QTest::newRow("digits do not change the mode") << 0 << QStringList{"KEY02 4", "KEY03", "KEY06"} << 0;
    QTest::newRow("SHIFT, DATA, DLY, SPD leave it") << 2 << QStringList{"KEY14", "KEY11", "KEY12", "KEY05"} << 2;
}

void TestSimulator::keys_changeModeAsTheScanner() {
    QFETCH(int, from);
    QFETCH(QStringList, keys);
    QFETCH(int, mode);

    Simulator simulator;
    SimOutput out(simulator);
    QString error;
    QVERIFY(simulator.model().configure({QStringLiteral("mode"), QString::number(from)}, &error));
    for (const QString& key : keys)
        QCOMPARE(out.ask(key), QStringList{});
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{QStringLiteral("MD%1").arg(mode, 2, 10, QLatin1Char('0'))});
}

void TestSimulator::line_carriesWhatTheScannerSends_data() {
    QTest::addColumn<int>("fault"); // -1: none
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QByteArray>("carried");
    QTest::addColumn<int>("linesLost");
    QTest::addColumn<int>("hangUps");

    using F = Simulator::Fault;
    using Chunks = QList<QByteArray>;
    QTest::newRow("split across two chunks") << -1 << Chunks{"M", "D\r"} << QByteArray("MD00\r") << 0 << 0;
    QTest::newRow("stray CRs and an LF") << -1 << Chunks{"\r\rMD\r\n"} << QByteArray("MD00\r") << 0 << 0;
    QTest::newRow("two commands at once") << -1 << Chunks{"MD\rSB\r"} << QByteArray("MD00\rSB AB\r") << 0 << 0;
    QTest::newRow("no CR yet") << -1 << Chunks{"MD"} << QByteArray() << 0 << 0;
    QTest::newRow("endless noise refused") << -1 << Chunks{QByteArray(300, 'x')} << QByteArray("NG\r") << 0 << 0;
    QTest::newRow("line after noise answered")
        << -1 << Chunks{QByteArray(300, 'x'), "MD\r"} << QByteArray("NG\rMD00\r") << 0 << 0;
    QTest::newRow("silence") << int(F::Silence) << Chunks{"MD\r"} << QByteArray() << 1 << 0;
    QTest::newRow("dropped line") << int(F::DropLine) << Chunks{"MD\rSB\rMD\r"} << QByteArray("SB AB\rMD00\r") << 1
                                  << 0;
    QTest::newRow("garbage") << int(F::Garbage) << Chunks{"MD\r"} << Simulator::garbage() + "MD00\r" << 0 << 0;
    QTest::newRow("hang-up") << int(F::HangUp) << Chunks{} << QByteArray() << 0 << 1;
}

void TestSimulator::line_carriesWhatTheScannerSends() {
    QFETCH(int, fault);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QByteArray, carried);
    QFETCH(int, linesLost);
    QFETCH(int, hangUps);

    Simulator simulator;
    QByteArray out;
    connect(&simulator, &Simulator::output, this, [&out](const QByteArray& bytes) { out += bytes; });
    QSignalSpy lost(&simulator, &Simulator::lineLost);
    QSignalSpy hangUp(&simulator, &Simulator::hangUp);
    if (fault >= 0)
        simulator.injectFault(Simulator::Fault(fault));
    for (const QByteArray& chunk : chunks)
        simulator.receive(chunk);
    QCOMPARE(out, carried);
    QCOMPARE(lost.count(), linesLost);
    QCOMPARE(hangUp.count(), hangUps);
}

void TestSimulator::silence_endsWhenClearedOrTimedOut() {
    Simulator simulator;
    SimOutput out(simulator);
    simulator.injectFault(Simulator::Fault::Silence);
    simulator.clearFaults();
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{"MD00"});

    simulator.setTimeScale(0.001);
    simulator.injectFault(Simulator::Fault::Silence, 5.0);
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{});
    QTRY_COMPARE(simulator.isSilent(), false);
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{"MD00"});

    // A day at a slow time scale is more milliseconds than a timer holds: the silence must still get a timer.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("negative interval")));
    simulator.setTimeScale(30);
    simulator.injectFault(Simulator::Fault::Silence, 86400);
}

void TestSimulator::script_faultyLineIsNamed_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("line");

    QTest::newRow("stop without hold, after a comment") << "# one\n1 stop 5\n" << 2;
    QTest::newRow("hit on no frequency, after blank lines") << "\n\n1 hit abc 2\n" << 3;
    QTest::newRow("call without frequency") << "1 call 1234 2\n" << 1;
    QTest::newRow("unknown event") << "1 jump 5\n" << 1;
    QTest::newRow("unknown fault") << "1 fault melt\n" << 1;
    QTest::newRow("silence without seconds") << "1 fault silence\n" << 1;
    QTest::newRow("mode 21") << "1 mode 21\n" << 1;
    QTest::newRow("program channel 1001") << "program 1001 154.25\n" << 1;
    QTest::newRow("program five decimals") << "program 1 154.25001\n" << 1;
    QTest::newRow("bank letter U") << "banks AU\n" << 1;
    QTest::newRow("negative delay is no event") << "-1 stop 5 1\n" << 1;
    QTest::newRow("unknown set-up word after an event") << "1 stop 5 1\nvolume 11\n" << 2;
}

void TestSimulator::script_faultyLineIsNamed() {
    QFETCH(QString, script);
    QFETCH(int, line);

    Simulator simulator;
    QString message;
    QVERIFY(!simulator.loadScript(script, &message));
    QVERIFY2(message.startsWith(QStringLiteral("line %1: ").arg(line)), qPrintable(message));
}

void TestSimulator::scriptFile_setsUpTheScanner() {
    Simulator simulator;
    QString message;
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("program 61 162.4000 NOAA 2\nchannel 61\n");
    file.close();
    QVERIFY2(simulator.loadScriptFile(file.fileName(), &message), qPrintable(message));
    SimOutput out(simulator);
    QCOMPARE(out.ask(QStringLiteral("MA")), QStringList{"C061 F01624000 TF DF LF PRI F"});
}

void TestSimulator::defaultScript_fillsChannelsOneToSixty() {
    Simulator simulator;
    const auto& model = static_cast<Pro2052Model&>(simulator.model());
    for (int channel = 1; channel <= 61; ++channel)
        QVERIFY2(model.channel(channel).isEmpty() == (channel == 61), qPrintable(QString::number(channel)));
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
