// Capture from a private PulseAudio server with a tone played into it, through the whole audio
// service: a file per hit with the tone in it, blips dropped, the input pulled and returned mid-hit.
#include "AudioProbe.h"
#include "PulseServer.h"
#include "ScriptedPrompter.h"
#include "audio/AudioService.h"
#include "store/LocalDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kRate = AudioCapture::kSampleRate;

Hit hitOn(int channel, const QString& name) {
    Hit hit;
    hit.reading.channel = channel;
    hit.reading.bank = 1;
    hit.reading.frequencyHz = 154250000;
    hit.reading.channelName = name;
    hit.reading.modeName = QStringLiteral("SCAN");
    hit.start = QDateTime::currentDateTime();
    return hit;
}

} // namespace

class TestAudioCapture : public QObject {
    Q_OBJECT

    PulseServer m_pulse;
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<LocalDatabase> m_db;
    std::unique_ptr<AudioService> m_audio;
    qint64 m_heard = 0; // samples captured so far

    // Waits (on the event loop) until this many more samples have been captured.
    bool hear(double seconds) {
        const qint64 until = m_heard + qint64(seconds * kRate);
        return QTest::qWaitFor([&] { return m_heard >= until; }, int(seconds * 1000) + 5000);
    }

    // A hit the monitor would report, lasting for this much captured audio.
    void playHit(const Hit& hit, double seconds) {
        QElapsedTimer clock;
        clock.start();
        m_audio->onHitStarted(hit);
        QVERIFY(hear(seconds));
        Hit end = hit;
        end.durationMs = qint64(seconds * 1000);
        m_audio->onHitEnded(end);
    }

private Q_SLOTS:
    void initTestCase() {
        if (!PulseServer::available())
            QSKIP("PulseAudio is not installed (pulseaudio, pulseaudio-utils)");
        if (!AudioProbe::available())
            QSKIP("ffmpeg is not installed");
        QVERIFY2(m_pulse.start(), qPrintable(m_pulse.error()));
        // Before the first QMediaDevices: Qt reaches PulseAudio once per process.
        m_pulse.env();
        QTRY_VERIFY_WITH_TIMEOUT(AudioCapture::inputNames().contains(PulseServer::kInputName), 5000);
        QVERIFY2(m_pulse.startTone(1000), qPrintable(m_pulse.error()));

        m_db = std::make_unique<LocalDatabase>(LocalDatabase::pathForAppFolder(m_dir.path()), m_prompter);
        m_audio = std::make_unique<AudioService>(m_dir.path(), *m_db);
        m_audio->recorder().setReserveBytes(0);
        connect(&m_audio->capture(), &AudioCapture::samples, this,
                [this](const QByteArray& pcm) { m_heard += pcm.size() / 2; });
        AudioConfig config;
        config.device = QString::fromLatin1(PulseServer::kInputName);
        config.record = true;
        config.minimumMs = 1000;
        config.hangMs = 300;
        QVERIFY(m_audio->start(config));
        QTRY_VERIFY_WITH_TIMEOUT(m_audio->capture().isRunning(), 5000);
        QCOMPARE(m_audio->capture().activeDescription(), PulseServer::kInputName);
        // The pre-roll fills.
        QVERIFY(hear(1.0));
    }

    void cleanupTestCase() {
        m_audio.reset();
        m_db.reset();
        m_pulse.stop();
    }

    void scriptedHits_eachKeptHitIsAFileWithTheTone() {
        QSignalSpy recorded(&m_audio->recorder(), &HitRecorder::recorded);
        QSignalSpy dropped(&m_audio->recorder(), &HitRecorder::blipDropped);
        playHit(hitOn(12, QStringLiteral("County fire dispatch")), 2.0);
        QTRY_COMPARE(recorded.size(), 1);
        QVERIFY(hear(0.5));
        playHit(hitOn(13, QStringLiteral("Blip")), 0.4);
        QTRY_COMPARE(dropped.size(), 1);
        QVERIFY(hear(0.5));
        playHit(hitOn(14, QStringLiteral("Highway patrol")), 1.5);
        QTRY_COMPARE(recorded.size(), 2);

        const QList<Recording> rows = m_audio->recordings().forDay(QDate::currentDate());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].channelName, "County fire dispatch");
        QCOMPARE(rows[1].channelName, "Highway patrol");
        // Each file: half a second of pre-roll, the hit, and 0.3 s of hang time.
        const double expected[] = {2.8, 2.3};
        for (int i = 0; i < 2; ++i) {
            const QString path = m_audio->recordings().absolutePath(rows[i]);
            const auto info = AudioProbe::probe(path);
            QVERIFY(info.ok);
            QVERIFY2(std::abs(info.seconds - expected[i]) < 0.3, qPrintable(QString::number(info.seconds)));
            QVERIFY(std::abs(rows[i].durationMs / 1000.0 - info.seconds) < 0.05);
            QCOMPARE(info.tags.value("CHANNEL"), QString::number(12 + 2 * i));
            QCOMPARE(info.tags.value("FREQUENCY"), "154.2500");
            const QVector<qint16> pcm = AudioProbe::decode(path);
            const double share = AudioProbe::toneMedian(pcm, 1000, kRate, kRate / 2, pcm.size() - kRate / 4);
            QVERIFY2(share > 0.8, qPrintable(QString::number(share)));
        }
        QVERIFY(!QFile::exists(QDir(m_dir.path()).filePath(rows[1].file).replace("CH014", "CH013")));
    }

    void inputPulledMidHit_saysSoAndRecordsAgainWhenItReturns() {
        QSignalSpy status(&m_audio->capture(), &AudioCapture::statusLine);
        QSignalSpy recorded(&m_audio->recorder(), &HitRecorder::recorded);
        const Hit hit = hitOn(20, QStringLiteral("Unplugged"));
        m_audio->onHitStarted(hit);
        QVERIFY(hear(1.0));
        QVERIFY2(m_pulse.unplug(), qPrintable(m_pulse.error()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_audio->capture().isRunning(), 5000);
        QTRY_VERIFY(!status.isEmpty());
        QVERIFY2(status.last().first().toString().startsWith("Audio input \"Scanner line-in\" is gone"),
                 qPrintable(status.last().first().toString()));
        QVERIFY2(m_pulse.plug(), qPrintable(m_pulse.error()));
        QTRY_VERIFY_WITH_TIMEOUT(m_audio->capture().isRunning(), 5000);
        QCOMPARE(status.last().first().toString(), "Audio input \"Scanner line-in\" is back: recording again");
        QVERIFY(hear(1.0));
        Hit end = hit;
        end.durationMs = 3000;
        m_audio->onHitEnded(end);
        QTRY_COMPARE(recorded.size(), 1);

        // The one file holds the audio from before and after the gap.
        const Recording row = recorded.first().first().value<Recording>();
        const QVector<qint16> pcm = AudioProbe::decode(m_audio->recordings().absolutePath(row));
        QVERIFY2(pcm.size() >= 2.3 * kRate, qPrintable(QString::number(pcm.size())));
        QVERIFY(AudioProbe::toneMedian(pcm, 1000, kRate, pcm.size() - kRate, pcm.size() - kRate / 4) > 0.8);
    }
};

QTEST_GUILESS_MAIN(TestAudioCapture)
#include "test_audiocapture.moc"
