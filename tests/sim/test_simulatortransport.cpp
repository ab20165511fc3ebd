#include "Simulator.h"
#include "SimulatorTransport.h"
#include "link/SerialLink.h"
#include "monitor/ScannerState.h"

#include <QSignalSpy>
#include <QTest>

class TestSimulatorTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void write_answerArrivesFromTheEventLoop();
    void readyRead_handlerMayWriteAgain();
    void closed_writesRefusedAndNothingArrives();
    void hangUp_reportsTheLineLost();
    void throttle_sameBytesInSmallerPieces_data();
    void throttle_sameBytesInSmallerPieces();
    void serialLink_roundTripsThroughTheSimulator();
};

void TestSimulatorTransport::write_answerArrivesFromTheEventLoop() {
    Simulator simulator;
    SimulatorTransport transport(&simulator);
    QSignalSpy readyRead(&transport, &Transport::readyRead);
    QVERIFY(transport.open());
    QVERIFY(transport.write("MD\r"));
    // Nothing inside write(): the program's receive handler must not run re-entrantly.
    QCOMPARE(readyRead.count(), 0);
    QCOMPARE(transport.bytesAvailable(), 0);
    QTRY_COMPARE(readyRead.count(), 1);
    QCOMPARE(transport.readAll(), QByteArray("MD00\r"));
    QCOMPARE(transport.bytesAvailable(), 0);
}

void TestSimulatorTransport::readyRead_handlerMayWriteAgain() {
    Simulator simulator;
    SimulatorTransport transport(&simulator);
    QVERIFY(transport.open());
    QByteArray received;
    connect(&transport, &Transport::readyRead, this, [&] {
        received += transport.readAll();
        if (received == "MD00\r")
            transport.write("SB\r");
    });
    transport.write("MD\r");
    QTRY_COMPARE(received, QByteArray("MD00\rSB AB\r"));
}

void TestSimulatorTransport::closed_writesRefusedAndNothingArrives() {
    Simulator simulator;
    SimulatorTransport transport(&simulator);
    QSignalSpy commands(&simulator, &Simulator::commandReceived);
    QVERIFY(!transport.write("MD\r"));
    QCOMPARE(commands.count(), 0);

    // An answer still on its way when the line closes is not waiting for the next open.
    QVERIFY(transport.open());
    transport.write("MD\r");
    transport.close();
    QVERIFY(transport.open());
    QByteArray received;
    connect(&transport, &Transport::readyRead, this, [&] { received += transport.readAll(); });
    transport.write("SB\r");
    QTRY_COMPARE(received, QByteArray("SB AB\r"));
}

void TestSimulatorTransport::hangUp_reportsTheLineLost() {
    Simulator simulator;
    SimulatorTransport transport(&simulator);
    QSignalSpy lost(&transport, &Transport::lost);
    QVERIFY(transport.open());
    simulator.injectFault(Simulator::Fault::HangUp);
    QCOMPARE(lost.count(), 1);
    QVERIFY(!transport.isOpen());
    QVERIFY(!transport.write("MD\r"));
}

void TestSimulatorTransport::throttle_sameBytesInSmallerPieces_data() {
    QTest::addColumn<bool>("throttled");
    QTest::newRow("at once") << false;
    QTest::newRow("at 19200 baud") << true;
}

void TestSimulatorTransport::throttle_sameBytesInSmallerPieces() {
    QFETCH(bool, throttled);

    Simulator simulator;
    SimulatorTransport transport(&simulator);
    transport.setThrottled(throttled);
    QVERIFY(transport.open());
    QByteArray expected;
    for (int channel = 1; channel <= 9; ++channel) {
        transport.write(QStringLiteral("MA00%1\r").arg(channel).toLatin1());
        expected += QStringLiteral("C00%1").arg(channel).toLatin1();
    }
    QByteArray received;
    int pieces = 0;
    connect(&transport, &Transport::readyRead, this, [&] {
        received += transport.readAll();
        ++pieces;
    });
    QTRY_COMPARE(received.size(), qsizetype(9 * 30));
    QVERIFY(received.startsWith("C001 F01542500"));
    QVERIFY(received.contains("C009 F04630000"));
    // 270 bytes at 1920 bytes a second cannot arrive in one piece; unpaced they do.
    if (throttled)
        QVERIFY(pieces > 1);
    else
        QCOMPARE(pieces, 1);
}

void TestSimulatorTransport::serialLink_roundTripsThroughTheSimulator() {
    ScannerState state;
    SerialLink link(state);
    Simulator simulator;
    auto* transport = new SimulatorTransport(&simulator);
    link.setTransport(transport);
    QVERIFY(transport->open());
    link.sendToScanner(QStringLiteral("MD"));
    link.sendToScanner(QStringLiteral("MA001"));
    QTRY_COMPARE(state.gRxBuffer, QStringLiteral("MD00\rC001 F01542500 TF DN LF PRI F\r"));
}

QTEST_GUILESS_MAIN(TestSimulatorTransport)
#include "test_simulatortransport.moc"
