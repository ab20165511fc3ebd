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

    /// Runs a detection that the scanner answers with these mode lines, and waits for the poll cycle.
    bool detect(const QStringList& answers) {
        modeAnswers = answers;
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
};

struct Pacing {
    int mode, scanDelay, pollCount, holdStart, delayMs; // the clock is at second 43200 of the day
    QString buffer;
};

struct SearchHold {
    int holdStart, limit, nowMs, loggedNow; // loggedNow -1: no log line
    QString keyEntry;
    bool forced;
};

struct Range {
    QString low, high, limits; // limits empty: refused
    int dwell, seconds;
};

/// Keys typed one after another, on the keypad or the main keyboard; shown: tbfreq ("x" before) after each key.
struct Typed {
    int mode, channel;
    QString keys, commands, entry, shown;
    bool keypad, detects, portOpen = true;
    quint8 model = ScannerModel::Pro2052;
};

Q_DECLARE_METATYPE(Detection)
Q_DECLARE_METATYPE(Pacing)
Q_DECLARE_METATYPE(SearchHold)
Q_DECLARE_METATYPE(Range)
Q_DECLARE_METATYPE(Typed)

class TestControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void modeNumber_readsTwoCharactersAfterMd() {
        const std::pair<const char*, int> rows[] = {{"xxMD05", 5}, {"MD9", 9}, {"MD1X", -1}, {"MD  ", -1}, {"SB", -1}};
        for (const auto& [reply, mode] : rows)
            QCOMPARE(ModeDetector::modeNumber(QString::fromLatin1(reply)).value_or(-1), mode);
    }

    void detection_asksWhatANewModeShowsThenStartsPolling_data() {
        QTest::addColumn<Detection>("row");
        const auto row = [](const char* name, const Detection& r) { QTest::newRow(name) << r; };
        row("start-up in scan", {255, 0, "MD00\r", "MD SB QUN IDF MUA FIN SB SI", "SCAN", "tbSCAN", "SCAN"});
        row("search after scan: no query", {0, 2, "MD02\r", "MD QUN IDF KEY09 MUA FIN SI", "SEARCH", "tbSCAN", ""});
        row("MD 1 from scan", {0, 1, "MD 1\r", "MD MA QUN IDF MUA FIN MA SI", "MANUAL", "tbMANUAL", "MANUAL"});
        row("service held again: common queries only", {5, 5, "MD05\r", "MD MUA FIN SI", "SVC", "tbSVC_PUB", "PUB"});
        row("trunk entered", {0, 9, "MD09\r", "MD TB QUF IDN MUA FIN IDN SI", "MOT2TRUNK", "tbfreq", "TRUNKING"});
        row("trunk again: banner kept", {9, 9, "MD09\r", "MD QUF IDN MUA FIN IDN SI", "TRUNK", "tbfreq", " TRUNK "});
        row("id scan", {0, 11, "MD11\r", "MD IS QUF IDN MUA FIN IDN IS SI", "TRUNKSCAN", "tbfreq", "Id SCAN"});
        row("id hold", {0, 12, "MD12\r", "MD IC QUF IDN MUA FIN IC IDN SI", "TRUNKHOLD", "tbfreq", "Id HOLD"});
        row("mode 7", {0, 7, "MD07\r", "MD MUA FIN SI", "", "StatusLine", "Mode #7 is unsupported at this time."});
        row("mode 13", {9, 13, "MD13\r", "MD MUA FIN SI", "", "StatusLine", "Mode #13 is unsupported at this time."});
    }

    void detection_asksWhatANewModeShowsThenStartsPolling() {
        QFETCH(Detection, row);
        ControlRig rig(row.previous);
        rig.switches.setScanDelay(20);
        rig.switches.setShowFreqAndTalkgroup(true);
        rig.state.gKeyEntry = QStringLiteral("15");
        rig.state.gSignalActive = true;
        QVERIFY(rig.detect({row.answer}));
        QCOMPARE(rig.takeCommands().join(' '), row.commands);
        QCOMPARE(int(rig.state.gMode), row.mode);
        QCOMPARE(rig.state.gKeyEntry.isEmpty(), row.mode != row.previous);
        QCOMPARE(rig.state.gModeName, row.modeName);
        QCOMPARE(rig.display.text(row.field), row.text);
        QCOMPARE(rig.state.gSignalActive, row.mode > 2);
    }

    void modeLine_onlyAWholeNumberedOneCounts() {
        ControlRig rig(ModeCode::Manual);
        // A line before it is skipped; one without a number is asked again, at most every 100 ms.
        rig.modeAnswers = {QStringLiteral("SBACT\rMDxx\r"), QStringLiteral("MDxx\r"), QStringLiteral("MDxx\r"),
                           QStringLiteral("MD0")};
        const auto queries = [&] { return rig.transport->writtenLines().count(QStringLiteral("MD")); };
        QElapsedTimer elapsed;
        elapsed.start();
        rig.monitor.checkMode();
        QTRY_COMPARE(queries(), 4);
        // Three repeats wait three intervals of 100 ms (a precise timer may wake a millisecond early).
        QVERIFY2(elapsed.elapsed() >= 3 * 99, qPrintable(QString::number(elapsed.elapsed())));
        // A mode line in two pieces is awaited, not asked again.
        QTest::qWait(2 * ModeDetector::kRetryMs);
        QCOMPARE(queries(), 4);
        rig.transport->feed("2\r");
        QTRY_VERIFY(rig.monitor.poll().isRunning());
        QCOMPARE(int(rig.state.gMode), 2);
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

        // While the box waits: no query and no second box, even when another detection is asked for.
        rig.monitor.checkMode();
        QCOMPARE(informsAfterMs(60000), 1);
        QCOMPARE(rig.takeCommands(), QStringList{});

        // OK: asked again; a scanner that answers without a mode number gets the message 5.1 s later.
        rig.modeAnswers = {QStringLiteral("MDxx\r")};
        QVERIFY(rig.prompter.acknowledgePending());
        QTRY_COMPARE(rig.transport->writtenLines().count(QStringLiteral("MD")), 2);
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

    void newerDetection_replacesRunningOneAndSearchEntryHandsScannerAway() {
        ControlRig rig;
        QVERIFY(rig.detect({QStringLiteral("MD00\r")}));
        rig.modeAnswers.clear();
        QSignalSpy detected(&rig.monitor.detector(), &ModeDetector::modeDetected);
        rig.monitor.checkMode();
        QVERIFY(!rig.monitor.poll().isRunning());

        // Going back to the faceplate starts a detection of its own; the first one's deadline no longer counts.
        rig.clock.advanceMs(3000);
        rig.monitor.goBackToFacePlate();
        rig.clock.advanceMs(2500);
        rig.monitor.detector().checkDeadline();
        QCOMPARE(rig.prompter.count("inform"), 0);

        rig.transport->feed("MD01\r");
        QTRY_VERIFY(rig.monitor.poll().isRunning());
        QCOMPARE(detected.count(), 1);
        // The inner detection started from 255, so the mode counts as newly entered.
        QCOMPARE(rig.monitor.detector().previousMode(), 255);

        // Search entry hands the scanner to the range-search window.
        rig.monitor.actions().searchMode();
        QCOMPARE(int(rig.state.gMode), int(ModeCode::RangeSearch));
        // The window has the scanner: a pass already due leaves what comes back to the window.
        rig.transport->feed("LL01555000\r");
        QTRY_VERIFY(rig.state.gRxBuffer.contains(QStringLiteral("LL")));
        rig.monitor.poll().runPass();
        QVERIFY(rig.state.gRxBuffer.contains(QStringLiteral("LL")));

        // The window hands back through searchRange: detection and a fresh cycle in search mode.
        rig.modeAnswers = {QStringLiteral("MD02\r")};
        rig.monitor.searchRange(QStringLiteral("155.5"), QStringLiteral("156"), 2);
        QTRY_VERIFY(rig.monitor.poll().isRunning() && !rig.monitor.poll().isSuspended());
        QCOMPARE(int(rig.state.gMode), 2);
    }

    // Each pass refreshes the lamps and cuts one line off the buffer; every 200 passes it asks the status.
    void pollPass_cutsOneLineRefreshesLampsAndAsksStatusEvery200() {
        ControlRig rig(ModeCode::Scan);
        int lampRefreshes = 0;
        rig.monitor.setLampRefresh([&] { ++lampRefreshes; });
        PollCycle& poll = rig.startPolling();
        // A stray CR in front is no line; the rest waits for the next pass.
        rig.state.gRxBuffer = QStringLiteral("\rN\rN2\rpart");
        poll.runPass();
        QCOMPARE(rig.state.gReply + "|" + rig.state.gRxBuffer, QStringLiteral("N|N2\rpart"));
        QList<int> queryPasses;
        for (int pass = 2; pass <= 449; ++pass) {
            poll.runPass();
            if (rig.takeCommands().contains(QStringLiteral("SQ")))
                queryPasses.append(pass);
        }
        QCOMPARE(queryPasses, (QList<int>{49, 249, 449}));
        QCOMPARE(lampRefreshes, 449);
    }

    void searchHold_forcedOnOnlyAfterTheLimit_data() {
        QTest::addColumn<SearchHold>("row");
        const auto row = [](const char* name, const SearchHold& r) { QTest::newRow(name) << r; };
        row("exactly at the limit: held", {100, 10, 110000, -1, "", false});
        row("half a second later: forced, logged, typed digits stay", {100, 10, 110500, 111, "15", true});
        row("limit 0: forced at the next pass", {100, 0, 100500, -1, "", true});
        row("across midnight, over", {86395, 10, 5500, 6, "", true});
    }

    void searchHold_forcedOnOnlyAfterTheLimit() {
        QFETCH(SearchHold, row);
        ControlRig rig(ModeCode::Search);
        PollCycle& poll = rig.startPolling();
        rig.switches.setSearchLogging(row.loggedNow >= 0);
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
        QTest::addColumn<Pacing>("row");
        const auto row = [](const char* name, const Pacing& r) { QTest::newRow(name) << r; };
        row("scan: to the status query", {0, 2, 40, 0, 200, ""});
        row("scan, delay 0: passes of 1 ms", {0, 0, 1, 0, 49, ""});
        row("search after the query: wraps", {2, 2, 9, 0, PollCycle::kIdleWakeMs, ""});
        row("search held: the pass past the limit", {2, 2, 1, 43190, 20, ""});
        row("partial line: asleep", {1, 2, 1, 0, PollCycle::kIdleWakeMs, "C12"});
        row("a line waits: at once", {1, 2, 1, 0, 0, "+\r"});
        row("a line behind a stray CR: at once", {1, 2, 1, 0, 0, "\r+\r"});
    }

    void pollPacing_sleepsToTheNextTimedWorkUnlessALineWaits() {
        QFETCH(Pacing, row);
        ControlRig rig(row.mode);
        rig.switches.setScanDelay(row.scanDelay);
        rig.state.gPollCount = quint8(row.pollCount);
        rig.state.gSearchHoldStart = row.holdStart;
        rig.state.gSearchHoldLimit = 10;
        rig.state.gRxBuffer = row.buffer;
        QCOMPARE(rig.monitor.poll().nextPassDelayMs(), row.delayMs);
    }

    // The sleep ends when a line comes in, and the passes slept through count: at delay 0 at once, otherwise at
    // the pass the paced cycle would have reached. Either way long before the sleep of kIdleWakeMs was over.
    void idleCycle_lineWakesItAndSleptPassesCount() {
        // scan delay, ms slept, gPollCount after the pass
        for (const auto& [scanDelay, sleptMs, pollCount] : {std::tuple(0, 10, 12), std::tuple(2, 30, 3)}) {
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

    void searchRange_programsLimitsAndDetects_data() {
        QTest::addColumn<Range>("row");
        const auto row = [](const char* name, const Range& r) { QTest::newRow(name) << r; };
        row("155.5 to 156, ten seconds", {"155.5", "156", "LL01555000 LU01560000", 1, 10});
        row("dwell off", {"154.000", "156.000", "LL01540000 LU01560000", 0, 0});
        row("whole range, thirty minutes", {"25", " 1300 MHz", "LL00250000 LU13000000", 8, 1800});
        row("unknown dwell", {"154", "155", "LL01540000 LU01550000", 9, 0});
        // Refused: nothing is sent but the mode query, the hold limit stays at its 900 s.
        row("text that is no number reads as 0, refused", {"abc", "155.5", "", 3, 900});
        row("past the top, refused", {"29", "1300.0125", "", 8, 900});
    }

    void searchRange_programsLimitsAndDetects() {
        QFETCH(Range, row);
        ControlRig rig(ModeCode::RangeSearch);
        rig.monitor.searchRange(row.low, row.high, row.dwell, 1);
        QCOMPARE(rig.takeCommands().join(' '), row.limits.isEmpty() ? "MD" : "QUN " + row.limits + " KEY09 MD");
        QCOMPARE(rig.prompter.count("inform"), row.limits.isEmpty() ? 1 : 0);
        QCOMPARE(int(rig.state.gSearchHoldLimit), row.seconds);
    }

    void faceplateActions_cycleIndicatorsAndClearMemoryOnlyWhenConfirmed() {
        ControlRig rig;
        QStringList shown;
        for (int i = 0; i < 3; ++i) {
            for (const Button b : {Button::Mute, Button::Delay, Button::Shift})
                rig.monitor.keys().press(b);
            shown << rig.display.text("tbMUTE") + "|" + rig.display.text("tbDELAY") + "|" +
                         rig.display.text("tbSHIFT") + (rig.state.gShift ? "+" : "-");
        }
        QCOMPARE(shown, (QStringList{"MUTE ON|DELAY|SHIFT+", "MUTE OFF||-", "MUTE AUTO|DELAY|SHIFT+"}));
        QCOMPARE(rig.takeCommands().join(' '), "MUN KEY12 KEY14 MUF KEY12 KEY14 MUA KEY12 KEY14");

        // Clearing the memory sends nothing when cancelled.
        for (const bool ok : {false, true}) {
            rig.prompter.queueConfirm(ok);
            rig.monitor.actions().clearMemory();
            // The answer comes from the event loop; a zero timer posted now runs after it.
            bool answered = false;
            QTimer::singleShot(0, [&answered] { answered = true; });
            QTRY_VERIFY(answered);
            QCOMPARE(rig.transport->writtenLines(), ok ? QStringList{"AC"} : QStringList{});
        }
    }

    void typedKeys_showDigitsAndStepChannels_data() {
        QTest::addColumn<Typed>("row");
        const auto row = [](const char* name, const Typed& typed) { QTest::newRow(name) << typed; };
        row("manual", {1, 0, "123", "KEY02 1,MA,KEY02 2,MA,KEY02 3,MA", "123", "1,12,123", true, false});
        row("manual, other model", {1, 0, "5", "KEY02 5", "5", "x", true, false, true, ScannerModel::Bc780xlt});
        row("search: digit shown, nothing asked", {2, 0, "5", "KEY02 5", "5", "5", true, false});
        row("id hold: digit joins the display", {12, 0, "5", "KEY02 5,IC,IDN", "5", "x5", true, false});
        row("main-keyboard 5: nothing", {0, 0, "5", "", "", "x", false, false});
        row("keypad - wraps 1 to 1000", {1, 1, "-", "KEY02 1,KEY02 0,KEY02 0,KEY02 0,KEY01,MA", "", "x", true, false});
        row("keypad - outside manual, port closed", {0, 120, "-", "", "", "x", true, true, false});
        row("m at 120", {1, 120, "m", "KEY02 1,KEY02 1,KEY02 9,KEY01", "", "x", false, false});
        row("m outside manual", {2, 120, "m", "KEY01,MD", "", "x", false, true});
        row("keypad * scans and asks the channel", {1, 0, "*", "KEY00,MA,MD", "", "x", true, true});
    }

    void typedKeys_showDigitsAndStepChannels() {
        QFETCH(Typed, row);
        ControlRig rig(row.mode);
        rig.state.gScannerModel = row.model;
        rig.state.gChannelNum = qint16(row.channel);
        rig.display.setText("tbfreq", QStringLiteral("x"));
        if (!row.portOpen)
            rig.transport->close();
        Keyboard& keyboard = rig.monitor.keyboard();
        QStringList shown;
        for (const QChar key : row.keys) {
            // Qt's key codes for digits, letters and "-" are their upper-case characters.
            keyboard.keyDown(
                Keyboard::vbKeyCodeFor(key.toUpper().unicode(), row.keypad ? Qt::KeypadModifier : Qt::NoModifier));
            keyboard.keyPress(Keyboard::charCodeFor(QString(key)));
            shown << rig.display.text("tbfreq");
        }
        QCOMPARE(rig.takeCommands().join(','), row.commands);
        QCOMPARE(shown.join(','), row.shown);
        QCOMPARE(rig.state.gKeyEntry, row.entry);
        QCOMPARE(rig.monitor.detector().isRunning(), row.detects);
    }
};

QTEST_GUILESS_MAIN(TestControl)
#include "test_control.moc"
