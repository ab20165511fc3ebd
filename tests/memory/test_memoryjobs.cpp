// Backup and restore against the simulated scanner: what lands in the database, what the scanner holds
// afterwards, and what the operator is told when the scanner does not answer or does not take a channel. Then
// the bank types: the table of types and banks as the BankType window and a restore use it.
#include "ManualClock.h"
#include "MonitorRig.h"
#include "Pro2052Model.h"
#include "PtyHost.h"
#include "ScriptedPrompter.h"
#include "SessionRig.h"
#include "Simulator.h"
#include "SimulatorTransport.h"
#include "link/SerialLink.h"
#include "link/SerialTransport.h"
#include "memory/BackupJob.h"
#include "memory/BankTypes.h"
#include "memory/RestoreJob.h"
#include "monitor/Monitor.h"
#include "protocol/MemoryReply.h"
#include "state/ScannerState.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(BackupChannel)

namespace {

// A memory worth backing up: every channel different (150 to 170 MHz, inside the PRO-2052's bands), some empty,
// delay and lockout mixed, one priority per bank.
MemoryChannel patternChannel(int n, int offset) {
    MemoryChannel c;
    if (n % 17 == 0)
        return c;
    c.steps = 1500000 + n * 200 + offset;
    c.delay = n % 3 == 0;
    c.lockout = n % 5 == 0;
    c.priority = n % 50 == 7;
    c.trunked = n == 960;
    return c;
}

struct Rig {
    explicit Rig(bool onPty) {
        Transport* transport = nullptr;
        if (onPty) {
            pty = std::make_unique<PtyHost>(&sim);
            pty->open();
            transport = new SerialTransport();
            transport->setDevice(pty->devicePath());
        } else {
            transport = new SimulatorTransport(&sim);
        }
        link.setTransport(transport);
        link.openPort();
        QObject::connect(&sim, &Simulator::commandReceived, [this](const QString& c) { commands.append(c); });
    }
    ~Rig() { link.setTransport(nullptr); }
    Pro2052Model& model() { return static_cast<Pro2052Model&>(sim.model()); }
    MemoryJobContext context() { return {state, link, db, clock}; }
    static MemoryJobResult waitFor(QSignalSpy& finished) {
        if (finished.isEmpty() && !finished.wait(60000))
            return {};
        return finished.first().first().value<MemoryJobResult>();
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ManualClock clock;
    ScannerState state;
    Simulator sim{Simulator::createModel(QStringLiteral("pro2052"))};
    std::unique_ptr<PtyHost> pty;
    SerialLink link{state};
    LocalDatabase db{dir.filePath(QStringLiteral("ValdoriaPro.mdb")), prompter};
    QStringList commands;
};

BackupChannel row(int channel, const QString& freq, bool delay = false, bool lockout = false, bool priority = false) {
    return {channel, freq, freq.toDouble(), false, delay, lockout, priority, {}};
}

// A new database: the eight installed types, every bank on type 0.
struct Bench : MonitorContextRig {
    QTemporaryDir dir;
    LocalDatabase db{LocalDatabase::pathForAppFolder(dir.path()), prompter};
    BankTypes job{state, link, db, prompter};

    Bench() { QVERIFY(db.open()); }
    void storeCode(int bank, const QVariant& code) {
        QVERIFY(db.exec(QStringLiteral("UPDATE BANKTYPES SET TRUNK_CODE = ? WHERE BANK_NUM = ?"), {code, bank}));
    }
};

} // namespace

class TestMemoryJobs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void memoryReply_readsFrequencyAndFlags_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("flags"); // trunked, delay, lockout, priority
        const auto row = [](const char* name, const char* line, int channel, const char* freq, const char* flags) {
            QTest::newRow(name) << line << channel << freq << flags;
        };
        row("three-digit MHz", "C001 F01545000 TN DF LF PRI N", 1, "154.5000", "1001");
        row("four-digit MHz", "C000 F12400000 TF DN LF PRI F", 1000, "1240.0000", "0100");
        row("one zero dropped", "C002 F00453250 TF DF LN PRI F", 2, "045.3250", "0010");
        row("empty channel", "C003 F00000000 TN DN LF PRI N", 3, "000.000", "0010");
        row("after other text", "OKC005 F01545000 TF DF LF PRI F", 5, "154.5000", "0000");
        row("another channel", "C004 F01545000 TF DF LF PRI F", 5, "", "");
        row("garbled digits",
            "C006 F01\x01"
            "45000 TF DF LF PRI F",
            6, "", "");
    }

    void memoryReply_readsFrequencyAndFlags() {
        QFETCH(QString, line);
        QFETCH(int, channel);
        QFETCH(QString, freq);
        QFETCH(QString, flags);
        const auto reply = MemoryReply::decode(line, channel);
        QCOMPARE(reply.has_value(), !freq.isEmpty());
        if (!reply)
            return;
        QCOMPARE(reply->frequencyText, freq);
        const QString got = QString::number(reply->trunked) + QString::number(reply->delay) +
                            QString::number(reply->lockout) + QString::number(reply->priority);
        QCOMPARE(got, flags);
    }

    void restoreCommands_inOrder_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<BackupChannel>("setRow");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("channel 1000, priority") << 1000 << row(1000, "154.5000", true, false, true)
                                                << QStringList{"PM000 01545000", "DLN", "LOF", "PC T050", "MA000"};
        QTest::newRow("four-digit MHz") << 51 << row(51, "1240.0000", false, true)
                                        << QStringList{"PM051 12400000", "DLF", "LON", "MA051"};
        QTest::newRow("short text, empty")
            << 7 << row(7, "08.5000") << QStringList{"PM007 00085000", "DLF", "LOF", "MA007"};
    }
    void restoreCommands_inOrder() {
        QFETCH(int, channel);
        QFETCH(BackupChannel, setRow);
        QFETCH(QStringList, commands);
        QCOMPARE(RestoreJob::commandsFor({channel, setRow}), commands);
    }

    // The names the operator sees in the set list; the date is the clock's (15 Feb 2001, 12:00), in the C locale.
    void setNames_carryTheDateInTheCLocale() {
        const QDate day(2001, 2, 15);
        QCOMPARE(BackupJob::setName("Home", day), "Home - 15 Feb 2001");
        QCOMPARE(BackupJob::setName("", day), "VDPro - 15 Feb 2001");
        QCOMPARE(RestoreJob::safetyBackupName("Home", QDateTime(day, QTime(12, 0))),
                 "Before restore of Home - 15 Feb 2001 12:00:00");
    }

    void backupThenRestore_onPty_scannerHoldsTheBackup() {
        Rig rig(true);
        for (int n = 1; n <= 1000; ++n)
            rig.model().setChannel(n, patternChannel(n, 0));
        rig.db.exec("INSERT INTO BANK20 (CHANNEL, FREQUENCY, CALLSIGN) VALUES (999, ?, 'WXY9')",
                    {(1500000 + 999 * 200) / 10000.0});
        BackupJob backup(rig.context());
        QSignalSpy backedUp(&backup, &MemoryJob::finished);
        backup.start(QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, "Home");
        const MemoryJobResult saved = Rig::waitFor(backedUp);
        QVERIFY2(saved.succeeded(), qPrintable(saved.message));
        // Squelch and ID reports are switched off while the channels are read.
        QCOMPARE(rig.commands.mid(0, 4), QStringList({"MA001", "IDF", "QUF", "MA001"}));
        QCOMPARE(BackupSets(rig.db).list()->value(0).channels, 1000);
        QCOMPARE(BackupSets(rig.db).channels("Home")->value(998).names.value("CALLSIGN").toString(), "WXY9");

        // The scanner changes; the restore must put the backup back and keep what it overwrote.
        for (int n = 1; n <= 1000; ++n)
            rig.model().setChannel(n, patternChannel(n + 1, 30));
        RestoreJob restore(rig.context());
        QSignalSpy restored(&restore, &MemoryJob::finished);
        QSignalSpy trunked(&restore, &RestoreJob::bankTypesWanted);
        restore.start("Home", QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
        const MemoryJobResult done = Rig::waitFor(restored);
        QVERIFY2(done.succeeded(), qPrintable(done.message));
        for (int n = 1; n <= 1000; ++n) {
            const MemoryChannel want = patternChannel(n, 0);
            const MemoryChannel got = rig.model().channel(n);
            QCOMPARE(got.isEmpty(), want.isEmpty());
            if (!want.isEmpty()) {
                QCOMPARE(got.steps, want.steps);
                QCOMPARE(QList<bool>({got.delay, got.lockout, got.priority}),
                         QList<bool>({want.delay, want.lockout, want.priority}));
            }
        }
        QCOMPARE(done.safetySet, "Before restore of Home - 15 Feb 2001 12:00:00");
        const auto safety = BackupSets(rig.db).channels(done.safetySet);
        QCOMPARE(safety->size(), 1000);
        QCOMPARE(qRound(safety->first().frequency * 10000), patternChannel(2, 30).steps);
        QCOMPARE(rig.db.findBankChannel(20, 999).row->value("CALLSIGN").toString(), "WXY9");
        restore.handBack();
        QCOMPARE(trunked.value(0).value(0).value<QList<int>>(), QList<int>{20});
    }

    // A set's empty name leaves the bank table's; its latitude and longitude replace the table's even when empty.
    void orvFreqsSet_programsEveryChosenBankByPosition_keepsNamesTheSetLacks() {
        Rig rig(false);
        QVERIFY(rig.db.exec("INSERT INTO BANK02 (CHANNEL, FREQUENCY, CALLSIGN, CITY, LATITUDE) VALUES "
                            "(51, 150.0, 'OLD', 'OLD TOWN', '41.5')"));
        BackupSets sets(rig.db);
        BackupChannel named = row(1, "154.5000");
        named.names = {{"CALLSIGN", "KAB123"}, {"CITY", ""}};
        sets.appendChannel("OrvFreqs_Reno", named);
        sets.appendChannel("OrvFreqs_Reno", row(2, "0000.0000"));
        sets.appendChannel("OrvFreqs_Reno", row(1, "160.0000"));
        QCOMPARE(RestoreJob::channelsToChange(rig.db, "OrvFreqs_Reno", {2, 5}), 4);
        RestoreJob restore(rig.context());
        QSignalSpy finished(&restore, &MemoryJob::finished);
        restore.start("OrvFreqs_Reno", {2, 5}, false);
        QVERIFY(Rig::waitFor(finished).succeeded());
        QCOMPARE(rig.model().channel(51).steps, 1545000);
        QCOMPARE(rig.model().channel(201).steps, 1545000);
        QVERIFY(rig.model().channel(1).isEmpty());
        const auto stored = rig.db.findBankChannel(2, 51).row;
        QCOMPARE((QStringList{stored->value("CALLSIGN").toString(), stored->value("CITY").toString(),
                              stored->value("LATITUDE").toString(), stored->value("FREQUENCY").toString()}),
                 (QStringList{"KAB123", "OLD TOWN", "", "154.5"}));
        QCOMPARE(rig.db.findBankChannel(5, 201).row->value("CALLSIGN").toString(), "KAB123");
        // Without trunked channels the scanner goes straight back to channel 1 and scanning.
        restore.handBack();
        QTRY_COMPARE(rig.commands.mid(rig.commands.size() - 2), QStringList({"MA001", "KEY00"}));
    }

    void silentOrNoisyScanner_backupKeepsRows_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("retry");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("rows");
        QTest::newRow("silent, stop") << "silent" << false << int(MemoryJobResult::Outcome::Stopped) << 6;
        QTest::newRow("silent, retry") << "silent" << true << int(MemoryJobResult::Outcome::Succeeded) << 50;
        QTest::newRow("dropped line") << "drop" << false << int(MemoryJobResult::Outcome::Succeeded) << 50;
    }
    void silentOrNoisyScanner_backupKeepsRows() {
        QFETCH(QString, fault);
        QFETCH(bool, retry);
        QFETCH(int, outcome);
        QFETCH(int, rows);
        Rig rig(false);
        if (fault == "silent")
            rig.sim.setSilentFromChannel(7);
        bool injected = false;
        QObject::connect(&rig.sim, &Simulator::commandReceived, [&](const QString& command) {
            if (command == "MA005" && fault != "silent" && !std::exchange(injected, true))
                rig.sim.injectFault(Simulator::Fault::DropLine);
        });
        BackupJob backup(rig.context());
        backup.setReplyTimeout(30);
        QSignalSpy missing(&backup, &MemoryJob::replyMissing);
        QObject::connect(&backup, &MemoryJob::replyMissing, [&] {
            rig.sim.clearFaults();
            retry ? backup.retry() : backup.stop();
        });
        QSignalSpy finished(&backup, &MemoryJob::finished);
        backup.start({1}, "Bank one");
        const MemoryJobResult result = Rig::waitFor(finished);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(BackupSets(rig.db).channels("Bank one")->size(), rows);
        QCOMPARE(result.channelsDone, rows);
        QCOMPARE(missing.size(), fault == "silent" ? 1 : 0);
        if (fault == "silent") {
            QCOMPARE(missing.first().first().toInt(), 7);
            QCOMPARE(rig.commands.count("MA007"), retry ? MemoryJob::kAttempts + 1 : MemoryJob::kAttempts);
        }
    }

    void channelThatDoesNotTake_isListedNotSucceeded() {
        Rig rig(false);
        for (int n = 1; n <= 4; ++n)
            BackupSets(rig.db).appendChannel("Four", row(n, QString("15%1.0000").arg(n)));
        rig.model().setRefusedChannel(3);
        RestoreJob restore(rig.context());
        QSignalSpy finished(&restore, &MemoryJob::finished);
        restore.start("Four", {1}, false);
        const MemoryJobResult result = Rig::waitFor(finished);
        QCOMPARE(int(result.outcome), int(MemoryJobResult::Outcome::NotTaken));
        QCOMPARE(result.notTaken, QList<int>{3});
        QCOMPARE(rig.commands.count("PM003 01530000"), 2);
        QVERIFY(!rig.db.findBankChannel(1, 3).row);
        QVERIFY(rig.db.findBankChannel(1, 4).row);

        rig.model().setRefusedChannel(0);
        finished.clear();
        restore.retryNotTaken();
        QVERIFY(Rig::waitFor(finished).succeeded());
        QCOMPARE(rig.model().channel(3).steps, 1530000);
    }

    void backupInSession_handsBackToTheMonitor() {
        SessionRig rig;
        rig.session->start();
        // The job takes over while mode detection still waits for its answer: the detection must not
        // start the poll cycle under the job.
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains("MD"), 5000);
        BackupJob backup(rig.session->memoryJobContext());
        QSignalSpy finished(&backup, &MemoryJob::finished);
        const qsizetype from = rig.commands.size();
        backup.start({1}, "Live");
        QVERIFY(Rig::waitFor(finished).succeeded());
        const QStringList during = rig.commands.mid(from);
        for (const QString& command : during)
            QVERIFY2(command.startsWith("MA") || command == "IDF" || command == "QUF", qPrintable(command));
        QSignalSpy back(&rig.session->monitor(), &Monitor::faceplateRequested);
        backup.handBack();
        QTRY_COMPARE(back.size(), 1);
        QTRY_VERIFY(rig.commands.mid(from + during.size()).contains("MD"));
    }

    // Twice under one name: one copy of each row, and the message counts in the right number.
    void backupTwiceUnderOneName_keepsOneCopyOfEachRow() {
        Rig rig(false);
        rig.db.addTalkgroup({"1234", "Reno", "Fire", "Dispatch", {}, {}, {}});
        BackupJob backup(rig.context());
        QSignalSpy finished(&backup, &MemoryJob::finished);
        for (int run = 0; run < 2; ++run) {
            finished.clear();
            backup.start({1}, "Twice");
            QCOMPARE(Rig::waitFor(finished).message, "Backup set \"Twice\": 50 channels and 1 talkgroup stored.");
        }
        QCOMPARE(BackupSets(rig.db).channels("Twice")->size(), 50);
        QCOMPARE(BackupSets(rig.db).talkgroupCount("Twice"), 1);
    }

    void load_selectsTheStoredType_orSaysWhyNot_data() {
        QTest::addColumn<QVariant>("stored"); // TRUNK_CODE of bank 4; an invalid value deletes its row
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("note");
        QTest::newRow("code 2: the third type") << QVariant(2) << 2 << "";
        QTest::newRow("code past the list") << QVariant(8) << -1 << "stored type code 8 is not in the list";
        QTest::newRow("no code") << QVariant(QMetaType(QMetaType::Int)) << -1 << "no type stored for this bank";
        QTest::newRow("no row") << QVariant() << -1 << "no type stored for this bank";
    }

    void load_selectsTheStoredType_orSaysWhyNot() {
        QFETCH(QVariant, stored);
        QFETCH(int, code);
        QFETCH(QString, note);
        Bench b;
        if (stored.isValid())
            b.storeCode(4, stored);
        else
            QVERIFY(b.db.exec(QStringLiteral("DELETE FROM BANKTYPES WHERE BANK_NUM = 4")));
        QVERIFY(b.job.load());
        QCOMPARE(b.job.rows().size(), 20);
        QCOMPARE(b.job.rows().at(3).code, code);
        QCOMPARE(b.job.rows().at(3).note, note);
        QCOMPARE(b.job.rows().at(2).code, 0);
        QCOMPARE(b.job.typeName(2), "Motorola Hybrid 800 MHz");
    }

    void save_sendsAndStoresTheTickedBanks_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("dropRow"); // bank 11 has no BANKTYPES row
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("scanning") << 0 << false << QStringList{"TR B1", "TR K3", "MA001", "KEY00"};
        QTest::newRow("trunk tracking leaves it first")
            << 9 << false << QStringList{"KEY13", "KEY00", "TR B1", "TR K3", "MA001", "KEY00"};
        QTest::newRow("ID scan leaves it first")
            << 11 << false << QStringList{"KEY13", "KEY00", "TR B1", "TR K3", "MA001", "KEY00"};
        QTest::newRow("a bank without a row gets one") << 10 << true << QStringList{"TR B1", "TR K3", "MA001", "KEY00"};
    }

    void save_sendsAndStoresTheTickedBanks() {
        QFETCH(int, mode);
        QFETCH(bool, dropRow);
        QFETCH(QStringList, sent);
        Bench b;
        if (dropRow)
            QVERIFY(b.db.exec(QStringLiteral("DELETE FROM BANKTYPES WHERE BANK_NUM = 11")));
        b.state.gMode = quint8(mode);
        QVERIFY(b.job.load());
        QSignalSpy finished(&b.job, &BankTypes::finished);
        QVERIFY(b.job.save({{2, 1}, {11, 3}}));
        QCOMPARE(b.takeCommands(), sent);
        QCOMPARE(finished.size(), 1);
        // Reopened: the saved types, the other banks untouched.
        QVERIFY(b.job.load());
        QCOMPARE(b.job.rows().at(1).code, 1);
        QCOMPARE(b.job.rows().at(10).code, 3);
        QCOMPARE(b.job.rows().at(2).code, 0);
        const auto names = b.db.select(QStringLiteral("SELECT Trunk_Type FROM BANKTYPES WHERE BANK_NUM = 11"));
        QCOMPARE(names->first().value(0).toString(), "Motorola Type II 900 MHz");
    }

    void save_aTickedBankWithoutAType_sendsNothing() {
        Bench b;
        QVERIFY(b.job.load());
        QSignalSpy finished(&b.job, &BankTypes::finished);
        QVERIFY(!b.job.save({{2, 1}, {5, -1}}));
        QVERIFY(b.takeCommands().isEmpty());
        QVERIFY(finished.isEmpty());
        QVERIFY(b.prompter.calls().last().text.contains(QStringLiteral("bank 5")));
    }

    // The command line's end of a restore: bank 2 holds type 1, bank 5 a code the list lacks, bank 3 type 0.
    void sendStoredTypes_thenScanning_data() {
        QTest::addColumn<QList<int>>("banks");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QList<int>>("untyped");
        QTest::newRow("known types") << QList<int>{2, 3} << QStringList{"TR B1", "TR C0", "MA001", "KEY00"}
                                     << QList<int>{};
        QTest::newRow("one unknown") << QList<int>{2, 5} << QStringList{"TR B1", "MA001", "KEY00"} << QList<int>{5};
        QTest::newRow("none known") << QList<int>{5} << QStringList{"MA001", "KEY00"} << QList<int>{5};
    }
    void sendStoredTypes_thenScanning() {
        QFETCH(QList<int>, banks);
        QFETCH(QStringList, sent);
        QFETCH(QList<int>, untyped);
        Bench b;
        b.storeCode(2, 1);
        b.storeCode(5, 8);
        QCOMPARE(b.job.sendStoredTypes(banks), untyped);
        QCOMPARE(b.takeCommands(), sent);
    }

    // The close box hands back once, and never after SAVE or CANCEL did.
    void handBack_happensOncePerOpening() {
        Bench b;
        QSignalSpy finished(&b.job, &BankTypes::finished);
        QVERIFY(b.job.load());
        b.job.cancel();
        b.job.close();
        QCOMPARE(b.takeCommands(), (QStringList{"MA001", "KEY00"}));
        QCOMPARE(finished.size(), 1);
        QVERIFY(b.job.load());
        b.job.close();
        QCOMPARE(finished.size(), 2);
        QVERIFY(b.takeCommands().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMemoryJobs)
#include "test_memoryjobs.moc"
