// The two control ports on real loopback sockets. The TCP host: what a client's messages do, who may connect,
// floods and clients that stop reading. The rigctl port: answers to each command in both forms, set_freq's tuning
// and refusals, and a bad client that never disturbs a good one.
#include "MemoryTransport.h"
#include "MonitorRig.h"
#include "ScriptedPrompter.h"
#include "link/SerialLink.h"
#include "monitor/Monitor.h"
#include "remote/RigctlServer.h"
#include "remote/TcpHost.h"
#include "state/ScannerState.h"

#include <QProcess>
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

    explicit Rig(int quietMs = TcpHost::kDefaultQuietMs) {
        link.setTransport(transport);
        transport->open();
        host.setPort(0);
        host.setListenAddress(QStringLiteral("localhost"));
        host.setQuietTimeMs(quietMs);
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
    // A new client takes over from any old one and is served.
    bool servesNextClient() {
        auto next = client();
        next->write("CMD:KEY05\r");
        return QTest::qWaitFor([this] { return transport->writtenLines().endsWith("KEY05"); });
    }
};

struct Message {
    QByteArrayList writes;
    QStringList toScanner;
    bool quit = false; ///< a QUIT closes the client
    int quietMs = 60000;
    bool hangUp = false;
};
} // namespace

Q_DECLARE_METATYPE(Message)

using Mod = Reading::Modulation;
Q_DECLARE_METATYPE(Reading::Modulation)

class TestTcpHost : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void message_relayedOrIgnored_thenNextClientTakesOver_data() {
        QTest::addColumn<Message>("row");
        const auto row = [](const char* name, const Message& m) { QTest::newRow(name) << m; };
        const QStringList key00{"KEY00"};
        row("spaces around, ended by LF", {{"  CMD:KEY00  \n"}, key00});
        row("bare command after quiet time", {{"CMD:KEY00"}, key00, false, TcpHost::kDefaultQuietMs});
        // Only the hang-up may end the bare message here, not the quiet time.
        row("bare command then hang-up", {{"CMD:KEY00"}, key00, false, 60000, true});
        row("split message joined across writes", {{"CMD:KE", "Y00\rCMD:", "KEY01\n"}, {"KEY00", "KEY01"}});
        row("text after prefix unchanged", {{"CMD: MA\r"}, {" MA"}});
        row("lower-case prefix ignored", {{"cmd:KEY00\r"}, {}});
        row("QUIT leaves the rest unread", {{"CMD:KEY00\r QUIT \rCMD:KEY01\r"}, key00, true});
        // telnet in character mode: a packet per key, CR NUL for Enter, keys further apart than the quiet time.
        QByteArrayList keys;
        for (const char key : QByteArray("\r\0CMD:KEY01\r\0CMD:KEY02\r\0", 24))
            keys << QByteArray(1, key);
        row("typing client cut only at terminators", {keys, {"KEY01", "KEY02"}, false, 10});
        // Over the limit by one, terminated and not: the tail of either must not pass for a new message.
        const QByteArray atLimit = "CMD:" + QByteArray(TcpHost::kMaxMessageBytes - 4, 'A');
        row("message over the limit dropped up to its terminator",
            {{atLimit + "\r" + atLimit + "B\r", QByteArray(TcpHost::kMaxMessageBytes + 1, 'x'),
              "CMD:KEY09\rCMD:KEY02\r"},
             {QString::fromLatin1(atLimit.mid(4)), "KEY02"}});
    }

    void message_relayedOrIgnored_thenNextClientTakesOver() {
        QFETCH(Message, row);
        const auto& [writes, toScanner, quit, quietMs, hangUp] = row;
        Rig r(quietMs);
        QSignalSpy status(&r.host, &TcpHost::statusLine);
        auto client = r.connected();
        QVERIFY(client);
        for (const QByteArray& bytes : writes) {
            client->write(bytes);
            QTest::qWait(30);
        }
        if (hangUp)
            client->disconnectFromHost();
        QTRY_COMPARE(r.transport->writtenLines(), toScanner);
        QTRY_COMPARE(r.host.isClientConnected(), !quit && !hangUp);
        QCOMPARE(status.count() == 1 && status.at(0).at(0) == "TCP Connection Closed.", quit);
        // The host keeps listening: a new client replaces any old one and is served both ways, in Latin-1, one
        // line per text; what is sent while no client is there is lost.
        r.host.sendToClient("lost\r");
        auto next = r.client();
        QTRY_VERIFY(r.host.isClientConnected() && client->state() == QAbstractSocket::UnconnectedState);
        next->write("CMD:MA\r");
        QTRY_COMPARE(r.transport->writtenLines(), toScanner + QStringList{"MA"});
        r.host.sendToClient(QStringLiteral("AUX3CAF\u00c9\rAUX4NIGHT\r\nDISPATCH\r"));
        QByteArray got;
        QTRY_COMPARE((got += next->readAll()), QByteArray("AUX3CAF\xC9 AUX4NIGHT DISPATCH\r"));
    }

    void connectDropCycles_oneAcceptanceBoxAtATime_goodClientServed() {
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
        QCOMPARE(call.title + ": " + call.text,
                 QStringLiteral("Connection Accepted: Remote Connection Accepted from 127.0.0.1 on port %1")
                     .arg(good->localPort()));
    }

    // A client that floods one endless line, then one that stops reading what the host sends: each is dealt
    // with and the next client is served.
    void garbageFlood_thenAClientThatStopsReading_droppedWithStatus_nextClientServed() {
        Rig r(60000);
        qint64 dropped = 0;
        QObject::connect(&r.host, &TcpHost::inputDiscarded, [&dropped](int bytes) { dropped += bytes; });
        auto flooder = r.connected();
        QVERIFY(flooder);
        // One endless line of every byte but the terminators.
        QByteArray flood(1 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < flood.size(); ++i)
            flood[i] = (i % 256 == '\r' || i % 256 == '\n') ? 'z' : char(i % 256);
        flooder->write(flood);
        QTRY_COMPARE_WITH_TIMEOUT(dropped, qint64(flood.size()), 20000);
        QCOMPARE(r.host.pendingInputSize(), 0);

        // It never reads, with a receive window too small to soak up what the host sends.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        const auto closeFd = qScopeGuard([fd] { ::close(fd); });
        const int window = 4096;
        QCOMPARE(::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window), 0);
        const sockaddr_in to{AF_INET, htons(r.host.serverPort()), {htonl(INADDR_LOOPBACK)}, {}};
        QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
        QTRY_VERIFY(flooder->state() == QAbstractSocket::UnconnectedState && r.host.isClientConnected());
        QSignalSpy status(&r.host, &TcpHost::statusLine);

        QTimer scanner;
        QObject::connect(&scanner, &QTimer::timeout, &r.host, [&r] { r.host.sendToClient(QString(4000, '1') + '\r'); });
        QObject::connect(&r.host, &TcpHost::statusLine, &scanner, &QTimer::stop);
        scanner.start(1);
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 1, 15000);
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Remote client 127.0.0.1 dropped: it stopped reading"));
        QVERIFY(r.servesNextClient());
        QCOMPARE(r.transport->writtenLines(), QStringList{"KEY05"});
    }

    void listening_busyPortReported_localhostInAnyCase_mappedClientAsIPv4() {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
        Rig r;
        r.host.setListenAddress(" LocalHost ");
        QCOMPARE(r.host.listenAddress(), QHostAddress(QHostAddress::LocalHost));
        r.host.setPort(holder.serverPort());
        QSignalSpy failed(&r.host, &TcpHost::listenFailed);
        QVERIFY(!r.host.startListening());
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains(QString::number(holder.serverPort())));
        QCOMPARE(TcpHost::addressText(QHostAddress("::ffff:192.168.1.20")), QStringLiteral("192.168.1.20"));
    }

    // A real peer on loopback, refused or served by the allow-list alone (on either listening address).
    void allowList_refusesLoopbackOutsideIt_servesItInside_data() {
        QTest::addColumn<QString>("allow");
        QTest::addColumn<QString>("listen");
        QTest::addColumn<bool>("served");
        const auto row = [](const char* name, const char* allow, const char* listen, bool served) {
            QTest::newRow(name) << QString::fromLatin1(allow) << QString::fromLatin1(listen) << served;
        };
        // The default on localhost serves every other test's client.
        row("private ranges only", "10.0.0.0/8, 192.168.0.0/16", "localhost", false);
        row("IPv6 loopback only", "::1", "localhost", false);
        row("the default, listening everywhere", "", "any", true);
        row("127.0.0.0/8", "10.0.0.0/8,127.0.0.0/8", "localhost", true);
        row("one address after a bad entry", "nonsense/99; 127.0.0.1", "any", true);
    }
    void allowList_refusesLoopbackOutsideIt_servesItInside() {
        QFETCH(QString, allow);
        QFETCH(QString, listen);
        QFETCH(bool, served);
        Rig r;
        r.host.setListenAddress(listen);
        r.host.setAllowedRanges(allow);
        QVERIFY(r.host.startListening());
        QSignalSpy refused(&r.host, &TcpHost::clientRefused);
        QSignalSpy accepted(&r.host, &TcpHost::clientConnected);
        auto client = r.client();
        QVERIFY(client->waitForConnected(5000));
        client->write("CMD:KEY05\r");
        if (served) {
            QTRY_COMPARE(r.transport->writtenLines(), QStringList{"KEY05"});
            QCOMPARE(accepted.count(), 1);
            QCOMPARE(refused.count(), 0);
        } else {
            QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
            QCOMPARE(refused.count(), 1);
            QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("127.0.0.1"));
            QCOMPARE(accepted.count(), 0);
            QTest::qWait(100);
            QCOMPARE(r.transport->writtenLines(), QStringList{});
            QVERIFY(!r.host.isClientConnected());
        }
    }

    void defaultAllowList_loopbackPrivateAndLinkLocalOnly_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");
        const QList<QPair<const char*, bool>> cases = {
            {"127.0.0.1", true},       {"127.255.0.9", true},    {"::1", true},          {"10.200.3.4", true},
            {"172.16.0.1", true},      {"172.31.255.254", true}, {"172.32.0.1", false},  {"192.168.44.2", true},
            {"192.169.0.1", false},    {"169.254.10.10", true},  {"fe80::1", true},      {"fd00:1234::5", true},
            {"8.8.8.8", false},        {"100.64.0.1", false},    {"2001:db8::1", false}, {"::ffff:10.1.1.1", true},
            {"::ffff:8.8.4.4", false}, {"::2", false},
        };
        for (const auto& [address, allowed] : cases)
            QTest::newRow(address) << QString::fromLatin1(address) << allowed;
    }
    void defaultAllowList_loopbackPrivateAndLinkLocalOnly() {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        Rig r;
        QCOMPARE(r.host.isAllowed(QHostAddress(address)), allowed);
    }

    void answer_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Reading::Modulation>("modulation");
        QTest::addColumn<QString>("tuneChannel");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("sent");
        const auto row = [](const char* name, const char* line, Mod modulation, const char* tuneChannel,
                            const char* reply, const QStringList& sent = {}) {
            QTest::newRow(name) << QString::fromLatin1(line) << modulation << QString::fromLatin1(tuneChannel)
                                << QString::fromLatin1(reply) << sent;
        };
        row("f: the frequency shown, in Hz", "f", Mod::Unknown, "", "154250000\n");
        row("m: AM with its passband", "\\get_mode", Mod::Am, "", "AM\n8000\n");
        row("m: NFM is FM", "m", Mod::Nfm, "", "FM\n15000\n");
        row("extended with line breaks", "+f", Mod::Unknown, "", "get_freq:\nFrequency: 154250000\nRPRT 0\n");
        row("extended with a separator", ";\\get_mode", Mod::Wfm, "", "get_mode:;Mode: WFM;Passband: 230000;RPRT 0\n");
        row("extended chk_vfo is its record alone", "+\\chk_vfo", Mod::Unknown, "", "ChkVFO: 0\n");
        row("dcd while a signal holds", "\\get_dcd", Mod::Unknown, "", "1\n");
        row("F tunes the tune channel", "F 154000000.000000", Mod::Unknown, "12", "RPRT 0\n",
            {"PM012 01540000", "MA012"});
        row("F extended echoes its argument", "+F 851012500", Mod::Unknown, "1000", "set_freq: 851012500\nRPRT 0\n",
            {"PM000 08510125", "MA000"});
        row("F without a tune channel", "F 154000000", Mod::Unknown, "", "RPRT -11\n");
        row("F with a tune channel past 1000", "F 154000000", Mod::Unknown, "1001", "RPRT -11\n");
        row("F outside every band", "F 2000000", Mod::Unknown, "12", "RPRT -1\n");
        row("unknown command", "\\set_mode FM 0", Mod::Unknown, "", "RPRT -4\n");
    }
    void answer() {
        QFETCH(QString, line);
        QFETCH(Reading::Modulation, modulation);
        QFETCH(QString, tuneChannel);
        QFETCH(QString, reply);
        QFETCH(QStringList, sent);
        MonitorContextRig rig;
        RigctlServer server(rig.state, rig.link);
        server.setReading(Reading{ScannerModel::Pro2052, 0, "SCAN", 154250000, 12, 1, "", modulation, true});
        server.setTuneChannel(tuneChannel);
        QSignalSpy modeChecks(&server, &RigctlServer::modeCheckRequested);
        QCOMPARE(QString::fromLatin1(server.answer(line.toLatin1())), reply);
        QCOMPARE(rig.takeCommands(), sent);
        QCOMPARE(modeChecks.size(), sent.isEmpty() ? 0 : 1);
    }

    // Hamlib's own client asks f while the monitor follows a trunked system: the talkgroup on the main line
    // is never taken for a frequency.
    void frequency_inTrunkAndIdModes_isAFrequency_data() {
        QTest::addColumn<QStringList>("lines"); // "mode:reply line"
        QTest::addColumn<QString>("answer");
        QTest::newRow("trunk hold on a talkgroup: the last call's frequency")
            << QStringList{"9:ID S 001234 08515625", "9:ID E", "10:ID S 123456"} << "851562500\n";
        QTest::newRow("trunk hold, the call's own frequency")
            << QStringList{"9:ID S 001234 08515625", "10:ID S 001234 08520125"} << "852012500\n";
        QTest::newRow("ID hold on a talkgroup: the last call's frequency")
            << QStringList{"11:ID S 004321 08530125", "12:IC B04004321", "12:ID S 004321"} << "853012500\n";
        QTest::newRow("trunk hold with no call heard yet") << QStringList{"10:ID S 123456"} << "0\n";
    }
    void frequency_inTrunkAndIdModes_isAFrequency() {
        QFETCH(QStringList, lines);
        QFETCH(QString, answer);
        MonitorContextRig rig;
        Monitor monitor(rig.ctx);
        RigctlServer server(rig.state, rig.link);
        connect(&monitor, &Monitor::readingChanged, &server, &RigctlServer::setReading);
        for (const QString& line : std::as_const(lines)) {
            rig.state.gMode = quint8(line.section(QLatin1Char(':'), 0, 0).toUInt());
            rig.state.gReply = line.section(QLatin1Char(':'), 1);
            monitor.parser().parseReply();
            monitor.publish();
        }
        server.setPort(0);
        QVERIFY(server.startListening());
        QProcess client;
        client.start(QStringLiteral(RIGCTL_EXECUTABLE),
                     {QStringLiteral("-m"), QStringLiteral("2"), QStringLiteral("-r"),
                      QStringLiteral("127.0.0.1:%1").arg(server.serverPort()), QStringLiteral("f")});
        QVERIFY(client.waitForStarted());
        // The server answers from this event loop: wait without blocking it.
        QTRY_VERIFY_WITH_TIMEOUT(client.state() == QProcess::NotRunning, 20000);
        QCOMPARE(QString::fromLatin1(client.readAllStandardOutput()), answer);
    }

    void badClient_othersStillServed_data() {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QByteArray>("badReply");
        QTest::addColumn<bool>("badDropped");
        QTest::newRow("garbage") << QByteArray("\xff\x01zz top\r\n", 10) << QByteArray("RPRT -4\n") << false;
        QTest::newRow("no line end for ever")
            << QByteArray(RigctlServer::kMaxLineBytes + 10, 'x') << QByteArray() << true;
        QTest::newRow("quit") << QByteArray("q\n") << QByteArray("RPRT 0\n") << true;
        QTest::newRow("hangs up") << QByteArray() << QByteArray() << true;
    }
    void badClient_othersStillServed() {
        QFETCH(QByteArray, bad);
        QFETCH(QByteArray, badReply);
        QFETCH(bool, badDropped);
        MonitorContextRig rig;
        RigctlServer server(rig.state, rig.link);
        server.setReading(Reading{ScannerModel::Pro2052, 1, "MANUAL", 162550000, 20});
        server.setPort(0);
        QVERIFY(server.startListening());
        QCOMPARE(server.listenAddress(), QHostAddress(QHostAddress::LocalHost));
        QTcpSocket good;
        QTcpSocket badClient;
        good.connectToHost(QHostAddress::LocalHost, server.serverPort());
        badClient.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(good.waitForConnected(5000) && badClient.waitForConnected(5000));
        QTRY_COMPARE(server.clientCount(), 2);

        // Replies are gathered: a retried check must not lose what an earlier read took.
        QByteArray badGot;
        QByteArray goodGot;
        if (bad.isEmpty()) {
            badClient.abort();
        } else {
            badClient.write(bad);
            QTRY_COMPARE(badGot += badClient.readAll(), badReply);
        }
        if (badDropped)
            QTRY_COMPARE(badClient.state(), QAbstractSocket::UnconnectedState);
        good.write("f\n");
        QTRY_COMPARE(goodGot += good.readAll(), QByteArray("162550000\n"));
        QTRY_COMPARE(server.clientCount(), badDropped ? 1 : 2);
    }

    // A client that writes a flood of commands at once and reads as it goes gets every answer; one that
    // sends as much and never reads is dropped once it has taken nothing for the stall time.
    void floodedClient_servedWhileItReads_droppedWhenItStops_data() {
        QTest::addColumn<bool>("reads");
        QTest::newRow("reads its answers") << true;
        QTest::newRow("never reads") << false;
    }
    void floodedClient_servedWhileItReads_droppedWhenItStops() {
        QFETCH(bool, reads);
        MonitorContextRig rig;
        RigctlServer server(rig.state, rig.link);
        server.setReading(Reading{ScannerModel::Pro2052, 1, "MANUAL", 162550000, 20});
        server.setPort(0);
        server.setStallTimeMs(500);
        QVERIFY(server.startListening());
        QTcpSocket client;
        // A client that never reads keeps at most a few bytes in its own buffer, so the system's fill up.
        if (!reads)
            client.setReadBufferSize(16);
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(client.waitForConnected(5000));
        QTRY_COMPARE(server.clientCount(), 1);

        // 100,000 extended reads in one write: 300 kB out, 3.8 MB of answers back.
        constexpr int kCommands = 100000;
        QByteArray commands;
        for (int i = 0; i < kCommands; ++i)
            commands += "+f\n";
        client.write(commands);
        const QByteArray answer = "get_freq:\nFrequency: 162550000\nRPRT 0\n";
        if (reads) {
            qint64 got = 0;
            QTRY_VERIFY_WITH_TIMEOUT((got += client.readAll().size()) == kCommands * answer.size() ||
                                         client.state() != QAbstractSocket::ConnectedState,
                                     60000);
            QCOMPARE(client.state(), QAbstractSocket::ConnectedState);
            QCOMPARE(got, kCommands * answer.size());
            QCOMPARE(server.clientCount(), 1);
        } else {
            // The client reads nothing, so it never notices the hang-up itself: the server has let go of it.
            QTRY_COMPARE_WITH_TIMEOUT(server.clientCount(), 0, 20000);
        }
    }
};

QTEST_GUILESS_MAIN(TestTcpHost)
#include "test_tcphost.moc"
