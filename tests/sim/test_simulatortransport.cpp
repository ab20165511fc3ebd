#include "SimOutput.h"
#include "Simulator.h"
#include "SimulatorTransport.h"

#include <QSignalSpy>
#include <QTest>

class TestSimulatorTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void write_answerArrivesLaterAndHandlerMayWriteAgain() {
        Simulator simulator;
        SimulatorTransport transport(&simulator);
        QVERIFY(transport.open());
        QByteArray received;
        connect(&transport, &Transport::readyRead, this, [&] {
            received += transport.readAll();
            if (received == "MD00\r")
                transport.write("SB\r");
        });
        QVERIFY(transport.write("MD\r"));
        // Nothing inside write(): the program's receive handler must not run re-entrantly.
        QCOMPARE(received, QByteArray());
        QCOMPARE(transport.bytesAvailable(), 0);
        QTRY_COMPARE(received, QByteArray("MD00\rSB AB\r"));
    }

    void closedOrHungUp_writesRefusedAndNothingArrives() {
        Simulator simulator;
        SimulatorTransport transport(&simulator);
        QSignalSpy commands(&simulator, &Simulator::commandReceived);
        QSignalSpy lost(&transport, &Transport::lost);
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

        QCOMPARE(lost.count(), 0);
        simulator.injectFault(Simulator::Fault::HangUp);
        QCOMPARE(lost.count(), 1);
        QVERIFY(!transport.isOpen());
        QVERIFY(!transport.write("MD\r"));
    }

    // Unpaced delivery (every other test) is checked by all of them; paced, the same bytes come in pieces.
    void throttled_sameBytesInSmallerPieces() {
        Simulator simulator;
        SimulatorTransport transport(&simulator);
        transport.setThrottled(true);
        QVERIFY(transport.open());
        SimOutput out(simulator);
        QByteArray received;
        int pieces = 0;
        connect(&transport, &Transport::readyRead, this, [&] {
            received += transport.readAll();
            ++pieces;
        });
        for (int channel = 1; channel <= 9; ++channel)
            transport.write(QStringLiteral("MA00%1\r").arg(channel).toLatin1());
        QCOMPARE(out.sent.size(), 9 * 30);
        QTRY_COMPARE(received, out.sent);
        // 270 bytes at 1920 bytes a second cannot arrive in one piece.
        QVERIFY(pieces > 1);
    }
};

QTEST_GUILESS_MAIN(TestSimulatorTransport)
#include "test_simulatortransport.moc"
