#include "Pro2052Model.h"
#include "SimFrequency.h"
#include "SimOutput.h"
#include "Simulator.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

class TestSimulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void command_answersAsTheScanner_data();
    void command_answersAsTheScanner();
    void channelReply_fieldsSitAtTheirPositions_data();
    void channelReply_fieldsSitAtTheirPositions();
    void keys_changeModeAsTheScanner_data();
    void keys_changeModeAsTheScanner();
    void manualKey_goesToTypedChannel_data();
    void manualKey_goesToTypedChannel();
    void framing_cutsCommandsOnCr_data();
    void framing_cutsCommandsOnCr();
    void silence_answersNothingUntilCleared();
    void droppedLine_losesExactlyOneLine();
    void garbage_sendsNoiseAndCr();
    void hangUp_asksTheHostToCloseTheLine();
    void script_faultyLineIsNamed_data();
    void script_faultyLineIsNamed();
    void script_missingFileIsReported();
    void defaultScript_fillsChannelsOneToSixty();
};

void TestSimulator::command_answersAsTheScanner_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("reply");

    const QStringList none;
    const QString empty1 = QStringLiteral("C001 F00000000 TF DF LF PRI F");
    QTest::newRow("mode at power-up") << none << "MD" << QStringList{"MD00"};
    QTest::newRow("mode after MANUAL") << QStringList{"KEY01"} << "MD" << QStringList{"MD01"};
    QTest::newRow("mode after going to a channel") << QStringList{"MA010"} << "MD" << QStringList{"MD01"};
    QTest::newRow("current channel") << QStringList{"MA005"} << "MA" << QStringList{"C005 F04601250 TF DF LF PRI N"};
    QTest::newRow("channel 1000 as 000") << none << "MA000" << QStringList{"C000 F12400000 TF DF LF PRI F"};
    QTest::newRow("trunked channel") << none << "MA051" << QStringList{"C051 F08510125 TN DF LF PRI F"};
    QTest::newRow("scan banks") << none << "SB" << QStringList{"SB AB"};
    QTest::newRow("digit in scan adds a bank") << QStringList{"KEY02 3"} << "SB" << QStringList{"SB ABC"};
    QTest::newRow("zero in scan is bank 10") << QStringList{"KEY02 0"} << "SB" << QStringList{"SB ABJ"};
    QTest::newRow("shifted digit is bank 13") << QStringList{"KEY14", "KEY02 3"} << "SB" << QStringList{"SB ABM"};
    QTest::newRow("the last bank stays") << QStringList{"KEY02 1", "KEY02 2"} << "SB" << QStringList{"SB B"};
    QTest::newRow("keys are not answered") << none << "KEY07" << QStringList{};
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
    QTest::newRow("channel delay on") << QStringList{"MA001"} << "DL" << QStringList{"DLN"};
    QTest::newRow("channel delay off") << QStringList{"MA002"} << "DL" << QStringList{"DLF"};
    QTest::newRow("DLY key toggles the delay") << QStringList{"MA002", "KEY12"} << "DL" << QStringList{"DLN"};
    QTest::newRow("trunk bank") << none << "TB" << QStringList{"TB B MOT TYPE II"};
    QTest::newRow("trunk type set by code") << QStringList{"TR B4"} << "TB" << QStringList{"TB B LTR"};
    QTest::newRow("unknown trunk type code") << none << "TR B9" << QStringList{"NG"};
    QTest::newRow("trunk type of bank U") << none << "TR U1" << QStringList{"NG"};
    QTest::newRow("ID scan banks") << none << "IS" << QStringList{"IS AB"};
    QTest::newRow("ID channel") << none << "IC" << QStringList{"IC A01001234"};
    QTest::newRow("digit in ID hold picks the ID")
        << QStringList{"mode 12", "KEY02 2"} << "IC" << QStringList{"IC A02002345"};
    QTest::newRow("status without change") << none << "SQ" << QStringList{"N"};
    QTest::newRow("status asked afresh") << none << "SI" << QStringList{"-"};
    QTest::newRow("program channel 1000")
        << QStringList{"PM000 01545000"} << "MA000" << QStringList{"C000 F01545000 TF DF LF PRI F"};
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
    QTest::newRow("letters for a channel") << none << "MAabc" << QStringList{"NG"};
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

void TestSimulator::channelReply_fieldsSitAtTheirPositions_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("mhz");
    QTest::addColumn<QString>("flags"); // trunked, delay, lockout, priority
    QTest::addColumn<QString>("digits");

    QTest::newRow("channel 1000") << 1000 << "154.2500"
                                  << "FFFF"
                                  << "000";
    QTest::newRow("channel 1") << 1 << "45.3250"
                               << "FFFF"
                               << "001";
    QTest::newRow("four-digit MHz") << 999 << "1240.0000"
                                    << "FFFF"
                                    << "999";
    QTest::newRow("trunked only") << 51 << "851.0125"
                                  << "NFFF"
                                  << "051";
    QTest::newRow("delay only") << 2 << "154.2800"
                                << "FNFF"
                                << "002";
    QTest::newRow("lockout only") << 3 << "155.4750"
                                  << "FFNF"
                                  << "003";
    QTest::newRow("priority only") << 4 << "155.7000"
                                   << "FFFN"
                                   << "004";
}

void TestSimulator::channelReply_fieldsSitAtTheirPositions() {
    QFETCH(int, channel);
    QFETCH(QString, mhz);
    QFETCH(QString, flags);
    QFETCH(QString, digits);

    MemoryChannel entry;
    QVERIFY(SimFrequency::parse(mhz, &entry.steps));
    entry.trunked = flags[0] == QLatin1Char('N');
    entry.delay = flags[1] == QLatin1Char('N');
    entry.lockout = flags[2] == QLatin1Char('N');
    entry.priority = flags[3] == QLatin1Char('N');
    Pro2052Model model;
    model.setChannel(channel, entry);
    const QStringList reply = model.answer(QStringLiteral("MA") + digits);
    QCOMPARE(reply.size(), 1);
    const QString& line = reply.first();

    // 1-based positions as the program reads them: 2-4 channel, 7-14 frequency, 17/20/23/29 flags.
    QCOMPARE(line.at(0), QLatin1Char('C'));
    QCOMPARE(line.mid(1, 3), digits);
    QCOMPARE(line.mid(6, 8), SimFrequency::digits(entry.steps));
    QCOMPARE(QString(line.at(16)) + line.at(19) + line.at(22) + line.at(28), flags);
    QCOMPARE(line.size(), 29);
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
    QTest::newRow("SRCH resumes a held search") << 3 << QStringList{"KEY09"} << 2;
    QTest::newRow("LIMIT searches") << 1 << QStringList{"KEY08"} << 2;
    QTest::newRow("SVC") << 0 << QStringList{"KEY10"} << 4;
    QTest::newRow("HOLD holds service search") << 4 << QStringList{"KEY07"} << 5;
    QTest::newRow("TRUNK picks a trunk bank") << 0 << QStringList{"KEY13"} << 8;
    QTest::newRow("SCAN starts trunk tracking") << 8 << QStringList{"KEY00"} << 9;
    QTest::newRow("HOLD holds trunk tracking") << 9 << QStringList{"KEY07"} << 10;
    QTest::newRow("SCAN releases trunk hold") << 10 << QStringList{"KEY00"} << 9;
    QTest::newRow("HOLD holds an ID") << 11 << QStringList{"KEY07"} << 12;
    QTest::newRow("SCAN releases an ID") << 12 << QStringList{"KEY00"} << 11;
    QTest::newRow("MANUAL in trunk tracking holds") << 9 << QStringList{"KEY01"} << 10;
    QTest::newRow("TRUNK then SCAN leaves ID scan") << 11 << QStringList{"KEY13", "KEY00"} << 0;
    QTest::newRow("TRUNK then SCAN leaves tracking") << 9 << QStringList{"KEY13", "KEY00"} << 0;
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

void TestSimulator::manualKey_goesToTypedChannel_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("channel");

    QTest::newRow("12") << "12"
                        << "012";
    QTest::newRow("1000") << "1000"
                          << "000";
    QTest::newRow("leading zeros") << "007"
                                   << "007";
    QTest::newRow("1001 is no channel") << "1001"
                                        << "003";
    QTest::newRow("0 is no channel") << "0"
                                     << "003";
    QTest::newRow("a frequency is no channel") << "1.5"
                                               << "003";
    QTest::newRow("nothing typed") << ""
                                   << "003";
}

void TestSimulator::manualKey_goesToTypedChannel() {
    QFETCH(QString, typed);
    QFETCH(QString, channel);

    Simulator simulator;
    SimOutput out(simulator);
    out.ask(QStringLiteral("MA003"));
    for (const QChar c : typed)
        out.ask(c == QLatin1Char('.') ? QStringLiteral("KEY03") : QStringLiteral("KEY02 ") + c);
    out.ask(QStringLiteral("KEY01"));
    const QStringList reply = out.ask(QStringLiteral("MA"));
    QCOMPARE(reply.size(), 1);
    QCOMPARE(reply.first().mid(1, 3), channel);
}

void TestSimulator::framing_cutsCommandsOnCr_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("split across two chunks") << QList<QByteArray>{"M", "D\r"} << QStringList{"MD00"};
    QTest::newRow("stray CRs and an LF") << QList<QByteArray>{"\r\rMD\r\n"} << QStringList{"MD00"};
    QTest::newRow("two commands at once") << QList<QByteArray>{"MD\rSB\r"} << QStringList{"MD00", "SB AB"};
    QTest::newRow("no CR yet") << QList<QByteArray>{"MD"} << QStringList{};
    QTest::newRow("endless noise refused") << QList<QByteArray>{QByteArray(300, 'x')} << QStringList{"NG"};
    QTest::newRow("line after noise answered")
        << QList<QByteArray>{QByteArray(300, 'x'), "MD\r"} << QStringList{"NG", "MD00"};
}

void TestSimulator::framing_cutsCommandsOnCr() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, lines);

    Simulator simulator;
    SimOutput out(simulator);
    for (const QByteArray& chunk : chunks)
        simulator.receive(chunk);
    QCOMPARE(out.lines, lines);
}

void TestSimulator::silence_answersNothingUntilCleared() {
    Simulator simulator;
    SimOutput out(simulator);
    QSignalSpy lost(&simulator, &Simulator::lineLost);
    simulator.injectFault(Simulator::Fault::Silence);
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{});
    QCOMPARE(lost.count(), 1);
    simulator.clearFaults();
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{"MD00"});

    // A timed silence ends by itself.
    simulator.setTimeScale(0.001);
    simulator.injectFault(Simulator::Fault::Silence, 5.0);
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{});
    QTRY_COMPARE(simulator.isSilent(), false);
    QCOMPARE(out.ask(QStringLiteral("MD")), QStringList{"MD00"});
}

void TestSimulator::droppedLine_losesExactlyOneLine() {
    Simulator simulator;
    SimOutput out(simulator);
    simulator.injectFault(Simulator::Fault::DropLine);
    simulator.receive("MD\rSB\rMD\r");
    QCOMPARE(out.lines, (QStringList{"SB AB", "MD00"}));
}

void TestSimulator::garbage_sendsNoiseAndCr() {
    Simulator simulator;
    QSignalSpy output(&simulator, &Simulator::output);
    simulator.injectFault(Simulator::Fault::Garbage);
    QCOMPARE(output.count(), 1);
    const QByteArray noise = output.first().first().toByteArray();
    QCOMPARE(noise, Simulator::garbage());
    QVERIFY(noise.contains('\0'));
    QVERIFY(noise.endsWith('\r'));
}

void TestSimulator::hangUp_asksTheHostToCloseTheLine() {
    Simulator simulator;
    QSignalSpy hangUp(&simulator, &Simulator::hangUp);
    simulator.injectFault(Simulator::Fault::HangUp);
    QCOMPARE(hangUp.count(), 1);
}

void TestSimulator::script_faultyLineIsNamed_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("error");

    QTest::newRow("stop without hold") << "# one\n1 stop 5\n"
                                       << "line 2:";
    QTest::newRow("stop on channel 1001") << "1 stop 1001 2\n"
                                          << "line 1:";
    QTest::newRow("hit on no frequency") << "\n\n1 hit abc 2\n"
                                         << "line 3:";
    QTest::newRow("call without frequency") << "1 call 1234 2\n"
                                            << "line 1:";
    QTest::newRow("unknown event") << "1 jump 5\n"
                                   << "line 1: unknown event";
    QTest::newRow("unknown fault") << "1 fault melt\n"
                                   << "line 1:";
    QTest::newRow("silence without seconds") << "1 fault silence\n"
                                             << "line 1:";
    QTest::newRow("mode 21") << "1 mode 21\n"
                             << "line 1:";
    QTest::newRow("program channel 1001") << "program 1001 154.25\n"
                                          << "line 1:";
    QTest::newRow("program five decimals") << "program 1 154.25001\n"
                                           << "line 1:";
    QTest::newRow("bank letter U") << "banks AU\n"
                                   << "line 1:";
    QTest::newRow("negative delay is no event") << "-1 stop 5 1\n"
                                                << "line 1: unknown";
    QTest::newRow("unknown set-up word") << "1 stop 5 1\nvolume 11\n"
                                         << "line 2: unknown";
}

void TestSimulator::script_faultyLineIsNamed() {
    QFETCH(QString, script);
    QFETCH(QString, error);

    Simulator simulator;
    QString message;
    QVERIFY(!simulator.loadScript(script, &message));
    QVERIFY2(message.startsWith(error), qPrintable(message));
}

void TestSimulator::script_missingFileIsReported() {
    Simulator simulator;
    QString message;
    QVERIFY(!simulator.loadScriptFile(QStringLiteral("/nonexistent/activity.txt"), &message));
    QVERIFY(message.contains(QLatin1String("/nonexistent/activity.txt")));

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
    auto& model = static_cast<Pro2052Model&>(simulator.model());
    for (int channel = 1; channel <= 60; ++channel)
        QVERIFY2(!model.channel(channel).isEmpty(), qPrintable(QString::number(channel)));
    QVERIFY(model.channel(61).isEmpty());
    QCOMPARE(model.channel(5).steps, 4601250);
    QCOMPARE(model.channel(51).steps, 8510125);
    QVERIFY(model.channel(51).trunked);
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
