#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

/**
 * An icecast2 server of the test's own on loopback, on a free port, with its own configuration,
 * logs and source password. Under root it runs as "nobody" (icecast refuses root). stop() and
 * start() again keep the port, as a server restarted by its owner would.
 */
class IcecastServer {
public:
    static constexpr const char* kPassword = "hackme-s3cret";

    ~IcecastServer() { stop(); }

    static bool available() { return !QStandardPaths::findExecutable(QStringLiteral("icecast2")).isEmpty(); }

    bool start() {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        if (m_port == 0) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return fail(QStringLiteral("no free port"));
            m_port = probe.serverPort();
        }
        const QString dir = m_dir.path();
        QString user;
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || chown(QFile::encodeName(dir).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return fail(QStringLiteral("cannot hand the folder to nobody"));
            user = QStringLiteral("nobody");
        }
        QFile config(dir + QStringLiteral("/icecast.xml"));
        if (!config.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write the configuration"));
        config.write(QStringLiteral(R"(<icecast>
  <limits><clients>10</clients><sources>4</sources><source-timeout>10</source-timeout></limits>
  <authentication>
    <source-password>%1</source-password>
    <admin-user>admin</admin-user><admin-password>%1-admin</admin-password>
  </authentication>
  <hostname>127.0.0.1</hostname>
  <listen-socket><port>%2</port><bind-address>127.0.0.1</bind-address></listen-socket>
  <fileserve>1</fileserve>
  <paths>
    <basedir>/usr/share/icecast2</basedir><logdir>%3</logdir><webroot>/usr/share/icecast2/web</webroot>
    <adminroot>/usr/share/icecast2/admin</adminroot>
  </paths>
  <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>3</loglevel></logging>
</icecast>
)")
                         .arg(QLatin1String(kPassword))
                         .arg(m_port)
                         .arg(dir)
                         .toUtf8());
        config.close();
        QFile::setPermissions(config.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        QStringList command;
        if (!user.isEmpty())
            command << QStringLiteral("runuser") << QStringLiteral("-u") << user << QStringLiteral("--");
        command << QStringLiteral("icecast2") << QStringLiteral("-c") << config.fileName();
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(command.takeFirst(), command);
        if (!m_server.waitForStarted(5000))
            return fail(QStringLiteral("icecast2 does not start"));
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(100))
                return true;
            if (m_server.state() == QProcess::NotRunning)
                break;
            QThread::msleep(50);
        }
        return fail(QStringLiteral("icecast2 does not listen: ") + QString::fromUtf8(m_server.readAll()));
    }

    void stop() {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(2000);
        }
    }

    quint16 port() const { return m_port; }
    QString sourceUrl(const QString& mount) const {
        return QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
            .arg(QLatin1String(kPassword))
            .arg(m_port)
            .arg(mount);
    }
    QString listenUrl(const QString& mount) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(mount);
    }
    QString logFolder() const { return m_dir.path(); }
    QString error() const { return m_error; }

private:
    bool fail(const QString& why) {
        m_error = why;
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_server;
    quint16 m_port = 0;
    QString m_error;
};
