#include "MemoryTransport.h"
#include "ScriptedPrompter.h"
#include "link/SerialLink.h"
#include "monitor/NotifyRemote.h"
#include "remote/TcpHost.h"
#include "state/ScannerState.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A host on an ephemeral loopback port.
struct Rig {
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    ScriptedPrompter prompter;
    TcpHost host{state, link, &prompter};

    Rig() {
        link.setTransport(transport);
        transport->open();
        host.setPort(0);
        host.setListenAddress(QStringLiteral("localhost"));
    }
    std::unique_ptr<QTcpSocket> client() const {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, host.serverPort());
        return socket;
    }
    // Listening, with one client accepted.
    std::unique_ptr<QTcpSocket> connected() {
        if (!host.isListening() && !host.startListening())
            return nullptr;
        auto socket = client();
        return QTest::qWaitFor([this] { return host.isClientConnected(); }) ? std::move(socket) : nullptr;
    }
};
} // namespace

class TestTcpHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void message_relayedOrIgnored_thenNextClientTakesOver_data();
    void message_relayedOrIgnored_thenNextClientTakesOver();
    void splitMessage_joinedAcrossWrites();
    void typingClient_pausesAfterFirstTerminatorCutNothing();
    void messageOverLimit_droppedUpToItsTerminator();
    void connectDropCycles_oneAcceptanceBoxAtATime_goodClientServed();
    void garbageFlood_thenGoodClientServed();
    void clientThatStopsReading_droppedWithStatus_nextClientServed();
    void notifyRemote_nothingWithoutClient_thenEachTextOnceAsOneLine();
    void busyPort_reportsListenFailure();
    void addresses_localhostSettingInAnyCase_mappedClientShownAsIPv4();
};

void TestTcpHost::message_relayedOrIgnored_thenNextClientTakesOver_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<QStringList>("toScanner");
    QTest::addColumn<QString>("tcpIn");
    QTest::addColumn<bool>("stays");
    const QStringList key00{"KEY00"};
    QTest::newRow("command ended by CR") << QByteArray("CMD:KEY00\r") << false << key00 << "" << true;
    QTest::newRow("spaces around, ended by LF") << QByteArray("  CMD:KEY00  \n") << false << key00 << "" << true;
    QTest::newRow("bare command after quiet time") << QByteArray("CMD:KEY00") << false << key00 << "" << true;
    QTest::newRow("bare command then hang-up") << QByteArray("CMD:KEY00") << true << key00 << "" << false;
    QTest::newRow("two commands in one write")
        << QByteArray("CMD:KEY00\r\nCMD:KEY01\r") << false << QStringList{"KEY00", "KEY01"} << "" << true;
    QTest::newRow("text after prefix unchanged")
        << QByteArray("CMD: MA\r") << false << QStringList{" MA"} << "" << true;
    QTest::newRow("lower-case prefix ignored")
        << QByteArray("cmd:KEY00\r") << false << QStringList{} << "cmd:KEY00" << true;
    QTest::newRow("QUIT with spaces") << QByteArray("  QUIT  \r\n") << false << QStringList{} << "QUIT" << false;
    QTest::newRow("QUIT leaves the rest unread")
        << QByteArray("CMD:KEY00\rQUIT\rCMD:KEY01\r") << false << key00 << "QUIT" << false;
}

void TestTcpHost::message_relayedOrIgnored_thenNextClientTakesOver() {
    QFETCH(QByteArray, sent);
    QFETCH(bool, hangUp);
    QFETCH(QStringList, toScanner);
    QFETCH(QString, tcpIn);
    QFETCH(bool, stays);
    Rig r;
    // Only the hang-up may end the bare message here, not the quiet time.
    if (hangUp)
        r.host.setQuietTimeMs(60000);
    QSignalSpy status(&r.host, &TcpHost::statusLine);
    auto client = r.connected();
    QVERIFY(client);
    r.state.gTcpIn = QStringLiteral("untouched");
    client->write(sent);
    if (hangUp)
        client->disconnectFromHost();
    QTRY_COMPARE(r.state.gTcpIn, tcpIn);
    QTRY_COMPARE(r.transport->writtenLines(), toScanner);
    QCOMPARE(r.transport->takeWritten(), toScanner.isEmpty() ? QByteArray() : (toScanner.join('\r') + '\r').toLatin1());
    QTRY_COMPARE(r.host.isClientConnected(), stays);
    QCOMPARE(status.count(), tcpIn == "QUIT" ? 1 : 0);
    if (!status.isEmpty())
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("TCP Connection Closed."));
    // The host keeps listening: a new client replaces any old one and is served both ways.
    auto next = r.client();
    QTRY_VERIFY(r.host.isClientConnected() && client->state() == QAbstractSocket::UnconnectedState);
    next->write("CMD:MA\r");
    QTRY_COMPARE(r.transport->writtenLines(), toScanner + QStringList{"MA"});
    r.host.sendToClient("154.2500\r");
    QByteArray got;
    QTRY_COMPARE((got += next->readAll()), QByteArray("154.2500\r"));
}

void TestTcpHost::splitMessage_joinedAcrossWrites() {
    Rig r;
    r.host.setQuietTimeMs(60000);
    auto client = r.connected();
    QVERIFY(client);
    client->write("CMD:KE");
    QTRY_COMPARE(r.host.pendingInputSize(), 6);
    client->write("Y00\rCMD:");
    QTRY_COMPARE(r.host.pendingInputSize(), 4);
    client->write("KEY01\n");
    QTRY_COMPARE(r.transport->writtenLines(), (QStringList{"KEY00", "KEY01"}));
}

void TestTcpHost::typingClient_pausesAfterFirstTerminatorCutNothing() {
    Rig r;
    r.host.setQuietTimeMs(10);
    auto client = r.connected();
    QVERIFY(client);
    // telnet in character mode: a packet per key, CR NUL for Enter, keys further apart than the quiet time.
    const QByteArray typed("\r\0CMD:KEY01\r\0CMD:KEY02\r\0", 24);
    for (const char key : typed) {
        client->write(&key, 1);
        QTest::qWait(30);
    }
    QTRY_COMPARE(r.transport->writtenLines(), (QStringList{"KEY01", "KEY02"}));
}

void TestTcpHost::messageOverLimit_droppedUpToItsTerminator() {
    Rig r;
    r.host.setQuietTimeMs(60000);
    QSignalSpy discarded(&r.host, &TcpHost::inputDiscarded);
    auto client = r.connected();
    QVERIFY(client);
    const QByteArray atLimit = "CMD:" + QByteArray(TcpHost::kMaxMessageBytes - 4, 'A');
    client->write(atLimit + "\r" + atLimit + "B\r");
    // An unterminated message one byte over the limit: its tail must not pass for a new message.
    client->write(QByteArray(TcpHost::kMaxMessageBytes + 1, 'x'));
    QTRY_VERIFY(discarded.count() >= 2);
    QCOMPARE(r.host.pendingInputSize(), 0);
    client->write("CMD:KEY09\rCMD:KEY02\r");
    QTRY_COMPARE(r.transport->writtenLines(), (QStringList{QString::fromLatin1(atLimit.mid(4)), "KEY02"}));
}

void TestTcpHost::connectDropCycles_oneAcceptanceBoxAtATime_goodClientServed() {
    Rig r;
    r.prompter.setAcknowledgeInform(false);
    QVERIFY(r.host.startListening());
    QSignalSpy accepted(&r.host, &TcpHost::clientConnected);
    constexpr int kCycles = 500;
    for (int i = 0; i < kCycles; ++i) {
        auto client = r.client();
        QVERIFY2(accepted.wait(5000), qPrintable(QStringLiteral("cycle %1 not accepted").arg(i)));
        client->abort();
    }
    QCOMPARE(r.prompter.count(QStringLiteral("inform")), 1);
    auto good = r.client();
    QTRY_COMPARE(accepted.count(), kCycles + 1);
    good->write("CMD:KEY00\r");
    QTRY_COMPARE(r.transport->writtenLines(), QStringList{"KEY00"});
    // Closing the open box brings up one more, naming the newest client.
    QVERIFY(r.prompter.acknowledgePending());
    QCOMPARE(r.prompter.count(QStringLiteral("inform")), 2);
    const ScriptedPrompter::Call& call = r.prompter.calls().last();
    QCOMPARE(call.title, QStringLiteral("Connection Accepted"));
    QCOMPARE(call.text, QStringLiteral("Remote Connection Accepted from 127.0.0.1 on port %1").arg(good->localPort()));
    QCOMPARE(call.icon, Prompter::Icon::Information);
}

void TestTcpHost::garbageFlood_thenGoodClientServed() {
    Rig r;
    r.host.setQuietTimeMs(60000);
    QSignalSpy discarded(&r.host, &TcpHost::inputDiscarded);
    auto flooder = r.connected();
    QVERIFY(flooder);
    // One endless line of every byte but the terminators.
    QByteArray flood(1 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < flood.size(); ++i)
        flood[i] = (i % 256 == '\r' || i % 256 == '\n') ? 'z' : char(i % 256);
    flooder->write(flood);
    const auto dropped = [&discarded] {
        qint64 bytes = 0;
        for (const QList<QVariant>& args : discarded)
            bytes += args.at(0).toInt();
        return bytes;
    };
    QTRY_COMPARE_WITH_TIMEOUT(dropped(), qint64(flood.size()), 20000);
    QCOMPARE(r.host.pendingInputSize(), 0);
    // A new client mid-flood starts clean.
    auto good = r.client();
    QTRY_COMPARE(flooder->state(), QAbstractSocket::UnconnectedState);
    good->write("CMD:KEY03\r");
    QTRY_COMPARE(r.transport->writtenLines(), QStringList{"KEY03"});
}

void TestTcpHost::clientThatStopsReading_droppedWithStatus_nextClientServed() {
    Rig r;
    QVERIFY(r.host.startListening());
    QSignalSpy status(&r.host, &TcpHost::statusLine);
    // A client that never reads, with a receive window too small to soak up what the host sends.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    const int window = 4096;
    QCOMPARE(::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window), 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(r.host.serverPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    QTRY_VERIFY(r.host.isClientConnected());

    QTimer scanner;
    QObject::connect(&scanner, &QTimer::timeout, &r.host,
                     [&r] { r.host.sendToClient(QString(4000, QLatin1Char('1')) + QLatin1Char('\r')); });
    QObject::connect(&r.host, &TcpHost::statusLine, &scanner, &QTimer::stop);
    scanner.start(1);
    QTRY_COMPARE_WITH_TIMEOUT(status.count(), 1, 15000);
    QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Remote client 127.0.0.1 dropped: it stopped reading"));

    auto next = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    next->write("CMD:KEY00\r");
    QTRY_COMPARE(r.transport->writtenLines(), QStringList{"KEY00"});
}

void TestTcpHost::notifyRemote_nothingWithoutClient_thenEachTextOnceAsOneLine() {
    Rig r;
    QVERIFY(r.host.startListening());
    r.state.gRemoteOut = QStringLiteral("AUX1FREQ: 151.0000");
    QVERIFY(!notifyRemote(r.state, &r.host));
    r.host.sendToClient(QStringLiteral("AUX2CHAN: 1\r"));
    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    for (const char* text : {"154.2500", "154.2500", "AUX1FREQ: 154.2500", "AUX2CHAN: 12", "AUX3CITY PD",
                             "AUX4DISPATCH", "AUX4DISPATCH", "AUX3CAF\u00c9", "AUX4NIGHT\r\nDISPATCH"}) {
        r.state.gRemoteOut = QString::fromUtf8(text);
        notifyRemote(r.state, &r.host);
    }
    // The end of a transmission notifies with whatever is left: nothing, so a lone CR goes out.
    notifyRemote(r.state, &r.host);
    QByteArray received;
    QTRY_COMPARE((received += client->readAll()),
                 QByteArray("154.2500\rAUX1FREQ: 154.2500\rAUX2CHAN: 12\rAUX3CITY PD\rAUX4DISPATCH\rAUX3CAF\xC9\r"
                            "AUX4NIGHT DISPATCH\r\r"));
}

void TestTcpHost::busyPort_reportsListenFailure() {
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    Rig r;
    r.host.setPort(holder.serverPort());
    QSignalSpy failed(&r.host, &TcpHost::listenFailed);
    QVERIFY(!r.host.startListening());
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().contains(QString::number(holder.serverPort())),
             qPrintable(failed.at(0).at(0).toString()));
}

void TestTcpHost::addresses_localhostSettingInAnyCase_mappedClientShownAsIPv4() {
    Rig r;
    r.host.setListenAddress(" LocalHost ");
    QCOMPARE(r.host.listenAddress(), QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(TcpHost::addressText(QHostAddress("::ffff:192.168.1.20")), QStringLiteral("192.168.1.20"));
}

QTEST_GUILESS_MAIN(TestTcpHost)
#include "test_tcphost.moc"
