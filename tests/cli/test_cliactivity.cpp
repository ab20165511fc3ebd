// valdoria-cli activity and recordings on a data folder written by the log writer and the recorder's index:
// the summary and the lines a script reads, and the exit statuses.
#include "CliRun.h"
#include "ManualClock.h"
#include "ScriptedPrompter.h"
#include "audio/Recordings.h"
#include "logging/ActivityLogWriter.h"
#include "state/Switches.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

        ScriptedPrompter prompter;
        LocalDatabase db(LocalDatabase::pathForAppFolder(m_dir.path()), prompter);
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
        QVERIFY(Recordings(m_dir.path(), db).add(r));
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
        const CliRun run = runCli(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.out.contains(stdoutHas), qPrintable(run.out));
        QVERIFY2(run.err.contains(stderrHas), qPrintable(run.err));
    }

    void json_hoursAndBusiest() {
        const CliRun run = runCli({"activity", "--data-dir", m_dir.path(), "--date", "2001-02-15", "--json"});
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
        const CliRun run = runCli(QStringList{"recordings", "--data-dir", m_dir.path()} + arguments);
        QCOMPARE(run.out, output);
        QCOMPARE(run.status, status);
    }

    void recordingsJson_holdsEveryField() {
        const CliRun run = runCli({"recordings", "--data-dir", m_dir.path(), "--date", "2026-12-07", "--json"});
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
};

QTEST_GUILESS_MAIN(TestCliActivity)
#include "test_cliactivity.moc"
