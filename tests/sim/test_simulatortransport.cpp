// The lines that carry the simulated scanner: in the program's own process, on a pseudo-terminal, and
// valdoria-sim as a program of its own (which test_monitor runs against valdoria-cli).
#include "PtyHost.h"
#include "SimOutput.h"
#include "Simulator.h"
#include "SimulatorTransport.h"

#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

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

    // The program may close and reopen the port at will; only a hang-up takes the scanner away.
    void serialPort_roundTripsAfterReopeningUntilHangUp() {
        Simulator simulator;
        PtyHost host(&simulator);
        QSignalSpy hungUp(&host, &PtyHost::hungUp);
        QVERIFY2(host.open(), qPrintable(host.errorText()));
        QVERIFY(host.devicePath().startsWith(QLatin1String("/dev/pts/")));
        std::unique_ptr<QSerialPort> port;
        for (int round = 0; round < 2; ++round) {
            port = std::make_unique<QSerialPort>(host.devicePath());
            port->setBaudRate(QSerialPort::Baud19200);
            QVERIFY2(port->open(QIODevice::ReadWrite), qPrintable(port->errorString()));
            QByteArray received;
            connect(port.get(), &QSerialPort::readyRead, this, [&] { received += port->readAll(); });
            port->write("MA001\rMD\r");
            QTRY_COMPARE(received, QByteArray("C001 F01542500 TF DN LF PRI F\rMD01\r"));
        }
        // That the program then finds no scanner on the line is seen by test_session's pulled adapter.
        simulator.injectFault(Simulator::Fault::HangUp);
        QCOMPARE(hungUp.count(), 1);
        QVERIFY(!host.isOpen());
    }

    void badOptions_endWithAMessage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown model") << QStringList{"--model", "pro9999"} << "unknown model";
        QTest::newRow("missing script") << QStringList{"--script", "/nonexistent/script.txt"} << "cannot read";
        QTest::newRow("time scale of zero") << QStringList{"--time-scale", "0"} << "--time-scale";
    }

    void badOptions_endWithAMessage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);

        QProcess sim;
        sim.start(QStringLiteral(VALDORIA_SIM_EXECUTABLE), arguments);
        QTRY_COMPARE(sim.state(), QProcess::NotRunning);
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestSimulatorTransport)
#include "test_simulatortransport.moc"
