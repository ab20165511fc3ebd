#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

#include <memory>

/**
 * A PulseAudio server of the test's own, reached through a socket in its own folder: a null sink
 * "scanner" to play into, and a source listening to it that Qt lists as an input (Qt does not list
 * the sink's ".monitor" itself). The source can be pulled and plugged in again like a USB card.
 * Under root the server runs as "nobody" (PulseAudio refuses root without system mode). Set
 * PULSE_SERVER with env() before the first QMediaDevices is made.
 */
class PulseServer {
public:
    static constexpr const char* kInputName = "Scanner line-in";

    ~PulseServer() { stop(); }

    static bool available() {
        return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("paplay")).isEmpty();
    }

    bool start() {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        QStringList command;
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return fail(QStringLiteral("cannot hand the folder to nobody"));
            command << QStringLiteral("runuser") << QStringLiteral("-u") << QStringLiteral("nobody")
                    << QStringLiteral("--");
        }
        const QString dir = m_dir.path();
        command << QStringLiteral("env") << QStringLiteral("HOME=") + dir << QStringLiteral("XDG_RUNTIME_DIR=") + dir
                << QStringLiteral("pulseaudio") << QStringLiteral("-n") << QStringLiteral("--daemonize=no")
                << QStringLiteral("--exit-idle-time=-1") << QStringLiteral("--disable-shm")
                << QStringLiteral("--load=module-native-protocol-unix socket=%1/native auth-anonymous=1").arg(dir)
                << QStringLiteral("--load=module-null-sink sink_name=scanner");
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(command.takeFirst(), command);
        if (!m_server.waitForStarted(5000))
            return fail(QStringLiteral("pulseaudio does not start"));
        for (int i = 0; i < 100 && !QFile::exists(dir + QStringLiteral("/native")); ++i)
            QThread::msleep(50);
        if (!QFile::exists(dir + QStringLiteral("/native")))
            return fail(QStringLiteral("pulseaudio made no socket: ") + QString::fromUtf8(m_server.readAll()));
        // The socket file appears a moment before the server answers on it.
        for (int i = 0; i < 40; ++i) {
            if (plug())
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    void stop() {
        stopTone();
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(3000)) {
                m_server.kill();
                m_server.waitForFinished(2000);
            }
        }
    }

    QString socket() const { return QStringLiteral("unix:%1/native").arg(m_dir.path()); }
    /// Points this process's sound clients at the server.
    void env() const { qputenv("PULSE_SERVER", socket().toUtf8()); }

    /// The input appears (again).
    bool plug() {
        QString out;
        if (!pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
                    QStringLiteral("master=scanner.monitor"), QStringLiteral("source_name=scanner_in"),
                    QStringLiteral("source_properties=\"device.description='%1'\"").arg(QLatin1String(kInputName))},
                   &out))
            return false;
        m_module = out.trimmed();
        return true;
    }
    /// The input goes away, as when a USB sound card is pulled.
    bool unplug() { return pactl({QStringLiteral("unload-module"), m_module}); }

    /// Plays a continuous tone of this frequency into the sink until stopTone().
    bool startTone(int hz, double seconds = 60) {
        stopTone();
        const QString wav = m_dir.filePath(QStringLiteral("tone-%1.wav").arg(hz));
        if (!QFile::exists(wav)) {
            QProcess sox;
            sox.start(QStringLiteral("sox"),
                      {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("16000"), QStringLiteral("-c"),
                       QStringLiteral("1"), wav, QStringLiteral("synth"), QString::number(seconds),
                       QStringLiteral("sine"), QString::number(hz), QStringLiteral("vol"), QStringLiteral("0.5")});
            if (!sox.waitForFinished(10000) || sox.exitCode() != 0)
                return fail(QStringLiteral("sox cannot make the tone"));
        }
        m_tone = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), socket());
        m_tone->setProcessEnvironment(env);
        m_tone->start(QStringLiteral("paplay"),
                      {QStringLiteral("--device=scanner"), QStringLiteral("--latency-msec=20"), wav});
        return m_tone->waitForStarted(3000);
    }
    void stopTone() {
        if (m_tone && m_tone->state() != QProcess::NotRunning) {
            m_tone->kill();
            m_tone->waitForFinished(2000);
        }
        m_tone.reset();
    }

    QString error() const { return m_error; }

private:
    bool pactl(const QStringList& args, QString* out = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), socket());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("pactl"), args);
        if (!p.waitForFinished(5000) || p.exitCode() != 0)
            return fail(QStringLiteral("pactl %1: %2")
                            .arg(args.join(QLatin1Char(' ')), QString::fromUtf8(p.readAllStandardError())));
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        return true;
    }
    bool fail(const QString& why) {
        m_error = why;
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_server;
    std::unique_ptr<QProcess> m_tone;
    QString m_module;
    QString m_error;
};
