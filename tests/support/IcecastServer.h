#pragma once

#include "PrivateServer.h"

#include <QTcpServer>
#include <QTcpSocket>

/**
 * An icecast2 server of the test's own on loopback, on a free port, with its own configuration,
 * logs and source password. stop() and start() again keep the port, as a server restarted by its
 * owner would.
 */
class IcecastServer : public PrivateServer {
public:
    static constexpr const char* kPassword = "hackme-s3cret";

    static bool available() { return installed({"icecast2"}); }

    bool start() {
        if (m_port == 0) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return fail("no free port");
            m_port = probe.serverPort();
        }
        if (!prepareFolder())
            return false;
        QFile config(m_dir.filePath("icecast.xml"));
        if (!config.open(QIODevice::WriteOnly))
            return fail("cannot write the configuration");
        config.write(QString(R"(<icecast>
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
                         .arg(kPassword)
                         .arg(m_port)
                         .arg(m_dir.path())
                         .toUtf8());
        config.close();
        QFile::setPermissions(config.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        return startServer("icecast2", {"-c", config.fileName()}, [this] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            return socket.waitForConnected(100);
        });
    }
    void stop() { stopServer(); }

    quint16 port() const { return m_port; }
    QString sourceUrl(const QString& mount) const {
        return QString("icecast://source:%1@127.0.0.1:%2%3").arg(kPassword).arg(m_port).arg(mount);
    }
    QString listenUrl(const QString& mount) const { return QString("http://127.0.0.1:%1%2").arg(m_port).arg(mount); }

private:
    quint16 m_port = 0;
};
