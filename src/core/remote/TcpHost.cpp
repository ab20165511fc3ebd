#include "TcpHost.h"

#include "Prompter.h"
#include "link/SerialLink.h"
#include "state/ScannerState.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcRemote, "valdoria.remote")

namespace {
// The socket hands us at most this much per read, so a flood never sits whole in memory.
constexpr qint64 kReadChunk = 16384;
// A closed client gets this long to take what was already written before it is cut off.
constexpr int kCloseGraceMs = 5000;

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

qsizetype indexOfTerminator(const QByteArray& bytes, qsizetype from) {
    for (qsizetype i = from; i < bytes.size(); ++i) {
        if (isLineBreak(bytes.at(i)))
            return i;
    }
    return -1;
}

// A final CR ends the line; every other run of CR and LF becomes one space, so one text stays one line.
QByteArray asOneLine(const QByteArray& text) {
    const qsizetype end = text.endsWith('\r') ? text.size() - 1 : text.size();
    if (std::none_of(text.cbegin(), text.cbegin() + end, isLineBreak))
        return text;
    QByteArray line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < end; ++i) {
        if (!isLineBreak(text.at(i)))
            line.append(text.at(i));
        else if (i == 0 || !isLineBreak(text.at(i - 1)))
            line.append(' ');
    }
    return line.append(text.mid(end));
}

// Surrounding spaces and NULs go: telnet ends a typed line with CR NUL, so the next message starts with a NUL.
QString trimmedText(const QByteArray& frame) {
    const auto blank = [](char c) { return c == '\0' || QChar::isSpace(char32_t(uchar(c))); };
    qsizetype from = 0;
    qsizetype to = frame.size();
    while (from < to && blank(frame.at(from)))
        ++from;
    while (to > from && blank(frame.at(to - 1)))
        --to;
    return QString::fromLatin1(frame.constData() + from, to - from);
}

bool isQuit(const QString& text) {
    return text == QLatin1String("QUIT");
}

bool isCommand(const QString& text) {
    return text.startsWith(QLatin1String("CMD:"));
}
} // namespace

TcpHost::TcpHost(ScannerState& state, SerialLink& link, Prompter* prompter, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_link(link)
    , m_prompter(prompter) {
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(kDefaultQuietMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &TcpHost::onQuietTimeout);
    connect(&m_server, &QTcpServer::newConnection, this, &TcpHost::onNewConnection);
}

TcpHost::~TcpHost() {
    // The server and its sockets outlive this object's own members: keep their signals away from it.
    m_server.disconnect(this);
    if (m_client) {
        m_client->disconnect(this);
        m_client->abort();
    }
}

void TcpHost::setListenAddress(const QString& setting) {
    const bool local = setting.trimmed().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
    m_address = QHostAddress(local ? QHostAddress::LocalHost : QHostAddress::Any);
}

bool TcpHost::startListening() {
    closeClient();
    m_server.close();
    if (!m_server.listen(m_address, m_port)) {
        const QString text = QStringLiteral("The remote control cannot listen on TCP port %1: %2")
                                 .arg(m_port)
                                 .arg(m_server.errorString());
        qCWarning(lcRemote).noquote() << text;
        Q_EMIT listenFailed(text);
        Q_EMIT statusLine(text);
        return false;
    }
    qCInfo(lcRemote) << "listening on" << m_address.toString() << "port" << m_server.serverPort();
    return true;
}

void TcpHost::stop() {
    closeClient();
    m_server.close();
}

bool TcpHost::isClientConnected() const {
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

void TcpHost::sendToClient(const QString& text) {
    if (!isClientConnected())
        return;
    const QByteArray line = asOneLine(text.toLatin1());
    // A client that stopped reading would make us hold everything it has not taken, without end.
    if (m_client->bytesToWrite() + line.size() > kMaxQueuedBytes) {
        dropStalledClient();
        return;
    }
    m_client->write(line);
}

void TcpHost::dropStalledClient() {
    const QString address = addressText(m_client->peerAddress());
    qCWarning(lcRemote) << "dropped client" << address << "with" << m_client->bytesToWrite() << "bytes unsent";
    // What it has not taken is never worth waiting for: cut it off and free the buffer now.
    closeClient(Close::Abort);
    Q_EMIT statusLine(QStringLiteral("Remote client %1 dropped: it stopped reading").arg(address));
}

QString TcpHost::addressText(const QHostAddress& address) {
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped && address.protocol() == QAbstractSocket::IPv6Protocol)
        return QHostAddress(v4).toString();
    return address.toString();
}

void TcpHost::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        // Of several requests waiting together only the last would survive: the others are dropped at once.
        if (m_server.hasPendingConnections()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        adoptClient(socket);
    }
}

void TcpHost::adoptClient(QTcpSocket* socket) {
    closeClient();
    m_client = socket;
    socket->setReadBufferSize(kReadChunk);
    connect(socket, &QTcpSocket::readyRead, this, &TcpHost::onClientReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &TcpHost::onClientDisconnected);

    const QString address = addressText(socket->peerAddress());
    const quint16 port = socket->peerPort();
    qCDebug(lcRemote) << "client accepted from" << address << "port" << port;
    Q_EMIT clientConnected(address, port);
    announce(QStringLiteral("Remote Connection Accepted from %1 on port %2").arg(address).arg(port));

    // The client may have written, or even gone, before we took it.
    if (socket->state() != QAbstractSocket::ConnectedState)
        onClientDisconnected();
    else if (socket->bytesAvailable() > 0)
        readClient();
}

void TcpHost::closeClient(Close how) {
    QTcpSocket* socket = m_client;
    if (!socket)
        return;
    m_client = nullptr;
    m_quietTimer.stop();
    m_input.clear();
    m_discarding = false;
    m_framedByLines = false;

    socket->disconnect(this);
    if (how == Close::Abort) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kCloseGraceMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}

void TcpHost::onClientReadyRead() {
    readClient();
}

void TcpHost::onClientDisconnected() {
    if (!m_client)
        return;
    qCDebug(lcRemote) << "client went away";
    // What arrived just before the hang-up still counts, terminated or not.
    readClient();
    if (m_client)
        onQuietTimeout();
    closeClient();
}

void TcpHost::readClient() {
    while (m_client && m_client->bytesAvailable() > 0)
        takeInput(m_client->read(kReadChunk));
}

void TcpHost::takeInput(const QByteArray& bytes) {
    qsizetype pos = 0;
    for (qsizetype end = indexOfTerminator(bytes, pos); end >= 0; end = indexOfTerminator(bytes, pos)) {
        const qsizetype length = end - pos;
        const qsizetype start = pos;
        pos = end + 1;
        m_framedByLines = true;
        if (m_discarding || m_input.size() + length > kMaxMessageBytes) {
            // The terminator ends the overlong message; the next one starts clean.
            discardInput(m_input.size() + length);
            m_discarding = false;
            continue;
        }
        m_input.append(bytes.constData() + start, length);
        handleMessage(std::exchange(m_input, {}));
        if (!m_client)
            return;
    }

    const qsizetype rest = bytes.size() - pos;
    if (m_discarding) {
        discardInput(rest);
    } else if (m_input.size() + rest > kMaxMessageBytes) {
        discardInput(m_input.size() + rest);
        m_discarding = true;
    } else {
        m_input.append(bytes.constData() + pos, rest);
    }
    if (m_framedByLines || (m_input.isEmpty() && !m_discarding))
        m_quietTimer.stop();
    else
        m_quietTimer.start();
}

void TcpHost::discardInput(qsizetype bytes) {
    m_input.clear();
    if (bytes <= 0)
        return;
    qCWarning(lcRemote) << "dropped" << bytes << "bytes of a message longer than" << kMaxMessageBytes << "bytes";
    Q_EMIT inputDiscarded(int(bytes));
}

void TcpHost::onQuietTimeout() {
    if (m_discarding) {
        discardInput(m_input.size());
        m_discarding = false;
        return;
    }
    if (!m_input.isEmpty())
        handleMessage(std::exchange(m_input, {}));
}

void TcpHost::handleMessage(const QByteArray& frame) {
    const QString text = trimmedText(frame);
    if (text.isEmpty())
        return;

    struct Rule {
        bool (*matches)(const QString&);
        void (TcpHost::*handle)(const QString&);
    };
    // The prefix is case-sensitive: "cmd:" is not a command. Anything no rule matches is ignored.
    static constexpr Rule kRules[] = {
        {isQuit, &TcpHost::onQuitMessage},
        {isCommand, &TcpHost::onCommandMessage},
    };
    for (const Rule& rule : kRules) {
        if (rule.matches(text)) {
            (this->*rule.handle)(text);
            return;
        }
    }
    qCDebug(lcRemote) << "ignored" << text;
}

void TcpHost::onQuitMessage(const QString&) {
    closeClient();
    if (!m_server.isListening())
        startListening();
    Q_EMIT statusLine(QStringLiteral("TCP Connection Closed."));
}

void TcpHost::onCommandMessage(const QString& text) {
    // The command goes to the scanner exactly as the client wrote it, unchecked.
    const QString command = text.mid(4);
    m_link.sendToScanner(command);
    m_state.gLastSent = command;
}

void TcpHost::announce(const QString& text) {
    if (!m_prompter)
        return;
    // One box at a time: while it is open, later acceptances collapse into the newest one.
    if (m_announcementOpen) {
        m_pendingAnnouncement = text;
        return;
    }
    m_announcementOpen = true;
    QPointer<TcpHost> self(this);
    m_prompter->inform(QStringLiteral("Connection Accepted"), text, Prompter::Icon::Information, [self] {
        if (self)
            self->onAnnouncementClosed();
    });
}

void TcpHost::onAnnouncementClosed() {
    m_announcementOpen = false;
    if (!m_pendingAnnouncement.isEmpty())
        announce(std::exchange(m_pendingAnnouncement, {}));
}
