#pragma once

#include "monitor/Reading.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>

class QTcpSocket;
class SerialLink;
struct ScannerState;

Q_DECLARE_LOGGING_CATEGORY(lcRigctl)

/**
 * A control port speaking Hamlib's rigctld text protocol, so logging, tracking and scanning
 * programs (through Hamlib's "NET rigctl" model 2) can read and tune the scanner while this
 * program holds the serial port.
 *
 * Several clients at once, each with its own input: one command per line (LF, CR LF or CR), short
 * answers one value per line or "RPRT n", extended answers (a leading '+', or ';' '|' ',' as the
 * separator) with the command echoed and key: value records. Reads come from the monitor's
 * reading (setReading()); set_freq programs the tune channel with the frequency and calls it up in MANUAL. A client
 * whose unterminated input passes kMaxLineBytes, or who leaves more than kMaxQueuedBytes of answers
 * unread, is dropped alone. docs/rigctl.md lists the answers.
 */
class RigctlServer : public QObject {
    Q_OBJECT

public:
    /// The port Hamlib's clients try first.
    static constexpr quint16 kDefaultPort = 4532;
    /// A command line never grows past this; a client sending more without a line end is dropped.
    static constexpr int kMaxLineBytes = 4096;
    /// Answers a client has not taken yet never grow past this; the client is dropped instead.
    static constexpr qint64 kMaxQueuedBytes = 256 * 1024;

    /// Hamlib's error codes (sent negated after "RPRT").
    enum Error { Ok = 0, InvalidArgument = 1, NotImplemented = 4, NotAvailable = 11 };

    RigctlServer(ScannerState& state, SerialLink& link, QObject* parent = nullptr);
    ~RigctlServer() override;

    /// The port to listen on; 0 lets the system choose one. Takes effect at startListening().
    void setPort(quint16 port) { m_port = port; }
    /// The "Rigctl_Address" setting: empty or "localhost" keeps the port to this machine, "any"
    /// listens everywhere, anything else is an address to bind. Takes effect at startListening().
    void setListenAddress(const QString& setting);
    QHostAddress listenAddress() const { return m_address; }
    /// The "Tune_Channel" setting: the memory channel set_freq programs; empty when none is set.
    void setTuneChannel(const QString& setting) { m_tuneChannel = setting.trimmed(); }
    QString tuneChannel() const { return m_tuneChannel; }

    /// Listens on the port and address; on failure statusLine() says why and false comes back.
    bool startListening();
    /// Drops every client and stops listening.
    void stop();
    bool isListening() const { return m_server.isListening(); }
    quint16 serverPort() const { return m_server.serverPort(); }
    int clientCount() const { return int(m_clients.size()); }

    /// What the scanner shows now (the monitor's readingChanged()).
    void setReading(const Reading& reading);
    /// The frequency f answers: the one shown; in the trunk and ID modes, where the main line may hold a
    /// talkgroup, the call's frequency when the scanner reports one, else the last frequency shown.
    qint64 frequencyHz() const;

    /// The answer to one command line (without its line end). quit is set for "q".
    QByteArray answer(const QByteArray& line, bool* quit = nullptr);

    /// The scanner's modulation as a Hamlib mode and passband: "AM" 8000, "FM" 15000, "WFM" 230000.
    static QPair<QString, int> modeFor(const QString& modulation);

Q_SIGNALS:
    /// Text for the status line.
    void statusLine(const QString& text);
    /// The scanner was sent to another channel: mode detection should look again.
    void modeCheckRequested();

private:
    struct Reply {
        int error = Ok;
        QList<QPair<QString, QString>> values; ///< key (extended form) and value, in order
    };
    /// One command: its long name, its one-letter forms ("" for none) and what it does. quit has no
    /// handler: answer() hangs up after it.
    struct Command {
        const char* name;
        const char* letters;
        Reply (RigctlServer::*handler)(const QStringList& arguments);
    };
    static const Command kCommands[];
    /// The command a word names: "\\get_freq", "get_freq" or "f"; nullptr for none.
    static const Command* findCommand(const QString& word);

    void onNewConnection();
    void onReadyRead(QTcpSocket* client);
    void drop(QTcpSocket* client, const QString& why);
    Reply getFrequency(const QStringList& arguments);
    Reply getMode(const QStringList& arguments);
    Reply getVfo(const QStringList& arguments);
    Reply checkVfo(const QStringList& arguments);
    Reply getDcd(const QStringList& arguments);
    Reply getPowerStatus(const QStringList& arguments);
    Reply dumpState(const QStringList& arguments);
    Reply setFrequency(const QStringList& arguments);
    void sayWhy(const QString& text);

    ScannerState& m_state;
    SerialLink& m_link;
    Reading m_reading;
    /// The last frequency a reading showed, for the modes whose main line may hold a talkgroup.
    qint64 m_lastShownHz = 0;
    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_clients;
    quint16 m_port = kDefaultPort;
    QHostAddress m_address{QHostAddress::LocalHost};
    QString m_tuneChannel;
};
