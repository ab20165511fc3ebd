#include "WebServer.h"

#include "ListenAddress.h"

#include "Clock.h"
#include "remote/WebActivity.h"
#include "remote/WebServerHttp.h"

#include <QFile>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTcpServer>
#include <QUrlQuery>
#include <QWebSocket>

Q_LOGGING_CATEGORY(lcWeb, "valdoria.web")

namespace {

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray errorMessage(const QString& error) {
    return compact({{QStringLiteral("type"), QStringLiteral("error")}, {QStringLiteral("error"), error}});
}

} // namespace

WebServer::WebServer(const QString& appFolder, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_appFolder(appFolder)
    , m_clock(clock)
    , m_activity(std::make_unique<WebActivity>(appFolder, clock)) {
    m_activityHint.setSingleShot(true);
    m_activityHint.setInterval(1000);
    connect(&m_activityHint, &QTimer::timeout, this, [this] {
        broadcast(compact({{QStringLiteral("type"), QStringLiteral("activity")}}));
    });
}

WebServer::~WebServer() {
    stop();
}

void WebServer::setListenAddress(const QString& setting) {
    const std::optional<QHostAddress> address = listenAddressFrom(setting);
    if (!address)
        qCWarning(lcWeb).noquote() << "Web_Address" << setting.trimmed() << "is no address; listening on loopback";
    m_address = address.value_or(QHostAddress(QHostAddress::LocalHost));
    m_access.setListenAddress(m_address);
}

void WebServer::setTlsFiles(const QString& certificateFile, const QString& keyFile) {
    m_certificateFile = certificateFile.trimmed();
    m_keyFile = keyFile.trimmed();
}

bool WebServer::startListening() {
    stop();
    m_access.setListenAddress(m_address);
    m_http = std::make_unique<Http>(*this);
    if (usesTls()) {
        QFile certificateFile(m_certificateFile);
        QFile keyFile(m_keyFile.isEmpty() ? m_certificateFile : m_keyFile);
        if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
            sayWhy(QStringLiteral("The phone view cannot read its certificate or key (Web_Cert, Web_Key)"));
            m_http.reset();
            return false;
        }
        const QSslCertificate certificate(&certificateFile, QSsl::Pem);
        const QByteArray keyText = keyFile.readAll();
        QSslKey key(keyText, QSsl::Rsa, QSsl::Pem);
        if (key.isNull())
            key = QSslKey(keyText, QSsl::Ec, QSsl::Pem);
        // Never fall back to plain HTTP when TLS was asked for: the token would travel in the clear.
        if (certificate.isNull() || key.isNull()) {
            sayWhy(QStringLiteral("The phone view's certificate or key is not a PEM certificate and private key"));
            m_http.reset();
            return false;
        }
        m_http->sslSetup(certificate, key);
    }
    connect(m_http.get(), &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::onNewWebSocket);
    m_listeningPort = m_http->listen(m_address, m_port);
    if (m_listeningPort == 0) {
        QString reason;
        const QList<QTcpServer*> servers = m_http->servers();
        reason =
            servers.isEmpty() ? QStringLiteral("the port is taken or not allowed") : servers.first()->errorString();
        sayWhy(QStringLiteral("The phone view cannot listen on TCP port %1: %2").arg(m_port).arg(reason));
        m_http.reset();
        return false;
    }
    qCInfo(lcWeb) << "phone view on" << m_address.toString() << "port" << m_listeningPort;
    return true;
}

void WebServer::stop() {
    const QList<QWebSocket*> sockets = m_clients.keys();
    for (QWebSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_clients.clear();
    m_http.reset();
    m_listeningPort = 0;
}

bool WebServer::isListening() const {
    return m_http && m_listeningPort != 0;
}

QString WebServer::pageUrl(bool withToken) const {
    QString host = m_address.toString();
    if (m_address == QHostAddress(QHostAddress::Any) || m_address == QHostAddress(QHostAddress::AnyIPv6) ||
        m_address == QHostAddress(QHostAddress::AnyIPv4)) {
        host = QStringLiteral("127.0.0.1");
        const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
        for (const QHostAddress& address : addresses) {
            if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol &&
                !address.isLinkLocal()) {
                host = address.toString();
                break;
            }
        }
    } else if (m_address.protocol() == QAbstractSocket::IPv6Protocol) {
        host = QLatin1Char('[') + host + QLatin1Char(']');
    }
    QString url = QStringLiteral("%1://%2:%3/")
                      .arg(usesTls() ? QStringLiteral("https") : QStringLiteral("http"), host)
                      .arg(m_listeningPort ? m_listeningPort : m_port);
    if (withToken)
        url += QStringLiteral("?token=") + m_access.token();
    return url;
}

QByteArray WebServer::readingMessage(const Reading& reading) {
    return compact(
        {{QStringLiteral("type"), QStringLiteral("reading")}, {QStringLiteral("reading"), reading.toJson()}});
}

void WebServer::publishReading(const Reading& reading) {
    if (reading == m_reading)
        return;
    m_reading = reading;
    broadcast(readingMessage(reading));
}

QJsonObject WebServer::linkJson() const {
    QString text = QStringLiteral("Scanner connected");
    if (!m_portOpen)
        text = QStringLiteral("Serial port closed");
    else if (!m_answering)
        text = QStringLiteral("Scanner not answering");
    return {{QStringLiteral("port_open"), m_portOpen},
            {QStringLiteral("answering"), m_answering},
            {QStringLiteral("text"), text}};
}

void WebServer::setLinkState(bool portOpen, bool answering) {
    if (portOpen == m_portOpen && answering == m_answering)
        return;
    m_portOpen = portOpen;
    m_answering = answering;
    broadcast(compact({{QStringLiteral("type"), QStringLiteral("link")}, {QStringLiteral("link"), linkJson()}}));
}

void WebServer::publishHit(const Hit& hit, bool ended) {
    broadcast(compact({{QStringLiteral("type"), QStringLiteral("hit")},
                       {QStringLiteral("event"), ended ? QStringLiteral("end") : QStringLiteral("start")},
                       {QStringLiteral("start"), hit.start.toString(Qt::ISODate)},
                       {QStringLiteral("duration_ms"), hit.durationMs},
                       {QStringLiteral("reading"), hit.reading.toJson()}}));
}

void WebServer::addLogLine(ActivityLogKind log, const QDate& day, const QString& line) {
    m_activity->addLine(log, day, line);
    if (!m_activityHint.isActive())
        m_activityHint.start();
}

void WebServer::onNewWebSocket() {
    while (m_http && m_http->hasPendingWebSocketConnections()) {
        QWebSocket* socket = m_http->nextPendingWebSocketConnection().release();
        if (!socket)
            break;
        socket->setParent(this);
        connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        if (m_clients.size() >= m_maxClients) {
            qCInfo(lcWeb) << "a page was turned away: already" << m_clients.size() << "pages watch";
            // 1013 ("try again later") would fit, but Qt's own clients take it for a protocol error.
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("too many pages are watching"));
            continue;
        }
        const QNetworkRequest request = socket->request();
        // A browser names the page that opens a WebSocket: one from another site never gets this one,
        // so a page elsewhere cannot watch or press keys with the cookie of this one.
        const QString origin = socket->origin();
        if (!origin.isEmpty() && QUrl(origin).authority().compare(QString::fromLatin1(request.rawHeader("Host")),
                                                                  Qt::CaseInsensitive) != 0) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("opened from another site"));
            continue;
        }
        QByteArray token = WebAccess::tokenFromCookies(request.rawHeader("Cookie"));
        if (token.isEmpty())
            token = QUrlQuery(request.url()).queryItemValue(QStringLiteral("token")).toUtf8();
        const WebAccess::Level level = m_access.levelFor(socket->peerAddress(), token);
        if (level == WebAccess::Level::None) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("the token is missing or wrong"));
            continue;
        }
        socket->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
        socket->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
        m_clients.insert(socket, Client{level == WebAccess::Level::Control, 0});
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket](const QString& text) { onMessage(socket, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket](const QByteArray&) { refuse(socket, QStringLiteral("messages are JSON text")); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { m_clients.remove(socket); });
        sendTo(socket, compact({{QStringLiteral("type"), QStringLiteral("hello")},
                                {QStringLiteral("keys"), level == WebAccess::Level::Control},
                                {QStringLiteral("link"), linkJson()},
                                {QStringLiteral("reading"), m_reading.toJson()}}));
    }
}

void WebServer::onMessage(QWebSocket* socket, const QString& text) {
    const auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    const QJsonObject message = document.object();
    const QString type = message.value(QStringLiteral("type")).toString();
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        refuse(socket, QStringLiteral("not a JSON object"));
    } else if (type == QLatin1String("ping")) {
        sendTo(socket, compact({{QStringLiteral("type"), QStringLiteral("pong")}}));
    } else if (type != QLatin1String("key")) {
        refuse(socket, QStringLiteral("unknown message type"));
    } else if (!it->mayPress) {
        sendTo(socket, errorMessage(QStringLiteral("keys need the token: open the link from Config > Phone View")));
    } else {
        const QString key = message.value(QStringLiteral("key")).toString();
        if (!WebServerHttp::isKeyName(key))
            refuse(socket, QStringLiteral("no such key"));
        else
            Q_EMIT keyPressed(key);
    }
}

void WebServer::refuse(QWebSocket* socket, const QString& error) {
    const auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    if (++it->badMessages >= kMaxBadMessages) {
        drop(socket, QStringLiteral("sent too many messages that mean nothing"));
        return;
    }
    sendTo(socket, errorMessage(error));
}

void WebServer::sendTo(QWebSocket* socket, const QByteArray& message) {
    // A page that leaves this much unread has stopped reading: it goes, rather than memory growing.
    if (socket->bytesToWrite() > kMaxQueuedBytes) {
        drop(socket, QStringLiteral("stopped reading"));
        return;
    }
    socket->sendTextMessage(QString::fromUtf8(message));
}

void WebServer::broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    const QList<QWebSocket*> sockets = m_clients.keys();
    for (QWebSocket* socket : sockets) {
        if (socket->bytesToWrite() > kMaxQueuedBytes)
            drop(socket, QStringLiteral("stopped reading"));
        else
            socket->sendTextMessage(text);
    }
}

void WebServer::drop(QWebSocket* socket, const QString& why) {
    qCInfo(lcWeb).noquote() << "dropped a page from" << socket->peerAddress().toString() << ":" << why;
    m_clients.remove(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

QJsonObject WebServer::activityJson() {
    QJsonObject activity = m_activity->today();
    activity.insert(QStringLiteral("recordings"), WebServerHttp::recordingsJson(m_recordings, m_clock.date()));
    return activity;
}

void WebServer::sayWhy(const QString& text) {
    qCWarning(lcWeb).noquote() << text;
    Q_EMIT statusLine(text);
}
