// valdoria-cli as a script sees it: a wrong or missing command, the choice of scanner, backup, restore and sets
// against the in-process simulator, search and import-uls. --simulate=MODEL and --model name the same rows of
// facts, so the banks a command accepts and the channels a backup stores are those of the scanner named.
#include "CliRun.h"
#include "ScriptedPrompter.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QDate>
#include <QFile>
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

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
