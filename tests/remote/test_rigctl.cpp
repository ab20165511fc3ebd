// The rigctl control port: answers to each command in both forms, set_freq's tuning and refusals,
// and a bad client on a real socket that never disturbs a good one.
#include "MonitorRig.h"
#include "monitor/Monitor.h"
#include "remote/RigctlServer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using Mod = Reading::Modulation;
Q_DECLARE_METATYPE(Reading::Modulation)

class TestRigctl : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestRigctl)
#include "test_rigctl.moc"
