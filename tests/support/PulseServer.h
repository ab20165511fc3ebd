#pragma once

#include "PrivateServer.h"

#include <QProcessEnvironment>

#include <utility>

/**
 * A PulseAudio server of the test's own, reached through a socket in its own folder: a null sink
 * "scanner" to play into, and a source listening to it that Qt lists as an input (Qt does not list
 * the sink's ".monitor" itself). The source can be pulled and plugged in again like a USB card.
 * Set PULSE_SERVER with env() before the first QMediaDevices is made.
 */
class PulseServer : public PrivateServer {
public:
    static constexpr const char* kInputName = "Scanner line-in";

    static bool available() { return installed({"pulseaudio", "pactl"}); }

    bool start() {
        if (!prepareFolder())
            return false;
        const QString dir = m_dir.path();
        // The socket file appears a moment before the server answers on it.
        return startServer("env",
                           {"HOME=" + dir, "XDG_RUNTIME_DIR=" + dir, "pulseaudio", "-n", "--daemonize=no",
                            "--exit-idle-time=-1", "--disable-shm",
                            "--load=module-native-protocol-unix socket=" + dir + "/native auth-anonymous=1",
                            "--load=module-null-sink sink_name=scanner"},
                           [this] { return QFile::exists(m_dir.filePath("native")) && plug(); });
    }

    QString socket() const { return "unix:" + m_dir.filePath("native"); }
    /// Points this process's sound clients at the server.
    void env() const { qputenv("PULSE_SERVER", socket().toUtf8()); }

    /// The input appears (again).
    bool plug() {
        return pactl({"load-module", "module-remap-source", "master=scanner.monitor", "source_name=scanner_in",
                      QString("source_properties=\"device.description='%1'\"").arg(kInputName)},
                     &m_input);
    }
    /// The input goes away, as when a USB sound card is pulled.
    bool unplug() { return pactl({"unload-module", m_input}); }

    /// Plays a continuous tone of this frequency into the sink until stopTone().
    bool startTone(int hz) {
        stopTone();
        return pactl({"load-module", "module-sine", "sink=scanner", "frequency=" + QString::number(hz)}, &m_tone);
    }
    void stopTone() {
        if (!m_tone.isEmpty())
            pactl({"unload-module", std::exchange(m_tone, {})});
    }

private:
    /// Runs pactl on the server; a loaded module's number goes to module.
    bool pactl(const QStringList& args, QString* module = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", socket());
        p.setProcessEnvironment(env);
        p.start("pactl", args);
        if (!p.waitForFinished(5000) || p.exitCode() != 0)
            return fail("pactl " + args.join(' ') + ": " + QString::fromUtf8(p.readAllStandardError()));
        if (module)
            *module = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return true;
    }

    QString m_input; ///< the module of the input
    QString m_tone;  ///< the module playing the tone
};
