#pragma once

#include "monitor/MonitorHooks.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTimer>

class Prompter;
class QTcpSocket;
class SerialLink;
struct ScannerState;

Q_DECLARE_LOGGING_CATEGORY(lcRemote)

/**
 * The TCP remote-control host. A client sends "CMD:" + a scanner command (relayed to the scanner
 * unchanged) or "QUIT" (ends its connection); it receives the status lines NotifyRemote writes.
 *
 * One client at a time: a new connection replaces the current one, and the host keeps listening
 * while a client is connected, so a client that drops without "QUIT" never ends the service.
 * Incoming text is framed on CR and/or LF. Until a client has sent its first terminator, text
 * without one also counts as a message once the client has been quiet for quietTimeMs(); after
 * that only terminators (or the hang-up) end a message, so a client that types is never cut up.
 * A message longer than kMaxMessageBytes is dropped whole. A client that lets more than
 * kMaxQueuedBytes of outgoing text pile up is dropped. The protocol has no password, so a peer
 * outside the allowed address ranges (loopback and the private and link-local ranges unless the
 * "Remote_Allow" setting says otherwise) is refused before anything of it is read, and logged.
 * The protocol is written up in docs/remote-protocol.md.
 */
class TcpHost : public QObject, public RemoteEndpoint {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 5757;
    /// Text waiting for a terminator never grows past this; a longer message is dropped whole.
    static constexpr int kMaxMessageBytes = 4096;
    /// A client that has never sent a terminator and stops sending for this long has ended its message.
    static constexpr int kDefaultQuietMs = 50;
    /// Outgoing text the client has not taken yet never grows past this; the client is dropped instead.
    static constexpr qint64 kMaxQueuedBytes = 256 * 1024;

    /// The prompter may be null (no acceptance message is shown then).
    TcpHost(ScannerState& state, SerialLink& link, Prompter* prompter, QObject* parent = nullptr);
    ~TcpHost() override;

    /// The port to listen on; 0 lets the system choose one (see serverPort()). Takes effect at startListening().
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    /// The "Remote_Address" setting: "localhost" restricts the host to this machine; anything else
    /// (normally "any") listens on every address. Takes effect at startListening().
    void setListenAddress(const QString& setting);
    QHostAddress listenAddress() const { return m_address; }
    /// The ranges served unless "Remote_Allow" names others: this machine, the private networks, link-local.
    static QString defaultAllowedRanges();
    /**
     * The "Remote_Allow" setting: address ranges ("192.168.0.0/16", "fc00::/7", or one address),
     * separated by commas or spaces; empty gives defaultAllowedRanges(). An entry that is no range
     * is logged and left out. Takes effect with the next connection.
     */
    void setAllowedRanges(const QString& setting);
    /// The ranges in effect, as "address/length".
    QStringList allowedRanges() const;
    /// True when a peer at this address may connect (an IPv4 address mapped into IPv6 counts as IPv4).
    bool isAllowed(const QHostAddress& address) const;
    void setQuietTimeMs(int ms) { m_quietTimer.setInterval(ms); }
    int quietTimeMs() const { return m_quietTimer.interval(); }

    /**
     * Start of service: drops any client, stops listening, then listens on the port and address.
     * A port that cannot be bound gives listenFailed() and statusLine() with the reason and
     * returns false.
     */
    bool startListening();
    /// Drops the client and stops listening.
    void stop();
    bool isListening() const { return m_server.isListening(); }
    /// The port actually listened on (the chosen one when the port was 0); 0 when not listening.
    quint16 serverPort() const { return m_server.serverPort(); }

    bool isClientConnected() const override;
    /**
     * Writes the text as Latin-1 to the client; nothing happens without one. A final CR ends the
     * line; any other CR or LF in the text goes out as a space, so one text is always one line.
     * A client that would have more than kMaxQueuedBytes waiting is dropped, with statusLine().
     */
    void sendToClient(const QString& text) override;

    /// Bytes received from the client that still wait for a terminator or the quiet time.
    int pendingInputSize() const { return int(m_input.size()); }
    /// The framing of one read from the client; the fuzz target feeds it bytes without a socket.
    void takeInput(const QByteArray& bytes);

    /// How a client address appears in the acceptance message (IPv4-mapped addresses as IPv4).
    static QString addressText(const QHostAddress& address);

Q_SIGNALS:
    /// Text for the faceplate's status line.
    void statusLine(const QString& text);
    /// The port could not be listened on; the text names the port and the reason.
    void listenFailed(const QString& text);
    void clientConnected(const QString& address, quint16 port);
    /// A peer outside the allowed ranges was turned away.
    void clientRefused(const QString& address);
    /// Received bytes were thrown away because a message grew past kMaxMessageBytes.
    void inputDiscarded(int bytes);

private:
    void onNewConnection();
    void onClientReadyRead();
    void onClientDisconnected();
    void onQuietTimeout();

    void adoptClient(QTcpSocket* socket);
    enum class Close { Graceful, Abort };
    void closeClient(Close how = Close::Graceful);
    void dropStalledClient();
    void readClient();
    void discardInput(qsizetype bytes);
    void handleMessage(const QByteArray& frame);
    void onQuitMessage(const QString& text);
    void onCommandMessage(const QString& text);
    void announce(const QString& text);
    void onAnnouncementClosed();

    ScannerState& m_state;
    SerialLink& m_link;
    Prompter* m_prompter = nullptr;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    quint16 m_port = kDefaultPort;
    QHostAddress m_address{QHostAddress::Any};
    QList<QPair<QHostAddress, int>> m_allowed;
    QTimer m_quietTimer;
    QByteArray m_input;
    // Set while the rest of an overlong message is still arriving: it is dropped up to its terminator.
    bool m_discarding = false;
    // Set once the client has ended a message with CR or LF: from then on the quiet time ends nothing.
    bool m_framedByLines = false;
    bool m_announcementOpen = false;
    QString m_pendingAnnouncement;
};
