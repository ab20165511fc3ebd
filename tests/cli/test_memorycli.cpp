// valdoria-cli backup, restore and sets against the in-process simulator: exit statuses and what lands on stdout,
// one command after another on one data folder.
#include <QDate>
#include <QLocale>
#include <QProcess>
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
        QTest::newRow("no sets yet") << QStringList{"sets"} << 0 << "";
        QTest::newRow("backup") << QStringList{"backup", "--simulate", "--banks", "1-2,5", "--name", "Home"} << 0
                                << set + "\n";
        QTest::newRow("sets") << QStringList{"sets"} << 0 << set + "\t150\n";
        QTest::newRow("restore") << QStringList{"restore", "--simulate",        "--set", set, "--banks",
                                                "2",       "--no-safety-backup"}
                                 << 0 << "";
        QTest::newRow("unknown set") << QStringList{"restore", "--simulate", "--set", "Away"} << 1 << "";
        QTest::newRow("restore needs a set") << QStringList{"restore", "--simulate"} << 2 << "";
        QTest::newRow("bank past the model")
            << QStringList{"backup", "--simulate=bc780xlt", "--banks", "11"} << 2 << "";
        QTest::newRow("no such port") << QStringList{"backup", "--port", m_dir.filePath("ttyNone")} << 1 << "";
        QTest::newRow("still one set") << QStringList{"sets"} << 0 << set + "\t150\n";
    }
    void commandsInTurn() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stdoutIs);
        QProcess cli;
        cli.start(QStringLiteral(VALDORIA_CLI_EXECUTABLE), arguments + QStringList{"--data-dir", m_dir.path()});
        QVERIFY(cli.waitForFinished(20000));
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(cli.exitCode() == status, qPrintable(err));
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()), stdoutIs);
        // A failure says why in one line.
        if (status != 0)
            QCOMPARE(err.count('\n'), 1);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestMemoryCli)
#include "test_memorycli.moc"
