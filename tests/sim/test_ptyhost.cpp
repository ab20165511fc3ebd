#include "PtyHost.h"
#include "Simulator.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

class TestPtyHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void serialPort_roundTripsAndIsAnsweredAfterReopening();
    void hangUp_portSeesTheLineGo();
};

namespace {

bool openPort(QSerialPort& port, const QString& path) {
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud19200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    return port.open(QIODevice::ReadWrite);
}

} // namespace

void TestPtyHost::serialPort_roundTripsAndIsAnsweredAfterReopening() {
    Simulator simulator;
    PtyHost host(&simulator);
    QVERIFY2(host.open(), qPrintable(host.errorText()));
    QVERIFY(host.devicePath().startsWith(QLatin1String("/dev/pts/")));
    for (int round = 0; round < 2; ++round) {
        QSerialPort port;
        QVERIFY2(openPort(port, host.devicePath()), qPrintable(port.errorString()));
        QByteArray received;
        connect(&port, &QSerialPort::readyRead, this, [&] { received += port.readAll(); });
        port.write("MA001\rMD\r");
        QTRY_COMPARE(received, QByteArray("C001 F01542500 TF DN LF PRI F\rMD01\r"));
    }
    QVERIFY(host.isOpen());
}

void TestPtyHost::hangUp_portSeesTheLineGo() {
    Simulator simulator;
    PtyHost host(&simulator);
    QSignalSpy hungUp(&host, &PtyHost::hungUp);
    QVERIFY(host.open());
    QSerialPort port;
    QVERIFY(openPort(port, host.devicePath()));
    QSignalSpy errors(&port, &QSerialPort::errorOccurred);
    simulator.injectFault(Simulator::Fault::HangUp);
    QCOMPARE(hungUp.count(), 1);
    QVERIFY(!host.isOpen());
    // Whatever the program sends next finds no scanner behind the line.
    port.write("MD\r");
    QTRY_VERIFY2(!errors.isEmpty(), "no error reported");
    const auto first = errors.first().first().value<QSerialPort::SerialPortError>();
    QVERIFY(first == QSerialPort::ReadError || first == QSerialPort::WriteError || first == QSerialPort::ResourceError);
    port.close();
}

QTEST_GUILESS_MAIN(TestPtyHost)
#include "test_ptyhost.moc"
