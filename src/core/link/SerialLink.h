#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QString>

struct ScannerState;
class Transport;

Q_DECLARE_LOGGING_CATEGORY(lcLink)

/**
 * The single command channel to the scanner: every command goes out through sendToScanner(),
 * every received character is appended to gRxBuffer, and reply lines are cut from its front.
 * The link never parses and never waits.
 */
class SerialLink : public QObject {
    Q_OBJECT

public:
    /// gRxBuffer never grows past this many characters: a peer that sends text without CR
    /// for ever loses its oldest characters instead of eating memory.
    static constexpr int kRxBufferCap = 16384;

    explicit SerialLink(ScannerState& state, QObject* parent = nullptr);
    ~SerialLink() override;

    /// Takes ownership of the transport (replacing and deleting any earlier one).
    void setTransport(Transport* transport);
    Transport* transport() const { return m_transport; }
    bool isOpen() const;

    /// Opens the transport with its configured device and speed; true when it is open afterwards.
    /// On failure the transport's errorText() says why.
    bool openPort();
    /// Closes the transport when it is open.
    void closePort();

    /**
     * SendToScanner: gLastSent takes the previous gCommand, gCommand takes the command; when
     * the command is not empty and the port is open, command + CR is written in one write
     * and gLastSent becomes the command. A closed port drops the command silently.
     */
    void sendToScanner(const QString& command);
    /// Writes command + CR straight to the port, leaving gCommand and gLastSent alone; only
    /// while the port is open.
    void directWrite(const QString& command);

    /// ReadReplyLines: cuts every complete line off gRxBuffer; gReply ends holding the last.
    void readReplyLines();
    /**
     * Cuts one line off the front of gRxBuffer, the way the poll cycle and mode detection do:
     * a line of one or more characters goes to gReply (the old gReply to gPrevReply) and true
     * is returned; otherwise gReplyLen and gReply are emptied and false is returned.
     */
    bool cutOneLine();
    /// True when gRxBuffer holds a complete line that cutOneLine() would take.
    bool hasCompleteLine() const;

Q_SIGNALS:
    /// A command was handed to the port (after the write).
    void commandWritten(const QString& command);
    /// Characters were appended to gRxBuffer.
    void received();
    /// gRxBuffer changed (after a receive or a cut); for the diagnostic box Text1.
    void rxBufferChanged(const QString& buffer);
    /// The transport went away; the port is closed.
    void portLost(const QString& reason);
    /// The port was opened or closed through openPort()/closePort(), or went away.
    void portOpenChanged(bool open);

private:
    void onReadyRead();
    void writeLine(const QString& command);
    void appendReceived(const QString& chunk);

    ScannerState& m_state;
    Transport* m_transport = nullptr;
};
