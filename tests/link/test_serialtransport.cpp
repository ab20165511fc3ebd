#include "link/SerialTransport.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
// The master side of a pseudo-terminal, standing in for the scanner end of the cable.
class PtyMaster {
public:
    PtyMaster() {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd >= 0 && (grantpt(m_fd) != 0 || unlockpt(m_fd) != 0))
            close();
        if (m_fd >= 0) {
            fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
            m_slave = QString::fromLocal8Bit(ptsname(m_fd));
        }
    }
    ~PtyMaster() { close(); }
    bool isValid() const { return m_fd >= 0; }
    QString slavePath() const { return m_slave; }
    void write(const QByteArray& bytes) { QCOMPARE(::write(m_fd, bytes.constData(), bytes.size()), bytes.size()); }
    QByteArray read() {
        char buf[256];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        return n > 0 ? QByteArray(buf, n) : QByteArray();
    }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    QString m_slave;
};
} // namespace

class TestSerialTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deviceForPort_mapsOneToFourOntoTtyS_data();
    void deviceForPort_mapsOneToFourOntoTtyS();
    void open_missingDevice_namesDeviceAndReason();
    void pseudoTerminal_roundTripsWithoutModemLines();
    void pseudoTerminal_hangUp_isALostPort();
};

void TestSerialTransport::deviceForPort_mapsOneToFourOntoTtyS_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("port 1") << 1 << "/dev/ttyS0";
    QTest::newRow("port 2") << 2 << "/dev/ttyS1";
    QTest::newRow("port 4") << 4 << "/dev/ttyS3";
}

void TestSerialTransport::deviceForPort_mapsOneToFourOntoTtyS() {
    QFETCH(int, port);
    QFETCH(QString, device);
    QCOMPARE(SerialTransport::deviceForPort(port), device);
}

void TestSerialTransport::open_missingDevice_namesDeviceAndReason() {
    SerialTransport transport;
    transport.setDevice(QStringLiteral("/dev/valdoria-no-such-port"));
    QSignalSpy lost(&transport, &Transport::lost);
    QVERIFY(!transport.open());
    QVERIFY(!transport.isOpen());
    QVERIFY2(transport.errorText().startsWith(QStringLiteral("Cannot open /dev/valdoria-no-such-port: ")),
             qPrintable(transport.errorText()));
    QVERIFY(transport.errorText().size() > QStringLiteral("Cannot open /dev/valdoria-no-such-port: ").size());
    QCOMPARE(lost.count(), 0);
    QVERIFY(!transport.write("MD\r"));
}

void TestSerialTransport::pseudoTerminal_roundTripsWithoutModemLines() {
    PtyMaster pty;
    QVERIFY(pty.isValid());
    SerialTransport transport;
    transport.setDevice(pty.slavePath());
    transport.setBaudRate(19200);
    QVERIFY2(transport.open(), qPrintable(transport.errorText()));
    QCOMPARE(transport.device(), pty.slavePath());
    QSignalSpy lost(&transport, &Transport::lost);
    QSignalSpy ready(&transport, &Transport::readyRead);

    // Modem lines on a pseudo-terminal read as low and do not close the port.
    QVERIFY(!transport.cts());
    QVERIFY(!transport.dsr());
    QVERIFY(transport.isOpen());

    QVERIFY(transport.write("MD\r"));
    QByteArray got;
    QTRY_VERIFY((got += pty.read()).contains('\r'));
    QCOMPARE(got, QByteArray("MD\r"));

    pty.write("MD02\r");
    QTRY_VERIFY(ready.count() > 0);
    QByteArray in;
    QTRY_VERIFY((in += transport.readAll()).contains('\r'));
    QCOMPARE(in, QByteArray("MD02\r"));
    QCOMPARE(lost.count(), 0);
    transport.close();
    QVERIFY(!transport.isOpen());
}

void TestSerialTransport::pseudoTerminal_hangUp_isALostPort() {
    PtyMaster pty;
    QVERIFY(pty.isValid());
    SerialTransport transport;
    transport.setDevice(pty.slavePath());
    QVERIFY2(transport.open(), qPrintable(transport.errorText()));
    QSignalSpy lost(&transport, &Transport::lost);

    pty.close();
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(!transport.isOpen());
    QVERIFY(!transport.write("MD\r"));
}

QTEST_GUILESS_MAIN(TestSerialTransport)
#include "test_serialtransport.moc"
