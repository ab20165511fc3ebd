// Capture, a recording per hit and the MP3 stream together, as the program runs them: a private
// PulseAudio server plays a tone into its null sink, a private icecast2 takes the stream, and a hit
// of two seconds starts every three seconds. Prints the CPU used (share of one core), the memory held,
// and the lag from a hit's start to the first bytes of its file. Usage: bench_audio [seconds]
#include "IcecastServer.h"
#include "PulseServer.h"
#include "ScriptedPrompter.h"
#include "audio/AudioService.h"
#include "audio/IcecastStreamer.h"
#include "store/LocalDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;
    QTextStream out(stdout);
    if (!PulseServer::available() || !IcecastServer::available()) {
        out << "bench_audio needs pulseaudio, pulseaudio-utils and icecast2\n";
        return 1;
    }
    PulseServer pulse;
    IcecastServer icecast;
    if (!pulse.start() || !icecast.start()) {
        out << "cannot start the servers: " << pulse.error() << icecast.error() << '\n';
        return 1;
    }
    pulse.env();
    pulse.startTone(1000);

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    LocalDatabase db(LocalDatabase::pathForAppFolder(dir.path()), prompter);
    db.open();
    AudioService audio(dir.path(), db);
    AudioConfig config;
    config.device = QString::fromLatin1(PulseServer::kInputName);
    config.record = true;
    config.streamUrl = icecast.sourceUrl(QStringLiteral("/bench.mp3"));
    audio.start(config);

    // Lag: from the hit's start to the header on disk, and to the first page of audio after it.
    QElapsedTimer hitClock;
    QList<double> headerLagMs;
    QList<double> audioLagMs;
    QString watched;
    qint64 headerBytes = 0;
    // Watches the file only until its first audio page, so the watching costs next to nothing.
    QTimer sizeWatch;
    sizeWatch.setInterval(5);
    QObject::connect(&audio.recorder(), &HitRecorder::recordingStarted, [&](const QString& file) {
        headerLagMs.append(hitClock.nsecsElapsed() / 1e6);
        watched = QDir(dir.path()).filePath(file);
        headerBytes = QFileInfo(watched).size();
        sizeWatch.start();
    });
    QObject::connect(&sizeWatch, &QTimer::timeout, [&] {
        if (!watched.isEmpty() && QFileInfo(watched).size() > headerBytes) {
            audioLagMs.append(hitClock.nsecsElapsed() / 1e6);
            watched.clear();
            sizeWatch.stop();
        }
    });

    int n = 0;
    Hit hit;
    QTimer hits;
    hits.setInterval(3000);
    QObject::connect(&hits, &QTimer::timeout, [&] {
        hit = Hit();
        hit.reading.channel = ++n;
        hit.reading.frequencyHz = 154250000;
        hit.reading.channelName = QStringLiteral("County fire dispatch");
        hit.start = QDateTime::currentDateTime();
        hitClock.start();
        audio.onHitStarted(hit);
        QTimer::singleShot(2000, [&] {
            hit.durationMs = 2000;
            audio.onHitEnded(hit);
        });
    });

    // The first seconds (connections, Qt's audio plug-in) are not part of the steady state.
    QTimer::singleShot(3000, [&] {
        const qint64 rssBefore = residentKb();
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        hits.start();
        QTimer::singleShot(seconds * 1000, [&, rssBefore, cpuBefore, wall] {
            const double cpu = cpuSeconds() - cpuBefore;
            const double elapsed = wall.elapsed() / 1000.0;
            const auto median = [](QList<double> v) {
                std::sort(v.begin(), v.end());
                return v.isEmpty() ? -1.0 : v.at(v.size() / 2);
            };
            const auto worst = [](const QList<double>& v) {
                return v.isEmpty() ? -1.0 : *std::max_element(v.begin(), v.end());
            };
            out << QStringLiteral("run: %1 s, %2 hits recorded, stream %3 (%4 kB sent)\n")
                       .arg(elapsed, 0, 'f', 1)
                       .arg(audio.recordings().all().size())
                       .arg(audio.streamer() && audio.streamer()->isConnected() ? "connected" : "NOT connected")
                       .arg(audio.streamer() ? audio.streamer()->bytesSent() / 1024 : 0);
            out << QStringLiteral("cpu (capture + encode + record + stream): %1 % of one core\n")
                       .arg(100.0 * cpu / elapsed, 0, 'f', 2);
            out << QStringLiteral("memory held: %1 MB resident (%2 kB more than before the hits)\n")
                       .arg(residentKb() / 1024.0, 0, 'f', 1)
                       .arg(residentKb() - rssBefore);
            out << QStringLiteral("lag hit start -> first byte of the file: median %1 ms, worst %2 ms\n")
                       .arg(median(headerLagMs), 0, 'f', 2)
                       .arg(worst(headerLagMs), 0, 'f', 2);
            out << QStringLiteral("lag hit start -> first audio page on disk: median %1 ms, worst %2 ms\n")
                       .arg(median(audioLagMs), 0, 'f', 0)
                       .arg(worst(audioLagMs), 0, 'f', 0);
            out.flush();
            QCoreApplication::quit();
        });
    });
    return QCoreApplication::exec();
}
