#include "SerialLink.h"

#include "Transport.h"
#include "state/ScannerState.h"

Q_LOGGING_CATEGORY(lcLink, "valdoria.link")

namespace {
constexpr QChar kCr = QLatin1Char('\r');
}

SerialLink::SerialLink(ScannerState& state, QObject* parent)
    : QObject(parent)
    , m_state(state) {}

SerialLink::~SerialLink() = default;

void SerialLink::setTransport(Transport* transport) {
    if (m_transport == transport)
        return;
    delete m_transport;
    m_transport = transport;
    if (!m_transport)
        return;
    m_transport->setParent(this);
    connect(m_transport, &Transport::readyRead, this, &SerialLink::onReadyRead);
    connect(m_transport, &Transport::lost, this, [this](const QString& reason) {
        qCWarning(lcLink) << "port lost:" << reason;
        Q_EMIT portLost(reason);
        Q_EMIT portOpenChanged(false);
    });
}

bool SerialLink::isOpen() const {
    return m_transport && m_transport->isOpen();
}

bool SerialLink::openPort() {
    if (!m_transport)
        return false;
    if (m_transport->isOpen())
        return true;
    if (!m_transport->open()) {
        qCWarning(lcLink) << m_transport->errorText();
        return false;
    }
    Q_EMIT portOpenChanged(true);
    return true;
}

void SerialLink::closePort() {
    if (!isOpen())
        return;
    m_transport->close();
    Q_EMIT portOpenChanged(false);
}

void SerialLink::sendToScanner(const QString& command) {
    // Callers may pass gCommand itself: copy before overwriting it.
    const QString text = command;
    m_state.gLastSent = m_state.gCommand;
    m_state.gCommand = text;
    if (text.isEmpty() || !isOpen())
        return;
    m_state.gLastSent = text;
    writeLine(text);
}

void SerialLink::directWrite(const QString& command) {
    if (!isOpen())
        return;
    writeLine(command);
}

void SerialLink::writeLine(const QString& command) {
    // A refused write is not reported as written: listeners (the remote host's echo, the lamps)
    // must not believe the scanner got it.
    if (!m_transport->write(command.toLatin1() + '\r')) {
        qCWarning(lcLink) << "the port refused" << command;
        return;
    }
    Q_EMIT commandWritten(command);
}

void SerialLink::onReadyRead() {
    if (!m_transport)
        return;
    const QByteArray bytes = m_transport->readAll();
    if (bytes.isEmpty())
        return;
    appendReceived(QString::fromLatin1(bytes));
}

void SerialLink::appendReceived(const QString& chunk) {
    QString& buf = m_state.gRxBuffer;
    buf += chunk;
    if (buf.size() > kRxBufferCap) {
        qsizetype drop = buf.size() - kRxBufferCap;
        // Dropping part of a line would hand its tail to the parser as if it were a whole reply:
        // drop up to the end of the line that was cut into, when that line has ended.
        if (buf.at(drop - 1) != kCr) {
            const qsizetype cr = buf.indexOf(kCr, drop);
            if (cr >= 0)
                drop = cr + 1;
        }
        qCWarning(lcLink) << "receive buffer over" << kRxBufferCap << "characters; dropped the oldest" << drop;
        buf.remove(0, drop);
    }
    if (buf.startsWith(kCr))
        buf.remove(0, 1);
    Q_EMIT received();
    Q_EMIT rxBufferChanged(m_state.gRxBuffer);
}

void SerialLink::readReplyLines() {
    QString& buf = m_state.gRxBuffer;
    while (buf.contains(kCr)) {
        if (buf.startsWith(kCr))
            buf.remove(0, 1);
        m_state.gReplyLen = qint16(buf.indexOf(kCr)); // 1-based position minus one
        if (m_state.gReplyLen >= 1) {
            m_state.gPrevReply = m_state.gReply;
            m_state.gReply = buf.left(m_state.gReplyLen);
            buf.remove(0, m_state.gReplyLen + 1);
            Q_EMIT rxBufferChanged(buf);
            continue;
        }
        // The buffer starts with CR, or its only CR was the one just dropped: a partial line
        // longer than eight characters is taken as complete on the next round.
        if (m_state.gReplyLen == -1 && !buf.endsWith(kCr) && buf.size() > 8)
            buf += kCr;
        if (buf.startsWith(kCr))
            buf.remove(0, 1);
        m_state.gReplyLen = 0;
        m_state.gReply.clear();
    }
}

bool SerialLink::hasCompleteLine() const {
    const QString& buf = m_state.gRxBuffer;
    qsizetype start = 0;
    while (start < buf.size() && buf.at(start) == kCr)
        ++start;
    return buf.indexOf(kCr, start) > start;
}

bool SerialLink::cutOneLine() {
    QString& buf = m_state.gRxBuffer;
    // A stray CR at the front would hide the line behind it until the next receive event;
    // drop it here so a quiet scanner's last line is still read.
    while (buf.startsWith(kCr))
        buf.remove(0, 1);
    const qsizetype cr = buf.indexOf(kCr);
    if (cr < 1) {
        m_state.gReplyLen = 0;
        m_state.gReply.clear();
        return false;
    }
    m_state.gReplyLen = qint16(qMin<qsizetype>(cr, 32767));
    m_state.gPrevReply = m_state.gReply;
    m_state.gReply = buf.left(cr);
    buf.remove(0, cr + 1);
    Q_EMIT rxBufferChanged(buf);
    return true;
}
