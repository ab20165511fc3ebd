// The simulated scanner without a serial line: its answers, its line faults and scripts, the activity it plays,
// and the contract with the program: every kind of line it sends is decoded here by the program's own parser, and
// must give the values docs/scanner-protocol.md reads at the positions of its rulers.
// Then the lines that carry the simulated scanner: in the program's own process, on a pseudo-terminal, and
// valdoria-sim as a program of its own (which test_monitor runs against valdoria-cli).
#include "DemoNames.h"
#include "MonitorRig.h"
#include "Pro2052Model.h"
#include "PtyHost.h"
#include "ScriptedPrompter.h"
#include "SimOutput.h"
#include "SimulatedScanner.h"
#include "Simulator.h"
#include "SimulatorTransport.h"
#include "monitor/ModeDetector.h"
#include "store/LocalDatabase.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <functional>
#include <memory>

class TestSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void command_answersAsTheScanner_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("reply");
        // Before: commands, and "mode N" to turn the scanner's knob.
        const auto row = [](const char* name, const char* before, const char* command, const char* reply) {
            QTest::newRow(name) << linesOf(before) << QString::fromLatin1(command) << linesOf(reply);
        };
        const char* empty1 = "C001 F00000000 TF DF LF PRI F";
        const char* channel3 = "C003 F01554750 TF DF LF PRI F";
        // Replies are compared whole, so each field is checked at the position the program reads it from.
        row("mode after going to a channel", "MA010", "MD", "MD01");
        row("current channel, priority", "MA005", "MA", "C005 F04601250 TF DF LF PRI N");
        row("trunked channel", "", "MA051", "C051 F08510125 TN DF LF PRI F");
        row("MANUAL goes to typed 1000, shown as 000", "MA003|KEY02 1|KEY02 0|KEY02 0|KEY02 0|KEY01", "MA",
            "C000 F12400000 TF DF LF PRI F");
        row("typed 1001 is no channel", "MA003|KEY02 1|KEY02 0|KEY02 0|KEY02 1|KEY01", "MA", channel3);
        row("typed 0 is no channel", "MA003|KEY02 0|KEY01", "MA", channel3);
        row("typed frequency is no channel", "MA003|KEY02 1|KEY03|KEY02 5|KEY01", "MA", channel3);
        row("digit in scan adds a bank", "KEY02 3", "SB", "SB ABC");
        row("zero in scan is bank 10", "KEY02 0", "SB", "SB ABJ");
        row("shifted digit is bank 13", "KEY14|KEY02 3", "SB", "SB ABM");
        row("the last bank stays", "KEY02 1|KEY02 2", "SB", "SB B");
        row("switches are not answered", "", "QUF", "");
        row("broadcast band is WFM", "MA021", "RM", "RM WFM"); // AM, NFM and the status queries: below, during an event
        row("search starts at the lower limit", "LL01555000|KEY08", "WI", "WI F  01555000");
        row("typed frequency moves the search", "KEY09|KEY02 1|KEY02 2|KEY02 1|KEY03|KEY02 5|KEY04", "WI",
            "WI F  01215000");
        row("limits acknowledged", "", "LU01600000", "OK");
        row("channel delay off", "MA002", "DL", "DLF");
        row("trunk type set by code", "TR B4", "TB", "TB B LTR");
        row("unknown trunk type code", "", "TR B9", "NG");
        row("trunk type of bank U", "", "TR U1", "NG");
        row("delay and lockout follow PM", "MA001|PM007 04531000|DLN|LON", "MA007", "C007 F04531000 TF DN LN PRI F");
        row("eight zeros empty a channel", "PM001 00000000", "MA001", empty1);
        row("clear memory", "AC", "MA001", empty1);
        row("priority set", "PC A007", "MA007", "C007 F04532500 TF DF LF PRI N");
        row("one priority channel per bank", "PC A007", "MA005", "C005 F04601250 TF DF LF PRI F");
        // Keys change the mode as on the scanner.
        row("HOLD in scan goes manual", "mode 0|KEY07", "MD", "MD01");
        row("SCAN from manual", "mode 1|KEY00", "MD", "MD00");
        row("SRCH from scan", "mode 0|KEY09", "MD", "MD02");
        row("HOLD holds the search", "mode 2|KEY07", "MD", "MD03");
        row("HOLD releases the search", "mode 3|KEY07", "MD", "MD02");
        row("LIMIT searches", "mode 1|KEY08", "MD", "MD02");
        row("SVC", "mode 0|KEY10", "MD", "MD04");
        row("HOLD holds service search", "mode 4|KEY07", "MD", "MD05");
        row("TRUNK picks a trunk bank", "mode 0|KEY13", "MD", "MD08");
        row("SCAN starts trunk tracking", "mode 8|KEY00", "MD", "MD09");
        row("HOLD holds trunk tracking", "mode 9|KEY07", "MD", "MD10");
        row("HOLD holds an ID", "mode 11|KEY07", "MD", "MD12");
        row("SCAN releases an ID", "mode 12|KEY00", "MD", "MD11");
        row("MANUAL in trunk tracking holds", "mode 9|KEY01", "MD", "MD10");
        row("TRUNK then SCAN leaves ID scan", "mode 11|KEY13|KEY00", "MD", "MD00");
        row("digits do not change the mode", "mode 0|KEY02 4|KEY03|KEY06", "MD", "MD00");
        row("SHIFT, DATA, DLY, SPD leave it", "mode 2|KEY14|KEY11|KEY12|KEY05", "MD", "MD02");
        // Refused.
        row("unknown command", "", "XYZ", "NG");
        row("key code 15", "", "KEY15", "NG");
        row("digit key without digit", "", "KEY02", "NG");
        row("digit on a function key", "", "KEY00 5", "NG");
        row("two-digit channel", "", "MA01", "NG");
        row("seven frequency digits", "", "PM001 0154250", "NG");
        row("priority position 51", "", "PC A051", "NG");
        row("limit with letters", "", "LL0155500x", "NG");
    }

    void command_answersAsTheScanner() {
        QFETCH(QStringList, before);
        QFETCH(QString, command);
        QFETCH(QStringList, reply);

        Simulator simulator;
        SimOutput out(simulator);
        QString error;
        for (const QString& earlier : before) {
            // Keys are never answered (no activity runs here to report a squelch closing).
            if (earlier.startsWith(QLatin1String("mode ")))
                QVERIFY(simulator.model().configure(earlier.split(QLatin1Char(' ')), &error));
            else if (earlier.startsWith(QLatin1String("KEY")))
                QCOMPARE(out.ask(earlier), QStringList{});
            else
                out.ask(earlier);
        }
        QCOMPARE(out.ask(command), reply);
    }

    // A hang-up reaches the line through the transports: see the transports' tests below.
    void line_carriesWhatTheScannerSends_data() {
        QTest::addColumn<int>("fault"); // -1: none
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QByteArray>("carried");
        QTest::addColumn<int>("linesLost");

        using F = Simulator::Fault;
        using Chunks = QList<QByteArray>;
        QTest::newRow("split across two chunks") << -1 << Chunks{"M", "D\r"} << QByteArray("MD00\r") << 0;
        QTest::newRow("stray CRs and an LF") << -1 << Chunks{"\r\rMD\r\n"} << QByteArray("MD00\r") << 0;
        QTest::newRow("two commands at once") << -1 << Chunks{"MD\rSB\r"} << QByteArray("MD00\rSB AB\r") << 0;
        QTest::newRow("endless noise refused, next line answered")
            << -1 << Chunks{QByteArray(300, 'x'), "MD\r"} << QByteArray("NG\rMD00\r") << 0;
        QTest::newRow("silence") << int(F::Silence) << Chunks{"MD\r"} << QByteArray() << 1;
        QTest::newRow("dropped line") << int(F::DropLine) << Chunks{"MD\rSB\rMD\r"} << QByteArray("SB AB\rMD00\r") << 1;
        QTest::newRow("garbage") << int(F::Garbage) << Chunks{"MD\r"} << Simulator::garbage() + "MD00\r" << 0;
    }

    void line_carriesWhatTheScannerSends() {
        QFETCH(int, fault);
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QByteArray, carried);
        QFETCH(int, linesLost);

        Simulator simulator;
        SimOutput out(simulator);
        QSignalSpy lost(&simulator, &Simulator::lineLost);
        if (fault >= 0)
            simulator.injectFault(Simulator::Fault(fault));
        for (const QByteArray& chunk : chunks)
            simulator.receive(chunk);
        QCOMPARE(out.sent, carried);
        QCOMPARE(lost.count(), linesLost);
    }

    void silence_endsWhenClearedOrTimedOut() {
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

    void script_faultyLineIsNamed_data() {
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

    void script_faultyLineIsNamed() {
        QFETCH(QString, script);
        QFETCH(int, line);

        Simulator simulator;
        QString message;
        QVERIFY(!simulator.loadScript(script, &message));
        QVERIFY2(message.startsWith(QStringLiteral("line %1: ").arg(line)), qPrintable(message));
    }

    // The built-in script programs channels 1 to 60; a script file adds to it.
    void scripts_setUpTheScanner() {
        Simulator simulator;
        const auto& model = static_cast<Pro2052Model&>(simulator.model());
        for (int channel = 1; channel <= 61; ++channel)
            QVERIFY2(model.channel(channel).isEmpty() == (channel == 61), qPrintable(QString::number(channel)));
        QString message;
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("program 61 162.4000 NOAA 2\nchannel 61\n");
        file.close();
        QVERIFY2(simulator.loadScriptFile(file.fileName(), &message), qPrintable(message));
        SimOutput out(simulator);
        QCOMPARE(out.ask(QStringLiteral("MA")), QStringList{"C061 F01624000 TF DF LF PRI F"});
    }

    // The demo names the channels its script programs in the local database.
    void programLine_namesOnlyAnUnnamedRealChannel_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("bank"); // where a row would land
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("stored"); // tag|licensee@frequency of the row there afterwards; "": none

        QTest::newRow("last channel of bank 1") << "program 50 154.2500 Fire" << 1 << 50 << "Fire|Fire@154.25";
        QTest::newRow("first channel of bank 2")
            << "program 51 851.0125 trunked County trunk 1" << 2 << 51 << "County trunk 1|County trunk 1@851.0125";
        QTest::newRow("last channel of bank 20")
            << "program 1000 1240.0000 23 cm beacon" << 20 << 1000 << "23 cm beacon|23 cm beacon@1240";
        QTest::newRow("a named channel keeps its row")
            << "program 5 460.1250 priority City police" << 1 << 5 << "|Mine@0";
        QTest::newRow("alpha tag, then the licensee")
            << "program 9 463.0000 EMS MED2 / Marion County EMS" << 1 << 9 << "EMS MED2|Marion County EMS@463";
        QTest::newRow("flags alone are no name") << "program 7 453.2500 delay lockout" << 1 << 7 << "";
        QTest::newRow("empty channel") << "program 8 0 Nothing" << 1 << 8 << "";
        QTest::newRow("channel 0 is in no bank") << "program 0 154.2500 Nowhere" << 1 << 0 << "";
        QTest::newRow("channel 1001 is in no bank") << "program 1001 154.2500 Nowhere" << 20 << 1001 << "";
    }

    void programLine_namesOnlyAnUnnamedRealChannel() {
        QFETCH(QString, line);
        QFETCH(int, bank);
        QFETCH(int, channel);
        QFETCH(QString, stored);

        QTemporaryDir dir;
        ScriptedPrompter prompter;
        LocalDatabase database(dir.filePath(QStringLiteral("names.db")), prompter);
        QVERIFY(database.open());
        QVERIFY(
            database.insertRow(QStringLiteral("BANK01"), {{QStringLiteral("CHANNEL"), 5},
                                                          {QStringLiteral("COMPANY_NAME"), QStringLiteral("Mine")}}));
        QCOMPARE(DemoNames::seed(database, line), int(!stored.isEmpty() && channel != 5));
        const RowLookup row = database.findBankChannel(bank, channel);
        QVERIFY(row.ok);
        const QString found = row.row
                                  ? row.row->value(QStringLiteral("ALPHA_TAG")).toString() + QLatin1Char('|') +
                                        row.row->value(QStringLiteral("COMPANY_NAME")).toString() + QLatin1Char('@') +
                                        QString::number(row.row->value(QStringLiteral("FREQUENCY")).toDouble(), 'g', 10)
                                  : QString();
        QCOMPARE(found, stored);
    }

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
        row("search hears a hit between its limits", "1 hit 155.0000 2", "LL01540000|LU01560000|KEY09",
            "OK|OK|+|-|END");
        row("search passes a hit outside its limits", "1 hit 156.8000 2", "LL01540000|LU01560000|KEY09", "OK|OK|END");
        row("limits from a script", "limits 154 156\n1 hit 153.9875 2", "KEY09", "END");
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
        row("search hit: frequency and modulation", "limits 108 137\n0 hit 118.3500 1000", "KEY09", "+", "RM|WI",
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

    // Steps: a set-up line of a simulator script ("program 12 154.25 delay"); "ask:CMD", whose answer is parsed;
    // "do:CMD", whose answer is dropped; "hit STEPS", "call TALKGROUP STEPS" and "end", the lines the scanner
    // sends on its own, parsed. Every line is parsed in the row's mode.
    // Expected: a display field's text, or "banks" (boxes showing a number), "lit" (active bank), "talkgroup",
    // "sent" (queries the parser sent), "log", "mode" (the number in the last line).
    void simulatorLines_decodeToWhatTheRulerSays_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, int mode, const QStringList& steps, const QStringList& expected) {
            QTest::newRow(name) << mode << steps << expected;
        };
        row("mode", 0, {"mode 10", "ask:MD"}, {"mode=10"});
        row("channel, delay on", 1, {"program 12 154.25 delay", "ask:MA012"},
            {"tbChan=12", "tbfreq=154.2500", "banks=1", "tbDELAY=DELAY", "tbLOCKOUT=", "tbPRI="});
        row("channel below 100 MHz, lockout and priority", 1, {"program 51 45.325 lockout priority", "ask:MA051"},
            {"tbChan=51", "tbfreq=45.3250", "banks=2", "tbDELAY=", "tbLOCKOUT=L/O", "tbPRI=PRI"});
        row("scan banks", 0, {"banks ACT", "ask:SB"}, {"banks=1,3,20"});
        row("ID scan banks", 11, {"idbanks BD", "ask:IS"}, {"banks=2,4"});
        row("ID channel", 12, {"mode 12", "talkgroup A 7 2345", "do:KEY02 7", "ask:IC"},
            {"lit=1", "tbChan=07", "talkgroup=2345", "tbfreq=2345"});
        row("tenth ID channel", 12, {"mode 12", "talkgroup A 10 4567", "do:KEY02 0", "ask:IC"},
            {"tbChan=10", "talkgroup=4567", "sent=IS"});
        row("trunk bank", 11, {"trunktype D EDACS", "trunkbank D", "ask:TB"}, {"banks=4", "tbTRUNKTYPE=EDACS"});
        row("search frequency", 2, {"limits 154.43 160", "do:KEY08", "ask:WI"}, {"tbfreq=154.4300", "sent="});
        row("delay", 9, {"mode 9", "do:KEY12", "ask:DL"}, {"tbDELAY=DELAY"});
        row("data skip", 2, {"do:DSN", "ask:DS"}, {"tbDATA=DATA"});
        row("AM", 0, {"program 1 121.5", "do:MA001", "ask:RM"}, {"tbModMode=AM"});
        row("squelch opens and closes", 2, {"mode 2", "hit 1544300", "end"},
            {"sent=RM", "log=search,43200,43200,,,NORMAL"});
        row("call without its frequency", 9, {"mode 9", "do:FIF", "call 4567 8510125"}, {"tbfreq=4567", "tbChan="});
        row("call and its end", 9, {"mode 9", "call 1234 8510125", "end"},
            {"talkgroup=1234", "sent=RM|TB|DL", "log=trunk,851.0125,,,,"});
        row("ID scan call", 11, {"mode 11", "idbanks A", "talkgroup A 3 3456", "do:FIF", "call 3456 8510125"},
            {"tbfreq=3456", "talkgroup=3456"});
    }

    void simulatorLines_decodeToWhatTheRulerSays() {
        QFETCH(int, mode);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        Simulator sim(std::make_unique<Pro2052Model>());
        SimOutput out(sim);
        MonitorRig rig;
        QString last;
        for (const QString& step : steps) {
            const QStringList words = step.split(QLatin1Char(' '));
            QStringList lines;
            if (step.startsWith(QLatin1String("ask:"))) {
                lines = out.ask(step.mid(4));
            } else if (step.startsWith(QLatin1String("do:"))) {
                out.ask(step.mid(3));
            } else if (words[0] == QLatin1String("hit") || words[0] == QLatin1String("call")) {
                ActivityEvent event;
                event.kind = words[0] == QLatin1String("hit") ? ActivityEvent::Kind::Hit : ActivityEvent::Kind::Call;
                event.talkgroup = words.size() > 2 ? words[1].toInt() : 0;
                event.steps = words.constLast().toInt();
                QVERIFY2(sim.model().beginActivity(event, lines), qPrintable(step));
            } else if (step == QLatin1String("end")) {
                sim.model().endActivity(lines);
            } else {
                QString error;
                QVERIFY2(sim.loadScript(step, &error), qPrintable(error));
            }
            for (const QString& line : lines) {
                rig.parse(quint8(mode), line);
                last = line;
            }
        }
        const QHash<QString, std::function<QString()>> probes = {
            {"banks", [&] { return rig.boxes('#'); }},
            {"lit", [&] { return rig.boxes('L'); }},
            {"talkgroup", [&] { return rig.state.gTalkgroupId; }},
            {"sent", [&] { return rig.takeCommands().join(QLatin1Char('|')); }},
            {"log", [&] { return rig.log.lines.join(QLatin1Char('|')); }},
            {"mode", [&] { return QString::number(ModeDetector::modeNumber(last).value_or(-1)); }},
        };
        for (const QString& e : expected) {
            const QString key = e.section(QLatin1Char('='), 0, 0);
            QCOMPARE(probes.contains(key) ? probes[key]() : rig.text(key), e.section(QLatin1Char('='), 1));
        }
    }

    void write_answerArrivesLaterAndHandlerMayWriteAgain() {
        Simulator simulator;
        SimulatorTransport transport(&simulator);
        QVERIFY(transport.open());
        QByteArray received;
        connect(&transport, &Transport::readyRead, this, [&] {
            received += transport.readAll();
            if (received == "MD00\r")
                transport.write("SB\r");
        });
        QVERIFY(transport.write("MD\r"));
        // Nothing inside write(): the program's receive handler must not run re-entrantly.
        QCOMPARE(received, QByteArray());
        QCOMPARE(transport.bytesAvailable(), 0);
        QTRY_COMPARE(received, QByteArray("MD00\rSB AB\r"));
    }

    void closedOrHungUp_writesRefusedAndNothingArrives() {
        Simulator simulator;
        SimulatorTransport transport(&simulator);
        QSignalSpy commands(&simulator, &Simulator::commandReceived);
        QSignalSpy lost(&transport, &Transport::lost);
        QVERIFY(!transport.write("MD\r"));
        QCOMPARE(commands.count(), 0);

        // An answer still on its way when the line closes is not waiting for the next open.
        QVERIFY(transport.open());
        transport.write("MD\r");
        transport.close();
        QVERIFY(transport.open());
        QByteArray received;
        connect(&transport, &Transport::readyRead, this, [&] { received += transport.readAll(); });
        transport.write("SB\r");
        QTRY_COMPARE(received, QByteArray("SB AB\r"));

        QCOMPARE(lost.count(), 0);
        simulator.injectFault(Simulator::Fault::HangUp);
        QCOMPARE(lost.count(), 1);
        QVERIFY(!transport.isOpen());
        QVERIFY(!transport.write("MD\r"));
    }

    // Unpaced delivery (every other test) is checked by all of them; paced, the same bytes come in pieces.
    void throttled_sameBytesInSmallerPieces() {
        Simulator simulator;
        SimulatorTransport transport(&simulator);
        transport.setThrottled(true);
        QVERIFY(transport.open());
        SimOutput out(simulator);
        QByteArray received;
        int pieces = 0;
        connect(&transport, &Transport::readyRead, this, [&] {
            received += transport.readAll();
            ++pieces;
        });
        for (int channel = 1; channel <= 9; ++channel)
            transport.write(QStringLiteral("MA00%1\r").arg(channel).toLatin1());
        QCOMPARE(out.sent.size(), 9 * 30);
        QTRY_COMPARE(received, out.sent);
        // 270 bytes at 1920 bytes a second cannot arrive in one piece.
        QVERIFY(pieces > 1);
    }

    // The program may close and reopen the port at will; only a hang-up takes the scanner away.
    void serialPort_roundTripsAfterReopeningUntilHangUp() {
        Simulator simulator;
        PtyHost host(&simulator);
        QSignalSpy hungUp(&host, &PtyHost::hungUp);
        QVERIFY2(host.open(), qPrintable(host.errorText()));
        QVERIFY(host.devicePath().startsWith(QLatin1String("/dev/pts/")));
        std::unique_ptr<QSerialPort> port;
        for (int round = 0; round < 2; ++round) {
            port = std::make_unique<QSerialPort>(host.devicePath());
            port->setBaudRate(QSerialPort::Baud19200);
            QVERIFY2(port->open(QIODevice::ReadWrite), qPrintable(port->errorString()));
            QByteArray received;
            connect(port.get(), &QSerialPort::readyRead, this, [&] { received += port->readAll(); });
            port->write("MA001\rMD\r");
            QTRY_COMPARE(received, QByteArray("C001 F01542500 TF DN LF PRI F\rMD01\r"));
        }
        // That the program then finds no scanner on the line is seen by test_session's pulled adapter.
        simulator.injectFault(Simulator::Fault::HangUp);
        QCOMPARE(hungUp.count(), 1);
        QVERIFY(!host.isOpen());
    }

    void badOptions_endWithAMessage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown model") << QStringList{"--model", "pro9999"} << "unknown model";
        QTest::newRow("missing script") << QStringList{"--script", "/nonexistent/script.txt"} << "cannot read";
        QTest::newRow("time scale of zero") << QStringList{"--time-scale", "0"} << "--time-scale";
    }

    void badOptions_endWithAMessage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);

        QProcess sim;
        sim.start(QStringLiteral(VALDORIA_SIM_EXECUTABLE), arguments);
        QTRY_COMPARE(sim.state(), QProcess::NotRunning);
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
