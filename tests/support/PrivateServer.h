#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

/**
 * What the tests' private servers (PostgreSQL, PulseAudio, icecast2) share: a folder of their own, the
 * reason the last step failed, and the server process. None of them runs as root, so under root (CI) the
 * folder belongs to "nobody" and their programs run as that user through runuser.
 */
class PrivateServer {
public:
    QString error() const { return m_error; }

protected:
    ~PrivateServer() { stopServer(); }

    static bool installed(const QStringList& programs) {
        return std::all_of(programs.begin(), programs.end(),
                           [](const QString& p) { return !QStandardPaths::findExecutable(p).isEmpty(); });
    }

    /// The folder exists and, under root, belongs to "nobody".
    bool prepareFolder() {
        if (!m_dir.isValid())
            return fail("no temporary folder");
        if (geteuid() != 0)
            return true;
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
            return fail("cannot hand the folder to the user nobody");
        m_asNobody = true;
        return true;
    }

    /// Starts a program as the folder's owner, in the folder (the owner may not enter the test's own).
    void launch(QProcess& process, const QString& program, const QStringList& arguments) const {
        process.setWorkingDirectory(m_dir.path());
        if (m_asNobody)
            process.start("runuser", QStringList{"-u", "nobody", "--", program} + arguments);
        else
            process.start(program, arguments);
    }

    /// Starts the server and polls until it is ready; false with its output if it ends or stays unready.
    bool startServer(const QString& program, const QStringList& arguments, const std::function<bool()>& ready) {
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        launch(m_server, program, arguments);
        if (!m_server.waitForStarted(5000))
            return fail(program + " does not start");
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired() && m_server.state() == QProcess::Running;
             QThread::msleep(50)) {
            if (ready())
                return true;
        }
        return fail(program + " is not ready: " + m_error + ' ' + QString::fromUtf8(m_server.readAll()));
    }

    /// Asks the server to end (runuser passes the signal on), killing it if it does not.
    void stopServer() {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(2000);
        }
    }

    bool fail(const QString& why) {
        m_error = why;
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_server;

private:
    QString m_error;
    bool m_asNobody = false;
};
