// The command line of valdoria-cli: what a script sees for a wrong or missing command, and the choice of
// scanner. --simulate=MODEL and --model name the same rows of facts, so the banks a command accepts and the
// channels a backup stores are those of the scanner named.
#include "CliRun.h"
#include "ScriptedPrompter.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

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
