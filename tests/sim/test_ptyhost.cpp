#include "PtyHost.h"
#include "Simulator.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

class TestPtyHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void serialPort_roundTrips_data();
    void serialPort_roundTrips();
    void reopenedPort_isAnsweredAgain();
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

void TestPtyHost::serialPort_roundTrips_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("mode") << QByteArray("MD\r") << QByteArray("MD00\r");
    QTest::newRow("channel 1") << QByteArray("MA001\r") << QByteArray("C001 F01542500 TF DN LF PRI F\r");
    QTest::newRow("two commands in one write") << QByteArray("MD\rSB\r") << QByteArray("MD00\rSB AB\r");
}

void TestPtyHost::serialPort_roundTrips() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);

    Simulator simulator;
    PtyHost host(&simulator);
    QVERIFY2(host.open(), qPrintable(host.errorText()));
    QVERIFY(host.devicePath().startsWith(QLatin1String("/dev/pts/")));

    QSerialPort port;
    QVERIFY2(openPort(port, host.devicePath()), qPrintable(port.errorString()));
    QByteArray received;
    connect(&port, &QSerialPort::readyRead, this, [&] { received += port.readAll(); });
    port.write(command);
    QTRY_COMPARE(received, reply);
}

void TestPtyHost::reopenedPort_isAnsweredAgain() {
    Simulator simulator;
    PtyHost host(&simulator);
    QVERIFY(host.open());
    QByteArray received;
    for (int round = 0; round < 2; ++round) {
        QSerialPort port;
        QVERIFY2(openPort(port, host.devicePath()), qPrintable(port.errorString()));
        connect(&port, &QSerialPort::readyRead, this, [&] { received += port.readAll(); });
        port.write("MD\r");
        QTRY_COMPARE(received, QByteArray("MD00\r").repeated(round + 1));
        port.close();
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
