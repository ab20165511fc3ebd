#include "RigctlServer.h"

#include "ListenAddress.h"

#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"

#include <QTcpSocket>
#include <QTimer>

#include <cmath>

Q_LOGGING_CATEGORY(lcRigctl, "valdoria.rigctl")

namespace {

// Hamlib's mode bits for the three modulations the scanner has.
constexpr int kModeAm = 0x1;
constexpr int kModeFm = 0x20;
constexpr int kModeWfm = 0x40;
constexpr int kScannerModes = kModeAm | kModeFm | kModeWfm;
constexpr int kVfoA = 0x1;
constexpr int kIoError = 6;
// Commands a client has sent but the server has not read yet are held up to this much.
constexpr qint64 kReadBufferBytes = 64 * 1024;

using Band = ScannerProfile::Band;

// What each scanner receives; set_freq refuses anything outside and dump_state advertises these.
const QList<Band>& bands(quint8 model) {
    return ScannerProfile::forModel(model).bands;
}

int channelCount(quint8 model) {
    return ScannerProfile::forModel(model).channels;
}

QString dumpStateText(quint8 model) {
    QStringList lines = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")};
    for (const Band& band : bands(model))
        lines << QStringLiteral("%1.000000 %2.000000 0x%3 -1 -1 0x%4 0x0")
                     .arg(band.lowHz)
                     .arg(band.highHz)
                     .arg(kScannerModes, 0, 16)
                     .arg(kVfoA, 0, 16);
    const QString rangeEnd = QStringLiteral("0 0 0 0 0 0 0");
    // No transmit ranges: the scanner only receives.
    lines << rangeEnd << rangeEnd;
    lines << QStringLiteral("0x%1 5000").arg(kScannerModes, 0, 16) << QStringLiteral("0 0");
    lines << QStringLiteral("0x%1 8000").arg(kModeAm, 0, 16) << QStringLiteral("0x%1 15000").arg(kModeFm, 0, 16)
          << QStringLiteral("0x%1 230000").arg(kModeWfm, 0, 16) << QStringLiteral("0 0");
    // RIT, XIT, IF shift, announces, preamps, attenuators, then the function, level and parameter masks.
    lines << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("0") << QString()
          << QString();
    for (int i = 0; i < 6; ++i)
        lines << QStringLiteral("0x0");
    lines << QStringLiteral("vfo_ops=0x0") << QStringLiteral("ptt_type=0x0") << QStringLiteral("has_set_vfo=0")
          << QStringLiteral("has_get_vfo=1") << QStringLiteral("has_set_freq=1") << QStringLiteral("has_get_freq=1")
          << QStringLiteral("done");
    return lines.join(QLatin1Char('\n'));
}

} // namespace

const RigctlServer::Command RigctlServer::kCommands[] = {
    {"get_freq", "f", &RigctlServer::getFrequency},
    {"set_freq", "F", &RigctlServer::setFrequency},
    {"get_mode", "m", &RigctlServer::getMode},
    {"get_vfo", "v", &RigctlServer::getVfo},
    {"chk_vfo", "", &RigctlServer::checkVfo},
    {"dump_state", "", &RigctlServer::dumpState},
    {"get_dcd", "", &RigctlServer::getDcd},
    {"get_powerstat", "", &RigctlServer::getPowerStatus},
    {"quit", "qQ", nullptr},
};

const RigctlServer::Command* RigctlServer::findCommand(const QString& word) {
    const bool longForm = word.startsWith(QLatin1Char('\\'));
    const QString name = longForm ? word.mid(1) : word;
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name))
            return &command;
        if (!longForm && name.size() == 1 && QByteArrayView(command.letters).contains(name.at(0).toLatin1()))
            return &command;
    }
    return nullptr;
}

RigctlServer::RigctlServer(ScannerState& state, SerialLink& link, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_link(link) {
    connect(&m_server, &QTcpServer::newConnection, this, &RigctlServer::onNewConnection);
}

RigctlServer::~RigctlServer() {
    m_server.disconnect(this);
    for (const QPointer<QTcpSocket>& client : std::as_const(m_clients)) {
        if (client) {
            client->disconnect(this);
            client->abort();
        }
    }
}

void RigctlServer::setListenAddress(const QString& setting) {
    const std::optional<QHostAddress> address = listenAddressFrom(setting);
    // The protocol has no password: an address that does not parse must not open the port to everyone.
    if (!address)
        qCWarning(lcRigctl).noquote() << "Rigctl_Address" << setting.trimmed()
                                      << "is no address; listening on loopback";
    m_address = address.value_or(QHostAddress(QHostAddress::LocalHost));
}

bool RigctlServer::startListening() {
    stop();
    if (!m_server.listen(m_address, m_port)) {
        sayWhy(QStringLiteral("The rigctl control port cannot listen on TCP port %1: %2")
                   .arg(m_port)
                   .arg(m_server.errorString()));
        return false;
    }
    qCInfo(lcRigctl) << "listening on" << m_address.toString() << "port" << m_server.serverPort();
    return true;
}

void RigctlServer::stop() {
    for (const QPointer<QTcpSocket>& client : std::as_const(m_clients)) {
        if (client) {
            client->disconnect(this);
            client->abort();
            client->deleteLater();
        }
    }
    m_clients.clear();
    m_server.close();
}

void RigctlServer::onNewConnection() {
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
        client->setParent(this);
        // Commands not read yet wait in the socket; beyond this the system holds the sender back.
        client->setReadBufferSize(kReadBufferBytes);
        m_clients.append(client);
        qCInfo(lcRigctl) << "client from" << client->peerAddress().toString() << "port" << client->peerPort();
        auto* stall = new QTimer(client);
        stall->setSingleShot(true);
        connect(stall, &QTimer::timeout, this, [this, client] {
            // A client dropped or gone meanwhile waits only for its deletion.
            if (m_clients.contains(client))
                drop(client, QStringLiteral("does not read its answers"));
        });
        connect(client, &QTcpSocket::readyRead, this, [this, client, stall] { onReadyRead(client, stall); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            m_clients.removeAll(client);
            client->deleteLater();
        });
        connect(client, &QTcpSocket::bytesWritten, this, [this, client, stall] { onBytesWritten(client, stall); });
    }
}

void RigctlServer::onReadyRead(QTcpSocket* client, QTimer* stall) {
    // While the client has too many answers waiting, its commands stay unread: it is answered as fast as it reads.
    while (client->bytesToWrite() <= kMaxQueuedBytes && client->canReadLine()) {
        const QByteArray line = client->readLine(kMaxLineBytes + 2);
        if (!line.endsWith('\n')) {
            drop(client, QStringLiteral("sent a line longer than %1 bytes").arg(kMaxLineBytes));
            return;
        }
        // A bare CR ends a command too (some clients end lines that way).
        for (const QByteArray& part : line.split('\r')) {
            bool quit = false;
            const QByteArray reply = answer(part, &quit);
            client->write(reply);
            if (quit) {
                client->disconnectFromHost();
                return;
            }
        }
    }
    if (client->bytesToWrite() > kMaxQueuedBytes) {
        if (!stall->isActive())
            stall->start(m_stallMs);
        return;
    }
    if (client->bytesAvailable() > kMaxLineBytes && !client->canReadLine())
        drop(client, QStringLiteral("sent more than %1 bytes without a line end").arg(kMaxLineBytes));
}

void RigctlServer::onBytesWritten(QTcpSocket* client, QTimer* stall) {
    if (client->bytesToWrite() > kMaxQueuedBytes) {
        // It is taking its answers: it has as long again for the rest.
        stall->start(m_stallMs);
        return;
    }
    stall->stop();
    // The commands that waited are read now; no readyRead comes for bytes already in the socket.
    if (client->canReadLine())
        onReadyRead(client, stall);
}

void RigctlServer::drop(QTcpSocket* client, const QString& why) {
    qCWarning(lcRigctl).noquote() << "dropping the client from" << client->peerAddress().toString() << ":" << why;
    m_clients.removeAll(client);
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

QByteArray RigctlServer::answer(const QByteArray& rawLine, bool* quit) {
    QString line = QString::fromLatin1(rawLine).trimmed();
    if (line.isEmpty())
        return {};
    // A leading '+' asks for the extended form with line breaks; ';', '|' or ',' for it with that separator.
    QChar separator;
    if (QStringLiteral("+;|,").contains(line.at(0))) {
        separator = line.at(0) == QLatin1Char('+') ? QLatin1Char('\n') : line.at(0);
        line = line.mid(1).trimmed();
    }
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    // A one-letter command may run straight into its argument ("F154000000").
    if (!words.first().startsWith(QLatin1Char('\\')) && words.first().size() > 1) {
        const QString first = words.takeFirst();
        words.prepend(first.mid(1));
        words.prepend(first.left(1));
    }
    const QString word = words.takeFirst();
    const Command* command = findCommand(word);
    const QString name = command                              ? QLatin1String(command->name)
                         : word.startsWith(QLatin1Char('\\')) ? word.mid(1)
                                                              : word;
    if (command && !command->handler) {
        if (quit)
            *quit = true;
        // rigctld confirms the quit before it hangs up; Hamlib's client waits for that line.
        return QByteArrayLiteral("RPRT 0\n");
    }
    Reply reply;
    if (command)
        reply = (this->*command->handler)(words);
    else
        reply.error = NotImplemented;
    // rigctld answers an extended chk_vfo with its record alone, and clients read it that way.
    if (!separator.isNull() && name == QLatin1String("chk_vfo"))
        return QByteArrayLiteral("ChkVFO: 0\n");

    QString text;
    if (separator.isNull()) {
        for (const auto& value : reply.values)
            text += value.second + QLatin1Char('\n');
        // Commands that answer values say nothing more on success; the others answer RPRT 0.
        if (reply.error != Ok || reply.values.isEmpty())
            text += QStringLiteral("RPRT %1\n").arg(-reply.error);
        return text.toLatin1();
    }
    text = name + QLatin1Char(':');
    for (const QString& argument : std::as_const(words))
        text += QLatin1Char(' ') + argument;
    text += separator;
    for (const auto& value : reply.values)
        text += (value.first.isEmpty() ? value.second : value.first + QStringLiteral(": ") + value.second) + separator;
    text += QStringLiteral("RPRT %1\n").arg(-reply.error);
    return text.toLatin1();
}

void RigctlServer::setReading(const Reading& reading) {
    m_reading = reading;
    if (reading.frequencyHz > 0)
        m_lastShownHz = reading.frequencyHz;
}

qint64 RigctlServer::frequencyHz() const {
    if (m_reading.frequencyHz > 0)
        return m_reading.frequencyHz;
    // Between calls, or held on a talkgroup without its frequency, the main line shows no frequency;
    // a logging program still wants the one it was last on, never the talkgroup's number.
    return Reading::isTrunkMode(m_reading.mode) ? m_lastShownHz : 0;
}

RigctlServer::Reply RigctlServer::getFrequency(const QStringList&) {
    return Reply{Ok, {{QStringLiteral("Frequency"), QString::number(frequencyHz())}}};
}

RigctlServer::Reply RigctlServer::getMode(const QStringList&) {
    const auto [mode, passband] = modeFor(Reading::modulationText(m_reading.modulation));
    return Reply{Ok, {{QStringLiteral("Mode"), mode}, {QStringLiteral("Passband"), QString::number(passband)}}};
}

RigctlServer::Reply RigctlServer::getVfo(const QStringList&) {
    return Reply{Ok, {{QStringLiteral("VFO"), QStringLiteral("VFOA")}}};
}

RigctlServer::Reply RigctlServer::checkVfo(const QStringList&) {
    return Reply{Ok, {{QStringLiteral("ChkVFO"), QStringLiteral("0")}}};
}

RigctlServer::Reply RigctlServer::getDcd(const QStringList&) {
    // The squelch is open on a stop, a search hit or a call in progress.
    return Reply{Ok, {{QStringLiteral("DCD"), m_reading.squelchOpen ? QStringLiteral("1") : QStringLiteral("0")}}};
}

RigctlServer::Reply RigctlServer::getPowerStatus(const QStringList&) {
    return Reply{Ok, {{QStringLiteral("Power Status"), QStringLiteral("1")}}};
}

RigctlServer::Reply RigctlServer::dumpState(const QStringList&) {
    Reply reply;
    for (const QString& line : dumpStateText(m_state.gScannerModel).split(QLatin1Char('\n')))
        reply.values.append({QString(), line});
    return reply;
}

RigctlServer::Reply RigctlServer::setFrequency(const QStringList& arguments) {
    Reply reply;
    bool ok = false;
    const double hz = arguments.value(0).toDouble(&ok);
    const qint64 wanted = ok && std::isfinite(hz) ? qint64(std::llround(hz)) : -1;
    const int channels = channelCount(m_state.gScannerModel);
    const int channel = m_tuneChannel.toInt();
    if (channel < 1 || channel > channels) {
        sayWhy(m_tuneChannel.isEmpty()
                   ? QStringLiteral("rigctl set_freq refused: no tune channel is set (setting Tune_Channel)")
                   : QStringLiteral("rigctl set_freq refused: Tune_Channel \"%1\" is not a memory channel 1 to %2")
                         .arg(m_tuneChannel)
                         .arg(channels));
        reply.error = NotAvailable;
        return reply;
    }
    const QList<Band>& receivable = bands(m_state.gScannerModel);
    if (std::none_of(receivable.cbegin(), receivable.cend(),
                     [wanted](const Band& b) { return wanted >= b.lowHz && wanted <= b.highHz; })) {
        sayWhy(QStringLiteral("rigctl set_freq refused: \"%1\" is no frequency in Hz that the scanner receives")
                   .arg(arguments.value(0)));
        reply.error = InvalidArgument;
        return reply;
    }
    if (!m_link.isOpen()) {
        sayWhy(QStringLiteral("rigctl set_freq refused: the scanner's port is closed"));
        reply.error = kIoError;
        return reply;
    }
    const double mhz = double(wanted) / 1e6;
    m_link.sendToScanner(Commands::programChannel(channel, mhz));
    m_link.sendToScanner(Commands::memoryRead(channel));
    qCInfo(lcRigctl) << "tuned channel" << channel << "to" << mhz << "MHz";
    Q_EMIT modeCheckRequested();
    return reply;
}

QPair<QString, int> RigctlServer::modeFor(const QString& modulation) {
    if (modulation == QLatin1String("AM"))
        return {QStringLiteral("AM"), 8000};
    if (modulation == QLatin1String("WFM"))
        return {QStringLiteral("WFM"), 230000};
    return {QStringLiteral("FM"), 15000};
}

void RigctlServer::sayWhy(const QString& text) {
    qCWarning(lcRigctl).noquote() << text;
    Q_EMIT statusLine(text);
}
