// The live stream into a real icecast2 on loopback: a listener (ffmpeg) hears the tone, the server
// shows the hit's title, the stream comes back after the server restarts, and the password stays
// out of every log line and status line.
#include "AudioProbe.h"
#include "IcecastServer.h"
#include "audio/IcecastStreamer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>

namespace {

constexpr int kRate = 16000;

QStringList g_logLines;
QtMessageHandler g_previousHandler = nullptr;

void keepLogLine(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    g_logLines.append(text);
    g_previousHandler(type, context, text);
}

// A 1 kHz tone in real time, 20 ms at a time, as the sound card would deliver it.
class ToneSource : public QObject {
public:
    explicit ToneSource(IcecastStreamer& streamer) {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, &streamer] {
            QByteArray pcm(kRate / 50 * 2, Qt::Uninitialized);
            auto* s = reinterpret_cast<qint16*>(pcm.data());
            for (int i = 0; i < kRate / 50; ++i, ++m_n)
                s[i] = qint16(16000 * std::sin(2 * M_PI * 1000 * m_n / kRate));
            streamer.onSamples(pcm);
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    qint64 m_n = 0;
};

} // namespace

class TestIcecast : public QObject {
    Q_OBJECT

    IcecastServer m_server;
    QNetworkAccessManager m_network;

    // What a listener hears in a couple of seconds of the mount (ffmpeg runs beside the event loop).
    QVector<qint16> listen(const QString& mount) {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-i", m_server.listenUrl(mount), "-t", "2", "-f", "s16le", "-ac", "1",
                                "-ar", QString::number(kRate), "-"});
        QByteArray bytes;
        connect(&ffmpeg, &QProcess::readyReadStandardOutput, this, [&] { bytes += ffmpeg.readAllStandardOutput(); });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(ffmpeg.state() == QProcess::NotRunning, 15000); }();
        if (ffmpeg.state() != QProcess::NotRunning)
            ffmpeg.kill();
        ffmpeg.waitForFinished(1000);
        bytes += ffmpeg.readAllStandardOutput();
        QVector<qint16> pcm(bytes.size() / 2);
        memcpy(pcm.data(), bytes.constData(), size_t(pcm.size()) * 2);
        return pcm;
    }

    // The title the server shows for a mount, from its status-json.xsl.
    QString serverTitle(const QString& mount) {
        QNetworkReply* reply = m_network.get(QNetworkRequest(QUrl(m_server.listenUrl("/status-json.xsl"))));
        [&] { QTRY_VERIFY(reply->isFinished()); }();
        const QJsonObject stats = QJsonDocument::fromJson(reply->readAll()).object().value("icestats").toObject();
        reply->deleteLater();
        QJsonArray sources = stats.value("source").toArray();
        if (stats.value("source").isObject())
            sources.append(stats.value("source"));
        for (const QJsonValue& s : sources) {
            if (s.toObject().value("listenurl").toString().endsWith(mount))
                return s.toObject().value("title").toString();
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() {
        if (!IcecastServer::available())
            QSKIP("icecast2 is not installed");
        if (!AudioProbe::available())
            QSKIP("ffmpeg is not installed");
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        g_previousHandler = qInstallMessageHandler(keepLogLine);
        QLoggingCategory::setFilterRules("valdoria.audio.debug=true");
    }

    void cleanupTestCase() {
        qInstallMessageHandler(g_previousHandler);
        // Nothing this test made the program say carried the source password.
        for (const QString& line : g_logLines)
            QVERIFY2(!line.contains(IcecastServer::kPassword), qPrintable(line));
        m_server.stop();
    }

    // The server's status page shows an MP3 stream's title; an Ogg Opus stream carries its title inside.
    void stream_carriesTheToneAndTheHitsTitle_data() {
        QTest::addColumn<QString>("mount");
        QTest::addColumn<bool>("titleOnTheServer");
        QTest::newRow("MP3") << "/scanner.mp3" << true;
        QTest::newRow("Ogg Opus") << "/scanner.opus" << false;
    }
    void stream_carriesTheToneAndTheHitsTitle() {
        QFETCH(QString, mount);
        QFETCH(bool, titleOnTheServer);
        const auto target = StreamTarget::parse(m_server.sourceUrl(mount));
        QVERIFY(target);
        IcecastStreamer streamer(*target, kRate);
        QSignalSpy status(&streamer, &IcecastStreamer::statusLine);
        streamer.setTitle("County fire dispatch - 154.2500");
        streamer.start();
        ToneSource tone(streamer);
        QTRY_VERIFY_WITH_TIMEOUT(streamer.isConnected(), 5000);
        QCOMPARE(status.first().first().toString(),
                 QString("Streaming to 127.0.0.1:%1%2").arg(m_server.port()).arg(mount));
        if (titleOnTheServer)
            QTRY_COMPARE_WITH_TIMEOUT(serverTitle(mount), "County fire dispatch - 154.2500", 5000);

        const QVector<qint16> heard = listen(mount);
        QVERIFY2(heard.size() > kRate, qPrintable(QString::number(heard.size())));
        QVERIFY(AudioProbe::toneMedian(heard, 1000, kRate, heard.size() / 4) > 0.7);

        streamer.setTitle("Highway patrol - 155.4750");
        if (titleOnTheServer)
            QTRY_COMPARE_WITH_TIMEOUT(serverTitle(mount), "Highway patrol - 155.4750", 5000);
        for (const QList<QVariant>& line : status)
            QVERIFY(!line.first().toString().contains(IcecastServer::kPassword));
    }

    void serverRestarted_streamComesBackWithItsTitle() {
        const auto target = StreamTarget::parse(m_server.sourceUrl("/restart.mp3"));
        IcecastStreamer streamer(*target, kRate);
        streamer.setBackoff(200, 800);
        QSignalSpy status(&streamer, &IcecastStreamer::statusLine);
        streamer.setTitle("Fire ground - 154.2800");
        streamer.start();
        ToneSource tone(streamer);
        QTRY_VERIFY_WITH_TIMEOUT(streamer.isConnected(), 5000);

        m_server.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!streamer.isConnected(), 10000);
        QVERIFY2(status.last().first().toString().startsWith(
                     QString("Stream to 127.0.0.1:%1/restart.mp3 lost").arg(m_server.port())),
                 qPrintable(status.last().first().toString()));
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QTRY_VERIFY_WITH_TIMEOUT(streamer.isConnected(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(serverTitle("/restart.mp3"), "Fire ground - 154.2800", 5000);
        const QVector<qint16> heard = listen("/restart.mp3");
        QVERIFY(AudioProbe::toneMedian(heard, 1000, kRate, heard.size() / 4) > 0.7);
    }

    void wrongPassword_isRetriedAndNeverShown() {
        auto target = StreamTarget::parse(m_server.sourceUrl("/wrong.mp3"));
        target->password = "not-the-password";
        IcecastStreamer streamer(*target, kRate);
        streamer.setBackoff(100, 400);
        QSignalSpy status(&streamer, &IcecastStreamer::statusLine);
        streamer.start();
        QTRY_VERIFY(!status.isEmpty());
        QVERIFY2(status.first().first().toString().startsWith(
                     QString("Cannot stream to 127.0.0.1:%1/wrong.mp3").arg(m_server.port())),
                 qPrintable(status.first().first().toString()));
        // Said once; the retries back off up to the longest wait.
        QTRY_COMPARE(streamer.nextRetryMs(), 400);
        QCOMPARE(status.size(), 1);
        QVERIFY(!streamer.isConnected());
        for (const QString& line : g_logLines)
            QVERIFY(!line.contains("not-the-password"));
    }
};

QTEST_GUILESS_MAIN(TestIcecast)
#include "test_icecast.moc"
