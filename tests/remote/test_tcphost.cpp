#include "ScriptedPrompter.h"
#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/NotifyRemote.h"
#include "monitor/ScannerState.h"
#include "remote/TcpHost.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {
// Everything a host needs, listening on an ephemeral loopback port.
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
};

QByteArray commandBytes(const QStringList& commands) {
    QByteArray bytes;
    for (const QString& c : commands)
        bytes += c.toLatin1() + '\r';
    return bytes;
}
} // namespace

class TestTcpHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void message_relayedOrIgnored_data();
    void message_relayedOrIgnored();
    void quit_closesAndKeepsListening_data();
    void quit_closesAndKeepsListening();
    void splitMessage_joinedAcrossWrites();
    void messageOverLimit_droppedUpToItsTerminator();
    void secondClient_replacesFirst();
    void droppedClient_nextClientServed();
    void connectDropCycles_oneBoxAtATimeAndGoodClientServed();
    void garbageFlood_thenGoodClientServed_data();
    void garbageFlood_thenGoodClientServed();
    void notifyRemote_sendsEachStatusLineOnce();
    void notifyRemote_withoutClient_sendsNothing();
    void acceptance_namesClientAddressAndPort();
    void busyPort_reportsListenFailure();
    void listenAddress_followsSetting_data();
    void listenAddress_followsSetting();
    void addressText_showsMappedAddressesAsIPv4_data();
    void addressText_showsMappedAddressesAsIPv4();
};

void TestTcpHost::message_relayedOrIgnored_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<QStringList>("toScanner");
    QTest::addColumn<QString>("tcpIn");

    QTest::newRow("command ended by CR") << QByteArray("CMD:KEY00\r") << false << QStringList{"KEY00"} << "";
    QTest::newRow("command ended by CR LF") << QByteArray("CMD:KEY00\r\n") << false << QStringList{"KEY00"} << "";
    QTest::newRow("spaces around, ended by LF") << QByteArray("  CMD:KEY00  \n") << false << QStringList{"KEY00"} << "";
    QTest::newRow("bare command after quiet time") << QByteArray("CMD:KEY00") << false << QStringList{"KEY00"} << "";
    QTest::newRow("bare command then hang-up") << QByteArray("CMD:KEY00") << true << QStringList{"KEY00"} << "";
    QTest::newRow("two commands in one write")
        << QByteArray("CMD:KEY00\rCMD:KEY01\r") << false << QStringList{"KEY00", "KEY01"} << "";
    QTest::newRow("text after prefix unchanged") << QByteArray("CMD: MA\r") << false << QStringList{" MA"} << "";
    QTest::newRow("lower-case prefix ignored") << QByteArray("cmd:KEY00\r") << false << QStringList{} << "cmd:KEY00";
    QTest::newRow("other text ignored") << QByteArray("HELLO\r") << false << QStringList{} << "HELLO";
    QTest::newRow("ignored line, then command") << QByteArray("HELLO\nCMD:MA\n") << false << QStringList{"MA"} << "";
    QTest::newRow("blank lines skipped") << QByteArray("\r\n\r\nCMD:MA\r\n\r\n") << false << QStringList{"MA"} << "";
}

void TestTcpHost::message_relayedOrIgnored() {
    QFETCH(QByteArray, sent);
    QFETCH(bool, hangUp);
    QFETCH(QStringList, toScanner);
    QFETCH(QString, tcpIn);

    Rig r;
    QVERIFY(r.host.startListening());
    // Only the hang-up may end the bare message here, not the quiet time.
    if (hangUp)
        r.host.setQuietTimeMs(60000);
    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    r.state.gTcpIn = QStringLiteral("untouched");
    client->write(sent);
    if (hangUp)
        client->disconnectFromHost();

    QTRY_COMPARE(r.state.gTcpIn, tcpIn);
    QTRY_COMPARE(r.transport->writtenLines(), toScanner);
    QCOMPARE(r.transport->takeWritten(), commandBytes(toScanner));
    if (!toScanner.isEmpty())
        QCOMPARE(r.state.gLastSent, toScanner.last());
    if (!hangUp)
        QVERIFY(r.host.isClientConnected());
}

void TestTcpHost::quit_closesAndKeepsListening_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("toScanner");

    QTest::newRow("QUIT") << QByteArray("QUIT\r") << true << QStringList{};
    QTest::newRow("spaces around") << QByteArray("  QUIT  \r\n") << true << QStringList{};
    QTest::newRow("bare, after quiet time") << QByteArray("QUIT") << true << QStringList{};
    QTest::newRow("rest of the arrival unread")
        << QByteArray("CMD:KEY00\rQUIT\rCMD:KEY01\r") << true << QStringList{"KEY00"};
    QTest::newRow("lower case is not QUIT") << QByteArray("quit\r") << false << QStringList{};
    QTest::newRow("more than QUIT") << QByteArray("QUIT NOW\r") << false << QStringList{};
}

void TestTcpHost::quit_closesAndKeepsListening() {
    QFETCH(QByteArray, sent);
    QFETCH(bool, closes);
    QFETCH(QStringList, toScanner);

    Rig r;
    QVERIFY(r.host.startListening());
    QSignalSpy status(&r.host, &TcpHost::statusLine);
    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    client->write(sent);

    if (!closes) {
        QTRY_COMPARE(r.state.gTcpIn, QString::fromLatin1(sent).trimmed());
        QVERIFY(r.host.isClientConnected());
        QCOMPARE(status.count(), 0);
        return;
    }
    QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!r.host.isClientConnected());
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("TCP Connection Closed."));
    QCOMPARE(r.transport->writtenLines(), toScanner);

    QVERIFY(r.host.isListening());
    auto next = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    next->write("CMD:MA\r");
    QTRY_COMPARE(r.transport->writtenLines(), toScanner + QStringList{"MA"});
}

void TestTcpHost::splitMessage_joinedAcrossWrites() {
    Rig r;
    r.host.setQuietTimeMs(60000);
    QVERIFY(r.host.startListening());
    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    client->write("CMD:KE");
    QTRY_COMPARE(r.host.pendingInputSize(), 6);
    client->write("Y00\rCMD:");
    QTRY_COMPARE(r.host.pendingInputSize(), 4);
    client->write("KEY01\n");
    QTRY_COMPARE(r.transport->writtenLines(), (QStringList{"KEY00", "KEY01"}));
}

void TestTcpHost::messageOverLimit_droppedUpToItsTerminator() {
    Rig r;
    r.host.setQuietTimeMs(60000);
    QVERIFY(r.host.startListening());
    QSignalSpy discarded(&r.host, &TcpHost::inputDiscarded);
    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());

    const QByteArray atLimit = "CMD:" + QByteArray(TcpHost::kMaxMessageBytes - 4, 'A');
    client->write(atLimit + "\r" + atLimit + "B\r");
    // An unterminated message one byte over the limit: its tail must not pass for a new message.
    client->write(QByteArray(TcpHost::kMaxMessageBytes + 1, 'x'));
    QTRY_VERIFY(discarded.count() >= 2);
    QCOMPARE(r.host.pendingInputSize(), 0);
    client->write("CMD:KEY09\rCMD:KEY02\r");

    QTRY_COMPARE(r.transport->writtenLines(), (QStringList{QString::fromLatin1(atLimit.mid(4)), "KEY02"}));
    QVERIFY(r.host.isClientConnected());
}

void TestTcpHost::secondClient_replacesFirst() {
    Rig r;
    QVERIFY(r.host.startListening());
    QSignalSpy accepted(&r.host, &TcpHost::clientConnected);
    auto first = r.client();
    QTRY_COMPARE(accepted.count(), 1);
    auto second = r.client();
    QTRY_COMPARE(accepted.count(), 2);
    QTRY_COMPARE(first->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(second->state(), QAbstractSocket::ConnectedState);

    second->write("CMD:KEY01\r");
    QTRY_COMPARE(r.transport->writtenLines(), QStringList{"KEY01"});
    r.state.gRemoteOut = QStringLiteral("154.2500");
    QVERIFY(notifyRemote(r.state, &r.host));
    QTRY_COMPARE(second->bytesAvailable(), qint64(9));
    QCOMPARE(second->readAll(), QByteArray("154.2500\r"));
    QCOMPARE(first->readAll(), QByteArray());
}

void TestTcpHost::droppedClient_nextClientServed() {
    Rig r;
    QVERIFY(r.host.startListening());
    auto first = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    first->abort();
    QTRY_VERIFY(!r.host.isClientConnected());
    QVERIFY(r.host.isListening());

    auto next = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    next->write("CMD:KEY00\r");
    QTRY_COMPARE(r.transport->writtenLines(), QStringList{"KEY00"});
}

void TestTcpHost::connectDropCycles_oneBoxAtATimeAndGoodClientServed() {
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
    QVERIFY(r.prompter.calls().last().text.endsWith(QStringLiteral(" on port %1").arg(good->localPort())));
}

void TestTcpHost::garbageFlood_thenGoodClientServed_data() {
    QTest::addColumn<bool>("terminators");
    QTest::newRow("one endless line") << false;
    QTest::newRow("random bytes") << true;
}

void TestTcpHost::garbageFlood_thenGoodClientServed() {
    QFETCH(bool, terminators);

    Rig r;
    r.host.setQuietTimeMs(60000);
    QVERIFY(r.host.startListening());
    QSignalSpy discarded(&r.host, &TcpHost::inputDiscarded);
    auto flooder = r.client();
    QTRY_VERIFY(r.host.isClientConnected());

    QByteArray flood(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(2052);
    for (char& c : flood) {
        c = char(random.bounded(256));
        if (!terminators && (c == '\r' || c == '\n'))
            c = 'z';
    }
    flooder->write(flood);
    flooder->write("\rCMD:KEY02\r");
    QTRY_COMPARE_WITH_TIMEOUT(r.transport->writtenLines(), QStringList{"KEY02"}, 20000);
    QVERIFY(r.host.pendingInputSize() <= TcpHost::kMaxMessageBytes);
    if (!terminators) {
        qint64 dropped = 0;
        for (const QList<QVariant>& args : discarded)
            dropped += args.at(0).toInt();
        QCOMPARE(dropped, qint64(flood.size()));
    }

    auto good = r.client();
    QTRY_COMPARE(flooder->state(), QAbstractSocket::UnconnectedState);
    good->write("CMD:KEY03\r");
    QTRY_COMPARE(r.transport->writtenLines(), (QStringList{"KEY02", "KEY03"}));
}

void TestTcpHost::notifyRemote_sendsEachStatusLineOnce() {
    Rig r;
    QVERIFY(r.host.startListening());
    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());

    const QStringList texts{"154.2500",    "154.2500",     "AUX1FREQ: 154.2500", "AUX2CHAN: 12",
                            "AUX3CITY PD", "AUX4DISPATCH", "AUX4DISPATCH",       QString::fromUtf8("AUX3CAFÉ")};
    for (const QString& text : texts) {
        r.state.gRemoteOut = text;
        notifyRemote(r.state, &r.host);
    }
    // The end of a transmission notifies with whatever is left: nothing, so a lone CR goes out.
    notifyRemote(r.state, &r.host);

    const QByteArray expected("154.2500\rAUX1FREQ: 154.2500\rAUX2CHAN: 12\rAUX3CITY PD\rAUX4DISPATCH\r"
                              "AUX3CAF\xC9\r\r");
    QByteArray received;
    QTRY_COMPARE((received += client->readAll()), expected);
}

void TestTcpHost::notifyRemote_withoutClient_sendsNothing() {
    Rig r;
    QVERIFY(r.host.startListening());
    r.state.gRemoteOut = QStringLiteral("154.2500");
    QVERIFY(!notifyRemote(r.state, &r.host));
    QCOMPARE(r.state.gRemoteLast, QString());
    r.host.sendToClient(QStringLiteral("AUX1FREQ: 154.2500\r"));

    auto client = r.client();
    QTRY_VERIFY(r.host.isClientConnected());
    r.state.gRemoteOut = QStringLiteral("AUX2CHAN: 12");
    QVERIFY(notifyRemote(r.state, &r.host));
    QByteArray received;
    QTRY_COMPARE((received += client->readAll()), QByteArray("AUX2CHAN: 12\r"));
}

void TestTcpHost::acceptance_namesClientAddressAndPort() {
    Rig r;
    QVERIFY(r.host.startListening());
    auto client = r.client();
    QTRY_COMPARE(r.prompter.count(QStringLiteral("inform")), 1);
    QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);

    const ScriptedPrompter::Call& call = r.prompter.calls().first();
    QCOMPARE(call.title, QStringLiteral("Connection Accepted"));
    QCOMPARE(call.text,
             QStringLiteral("Remote Connection Accepted from 127.0.0.1 on port %1").arg(client->localPort()));
    QCOMPARE(call.icon, Prompter::Icon::Information);
}

void TestTcpHost::busyPort_reportsListenFailure() {
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    Rig r;
    r.host.setPort(holder.serverPort());
    QSignalSpy failed(&r.host, &TcpHost::listenFailed);
    QSignalSpy status(&r.host, &TcpHost::statusLine);

    QVERIFY(!r.host.startListening());
    QVERIFY(!r.host.isListening());
    QCOMPARE(failed.count(), 1);
    const QString text = failed.at(0).at(0).toString();
    QVERIFY2(text.contains(QString::number(holder.serverPort())), qPrintable(text));
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toString(), text);
}

void TestTcpHost::listenAddress_followsSetting_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QHostAddress>("address");
    QTest::newRow("localhost") << "localhost" << QHostAddress(QHostAddress::LocalHost);
    QTest::newRow("any case, spaces") << " LocalHost " << QHostAddress(QHostAddress::LocalHost);
    QTest::newRow("any") << "any" << QHostAddress(QHostAddress::Any);
    QTest::newRow("never stored") << "" << QHostAddress(QHostAddress::Any);
}

void TestTcpHost::listenAddress_followsSetting() {
    QFETCH(QString, setting);
    QFETCH(QHostAddress, address);
    Rig r;
    r.host.setListenAddress(QStringLiteral("localhost"));
    r.host.setListenAddress(setting);
    QCOMPARE(r.host.listenAddress(), address);
}

void TestTcpHost::addressText_showsMappedAddressesAsIPv4_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("shown");
    QTest::newRow("mapped loopback") << "::ffff:127.0.0.1"
                                     << "127.0.0.1";
    QTest::newRow("mapped LAN") << "::ffff:192.168.1.20"
                                << "192.168.1.20";
    QTest::newRow("plain IPv4") << "10.0.0.5"
                                << "10.0.0.5";
    QTest::newRow("IPv6 loopback") << "::1"
                                   << "::1";
    QTest::newRow("IPv6") << "2001:db8::5"
                          << "2001:db8::5";
}

void TestTcpHost::addressText_showsMappedAddressesAsIPv4() {
    QFETCH(QString, address);
    QFETCH(QString, shown);
    QCOMPARE(TcpHost::addressText(QHostAddress(address)), shown);
}

QTEST_GUILESS_MAIN(TestTcpHost)
#include "test_tcphost.moc"
