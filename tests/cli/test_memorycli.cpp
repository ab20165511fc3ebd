// valdoria-cli backup, restore and sets against the in-process simulator: exit statuses and what lands on stdout,
// one command after another on one data folder.
#include "CliRun.h"

#include <QDate>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestMemoryCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsInTurn_data() {
        const QString set =
            QStringLiteral("Home - ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutIs");
        QTest::addColumn<QString>("says"); // a line stderr holds, when not empty
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

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestMemoryCli)
#include "test_memorycli.moc"
