// valdoria-cli activity on a data folder written by the log writer: the summary a script reads and the exit
// statuses.
#include "ManualClock.h"
#include "logging/ActivityLogWriter.h"
#include "state/Switches.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCliActivity : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        Switches switches;
        switches.setScanLogging(true);
        switches.setTrunkLogging(true);
        ManualClock clock(QDate(2001, 2, 15), QTime(15, 4, 5));
        ActivityLogWriter writer(m_dir.path(), switches, clock, QLocale(QStringLiteral("en_US")));
        writer.writeScanLog(QStringLiteral("12"), QStringLiteral("154.2500"), {}, QStringLiteral("NFM"),
                            QStringLiteral("CITY PD"), QStringLiteral("DISPATCH"));
        clock.advanceMs(60000);
        writer.writeScanLog(QStringLiteral("12"), QStringLiteral("154.2500"), {}, QStringLiteral("NFM"), {}, {});
        clock.set(clock.date(), QTime(9, 0, 0));
        writer.writeTrunkLog(QStringLiteral("2416"), QStringLiteral("Type II"), QStringLiteral("NFM"), {}, {});
        QFile scanLog(m_dir.filePath(QStringLiteral("LOGS/SCAN/20010215.log")));
        QVERIFY(scanLog.open(QIODevice::Append));
        scanLog.write("garbage\r\n");
        // A day whose trunk log cannot be opened.
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("LOGS/TRUNK/20010301.log"))));
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
        arguments.replaceInStrings(QStringLiteral("DIR"), m_dir.path());
        QProcess cli;
        cli.start(QStringLiteral(VALDORIA_CLI_EXECUTABLE), arguments);
        QVERIFY(cli.waitForFinished(10000));
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), status);
        QVERIFY2(out.contains(stdoutHas), qPrintable(out));
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
    }

    void json_hoursAndBusiest() {
        QProcess cli;
        cli.start(QStringLiteral(VALDORIA_CLI_EXECUTABLE),
                  {QStringLiteral("activity"), QStringLiteral("--data-dir"), m_dir.path(), QStringLiteral("--date"),
                   QStringLiteral("2001-02-15"), QStringLiteral("--json")});
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonObject root = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QCOMPARE(root[QStringLiteral("hours")][QStringLiteral("scan")][15].toInt(), 2);
        QCOMPARE(root[QStringLiteral("hours")][QStringLiteral("trunk")][9].toInt(), 1);
        QCOMPARE(root[QStringLiteral("hours")][QStringLiteral("scan")][9].toInt(), 0);
        QCOMPARE(root[QStringLiteral("unreadableLines")].toInt(), 1);
        const QJsonObject top = root[QStringLiteral("channels")][0].toObject();
        QCOMPARE(top[QStringLiteral("channel")].toString(), QStringLiteral("12"));
        QCOMPARE(top[QStringLiteral("hits")].toInt(), 2);
        QCOMPARE(top[QStringLiteral("name")].toString(), QStringLiteral("CITY PD / DISPATCH"));
    }
};

QTEST_GUILESS_MAIN(TestCliActivity)
#include "test_cliactivity.moc"
