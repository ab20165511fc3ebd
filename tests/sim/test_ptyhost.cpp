#include "PtyHost.h"
#include "Simulator.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestPtyHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestPtyHost)
#include "test_ptyhost.moc"
