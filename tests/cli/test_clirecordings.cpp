// valdoria-cli recordings on a data folder with an indexed recording: the line and the JSON a script reads.
#include "ScriptedPrompter.h"
#include "audio/Recordings.h"
#include "store/LocalDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCliRecordings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString run(const QStringList& arguments, int* status) {
        QProcess cli;
        cli.start(QStringLiteral(VALDORIA_CLI_EXECUTABLE),
                  QStringList{"recordings", "--data-dir", m_dir.path()} + arguments);
        if (!cli.waitForFinished(20000))
            return {};
        *status = cli.exitCode();
        return QString::fromUtf8(cli.readAllStandardOutput());
    }

private Q_SLOTS:
    void initTestCase() {
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
        int got = -1;
        QCOMPARE(run(arguments, &got), output);
        QCOMPARE(got, status);
    }

    void recordingsJson_holdsEveryField() {
        int status = -1;
        const QJsonArray rows =
            QJsonDocument::fromJson(run({"--date", "2026-12-07", "--json"}, &status).toUtf8()).array();
        QCOMPARE(status, 0);
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

QTEST_GUILESS_MAIN(TestCliRecordings)
#include "test_clirecordings.moc"
