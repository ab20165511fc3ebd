#pragma once

#include "logging/ActivityHit.h"
#include "monitor/Reading.h"
#include "remote/WebAccess.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Clock;
class QHttpServerRequest;
class QTcpSocket;
class QWebSocket;
class RecordingLibrary;
class WebActivity;

Q_DECLARE_LOGGING_CATEGORY(lcWeb)

/**
 * The phone view: a small web server that serves the page (built into the program as resources),
 * today's hits and the recordings, and pushes every reading change to the pages that watch over a
 * WebSocket on the same port, one JSON message per change (docs/web.md). Pages with the token may
 * press the faceplate's keys; keyPressed() hands them on.
 *
 * At most maxClients() WebSockets at once; a page that stops reading is dropped once kMaxQueuedBytes
 * wait for it, so a stalled phone never grows memory. Messages from a page are capped at
 * kMaxMessageBytes.
 */
class WebServer : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultMaxClients = 64;
    /// Unsent pushes a page may leave waiting before it is dropped.
    static constexpr qint64 kMaxQueuedBytes = 256 * 1024;
    /// The largest message (and frame) a page may send; a key press is a few dozen bytes.
    static constexpr int kMaxMessageBytes = 1024;
    /// A page that sends this many messages that mean nothing is dropped.
    static constexpr int kMaxBadMessages = 8;

    WebServer(const QString& appFolder, const Clock& clock, QObject* parent = nullptr);
    ~WebServer() override;

    /// The port to listen on; 0 lets the system choose one. Takes effect at startListening().
    void setPort(quint16 port) { m_port = port; }
    /// The "Web_Address" setting: empty or "localhost" keeps the page to this machine, "any" listens
    /// everywhere, anything else is an address to bind (an address that does not parse means loopback).
    void setListenAddress(const QString& setting);
    QHostAddress listenAddress() const { return m_address; }
    /// The token that lets a page press keys (and, off loopback, watch).
    void setToken(const QString& token) { m_access.setToken(token); }
    void setMaxClients(int count) { m_maxClients = qMax(1, count); }
    int maxClients() const { return m_maxClients; }
    /// Serve over TLS with this PEM certificate and key ("Web_Cert", "Web_Key"); empty: plain HTTP.
    void setTlsFiles(const QString& certificateFile, const QString& keyFile);
    bool usesTls() const { return !m_certificateFile.isEmpty(); }
    /// Where recordings come from; none (the default) lists and serves no recordings.
    void setRecordings(const RecordingLibrary* library) { m_recordings = library; }

    /// Listens; on failure statusLine() says why and false comes back.
    bool startListening();
    void stop();
    bool isListening() const;
    quint16 serverPort() const { return m_listeningPort; }
    int clientCount() const { return int(m_clients.size()); }
    /// The page's address for a visitor: http(s)://HOST:PORT/ with HOST the listen address, or this
    /// machine's first network address when it listens everywhere; with the token when asked.
    QString pageUrl(bool withToken) const;

    /// The scanner shows something new: every page gets it once.
    void publishReading(const Reading& reading);
    /// The serial port is open or not, and the scanner answers or not.
    void setLinkState(bool portOpen, bool answering);
    /// A transmission began (ended false) or ended.
    void publishHit(const Hit& hit, bool ended);
    /// A day-log line was written (ActivityLogWriter::lineWritten): today's hits change.
    void addLogLine(ActivityLogKind log, const QDate& day, const QString& line);

    /// The message a page gets for a reading: {"type":"reading","reading":{...}}.
    static QByteArray readingMessage(const Reading& reading);

Q_SIGNALS:
    /// A page with the token pressed a faceplate key, named as the faceplate names it ("btnSCAN").
    void keyPressed(const QString& buttonName);
    /// Text for the status line.
    void statusLine(const QString& text);

private:
    class Http;
    friend class Http;
    struct Client {
        bool mayPress = false;
        int badMessages = 0;
    };

    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket);
    void onNewWebSocket();
    void onMessage(QWebSocket* socket, const QString& text);
    void sendTo(QWebSocket* socket, const QByteArray& message);
    void broadcast(const QByteArray& message);
    void drop(QWebSocket* socket, const QString& why);
    void refuse(QWebSocket* socket, const QString& error);
    QJsonObject linkJson() const;
    QJsonObject activityJson();
    void sayWhy(const QString& text);

    QString m_appFolder;
    const Clock& m_clock;
    std::unique_ptr<Http> m_http;
    std::unique_ptr<WebActivity> m_activity;
    const RecordingLibrary* m_recordings = nullptr;
    WebAccess m_access;
    QHash<QWebSocket*, Client> m_clients;
    quint16 m_port = 0;
    quint16 m_listeningPort = 0;
    QHostAddress m_address{QHostAddress::LocalHost};
    int m_maxClients = kDefaultMaxClients;
    QString m_certificateFile;
    QString m_keyFile;
    Reading m_reading;
    bool m_portOpen = false;
    bool m_answering = false;
    /// Tells the pages once a second at most that today's hits changed.
    QTimer m_activityHint;
};
