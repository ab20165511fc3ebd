#include "ControlRig.h"

#include <QSignalSpy>
#include <QTest>

#include <optional>

class TestModeDetector : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUp_scanModeAsksModeThenSwitchesReportingOn();
    void modeNumber_readsTwoCharactersAfterMd_data();
    void modeNumber_readsTwoCharactersAfterMd();
    void detection_laysOutDisplayAndSendsQueryOnlyOnChange_data();
    void detection_laysOutDisplayAndSendsQueryOnlyOnChange();
    void detection_lineBeforeModeReplyIsDiscarded();
    void detection_modeLineInTwoPiecesIsAwaited();
    void detection_modeWithoutNumberIsAskedAgain();
    void silentScanner_messageAfterEveryOkNeverTwoAtOnce();
    void newerCheckMode_replacesRunningDetection();
    void checkMode_stopsRunningPollCycle();
    void goBackToFacePlate_showsFaceplateAndDetects();
};

void TestModeDetector::startUp_scanModeAsksModeThenSwitchesReportingOn() {
    ControlRig rig;
    rig.modeAnswers = {QStringLiteral("MD00\r")};
    rig.monitor.start();
    QTRY_VERIFY(rig.monitor.poll().isRunning());
    const QStringList expected = {"MD", "SB", "QUN", "IDF", "MUA", "FIF", "SB", "SI"};
    QCOMPARE(rig.takeCommands().mid(0, expected.size()), expected);
    QCOMPARE(int(rig.state.gMode), 0);
    QCOMPARE(rig.state.gModeName, QStringLiteral("SCAN"));
    QCOMPARE(rig.display.text("tbMUTE"), QStringLiteral("MUTE AUTO"));
    QCOMPARE(rig.prompter.count("inform"), 0);
}

void TestModeDetector::modeNumber_readsTwoCharactersAfterMd_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("mode"); // -1: not a mode reply

    QTest::newRow("two digits") << "MD02" << 2;
    QTest::newRow("leading zero") << "MD00" << 0;
    QTest::newRow("leading space") << "MD 1" << 1;
    QTest::newRow("two-digit mode") << "MD12" << 12;
    QTest::newRow("text before MD") << "xxMD05" << 5;
    QTest::newRow("one digit, line ends") << "MD9" << 9;
    QTest::newRow("letters") << "MDAB" << -1;
    QTest::newRow("digit then letter") << "MD1X" << -1;
    QTest::newRow("nothing after MD") << "MD" << -1;
    QTest::newRow("blanks after MD") << "MD  " << -1;
    QTest::newRow("no MD") << "SBABC" << -1;
}

void TestModeDetector::modeNumber_readsTwoCharactersAfterMd() {
    QFETCH(QString, reply);
    QFETCH(int, mode);
    const std::optional<int> got = ModeDetector::modeNumber(reply);
    QCOMPARE(got.value_or(-1), mode);
}

void TestModeDetector::detection_laysOutDisplayAndSendsQueryOnlyOnChange_data() {
    QTest::addColumn<int>("previous");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("query"); // empty: none
    QTest::addColumn<bool>("entryCleared");
    QTest::addColumn<QString>("modeName");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("fieldText");

    QTest::newRow("MD02 after scan: entry cleared, no query") << 0 << "MD02\r" << 2 << "" << true << "SEARCH"
                                                              << "tbSCAN"
                                                              << "";
    QTest::newRow("MD02 twice: no query, entry kept") << 2 << "MD02\r" << 2 << "" << false << "SEARCH"
                                                      << "tbSEARCH"
                                                      << "SEARCH";
    QTest::newRow("MD 1 from scan: MA") << 0 << "MD 1\r" << 1 << "MA" << true << "MANUAL"
                                        << "tbMANUAL"
                                        << "MANUAL";
    QTest::newRow("scan from undetermined: SB") << 255 << "MD00\r" << 0 << "SB" << true << "SCAN"
                                                << "tbSCAN"
                                                << "SCAN";
    QTest::newRow("search hold: up arrow") << 0 << "MD03\r" << 3 << "" << true << "SEARCH"
                                           << "tbSRCHUP" << QString(QChar(0x00AD));
    QTest::newRow("search hold again: HOLD shown") << 3 << "MD03\r" << 3 << "" << false << "SEARCH"
                                                   << "tbHOLD"
                                                   << "HOLD";
    QTest::newRow("service held again: PUB") << 5 << "MD05\r" << 5 << "" << false << "SVC"
                                             << "tbSVC_PUB"
                                             << "PUB";
    QTest::newRow("trunk entered: TB") << 0 << "MD09\r" << 9 << "TB" << true << "MOT2TRUNK"
                                       << "tbfreq"
                                       << "TRUNKING";
    QTest::newRow("trunk again: banner kept") << 9 << "MD09\r" << 9 << "" << false << "TRUNK"
                                              << "tbfreq"
                                              << " TRUNK ";
    QTest::newRow("trunk held entered: TB") << 0 << "MD10\r" << 10 << "TB" << true << "TRNKHOLD"
                                            << "tbfreq"
                                            << "Id HOLD";
    QTest::newRow("pick trunk: no query") << 0 << "MD08\r" << 8 << "" << true << "PICKTRUNK"
                                          << "tbfreq"
                                          << "TRUNKING";
    QTest::newRow("id scan: IS") << 0 << "MD11\r" << 11 << "IS" << true << "TRUNKSCAN"
                                 << "tbfreq"
                                 << "Id SCAN";
    QTest::newRow("id hold: IC") << 0 << "MD12\r" << 12 << "IC" << true << "TRUNKHOLD"
                                 << "tbfreq"
                                 << "Id HOLD";
    QTest::newRow("mode 7 unsupported") << 0 << "MD07\r" << 7 << "" << true << ""
                                        << "StatusLine"
                                        << "Mode #7 is unsupported at this time.";
    QTest::newRow("mode 15 unsupported") << 0 << "MD15\r" << 15 << "" << true << ""
                                         << "StatusLine"
                                         << "Mode #15 is unsupported at this time.";
}

void TestModeDetector::detection_laysOutDisplayAndSendsQueryOnlyOnChange() {
    QFETCH(int, previous);
    QFETCH(QString, answer);
    QFETCH(int, mode);
    QFETCH(QString, query);
    QFETCH(bool, entryCleared);
    QFETCH(QString, modeName);
    QFETCH(QString, field);
    QFETCH(QString, fieldText);

    ControlRig rig;
    rig.state.gMode = quint8(previous);
    rig.state.gKeyEntry = QStringLiteral("15");
    QVERIFY(rig.detect(answer));
    // What went out before the poll cycle's own start-up commands.
    QStringList beforePoll = rig.port->writtenLines();
    const QStringList pollStart = {"QUN", "QUF", "MUA"};
    for (qsizetype i = 0; i < beforePoll.size(); ++i) {
        if (pollStart.contains(beforePoll.at(i))) {
            beforePoll = beforePoll.mid(0, i);
            break;
        }
    }

    QCOMPARE(int(rig.state.gMode), mode);
    QCOMPARE(beforePoll, query.isEmpty() ? QStringList{"MD"} : (QStringList{"MD", query}));
    QCOMPARE(rig.state.gKeyEntry.isEmpty(), entryCleared);
    QCOMPARE(rig.state.gModeName, modeName);
    QCOMPARE(rig.display.text(field), fieldText);
}

void TestModeDetector::detection_lineBeforeModeReplyIsDiscarded() {
    ControlRig rig;
    rig.state.gMode = 1;
    QVERIFY(rig.detect(QStringLiteral("SBACT\rMD00\r")));
    QCOMPARE(int(rig.state.gMode), 0);
    QCOMPARE(rig.state.gReply.left(4), QStringLiteral("MD00"));
    QCOMPARE(rig.state.gPrevReply, QStringLiteral("SBACT"));
    QVERIFY(!rig.state.gRxBuffer.contains(QStringLiteral("SB")));
}

void TestModeDetector::detection_modeLineInTwoPiecesIsAwaited() {
    ControlRig rig;
    rig.state.gMode = 0;
    rig.monitor.checkMode();
    rig.port->feed("MD0");
    QTRY_COMPARE(rig.monitor.detector().phase(), ModeDetector::Phase::CuttingLines);
    QCOMPARE(int(rig.state.gMode), 255);
    rig.port->feed("2\r");
    QTRY_VERIFY(rig.monitor.poll().isRunning());
    QCOMPARE(int(rig.state.gMode), 2);
}

void TestModeDetector::detection_modeWithoutNumberIsAskedAgain() {
    ControlRig rig;
    rig.state.gMode = 0;
    rig.modeAnswers = {QStringLiteral("MDXX\r"), QStringLiteral("MD01\r")};
    rig.monitor.checkMode();
    QTRY_VERIFY(rig.monitor.poll().isRunning());
    QCOMPARE(int(rig.state.gMode), 1);
    QCOMPARE(rig.port->writtenLines().mid(0, 3), (QStringList{"MD", "MD", "MA"}));
    QCOMPARE(rig.prompter.count("inform"), 0);
}

void TestModeDetector::silentScanner_messageAfterEveryOkNeverTwoAtOnce() {
    ControlRig rig;
    rig.prompter.setAcknowledgeInform(false);
    ModeDetector& detector = rig.monitor.detector();
    rig.monitor.start();
    QCOMPARE(rig.takeCommands(), QStringList{"MD"});

    rig.clock.advanceMs(5099);
    detector.checkDeadline();
    QCOMPARE(rig.prompter.count("inform"), 0);
    rig.clock.advanceMs(1);
    detector.checkDeadline();
    QCOMPARE(rig.prompter.count("inform"), 1);
    const ScriptedPrompter::Call box = rig.prompter.calls().constLast();
    QCOMPARE(box.title, rig.state.gAppTitle);
    QCOMPARE(box.icon, Prompter::Icon::Critical);
    QCOMPARE(box.text, QStringLiteral("The scanner doesn't appear to be connected to the PC\r\n"
                                      "Please verify that the radio is connected to the correct COM port\r\n"
                                      "and that the scanner is in SOFTWARE CONTROL MODE\r\n"
                                      "\r\n"
                                      "Click OK to retry connection\r\n"));

    // While the box waits: no query, no second box, even when another detection is asked for.
    rig.clock.advanceMs(60000);
    detector.checkDeadline();
    rig.monitor.checkMode();
    detector.checkDeadline();
    QCOMPARE(rig.prompter.count("inform"), 1);
    QCOMPARE(rig.takeCommands(), QStringList{});

    // OK: asked again, and the message comes back 5.1 s later.
    QVERIFY(rig.prompter.acknowledgePending());
    QCOMPARE(rig.takeCommands(), QStringList{"MD"});
    rig.clock.advanceMs(5000);
    detector.checkDeadline();
    QCOMPARE(rig.prompter.count("inform"), 1);
    rig.clock.advanceMs(100);
    detector.checkDeadline();
    QCOMPARE(rig.prompter.count("inform"), 2);

    // The scanner wakes up while the second box waits: after OK the late answer is taken.
    rig.port->feed("MD01\r");
    QTRY_VERIFY(rig.state.gRxBuffer.contains(QStringLiteral("MD01")));
    QVERIFY(!rig.monitor.poll().isRunning());
    QVERIFY(rig.prompter.acknowledgePending());
    QTRY_VERIFY(rig.monitor.poll().isRunning());
    QCOMPARE(int(rig.state.gMode), 1);
}

void TestModeDetector::newerCheckMode_replacesRunningDetection() {
    ControlRig rig;
    rig.state.gMode = 0;
    ModeDetector& detector = rig.monitor.detector();
    QSignalSpy detected(&detector, &ModeDetector::modeDetected);
    rig.monitor.checkMode();
    rig.clock.advanceMs(3000);
    rig.monitor.checkMode();
    QCOMPARE(rig.takeCommands(), (QStringList{"MD", "MD"}));
    // The first detection's deadline has passed, the second's has not.
    rig.clock.advanceMs(2500);
    detector.checkDeadline();
    QCOMPARE(rig.prompter.count("inform"), 0);

    rig.port->feed("MD01\r");
    QTRY_VERIFY(rig.monitor.poll().isRunning());
    QCOMPARE(detected.count(), 1);
    QCOMPARE(rig.takeCommands().count(QStringLiteral("QUN")), 1);
    // The inner detection started from 255, so the mode counts as newly entered.
    QCOMPARE(detector.previousMode(), 255);
}

void TestModeDetector::checkMode_stopsRunningPollCycle() {
    ControlRig rig;
    QVERIFY(rig.detect(QStringLiteral("MD00\r")));
    rig.modeAnswers.clear();
    rig.monitor.checkMode();
    QVERIFY(!rig.monitor.poll().isRunning());
    QCOMPARE(int(rig.state.gMode), 255);
    const int count = rig.state.gPollCount;
    rig.monitor.poll().runPass();
    QCOMPARE(int(rig.state.gPollCount), count);
}

void TestModeDetector::goBackToFacePlate_showsFaceplateAndDetects() {
    ControlRig rig;
    QSignalSpy shown(&rig.monitor, &Monitor::faceplateRequested);
    rig.monitor.goBackToFacePlate();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(rig.takeCommands(), QStringList{"MD"});
    QCOMPARE(rig.monitor.detector().phase(), ModeDetector::Phase::AwaitingMode);
}

QTEST_GUILESS_MAIN(TestModeDetector)
#include "test_modedetector.moc"
