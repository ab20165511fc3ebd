// The command dispatch of valdoria-cli: what a script sees for a wrong or missing command.
#include <QProcess>
#include <QTest>

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dispatch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("no command") << QStringList{} << 2 << QString() << QStringLiteral("Commands:");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("Commands:") << QString();
        QTest::newRow("unknown") << QStringList{QStringLiteral("frob")} << 2 << QString()
                                 << QStringLiteral("no command \"frob\"");
        QTest::newRow("command help") << QStringList{QStringLiteral("sets"), QStringLiteral("--help")} << 0
                                      << QStringLiteral("Usage: valdoria-cli sets [options]") << QString();
        QTest::newRow("version") << QStringList{QStringLiteral("version")} << 0 << QStringLiteral("valdoria-cli 0.")
                                 << QString();
        QTest::newRow("version help") << QStringList{QStringLiteral("version"), QStringLiteral("--help")} << 0
                                      << QStringLiteral("Usage: valdoria-cli version [options]") << QString();
        QTest::newRow("backup help names the simulator")
            << QStringList{QStringLiteral("backup"), QStringLiteral("--help")} << 0
            << QStringLiteral("--simulate[=model]") << QString();
    }
    void dispatch() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        QProcess cli;
        cli.start(QStringLiteral(VALDORIA_CLI_EXECUTABLE), arguments);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), status);
        QVERIFY(QString::fromUtf8(cli.readAllStandardOutput()).contains(stdoutHas));
        QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains(stderrHas));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
