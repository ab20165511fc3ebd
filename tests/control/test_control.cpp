#include "MonitorRig.h"
#include "monitor/FaceplateActions.h"
#include "monitor/KeyHandlers.h"
#include "monitor/Keyboard.h"
#include "monitor/ModeDetector.h"
#include "monitor/Monitor.h"
#include "monitor/PollCycle.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Button = KeyHandlers::Button;

/// A monitor over an in-memory port whose scanner end answers "MD" from modeAnswers (the last one
/// repeats; none is a silent scanner) and ignores everything else.
struct ControlRig : MonitorContextRig {
    Monitor monitor{ctx};
    QStringList modeAnswers;
    int answerIndex = 0;

    explicit ControlRig(int mode = ModeCode::Undetermined) {
        ctx.lookups = nullptr;
        ctx.remote = nullptr;
        state.gMode = quint8(mode);
        QObject::connect(transport, &MemoryTransport::written, [this](const QByteArray& bytes) {
            if (bytes == "MD\r" && !modeAnswers.isEmpty())
                transport->feed(modeAnswers.at(qMin(answerIndex++, int(modeAnswers.size()) - 1)).toLatin1());
        });
    }

    /// Runs a detection that the scanner answers with this mode line, and waits for the poll cycle.
    bool detect(const QString& answer) {
        modeAnswers = {answer};
        answerIndex = 0;
        monitor.checkMode();
        return QTest::qWaitFor([this] { return monitor.poll().isRunning(); });
    }

    /// Starts the poll cycle in the current mode; a long scan delay leaves the passes to the test.
    PollCycle& startPolling() {
        switches.setScanDelay(20);
        monitor.poll().start();
        takeCommands();
        return monitor.poll();
    }
};

/// commands: all that goes out from the mode query up to the poll cycle's "SI".
struct Detection {
    int previous, mode;
    QString answer, commands, modeName, field, text;
    bool showFreq = false;
};

struct SearchHold {
    int holdStart, limit, nowMs, loggedNow; // loggedNow -1: no log line
    bool logging, forced;
    QString keyEntry;
};

struct TypedKey {
    Qt::Key key;
    bool keypad;
    QString text;
    int mode, channel;
    QStringList commands;
    bool detects;
    QString entry; // "9" before the key
    bool portOpen = true;
};

Q_DECLARE_METATYPE(KeyHandlers::Button)
Q_DECLARE_METATYPE(Detection)
Q_DECLARE_METATYPE(SearchHold)
Q_DECLARE_METATYPE(TypedKey)

class TestControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void modeNumber_readsTwoCharactersAfterMd_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("mode"); // -1: not a mode reply
        QTest::newRow("text before MD") << "xxMD05" << 5;
        QTest::newRow("one digit, line ends") << "MD9" << 9;
        QTest::newRow("letters") << "MDAB" << -1;
        QTest::newRow("digit then letter") << "MD1X" << -1;
        QTest::newRow("blanks after MD") << "MD  " << -1;
        QTest::newRow("no MD") << "SBABC" << -1;
    }

    void modeNumber_readsTwoCharactersAfterMd() {
        QFETCH(QString, reply);
        QFETCH(int, mode);
        QCOMPARE(ModeDetector::modeNumber(reply).value_or(-1), mode);
    }

    void detection_asksWhatANewModeShowsThenStartsPolling_data() {
        QTest::addColumn<Detection>("row");
        const auto row = [](const char* name, const Detection& d) { QTest::newRow(name) << d; };
        row("start-up in scan", {255, 0, "MD00\r", "MD SB QUN IDF MUA FIF SB SI", "SCAN", "tbSCAN", "SCAN"});
        row("scan, freq and talkgroup shown",
            {255, 0, "MD00\r", "MD SB QUN IDF MUA FIN SB SI", "SCAN", "tbSCAN", "SCAN", true});
        row("MD02 after scan: entry cleared, no query",
            {0, 2, "MD02\r", "MD QUN IDF KEY09 MUA FIF SI", "SEARCH", "tbSCAN", ""});
        row("MD02 twice: entry kept", {2, 2, "MD02\r", "MD QUN IDF KEY09 MUA FIF SI", "SEARCH", "tbSEARCH", "SEARCH"});
        row("MD 1 from scan", {0, 1, "MD 1\r", "MD MA QUN IDF MUA FIF MA SI", "MANUAL", "tbMANUAL", "MANUAL"});
        row("service held again: common queries only", {5, 5, "MD05\r", "MD MUA FIF SI", "SVC", "tbSVC_PUB", "PUB"});
        row("trunk entered", {0, 9, "MD09\r", "MD TB QUF IDN MUA FIF IDN SI", "MOT2TRUNK", "tbfreq", "TRUNKING"});
        row("trunk again: banner kept", {9, 9, "MD09\r", "MD QUF IDN MUA FIF IDN SI", "TRUNK", "tbfreq", " TRUNK "});
        row("id scan", {0, 11, "MD11\r", "MD IS QUF IDN MUA FIF IDN IS SI", "TRUNKSCAN", "tbfreq", "Id SCAN"});
        row("id hold", {0, 12, "MD12\r", "MD IC QUF IDN MUA FIF IC IDN SI", "TRUNKHOLD", "tbfreq", "Id HOLD"});
        row("mode 7 unsupported",
            {0, 7, "MD07\r", "MD MUA FIF SI", "", "StatusLine", "Mode #7 is unsupported at this time."});
        row("search held entered: up arrow", {0, 3, "MD03\r", "MD MUA FIF SI", "SEARCH", "tbSRCHUP", "\u00AD"});
        row("pick trunk entered", {0, 8, "MD08\r", "MD QUF IDN MUA FIF IDN IS SI", "PICKTRUNK", "tbfreq", "TRUNKING"});
        row("trunk hold entered", {0, 10, "MD10\r", "MD TB QUF IDN MUA FIF IDN SI", "TRNKHOLD", "tbfreq", "Id HOLD"});
        row("trunk hold again", {10, 10, "MD10\r", "MD QUF IDN MUA FIF IDN SI", "TRUNK", "tbfreq", " TRUNK "});
        row("mode 13 unsupported",
            {9, 13, "MD13\r", "MD MUA FIF SI", "", "StatusLine", "Mode #13 is unsupported at this time."});
    }

    void detection_asksWhatANewModeShowsThenStartsPolling() {
        QFETCH(Detection, row);
        ControlRig rig(row.previous);
        rig.switches.setScanDelay(20);
        rig.switches.setShowFreqAndTalkgroup(row.showFreq);
        rig.state.gKeyEntry = QStringLiteral("15");
        rig.state.gMuteState = 0;
        rig.state.gSignalActive = true;
        QVERIFY(rig.detect(row.answer));
        QCOMPARE(rig.takeCommands().join(' '), row.commands);
        QCOMPARE(int(rig.state.gMode), row.mode);
        QCOMPARE(rig.state.gKeyEntry.isEmpty(), row.mode != row.previous);
        QCOMPARE(rig.state.gModeName, row.modeName);
        QCOMPARE(rig.display.text(row.field), row.text);
        QCOMPARE(rig.display.text("tbMUTE"), QStringLiteral("MUTE AUTO"));
        QCOMPARE(int(rig.state.gMuteState), 1);
        QCOMPARE(rig.state.gSignalActive, row.mode > 2);
        QCOMPARE(rig.prompter.count("inform"), 0);
    }

    void detection_skipsWhatIsNotAWholeModeLine() {
        ControlRig rig(1);
        // A line before the mode reply is discarded.
        QVERIFY(rig.detect(QStringLiteral("SBACT\rMD00\r")));
        QCOMPARE(int(rig.state.gMode), 0);
        QCOMPARE(rig.state.gPrevReply, QStringLiteral("SBACT"));
        QVERIFY(!rig.state.gRxBuffer.contains(QStringLiteral("SB")));

        // A mode reply without a number is asked again.
        rig.takeCommands();
        rig.modeAnswers = {QStringLiteral("MDXX\r"), QStringLiteral("MD01\r")};
        rig.answerIndex = 0;
        rig.monitor.checkMode();
        QTRY_VERIFY(rig.monitor.poll().isRunning());
        QCOMPARE(int(rig.state.gMode), 1);
        QCOMPARE(rig.takeCommands().mid(0, 3), (QStringList{"MD", "MD", "MA"}));

        // A mode line in two pieces is awaited.
        rig.modeAnswers.clear();
        rig.monitor.checkMode();
        rig.transport->feed("MD0");
        QTRY_COMPARE(rig.monitor.detector().phase(), ModeDetector::Phase::CuttingLines);
        QCOMPARE(int(rig.state.gMode), 255);
        rig.transport->feed("2\r");
        QTRY_VERIFY(rig.monitor.poll().isRunning());
        QCOMPARE(int(rig.state.gMode), 2);
        QCOMPARE(rig.prompter.count("inform"), 0);
    }

    void modeReplyWithoutNumber_askedAgainAtMostEvery100msWithinTheDeadline() {
        ControlRig rig;
        rig.modeAnswers = {QStringLiteral("MDxx\r")};
        QElapsedTimer elapsed;
        elapsed.start();
        rig.monitor.checkMode();
        QTRY_VERIFY(rig.transport->writtenLines().count(QStringLiteral("MD")) >= 4);
        // Three repeats wait three intervals of 100 ms (a precise timer may wake a millisecond early).
        QVERIFY2(elapsed.elapsed() >= 3 * 99, qPrintable(QString::number(elapsed.elapsed())));
        rig.clock.advanceMs(ModeDetector::kReplyTimeoutMs);
        rig.monitor.detector().checkDeadline();
        QCOMPARE(rig.prompter.count("inform"), 1);
    }

    void silentScanner_messageAfterEveryOkNeverTwoAtOnce() {
        ControlRig rig;
        rig.prompter.setAcknowledgeInform(false);
        const auto informsAfterMs = [&](int ms) {
            rig.clock.advanceMs(ms);
            rig.monitor.detector().checkDeadline();
            return rig.prompter.count("inform");
        };
        rig.monitor.start();
        QCOMPARE(rig.takeCommands(), QStringList{"MD"});
        QCOMPARE(informsAfterMs(5099), 0);
        QCOMPARE(informsAfterMs(1), 1);
        QCOMPARE(rig.prompter.calls().constLast().icon, Prompter::Icon::Critical);

        // While the box waits: no query and no second box, even when another detection is asked for.
        QCOMPARE(informsAfterMs(60000), 1);
        rig.monitor.checkMode();
        QCOMPARE(informsAfterMs(0), 1);
        QCOMPARE(rig.takeCommands(), QStringList{});

        // OK: asked again, and the message comes back 5.1 s later.
        QVERIFY(rig.prompter.acknowledgePending());
        QCOMPARE(rig.takeCommands(), QStringList{"MD"});
        QCOMPARE(informsAfterMs(5000), 1);
        QCOMPARE(informsAfterMs(100), 2);

        // The scanner wakes up while the second box waits: after OK the late answer is taken.
        rig.transport->feed("MD01\r");
        QTRY_VERIFY(rig.state.gRxBuffer.contains(QStringLiteral("MD01")));
        QVERIFY(!rig.monitor.poll().isRunning());
        QVERIFY(rig.prompter.acknowledgePending());
        QTRY_VERIFY(rig.monitor.poll().isRunning());
        QCOMPARE(int(rig.state.gMode), 1);
    }

    void newerDetection_stopsPollingAndReplacesRunningOne() {
        ControlRig rig;
        QVERIFY(rig.detect(QStringLiteral("MD00\r")));
        rig.modeAnswers.clear();
        rig.takeCommands();
        QSignalSpy detected(&rig.monitor.detector(), &ModeDetector::modeDetected);
        QSignalSpy faceplate(&rig.monitor, &Monitor::faceplateRequested);
        rig.monitor.checkMode();
        QVERIFY(!rig.monitor.poll().isRunning());
        QCOMPARE(int(rig.state.gMode), 255);

        // Going back to the faceplate shows it and starts a detection of its own.
        rig.clock.advanceMs(3000);
        rig.monitor.goBackToFacePlate();
        QCOMPARE(faceplate.count(), 1);
        QCOMPARE(rig.takeCommands(), (QStringList{"MD", "MD"}));
        // The first detection's deadline has passed, the second's has not.
        rig.clock.advanceMs(2500);
        rig.monitor.detector().checkDeadline();
        QCOMPARE(rig.prompter.count("inform"), 0);

        rig.transport->feed("MD01\r");
        QTRY_VERIFY(rig.monitor.poll().isRunning());
        QCOMPARE(detected.count(), 1);
        // The inner detection started from 255, so the mode counts as newly entered.
        QCOMPARE(rig.monitor.detector().previousMode(), 255);
    }

    void pollRhythm_firstStatusQueryAndEvery200Passes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("firstQuery");
        QTest::newRow("scan") << 0 << 49;
        QTest::newRow("search, nothing held") << 2 << 8;
    }

    void pollRhythm_firstStatusQueryAndEvery200Passes() {
        QFETCH(int, mode);
        QFETCH(int, firstQuery);
        ControlRig rig(mode);
        PollCycle& poll = rig.startPolling();
        QList<int> queryPasses;
        for (int pass = 1; pass <= firstQuery + 400; ++pass) {
            poll.runPass();
            if (rig.takeCommands().contains(QStringLiteral("SQ")))
                queryPasses.append(pass);
        }
        QCOMPARE(queryPasses, (QList<int>{firstQuery, firstQuery + 200, firstQuery + 400}));
    }

    void pollPass_cutsOneLineAndRefreshesLamps_data() {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("after"); // gReply|gRxBuffer
        QTest::newRow("two lines and a partial") << "N\rN2\rpart"
                                                 << "N|N2\rpart";
        QTest::newRow("a stray CR in front") << "\rN\r"
                                             << "N|";
    }

    void pollPass_cutsOneLineAndRefreshesLamps() {
        QFETCH(QString, buffer);
        QFETCH(QString, after);
        ControlRig rig(ModeCode::Manual);
        int lampRefreshes = 0;
        rig.monitor.setLampRefresh([&] { ++lampRefreshes; });
        rig.startPolling();
        rig.state.gRxBuffer = buffer;
        rig.monitor.poll().runPass();
        QCOMPARE(rig.state.gReply + "|" + rig.state.gRxBuffer, after);
        QCOMPARE(lampRefreshes, 1);
    }

    void searchHold_forcedOnOnlyAfterTheLimit_data() {
        QTest::addColumn<SearchHold>("row");
        QTest::newRow("exactly at the limit: held") << SearchHold{100, 10, 110000, -1, true, false, ""};
        QTest::newRow("half a second later: forced") << SearchHold{100, 10, 110500, 111, true, true, ""};
        QTest::newRow("log off, digits typed: forced, shown") << SearchHold{100, 10, 110500, -1, false, true, "15"};
        QTest::newRow("limit 0: forced at the next pass") << SearchHold{100, 0, 100500, -1, false, true, ""};
        QTest::newRow("limit 0, hold stamped just ahead by rounding")
            << SearchHold{100, 0, 99600, -1, false, false, ""};
        QTest::newRow("across midnight, not yet") << SearchHold{86395, 10, 4000, -1, true, false, ""};
        QTest::newRow("across midnight, over") << SearchHold{86395, 10, 5500, 6, true, true, ""};
    }

    void searchHold_forcedOnOnlyAfterTheLimit() {
        QFETCH(SearchHold, row);
        ControlRig rig(ModeCode::Search);
        PollCycle& poll = rig.startPolling();
        rig.switches.setSearchLogging(row.logging);
        rig.state.gKeyEntry = row.keyEntry;
        rig.display.setText("tbfreq", QStringLiteral("154.2500"));
        rig.display.setText("tbModMode", QStringLiteral("NFM"));
        rig.state.gSearchHoldStart = row.holdStart;
        rig.state.gSearchHoldLimit = qint16(row.limit);
        rig.clock.set(QDate(2001, 2, 16), QTime::fromMSecsSinceStartOfDay(row.nowMs));
        rig.state.gPollCount = 100; // away from the status-query pass
        poll.runPass();

        QCOMPARE(rig.takeCommands().contains(QStringLiteral("KEY09")), row.forced);
        QCOMPARE(rig.state.gSearchHoldStart, row.forced ? 0 : row.holdStart);
        QCOMPARE(rig.display.text("tbfreq"), row.forced && row.keyEntry.isEmpty() ? " SEARCH " : "154.2500");
        const QString entry = QStringLiteral("search,%1,%2,154.2500,NFM,FORCED").arg(row.holdStart).arg(row.loggedNow);
        QCOMPARE(rig.log.lines, row.loggedNow < 0 ? QStringList{} : QStringList{entry});
    }

    void pollPacing_sleepsToTheNextTimedWorkUnlessALineWaits_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("scanDelay");
        QTest::addColumn<int>("pollCount");
        QTest::addColumn<int>("holdStart"); // the clock is at second 43200 of the day
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("scan: to the status query") << 0 << 2 << 40 << 0 << "" << 200;
        QTest::newRow("scan, delay 0: passes of 1 ms") << 0 << 0 << 1 << 0 << "" << 49;
        QTest::newRow("search after the query: wraps") << 2 << 2 << 9 << 0 << "" << PollCycle::kIdleWakeMs;
        QTest::newRow("search held: the pass past the limit") << 2 << 2 << 1 << 43190 << "" << 20;
        QTest::newRow("manual: only the lamps") << 1 << 0 << 1 << 0 << "" << PollCycle::kIdleWakeMs;
        QTest::newRow("partial line: asleep") << 1 << 2 << 1 << 0 << "C12" << PollCycle::kIdleWakeMs;
        QTest::newRow("a line waits: at once") << 1 << 2 << 1 << 0 << "+\r" << 0;
        QTest::newRow("a line behind a stray CR: at once") << 1 << 2 << 1 << 0 << "\r+\r" << 0;
    }

    void pollPacing_sleepsToTheNextTimedWorkUnlessALineWaits() {
        QFETCH(int, mode);
        QFETCH(int, scanDelay);
        QFETCH(int, pollCount);
        QFETCH(int, holdStart);
        QFETCH(QString, buffer);
        QFETCH(int, delayMs);
        ControlRig rig(mode);
        rig.switches.setScanDelay(scanDelay);
        rig.state.gPollCount = quint8(pollCount);
        rig.state.gSearchHoldStart = holdStart;
        rig.state.gSearchHoldLimit = 10;
        rig.state.gRxBuffer = buffer;
        QCOMPARE(rig.monitor.poll().nextPassDelayMs(), delayMs);
    }

    // The sleep ends when a line comes in, and the passes slept through count: at delay 0 at once, otherwise at
    // the pass the paced cycle would have reached. Either way long before the sleep of kIdleWakeMs was over.
    void idleCycle_lineWakesItAndSleptPassesCount_data() {
        QTest::addColumn<int>("scanDelay");
        QTest::addColumn<int>("sleptMs");
        QTest::addColumn<int>("pollCount");
        QTest::newRow("delay 0") << 0 << 10 << 12;
        QTest::newRow("delay 2: to the next 20 ms") << 2 << 30 << 3;
    }

    void idleCycle_lineWakesItAndSleptPassesCount() {
        QFETCH(int, scanDelay);
        QFETCH(int, sleptMs);
        QFETCH(int, pollCount);
        ControlRig rig(ModeCode::Manual);
        rig.switches.setScanDelay(scanDelay);
        PollCycle& poll = rig.monitor.poll();
        QSignalSpy passes(&poll, &PollCycle::passDone);
        poll.start();
        rig.clock.advanceMs(sleptMs);
        rig.transport->feed("C0010154250000000N00N00000F\r");
        QVERIFY(passes.wait());
        QCOMPARE(int(rig.state.gPollCount), pollCount);
        QCOMPARE(rig.state.gReply.left(4), QStringLiteral("C001"));
    }

    void silentScanner_dimsTheDisplayUntilTextArrives() {
        ControlRig rig(ModeCode::Manual);
        QSignalSpy status(&rig.monitor, &Monitor::statusLine);
        PollCycle& poll = rig.startPolling(); // "MA" and "SI" are never answered
        rig.clock.advanceMs(PollCycle::kSilenceLimitMs - 1);
        poll.checkSilence();
        QVERIFY(!rig.display.isDimmed());
        rig.clock.advanceMs(1);
        poll.checkSilence();
        QVERIFY(rig.display.isDimmed());
        QCOMPARE(status.count(), 1);
        // It asks again, so it finds out by itself when the scanner is back.
        QCOMPARE(rig.takeCommands(), QStringList{"SQ"});
        rig.transport->feed("N\r");
        QTRY_VERIFY(!rig.display.isDimmed());
        QCOMPARE(status.count(), 2);
        QVERIFY(status.constLast().constFirst().toString().contains(QStringLiteral("answering again")));

        // A key gets no answer of its own, and a port that went away is no silent scanner.
        rig.monitor.keys().press(Button::Enter);
        rig.clock.advanceMs(2 * PollCycle::kSilenceLimitMs);
        poll.checkSilence();
        rig.monitor.keys().pressDigit(5);
        rig.transport->close();
        rig.clock.advanceMs(2 * PollCycle::kSilenceLimitMs);
        poll.checkSilence();
        QVERIFY(!rig.display.isDimmed());
    }

    void suspend_noPassesWhileTextQueues() {
        ControlRig rig(ModeCode::Manual);
        rig.switches.setScanDelay(0);
        PollCycle& poll = rig.monitor.poll();
        QSignalSpy passes(&poll, &PollCycle::passDone);
        poll.start();
        rig.monitor.suspend();
        poll.runPass();
        rig.transport->feed("C0010154250000000N00N00000F\r");
        QTRY_VERIFY(rig.state.gRxBuffer.contains(QStringLiteral("C001")));
        QCOMPARE(passes.count(), 0);
        poll.resume();
        QTRY_VERIFY(!rig.state.gRxBuffer.contains(QStringLiteral("C001")));
    }

    void searchRange_programsLimitsAndDetects_data() {
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<int>("dwell");
        QTest::addColumn<QString>("limits");
        QTest::addColumn<int>("seconds");
        QTest::newRow("155.5 to 156, ten seconds") << QString("155.5") << "156" << 1 << "LL01555000 LU01560000" << 10;
        QTest::newRow("dwell off") << QString("154.000") << "156.000" << 0 << "LL01540000 LU01560000" << 0;
        QTest::newRow("whole range, thirty minutes")
            << QString("25") << " 1300 MHz" << 8 << "LL00250000 LU13000000" << 1800;
        QTest::newRow("unknown dwell") << QString("154") << "155" << 9 << "LL01540000 LU01550000" << 0;
        // Refused (no limits): nothing is sent but the mode query, the hold limit stays at its 900 s.
        QTest::newRow("text that is no number reads as 0, refused") << QString("abc") << "155.5" << 3 << "" << 900;
        QTest::newRow("past the top, refused") << QString("29") << "1300.0125" << 8 << "" << 900;
        QTest::newRow("past the pattern, refused") << QString("155") << "999999999999999" << 1 << "" << 900;
    }

    void searchRange_programsLimitsAndDetects() {
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(int, dwell);
        QFETCH(QString, limits);
        QFETCH(int, seconds);
        ControlRig rig(ModeCode::RangeSearch);
        rig.monitor.searchRange(low, high, dwell, 1);
        QCOMPARE(rig.takeCommands().join(' '), limits.isEmpty() ? "MD" : "QUN " + limits + " KEY09 MD");
        QCOMPARE(rig.prompter.count("inform"), limits.isEmpty() ? 1 : 0);
        QCOMPARE(int(rig.state.gSearchHoldLimit), seconds);
        QCOMPARE(rig.monitor.detector().phase(), ModeDetector::Phase::AwaitingMode);
    }

    void button_sendsItsCodeWithItsRules_data() {
        QTest::addColumn<Button>("button");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("drained"); // stale replies gone before the key went out
        // One row per rule, in scan mode with entry "12" and a stale reply waiting.
        QTest::newRow("SCAN drains") << Button::Scan << QStringList{"KEY00", "MD"} << "" << true;
        QTest::newRow("MAN") << Button::Manual << QStringList{"KEY01", "MD"} << "" << false;
        QTest::newRow("7") << Button::Num7 << QStringList{"KEY02 7", "SB"} << "127" << false;
        QTest::newRow("DEC") << Button::Decimal << QStringList{"KEY03", "SB"} << "12" << false;
        QTest::newRow("E") << Button::Enter << QStringList{"KEY04"} << "" << false;
        QTest::newRow("SKIP keeps the entry") << Button::Skip << QStringList{"KEY06"} << "12" << true;
        QTest::newRow("HOLD") << Button::Hold << QStringList{"KEY07", "SB", "MD"} << "" << false;
        QTest::newRow("SRCH") << Button::Search << QStringList{"KEY09", "MD"} << "12" << true;
        QTest::newRow("SHFT") << Button::Shift << QStringList{"KEY14"} << "12" << false;
    }

    void button_sendsItsCodeWithItsRules() {
        QFETCH(Button, button);
        QFETCH(QStringList, commands);
        QFETCH(QString, entry);
        QFETCH(bool, drained);
        ControlRig rig(ModeCode::Scan);
        rig.state.gKeyEntry = QStringLiteral("12");
        rig.state.gRxBuffer = QStringLiteral("SBABC\r");
        bool emptyWhenSent = false;
        QObject::connect(&rig.link, &SerialLink::commandWritten, [&](const QString& command) {
            if (command == commands.constFirst())
                emptyWhenSent = rig.state.gRxBuffer.isEmpty();
        });
        rig.monitor.keys().press(button);
        QCOMPARE(rig.takeCommands(), commands);
        QCOMPARE(rig.state.gKeyEntry, entry);
        QCOMPARE(emptyWhenSent, drained);
    }

    void muteDelayShift_cycleTheirIndicators() {
        ControlRig rig;
        QStringList shown;
        for (int i = 0; i < 3; ++i) {
            for (const Button b : {Button::Mute, Button::Delay, Button::Shift})
                rig.monitor.keys().press(b);
            shown << QStringList{rig.display.text("tbMUTE"), QString::number(rig.state.gMuteState),
                                 rig.display.text("tbDELAY"),
                                 rig.display.text("tbSHIFT") + (rig.state.gShift ? "+" : "-")}
                         .join('|');
        }
        QCOMPARE(shown, (QStringList{"MUTE ON|2|DELAY|SHIFT+", "MUTE OFF|0||-", "MUTE AUTO|1|DELAY|SHIFT+"}));
        QCOMPARE(rig.takeCommands().join(' '), "MUN KEY12 KEY14 MUF KEY12 KEY14 MUA KEY12 KEY14");
    }

    void digits_showTheEntryAndAskWhatTheModeShows_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("shown"); // tbfreq after each digit
        const int pro = ScannerModel::Pro2052;
        const int bc = ScannerModel::Bc780xlt;
        QTest::newRow("manual: entry shown, channel asked")
            << 1 << pro << "123" << QStringList{"KEY02 1", "MA", "KEY02 2", "MA", "KEY02 3", "MA"} << "1,12,123";
        QTest::newRow("manual, other model: nothing") << 1 << bc << "5" << QStringList{"KEY02 5"} << "x";
        QTest::newRow("search: entry shown, nothing asked") << 2 << pro << "5" << QStringList{"KEY02 5"} << "5";
        QTest::newRow("pick trunk") << 8 << pro << "5" << QStringList{"KEY02 5", "IDN", "IS"} << "x";
        QTest::newRow("id scan") << 11 << pro << "5" << QStringList{"KEY02 5", "IDN", "IS"} << "x";
        QTest::newRow("id scan, other model") << 11 << bc << "5" << QStringList{"KEY02 5", "IDN"} << "x";
        QTest::newRow("id hold: digit joins the display")
            << 12 << pro << "5" << QStringList{"KEY02 5", "IC", "IDN"} << "x5";
    }

    void digits_showTheEntryAndAskWhatTheModeShows() {
        QFETCH(int, mode);
        QFETCH(int, model);
        QFETCH(QString, digits);
        QFETCH(QStringList, commands);
        QFETCH(QString, shown);
        ControlRig rig(mode);
        rig.state.gScannerModel = quint8(model);
        rig.display.setText("tbfreq", QStringLiteral("x"));
        QStringList seen;
        for (const QChar digit : digits) {
            rig.monitor.keys().pressDigit(digit.digitValue());
            seen << rig.display.text("tbfreq");
        }
        QCOMPARE(rig.takeCommands(), commands);
        QCOMPARE(seen.join(','), shown);
        QCOMPARE(rig.state.gKeyEntry, digits);
    }

    void keyboard_sendsWhatTheFaceplateKeyboardSends_data() {
        QTest::addColumn<TypedKey>("row");
        const auto row = [](const char* name, const TypedKey& key) { QTest::newRow(name) << key; };
        row("Enter sends KEY04 twice", {Qt::Key_Return, false, "\r", 0, 0, {"KEY04", "SB", "KEY04"}, false, ""});
        row("keypad 5 once", {Qt::Key_5, true, "5", 0, 0, {"KEY02 5", "SB"}, false, "95"});
        row("main 5 nothing", {Qt::Key_5, false, "5", 0, 0, {}, false, "9"});
        row("` is 0", {Qt::Key_QuoteLeft, false, "`", 0, 0, {"KEY02 0"}, false, "9"});
        row("c is 3", {Qt::Key_C, false, "c", 0, 0, {"KEY02 3"}, false, "9"});
        row("C is nothing", {Qt::Key_C, false, "C", 0, 0, {}, false, "9"});
        row("keypad * in scan", {Qt::Key_Asterisk, true, "*", 0, 0, {"KEY00", "MA"}, false, ""});
        row("j in manual", {Qt::Key_J, false, "j", 1, 0, {"KEY00", "MD"}, true, "9"});
        row("keypad - at 1 wraps to 1000",
            {Qt::Key_Minus, true, "-", 1, 1, {"KEY02 1", "KEY02 0", "KEY02 0", "KEY02 0", "KEY01", "MA"}, false, ""});
        row("keypad - outside manual, port closed", {Qt::Key_Minus, true, "-", 0, 120, {}, true, "", false});
        row("m at 120", {Qt::Key_M, false, "m", 1, 120, {"KEY02 1", "KEY02 1", "KEY02 9", "KEY01"}, false, "9"});
        row("m outside manual", {Qt::Key_M, false, "m", 2, 120, {"KEY01", "MD"}, true, "9"});
        row("o", {Qt::Key_O, false, "o", 0, 0, {"KEY13", "MA", "MD"}, true, "9"});
    }

    void keyboard_sendsWhatTheFaceplateKeyboardSends() {
        QFETCH(TypedKey, row);
        ControlRig rig(row.mode);
        rig.state.gChannelNum = qint16(row.channel);
        rig.state.gKeyEntry = QStringLiteral("9");
        rig.aux.setText("Text2", 4, QStringLiteral("tag"));
        if (!row.portOpen)
            rig.transport->close();
        Keyboard& keyboard = rig.monitor.keyboard();
        keyboard.keyDown(Keyboard::vbKeyCodeFor(row.key, row.keypad ? Qt::KeypadModifier : Qt::NoModifier));
        keyboard.keyPress(Keyboard::charCodeFor(row.text));
        QCOMPARE(rig.takeCommands(), row.commands);
        QCOMPARE(rig.monitor.detector().isRunning(), row.detects);
        QCOMPARE(rig.state.gKeyEntry, row.entry);
        QCOMPARE(rig.aux.text("Text2", 4), QString());
    }

    void clearMemory_cancelSendsNothing() {
        ControlRig rig;
        for (const bool ok : {false, true}) {
            rig.prompter.queueConfirm(ok);
            rig.monitor.actions().clearMemory();
            // The answer comes from the event loop; a zero timer posted now runs after it.
            bool answered = false;
            QTimer::singleShot(0, [&answered] { answered = true; });
            QTRY_VERIFY(answered);
            QCOMPARE(rig.transport->writtenLines(), ok ? QStringList{"AC"} : QStringList{});
        }
        QCOMPARE(rig.prompter.count("confirm"), 2);
    }

    void menuEntries_toggleAndSwitchModes() {
        ControlRig rig;
        FaceplateActions& actions = rig.monitor.actions();
        actions.toggleShowFreqAndTalkgroup();
        QVERIFY(rig.switches.showFreqAndTalkgroup());
        actions.toggleShowFreqAndTalkgroup();
        QVERIFY(!rig.switches.showFreqAndTalkgroup());
        actions.manualMode();
        actions.scanMode();
        QCOMPARE(rig.takeCommands().join(' '), "FIN FIF KEY01 MD KEY00 MD");
        QVERIFY(rig.monitor.detector().isRunning());

        // A second open of the aux display only says it is open already.
        actions.openAuxDisplay();
        QVERIFY(rig.aux.windowVisible());
        QCOMPARE(rig.prompter.count("inform"), 0);
        actions.openAuxDisplay();
        QCOMPARE(rig.prompter.count("inform"), 1);
        QCOMPARE(rig.prompter.calls().constFirst().title, QStringLiteral("Aux Display Error!"));
    }

    void searchEntry_handsScannerToRangeSearch() {
        ControlRig rig;
        QVERIFY(rig.detect(QStringLiteral("MD00\r")));
        QSignalSpy opened(&rig.monitor, &Monitor::rangeSearchRequested);
        rig.monitor.actions().searchMode();
        QCOMPARE(opened.count(), 1);
        QCOMPARE(rig.state.gModeName, QStringLiteral("0"));
        QCOMPARE(int(rig.state.gMode), int(ModeCode::RangeSearch));
        QVERIFY(rig.monitor.poll().isSuspended());

        // The window hands back through searchRange: detection and a fresh cycle in search mode.
        rig.modeAnswers = {QStringLiteral("MD02\r")};
        rig.monitor.searchRange(QStringLiteral("155.5"), QStringLiteral("156"), 2);
        QTRY_VERIFY(rig.monitor.poll().isRunning() && !rig.monitor.poll().isSuspended());
        QCOMPARE(int(rig.state.gMode), 2);
    }
};

QTEST_GUILESS_MAIN(TestControl)
#include "test_control.moc"
