// Recording as a user runs it: valdoria-sim plays scripted stops on a pseudo-terminal, valdoria-cli monitor
// --record follows it while a tone plays into a private PulseAudio server, and the files and their index rows
// are read back with ffprobe, ffmpeg and valdoria-cli recordings --json. The input is pulled and plugged in
// again during the last stop. Without --record the same kind of session records nothing.
#include "AudioProbe.h"
#include "DemoNames.h"
#include "PulseServer.h"
#include "ScriptedPrompter.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kRate = 16000;

// Two stops the recorder keeps, a blip between them, and a long stop for pulling the input. The first stop
// waits until the monitor and its capture are running.
const QString kScript = QStringLiteral("repeat off\n"
                                       "program 12 154.2500 CO FIRE / County Fire\n"
                                       "program 13 155.7000 Blip\n"
                                       "program 14 460.1250 HWY PTL / Highway Patrol\n"
                                       "program 20 453.1000 CO PW / Public Works\n"
                                       "banks A\n"
                                       "8 stop 12 2.5\n"
                                       "2 stop 13 0.6\n"
                                       "2 stop 14 2\n"
                                       "2 stop 20 8\n");

/// The simulator and the monitor following it, on a data folder of their own.
struct Run {
    QTemporaryDir dir;
    QProcess sim;
    QProcess monitor;
    QString printed; ///< the monitor's stdout and stderr so far

    /// True once the monitor has printed this text (after the first `after`).
    bool saw(const QString& text, const QString& after = {}) {
        printed += QString::fromUtf8(monitor.readAllStandardOutput() + monitor.readAllStandardError());
        const qsizetype from = printed.indexOf(after);
        return from >= 0 && printed.indexOf(text, from) >= 0;
    }
    ~Run() {
        for (QProcess* p : {&monitor, &sim}) {
            p->terminate();
            p->waitForFinished(10000);
        }
    }
};

/// What `valdoria-cli recordings --json` lists for today.
QJsonArray recordings(const QString& dir) {
    QProcess cli;
    cli.start(VALDORIA_CLI_EXECUTABLE, {"recordings", "--json", "--data-dir", dir});
    cli.waitForFinished(10000);
    return QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
}

} // namespace

class TestAudioCapture : public QObject {
    Q_OBJECT

    PulseServer m_pulse;

    // Names the script's channels in the data folder, starts the simulator on the script and the monitor on its
    // line with these options.
    static void start(Run& run, const QString& script, const QStringList& options) {
        {
            ScriptedPrompter prompter;
            LocalDatabase db(LocalDatabase::pathForAppFolder(run.dir.path()), prompter);
            QVERIFY(db.open());
            DemoNames::seed(db, script);
        }
        const QString file = run.dir.filePath("script.txt");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(script.toUtf8()) > 0);
        out.close();
        run.sim.start(VALDORIA_SIM_EXECUTABLE, {"--script", file, "--quiet"});
        QTRY_VERIFY_WITH_TIMEOUT(run.sim.canReadLine(), 10000);
        const QString device = QString::fromUtf8(run.sim.readLine()).trimmed();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", run.dir.filePath("config"));
        run.monitor.setProcessEnvironment(env);
        run.monitor.start(VALDORIA_CLI_EXECUTABLE, QStringList{"monitor", "--port", device, "--json", "--data-dir",
                                                               run.dir.path(), "--remote-port", "0"} +
                                                       options);
        QVERIFY(run.monitor.waitForStarted());
    }

private Q_SLOTS:
    void initTestCase() {
        if (!PulseServer::available())
            QSKIP("PulseAudio is not installed (pulseaudio, pulseaudio-utils)");
        if (!AudioProbe::available())
            QSKIP("ffmpeg is not installed");
        QVERIFY2(m_pulse.start(), qPrintable(m_pulse.error()));
        // The monitors started below inherit the server's address.
        m_pulse.env();
        QVERIFY2(m_pulse.startTone(1000, 120), qPrintable(m_pulse.error()));
    }

    void monitorRecord_keepsAFilePerHitWithTheTone() {
        Run run;
        start(run, kScript, {"--record", "--audio-device", PulseServer::kInputName});
        QTRY_VERIFY_WITH_TIMEOUT(run.saw("recording each hit below"), 20000);

        // During the last stop the input is pulled and comes back.
        QTRY_VERIFY_WITH_TIMEOUT(run.saw("\"channel\":20,"), 40000);
        QVERIFY2(m_pulse.unplug(), qPrintable(m_pulse.error()));
        QTRY_VERIFY_WITH_TIMEOUT(run.saw("Audio input \"Scanner line-in\" is gone"), 5000);
        QVERIFY2(m_pulse.plug(), qPrintable(m_pulse.error()));
        QTRY_VERIFY_WITH_TIMEOUT(run.saw("Audio input \"Scanner line-in\" is back: recording again"), 5000);

        QJsonArray rows;
        QTRY_COMPARE_WITH_TIMEOUT((rows = recordings(run.dir.path())).size(), 3, 20000);
        // The blip was seen as a hit, and was too short to keep.
        QVERIFY(run.saw("\"channel\":13,"));
        const QString today = "RECORDINGS/" + QDate::currentDate().toString(Qt::ISODate) + "/";
        QCOMPARE(QDir(run.dir.filePath(today)).entryList(QDir::Files).size(), 3);

        struct Kept {
            int channel;
            qint64 hz;
            const char* frequency;
            const char* name;
            double seconds; // half a second of pre-roll, the stop, half a second of hang time
        };
        const Kept kept[] = {
            {12, 154250000, "154.2500", "County Fire / CO FIRE", 3.5},
            {14, 460125000, "460.1250", "Highway Patrol / HWY PTL", 3.0},
            {20, 453100000, "453.1000", "Public Works / CO PW", 9.0},
        };
        for (int i = 0; i < 3; ++i) {
            const QJsonObject row = rows.at(i).toObject();
            const QString file = row.value("file").toString();
            const QRegularExpression named(today + QString("\\d{6}-CH0%1\\.opus$").arg(kept[i].channel));
            QVERIFY2(named.match(file).capturedStart() == 0, qPrintable(file));
            QCOMPARE(row.value("channel").toInt(), kept[i].channel);
            QCOMPARE(row.value("bank").toInt(), 1);
            QCOMPARE(row.value("frequency_hz").toInteger(), kept[i].hz);
            QCOMPARE(row.value("talkgroup").toString(), "");
            QCOMPARE(row.value("channel_name").toString(), kept[i].name);
            QCOMPARE(row.value("mode").toString(), "SCAN");

            const QString path = run.dir.filePath(file);
            const auto info = AudioProbe::probe(path);
            QVERIFY(info.ok);
            QCOMPARE(info.tags.value("CHANNEL"), QString::number(kept[i].channel));
            QCOMPARE(info.tags.value("FREQUENCY"), kept[i].frequency);
            QCOMPARE(info.tags.value("CHANNEL_NAME"), kept[i].name);
            QVERIFY(!info.tags.contains("TALKGROUP"));
            QVERIFY(std::abs(row.value("duration_ms").toInt() / 1000.0 - info.seconds) < 0.05);
            const QVector<qint16> pcm = AudioProbe::decode(path);
            if (kept[i].channel == 20) {
                // The one file holds the audio from before the gap (the pre-roll) and after it.
                QVERIFY2(info.seconds > 4.0 && info.seconds < kept[i].seconds + 0.3, qPrintable(file));
                QVERIFY(AudioProbe::toneMedian(pcm, 1000, kRate, 0, kRate / 2) > 0.8);
                QVERIFY(AudioProbe::toneMedian(pcm, 1000, kRate, pcm.size() - 2 * kRate, pcm.size()) > 0.8);
                continue;
            }
            QVERIFY2(std::abs(info.seconds - kept[i].seconds) < 0.3, qPrintable(QString::number(info.seconds)));
            const double share = AudioProbe::toneMedian(pcm, 1000, kRate, kRate / 2, pcm.size() - kRate / 4);
            QVERIFY2(share > 0.8, qPrintable(QString::number(share)));
        }
    }

    // A session that never configured audio records nothing, however many hits it sees.
    void withoutRecord_aHitLeavesNoFileNorIndexRow() {
        Run run;
        start(run, QStringLiteral("repeat off\nprogram 12 154.2500 CO FIRE\nbanks A\n4 stop 12 2\n"), {});
        QTRY_VERIFY_WITH_TIMEOUT(run.saw("\"squelch_open\":false", "\"channel\":12,"), 30000);
        QVERIFY(!QFileInfo::exists(run.dir.filePath("RECORDINGS")));
        QCOMPARE(recordings(run.dir.path()), QJsonArray());
    }
};

QTEST_GUILESS_MAIN(TestAudioCapture)
#include "test_audiocapture.moc"
