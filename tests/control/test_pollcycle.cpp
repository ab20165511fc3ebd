#include "ControlRig.h"

#include <QSignalSpy>
#include <QTest>

class TestPollCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void start_sendsReportingSwitchesForTheMode_data();
    void start_sendsReportingSwitchesForTheMode();
    void start_undeterminedModeRunsDetection();
    void rhythm_firstStatusQueryAndEvery200Passes_data();
    void rhythm_firstStatusQueryAndEvery200Passes();
    void pass_cutsOneLineAndRefreshesLamps();
    void searchHold_forcedOnOnlyAfterTheLimit_data();
    void searchHold_forcedOnOnlyAfterTheLimit();
    void pacing_waitsForScanDelayUnlessALineWaits_data();
    void pacing_waitsForScanDelayUnlessALineWaits();
    void suspend_noPassesWhileTextQueues();
    void searchRange_programsLimitsAndDetects_data();
    void searchRange_programsLimitsAndDetects();

private:
    /// A rig whose poll cycle has started in the given mode; passes are run by hand.
    static void startIn(ControlRig& rig, int mode);
};

void TestPollCycle::startIn(ControlRig& rig, int mode) {
    // A long scan delay keeps the timer out of the way while the test runs passes itself.
    rig.switches.setScanDelay(20);
    rig.state.gMode = quint8(mode);
    rig.monitor.poll().start();
    rig.takeCommands();
}

void TestPollCycle::start_sendsReportingSwitchesForTheMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("showFreq");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("scan") << 0 << false << QStringList{"QUN", "IDF", "MUA", "FIF", "SB", "SI"};
    QTest::newRow("scan, freq and talkgroup shown") << 0 << true << QStringList{"QUN", "IDF", "MUA", "FIN", "SB", "SI"};
    QTest::newRow("manual") << 1 << false << QStringList{"QUN", "IDF", "MUA", "FIF", "MA", "SI"};
    QTest::newRow("search resumes the search") << 2 << false << QStringList{"QUN", "IDF", "KEY09", "MUA", "FIF", "SI"};
    QTest::newRow("service search: common queries only") << 5 << false << QStringList{"MUA", "FIF", "SI"};
    QTest::newRow("trunk") << 9 << false << QStringList{"QUF", "IDN", "MUA", "FIF", "IDN", "SI"};
    QTest::newRow("id scan") << 11 << false << QStringList{"QUF", "IDN", "MUA", "FIF", "IDN", "IS", "SI"};
}

void TestPollCycle::start_sendsReportingSwitchesForTheMode() {
    QFETCH(int, mode);
    QFETCH(bool, showFreq);
    QFETCH(QStringList, commands);

    ControlRig rig;
    rig.switches.setShowFreqAndTalkgroup(showFreq);
    rig.state.gMode = quint8(mode);
    rig.state.gMuteState = 0;
    rig.state.gSignalActive = true;
    rig.state.gPollCount = 77;
    rig.monitor.poll().start();
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(int(rig.state.gMuteState), 1);
    QCOMPARE(rig.display.text("tbMUTE"), QStringLiteral("MUTE AUTO"));
    QCOMPARE(int(rig.state.gPollCount), 1);
    QCOMPARE(rig.state.gSignalActive, mode > 2);
    QVERIFY(rig.monitor.poll().isRunning());
}

void TestPollCycle::start_undeterminedModeRunsDetection() {
    ControlRig rig;
    rig.state.gMode = ModeCode::Undetermined;
    rig.monitor.poll().start();
    QCOMPARE(rig.takeCommands(), QStringList{"MD"});
    QVERIFY(!rig.monitor.poll().isRunning());
}

void TestPollCycle::rhythm_firstStatusQueryAndEvery200Passes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("firstQuery");
    QTest::newRow("scan") << 0 << 49;
    QTest::newRow("search, nothing held") << 2 << 8;
}

void TestPollCycle::rhythm_firstStatusQueryAndEvery200Passes() {
    QFETCH(int, mode);
    QFETCH(int, firstQuery);

    ControlRig rig;
    startIn(rig, mode);
    PollCycle& poll = rig.monitor.poll();
    QList<int> queryPasses;
    for (int pass = 1; pass <= firstQuery + 400; ++pass) {
        poll.runPass();
        if (rig.takeCommands().contains(QStringLiteral("SQ")))
            queryPasses.append(pass);
    }
    QCOMPARE(queryPasses, (QList<int>{firstQuery, firstQuery + 200, firstQuery + 400}));
}

void TestPollCycle::pass_cutsOneLineAndRefreshesLamps() {
    ControlRig rig;
    int lampRefreshes = 0;
    rig.monitor.setLampRefresh([&] { ++lampRefreshes; });
    startIn(rig, 1);
    rig.state.gRxBuffer = QStringLiteral("N\rN2\rpart");
    rig.monitor.poll().runPass();
    QCOMPARE(rig.state.gReply, QStringLiteral("N"));
    QCOMPARE(rig.state.gRxBuffer, QStringLiteral("N2\rpart"));
    rig.monitor.poll().runPass();
    QCOMPARE(rig.state.gReply, QStringLiteral("N2"));
    rig.monitor.poll().runPass();
    QCOMPARE(rig.state.gReply, QString());
    QCOMPARE(rig.state.gRxBuffer, QStringLiteral("part"));
    QCOMPARE(lampRefreshes, 3);
}

void TestPollCycle::searchHold_forcedOnOnlyAfterTheLimit_data() {
    QTest::addColumn<int>("holdStart");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<bool>("logging");
    QTest::addColumn<QString>("keyEntry");
    QTest::addColumn<bool>("forced");
    QTest::addColumn<int>("loggedNow"); // -1: no log line

    const QTime at110 = QTime::fromMSecsSinceStartOfDay(110000);
    const QTime at110half = QTime::fromMSecsSinceStartOfDay(110500);
    QTest::newRow("exactly at the limit: held") << 100 << 10 << at110 << true << "" << false << -1;
    QTest::newRow("half a second later: forced") << 100 << 10 << at110half << true << "" << true << 111;
    QTest::newRow("log switch off: forced, no log") << 100 << 10 << at110half << false << "" << true << -1;
    QTest::newRow("digits typed stay shown") << 100 << 10 << at110half << false << "15" << true << -1;
    QTest::newRow("limit 0, hold stamped just ahead by rounding")
        << 100 << 0 << QTime::fromMSecsSinceStartOfDay(99600) << false << "" << false << -1;
    QTest::newRow("limit 0, later second")
        << 100 << 0 << QTime::fromMSecsSinceStartOfDay(100400) << false << "" << true << -1;
    QTest::newRow("across midnight, not yet") << 86395 << 10 << QTime(0, 0, 4) << true << "" << false << -1;
    QTest::newRow("across midnight, over") << 86395 << 10 << QTime(0, 0, 5, 500) << true << "" << true << 6;
}

void TestPollCycle::searchHold_forcedOnOnlyAfterTheLimit() {
    QFETCH(int, holdStart);
    QFETCH(int, limit);
    QFETCH(QTime, now);
    QFETCH(bool, logging);
    QFETCH(QString, keyEntry);
    QFETCH(bool, forced);
    QFETCH(int, loggedNow);

    ControlRig rig;
    startIn(rig, ModeCode::Search);
    rig.switches.setSearchLogging(logging);
    rig.state.gKeyEntry = keyEntry;
    rig.display.setText("tbfreq", QStringLiteral("154.2500"));
    rig.display.setText("tbModMode", QStringLiteral("NFM"));
    rig.state.gSearchHoldStart = holdStart;
    rig.state.gSearchHoldLimit = qint16(limit);
    rig.clock.set(QDate(2001, 2, 16), now);
    rig.state.gPollCount = 100; // away from the status-query pass
    rig.monitor.poll().runPass();

    const QStringList sent = rig.takeCommands();
    QCOMPARE(sent.contains(QStringLiteral("KEY09")), forced);
    QCOMPARE(rig.state.gSearchHoldStart, forced ? 0 : holdStart);
    const QString shown = forced && keyEntry.isEmpty() ? QStringLiteral(" SEARCH ") : QStringLiteral("154.2500");
    QCOMPARE(rig.display.text("tbfreq"), shown);
    QCOMPARE(rig.log.search.size(), loggedNow < 0 ? 0 : 1);
    if (loggedNow >= 0) {
        const RecordingLog::SearchEntry& e = rig.log.search.first();
        QCOMPARE(e.start, holdStart);
        QCOMPARE(e.now, loggedNow);
        QCOMPARE(e.freq, QStringLiteral("154.2500"));
        QCOMPARE(e.mode, QStringLiteral("NFM"));
        QCOMPARE(e.kind, QStringLiteral("FORCED"));
    }
}

void TestPollCycle::pacing_waitsForScanDelayUnlessALineWaits_data() {
    QTest::addColumn<int>("scanDelay");
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<int>("delayMs");

    QTest::newRow("default delay, idle") << 2 << "" << 20;
    QTest::newRow("longest delay") << 20 << "" << 200;
    QTest::newRow("delay 0 still sleeps 1 ms") << 0 << "" << 1;
    QTest::newRow("a line waits: at once") << 2 << "+\r" << 0;
    QTest::newRow("partial line: paced") << 2 << "C12" << 20;
    QTest::newRow("lone CR is no line") << 2 << "\r" << 20;
}

void TestPollCycle::pacing_waitsForScanDelayUnlessALineWaits() {
    QFETCH(int, scanDelay);
    QFETCH(QString, buffer);
    QFETCH(int, delayMs);

    ControlRig rig;
    rig.switches.setScanDelay(scanDelay);
    rig.state.gRxBuffer = buffer;
    QCOMPARE(rig.monitor.poll().nextPassDelayMs(), delayMs);
}

void TestPollCycle::suspend_noPassesWhileTextQueues() {
    ControlRig rig;
    rig.switches.setScanDelay(0);
    rig.state.gMode = 1;
    PollCycle& poll = rig.monitor.poll();
    QSignalSpy passes(&poll, &PollCycle::passDone);
    poll.start();
    QTRY_VERIFY(passes.count() > 0);

    rig.monitor.suspend();
    passes.clear();
    const int count = rig.state.gPollCount;
    poll.runPass();
    rig.port->feed("C0010154250000000N00N00000F\r");
    QTRY_VERIFY(rig.state.gRxBuffer.contains(QStringLiteral("C001")));
    QCOMPARE(passes.count(), 0);
    QCOMPARE(int(rig.state.gPollCount), count);

    poll.resume();
    QTRY_VERIFY(!rig.state.gRxBuffer.contains(QStringLiteral("C001")));
    QVERIFY(passes.count() > 0);
}

void TestPollCycle::searchRange_programsLimitsAndDetects_data() {
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<int>("dwell");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("limit");

    QTest::newRow("155.5 to 156, ten seconds")
        << "155.5"
        << "156" << 1 << QStringList{"QUN", "LL01555000", "LU01560000", "KEY09", "MD"} << 10;
    QTest::newRow("dwell off") << "154.000"
                               << "156.000" << 0 << QStringList{"QUN", "LL01540000", "LU01560000", "KEY09", "MD"} << 0;
    QTest::newRow("thirty minutes") << "29"
                                    << "1300.0125" << 8 << QStringList{"QUN", "LL00290000", "LU13000125", "KEY09", "MD"}
                                    << 1800;
    QTest::newRow("unknown dwell") << "154"
                                   << "155" << 9 << QStringList{"QUN", "LL01540000", "LU01550000", "KEY09", "MD"} << 0;
    QTest::newRow("text that is no number reads as 0")
        << "abc"
        << " 155.5 MHz" << 3 << QStringList{"QUN", "LL00000000", "LU01555000", "KEY09", "MD"} << 60;
}

void TestPollCycle::searchRange_programsLimitsAndDetects() {
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(int, dwell);
    QFETCH(QStringList, commands);
    QFETCH(int, limit);

    ControlRig rig;
    rig.state.gMode = ModeCode::RangeSearch;
    rig.monitor.searchRange(low, high, dwell, 1);
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(int(rig.state.gSearchHoldLimit), limit);
    QCOMPARE(rig.monitor.detector().phase(), ModeDetector::Phase::AwaitingMode);
}

QTEST_GUILESS_MAIN(TestPollCycle)
#include "test_pollcycle.moc"
