// valdoria-cli as a script sees it: a wrong or missing command, the choice of scanner, backup, restore and sets
// against the in-process simulator, search and import-uls. --simulate=MODEL and --model name the same rows of
// facts, so the banks a command accepts and the channels a backup stores are those of the scanner named. Then
// activity and recordings on a data folder written by the log writer and the recorder's index: the summary and
// the lines a script reads, and the exit statuses.
#include "CliRun.h"
#include "ManualClock.h"
#include "ScriptedPrompter.h"
#include "audio/Recordings.h"
#include "logging/ActivityLogWriter.h"
#include "state/Switches.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dispatch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("no command") << QStringList{} << 2 << ""
                                    << "Commands:";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Commands:"
                              << "";
        QTest::newRow("unknown") << QStringList{"frob"} << 2 << ""
                                 << "no command \"frob\"";
        QTest::newRow("command help") << QStringList{"sets", "--help"} << 0 << "Usage: valdoria-cli sets [options]"
                                      << "";
        QTest::newRow("version") << QStringList{"version"} << 0 << "valdoria-cli 0."
                                 << "";
        QTest::newRow("version help") << QStringList{"version", "--help"} << 0
                                      << "Usage: valdoria-cli version [options]"
                                      << "";
        QTest::newRow("backup help names the simulator") << QStringList{"backup", "--help"} << 0 << "--simulate[=model]"
                                                         << "";
    }
    void dispatch() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        const CliRun run = runCli(arguments, 10000);
        QTEST(run.status, "status");
        QVERIFY2(run.out.contains(stdoutHas), qPrintable(run.out));
        QVERIFY2(run.err.contains(stderrHas), qPrintable(run.err));
    }

    // A command line that names more than the scanner has, or two scanners at once, is refused before any
    // port opens: exit 2 and one line that says why.
    void commandLine_refusedByTheScannersLimits_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("bank 15 on a simulated BC780XLT")
            << QStringList{"backup", "--simulate=bc780xlt", "--banks", "15"}
            << "valdoria-cli: --banks: \"15\" is not a bank or range of banks 1 to 10\n";
        QTest::newRow("bank 11 on a BC780XLT port")
            << QStringList{"backup", "--model", "bc780xlt", "--port", "/dev/null", "--banks", "3,11"}
            << "valdoria-cli: --banks: \"11\" is not a bank or range of banks 1 to 10\n";
        QTest::newRow("restore past the BC780XLT's banks")
            << QStringList{"restore", "--simulate=BC780XLT", "--set", "Home", "--banks", "9-12"}
            << "valdoria-cli: --banks: \"9-12\" is not a bank or range of banks 1 to 10\n";
        QTest::newRow("bank 21 on the PRO-2052")
            << QStringList{"backup", "--simulate", "--banks", "21"}
            << "valdoria-cli: --banks: \"21\" is not a bank or range of banks 1 to 20\n";
        QTest::newRow("--model against the simulated scanner")
            << QStringList{"backup", "--simulate=bc780xlt", "--model", "pro2052"}
            << "valdoria-cli: --model pro2052 does not fit the simulated bc780xlt\n";
        QTest::newRow("a bare --simulate is the PRO-2052")
            << QStringList{"restore", "--simulate", "--model", "bc780xlt", "--set", "Home"}
            << "valdoria-cli: --model bc780xlt does not fit the simulated pro2052\n";
        QTest::newRow("unknown --model") << QStringList{"backup", "--model", "pro2042", "--port", "/dev/null"}
                                         << "valdoria-cli: --model: \"pro2042\" is neither pro2052 nor bc780xlt\n";
        QTest::newRow("unknown simulated model") << QStringList{"backup", "--simulate=pro2042"}
                                                 << "valdoria-cli: --simulate: no simulated model \"pro2042\" "
                                                    "(pro2052 or bc780xlt)\n";
        QTest::newRow("monitor: --model against the simulated scanner")
            << QStringList{"monitor", "--simulate=bc780xlt", "--model", "pro2052"}
            << "valdoria-cli: --model pro2052 does not fit the simulated bc780xlt\n";
        QTest::newRow("monitor: unknown simulated model")
            << QStringList{"monitor", "--simulate=pro2042"}
            << "valdoria-cli: the simulator knows pro2052, bc780xlt, not \"pro2042\"\n";
    }

    void commandLine_refusedByTheScannersLimits() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliRun run = runCli(arguments + QStringList{"--data-dir", m_dir.path()});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, message);
        QCOMPARE(run.out, QString());
    }

    // One command after another on one data folder: exit status, all of stdout, a line stderr holds.
    void commandsInTurn_data() {
        const QString set =
            QStringLiteral("Home - ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutIs");
        QTest::addColumn<QString>("says"); // a line stderr holds, when not empty
        QTest::newRow("search: sample, whole list entry")
            << QStringList{"search",   "--state", "IA",     "--service", "PW Public Safety",
                           "--county", "o'brien", "--city", "primghar"}
            << 0
            << "8.5,KSA404,PW,O'BRIEN COUNTY EMERGENCY MANAGEMENT,PRIMGHAR,O'BRIEN,IA\n"
               "154.905,KSA402,PW,IOWA STATE PATROL,PRIMGHAR,O'BRIEN,IA\n"
               "155.13,KSA401,PW,O'BRIEN COUNTY SHERIFF,PRIMGHAR,O'BRIEN,IA\n"
            << "";
        QTest::newRow("search: nothing found is no error")
            << QStringList{"search", "--state", "WY", "--service", "PW"} << 0 << ""
            << "";
        QTest::newRow("search: no such state") << QStringList{"search", "--state", "KX", "--service", "PW"} << 2 << ""
                                               << "";
        // Codes in any case; KS is Kansas as KA is, and finds the same transmitters.
        QTest::newRow("search: lower-case service and state")
            << QStringList{"search", "--state", "ks", "--service", "pw", "--city", "wichita"} << 0
            << "154.89,KSA502,PW,SEDGWICK COUNTY SHERIFF,WICHITA,SEDGWICK,KA\n"
               "155.055,KSA501,PW,WICHITA CITY OF,WICHITA,SEDGWICK,KA\n"
               "155.31,KSA801,PW,SEDGWICK COUNTY EMERGENCY COMMUNICATIONS,WICHITA,SEDGWICK,KS\n"
            << "";
        QTest::newRow("search: missing file")
            << QStringList{"search", "--state", "IA", "--service", "PW", "--db", "sqlite:/nonexistent"} << 1 << ""
            << "";
        // The window offers no saving without results: an empty set would blank a bank when restored. The next
        // row sees that no set was stored.
        QTest::newRow("search: saving nothing is refused")
            << QStringList{"search", "--state", "WY", "--service", "PW", "--save", "Empty"} << 1 << ""
            << "valdoria-cli: nothing was found, so no backup set \"Empty\" was stored\n";
        QTest::newRow("no sets yet") << QStringList{"sets"} << 0 << ""
                                     << "";
        QTest::newRow("backup") << QStringList{"backup", "--simulate", "--banks", "1-2,5", "--name", "Home"} << 0
                                << set + "\n"
                                << "";
        QTest::newRow("sets") << QStringList{"sets"} << 0 << set + "\t150\n"
                              << "";
        QTest::newRow("restore")
            << QStringList{"restore", "--simulate", "--set", set, "--banks", "2", "--no-safety-backup"} << 0 << ""
            << "valdoria-cli: bank 2 was sent its stored trunk type again: Motorola Type II 800 MHz\n"
               "valdoria-cli: the scanner is back on channel 1 and scanning\n";
        QTest::newRow("a bank the set lacks")
            << QStringList{"restore", "--simulate", "--set", set, "--banks", "3-4", "--no-safety-backup"} << 1 << ""
            << "valdoria-cli: set \"" + set + "\" holds no channels in banks 3, 4; nothing was sent\n";
        QTest::newRow("unknown set") << QStringList{"restore", "--simulate", "--set", "Away"} << 1 << ""
                                     << "";
        QTest::newRow("restore needs a set") << QStringList{"restore", "--simulate"} << 2 << ""
                                             << "";
        QTest::newRow("no such port") << QStringList{"backup", "--port", m_dir.filePath("ttyNone")} << 1 << ""
                                      << "";
        QTest::newRow("still one set") << QStringList{"sets"} << 0 << set + "\t150\n"
                                       << "";
    }
    void commandsInTurn() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stdoutIs);
        QFETCH(QString, says);
        const CliRun run = runCli(arguments + QStringList{"--data-dir", m_dir.path()});
        QVERIFY2(run.status == status, qPrintable(run.err));
        QCOMPARE(run.out, stdoutIs);
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        // A failure says why in one line.
        if (status != 0)
            QCOMPARE(run.err.count('\n'), 1);
    }

    // Licence files imported twice, then searched and saved as a set under a name with a quote.
    void importThenSearchAndSave() {
        QTemporaryDir dir;
        QFile file(dir.filePath("l_LMpriv.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("HD|77|||KZZ9|A|IG|||\r\n"
                   "EN|77|||KZZ9|L||RIVER FARMS|\r\n"
                   "LO|77|||KZZ9||||1||||AMES|STORY|IA|\r\n"
                   "FR|77|||KZZ9||1||||151.955|more|fields\r\n"
                   "FR|77|||KZZ9||one||||151.955\r\n");
        file.close();
        const QString db = "sqlite:" + dir.filePath("transmitters.sqlite");
        for (int i = 0; i < 2; ++i) {
            const CliRun run = runCli({"import-uls", "--db", db, file.fileName()});
            QCOMPARE(run.status, 0);
            QVERIFY2(
                run.err.contains("5 lines, 1 rows for 1 licences, 1 malformed lines skipped (the first is line 5)"),
                qPrintable(run.err));
        }
        const CliRun search = runCli({"search", "--db", db, "--state", "IA", "--service", "IG", "--county", "story",
                                      "--save", "Joe's farm", "--data-dir", dir.path()});
        QCOMPARE(search.status, 0);
        QCOMPARE(search.out, "151.955,KZZ9,IG,RIVER FARMS,AMES,STORY,IA\n");
        QCOMPARE(runCli({"sets", "--data-dir", dir.path()}).out, "Joe's farm\t50\n");
    }

    // A backup of the simulated scanner stores the channels of the banks asked for, numbered as that scanner
    // numbers them: 50 a bank, bank 10 of the BC780XLT is its last.
    void simulatedBackup_storesTheBanksChannels_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("BC780XLT bank 10") << QStringList{"--simulate=bc780xlt", "--banks", "10"} << 451 << 500;
        QTest::newRow("BC780XLT named by --model too")
            << QStringList{"--simulate=bc780xlt", "--model", "BC780XLT", "--banks", "1"} << 1 << 50;
        QTest::newRow("every bank of the BC780XLT") << QStringList{"--simulate=bc780xlt"} << 1 << 500;
        QTest::newRow("PRO-2052 bank 20") << QStringList{"--simulate=pro2052", "--banks", "20"} << 951 << 1000;
    }

    void simulatedBackup_storesTheBanksChannels() {
        QFETCH(QStringList, arguments);
        QFETCH(int, first);
        QFETCH(int, last);
        QTemporaryDir dir;
        const CliRun run =
            runCli(QStringList{"backup", "--name", "Models", "--data-dir", dir.path()} + arguments, 60000);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString set = run.out.trimmed();
        QVERIFY(set.startsWith(QStringLiteral("Models - ")));

        ScriptedPrompter prompter;
        LocalDatabase database(LocalDatabase::pathForAppFolder(dir.path()), prompter);
        QVERIFY(database.open());
        const std::optional<QList<BackupChannel>> rows = BackupSets(database).channels(set);
        QVERIFY(rows);
        QList<int> stored;
        for (const BackupChannel& row : *rows)
            stored.append(row.channel);
        QList<int> expected;
        for (int channel = first; channel <= last; ++channel)
            expected.append(channel);
        QCOMPARE(stored, expected);
    }

    void initTestCase() {
        Switches switches;
        switches.setScanLogging(true);
        switches.setTrunkLogging(true);
        ManualClock clock(QDate(2001, 2, 15), QTime(15, 4, 5));
        ActivityLogWriter writer(m_activityDir.path(), switches, clock, QLocale(QStringLiteral("en_US")));
        writer.writeScanLog(QStringLiteral("12"), QStringLiteral("154.2500"), {}, QStringLiteral("NFM"),
                            QStringLiteral("CITY PD"), QStringLiteral("DISPATCH"));
        clock.advanceMs(60000);
        writer.writeScanLog(QStringLiteral("12"), QStringLiteral("154.2500"), {}, QStringLiteral("NFM"), {}, {});
        clock.set(clock.date(), QTime(9, 0, 0));
        writer.writeTrunkLog(QStringLiteral("2416"), QStringLiteral("Type II"), QStringLiteral("NFM"), {}, {});
        QFile scanLog(m_activityDir.filePath(QStringLiteral("LOGS/SCAN/20010215.log")));
        QVERIFY(scanLog.open(QIODevice::Append));
        scanLog.write("garbage\r\n");
        // A day whose trunk log cannot be opened.
        QVERIFY(QDir().mkpath(m_activityDir.filePath(QStringLiteral("LOGS/TRUNK/20010301.log"))));

        ScriptedPrompter prompter;
        LocalDatabase db(LocalDatabase::pathForAppFolder(m_activityDir.path()), prompter);
        Recording r;
        r.file = "RECORDINGS/2026-12-07/140312-CH012.opus";
        r.start = QDateTime(QDate(2026, 12, 7), QTime(14, 3, 12, 250));
        r.durationMs = 2480;
        r.frequencyHz = 154250000;
        r.channel = 12;
        r.bank = 1;
        r.channelName = "County fire dispatch";
        r.mode = "SCAN";
        r.bytes = 6100;
        QVERIFY(Recordings(m_activityDir.path(), db).add(r));
    }

    void activity_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        const auto args = [](const char* date) {
            return QStringList{QStringLiteral("activity"), QStringLiteral("--data-dir"), QStringLiteral("DIR"),
                               QStringLiteral("--date"), QLatin1String(date)};
        };
        QTest::newRow("a day") << args("2001-02-15") << 0
                               << "2001-02-15: 3 hits (scan 2, search 0, trunk 1)\n\nHour   Scan Search  Trunk\n"
                                  "00        0      0      0\n"
                               << "1 line could not be read";
        QTest::newRow("busiest, with the last name") << args("2001-02-15") << 0
                                                     << "Busiest channels\n     2  12          154.2500      CITY PD / "
                                                        "DISPATCH\n\nBusiest talkgroups\n     1  2416        Type II\n"
                                                     << "";
        QTest::newRow("hours") << args("2001-02-15") << 0 << "\n09        0      0      1\n"
                               << "";
        QTest::newRow("empty day") << args("2001-02-14") << 0 << "No hits on 2001-02-14."
                                   << "";
        QTest::newRow("file that cannot be read") << args("2001-03-01") << 1 << "No hits on 2001-03-01."
                                                  << "LOGS/TRUNK/20010301.log";
        QTest::newRow("no such day") << args("2001-02-30") << 2 << ""
                                     << "--date wants a day as YYYY-MM-DD";
        QTest::newRow("no data folder") << QStringList{QStringLiteral("activity"), QStringLiteral("--data-dir"),
                                                       QStringLiteral("DIR/none")}
                                        << 1 << ""
                                        << "no data folder";
    }
    void activity() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        arguments.replaceInStrings(QStringLiteral("DIR"), m_activityDir.path());
        const CliRun run = runCli(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.out.contains(stdoutHas), qPrintable(run.out));
        QVERIFY2(run.err.contains(stderrHas), qPrintable(run.err));
    }

    void json_hoursAndBusiest() {
        const CliRun run = runCli({"activity", "--data-dir", m_activityDir.path(), "--date", "2001-02-15", "--json"});
        QCOMPARE(run.status, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(root[QStringLiteral("hours")][QStringLiteral("scan")][15].toInt(), 2);
        QCOMPARE(root[QStringLiteral("hours")][QStringLiteral("trunk")][9].toInt(), 1);
        QCOMPARE(root[QStringLiteral("hours")][QStringLiteral("scan")][9].toInt(), 0);
        QCOMPARE(root[QStringLiteral("unreadableLines")].toInt(), 1);
        const QJsonObject top = root[QStringLiteral("channels")][0].toObject();
        QCOMPARE(top[QStringLiteral("channel")].toString(), QStringLiteral("12"));
        QCOMPARE(top[QStringLiteral("hits")].toInt(), 2);
        QCOMPARE(top[QStringLiteral("name")].toString(), QStringLiteral("CITY PD / DISPATCH"));
    }

    void recordings_listTheDayAsTextOrJson_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::newRow("text") << QStringList{"--date", "2026-12-07"} << 0
                              << "14:03:12    2.5 s   154.2500  CH 12     County fire dispatch  "
                                 "RECORDINGS/2026-12-07/140312-CH012.opus\n";
        QTest::newRow("another day") << QStringList{"--date", "2026-12-08"} << 0 << "No recordings on 2026-12-08.\n";
        QTest::newRow("bad date") << QStringList{"--date", "7 Dec"} << 2 << "";
    }
    void recordings_listTheDayAsTextOrJson() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        const CliRun run = runCli(QStringList{"recordings", "--data-dir", m_activityDir.path()} + arguments);
        QCOMPARE(run.out, output);
        QCOMPARE(run.status, status);
    }

    void recordingsJson_holdsEveryField() {
        const CliRun run = runCli({"recordings", "--data-dir", m_activityDir.path(), "--date", "2026-12-07", "--json"});
        QCOMPARE(run.status, 0);
        const QJsonArray rows = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(rows.size(), 1);
        const QJsonObject r = rows.first().toObject();
        QCOMPARE(r.value("file").toString(), "RECORDINGS/2026-12-07/140312-CH012.opus");
        QCOMPARE(r.value("start").toString(), "2026-12-07T14:03:12.250");
        QCOMPARE(r.value("duration_ms").toInt(), 2480);
        QCOMPARE(r.value("frequency_hz").toDouble(), 154250000.0);
        QCOMPARE(r.value("channel").toInt(), 12);
        QCOMPARE(r.value("bank").toInt(), 1);
        QCOMPARE(r.value("channel_name").toString(), "County fire dispatch");
        QCOMPARE(r.value("mode").toString(), "SCAN");
        QCOMPARE(r.value("bytes").toInt(), 6100);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_activityDir; // the log writer's and the recorder's data folder
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
