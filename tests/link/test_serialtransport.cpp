#include "link/SerialTransport.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
// The master side of a pseudo-terminal, standing in for the scanner end of the cable.
struct PtyMaster {
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ~PtyMaster() { close(); }
    bool isValid() const { return fd >= 0 && grantpt(fd) == 0 && unlockpt(fd) == 0; }
    QString slavePath() const { return QString::fromLocal8Bit(ptsname(fd)); }
    QByteArray read() {
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        return n > 0 ? QByteArray(buf, n) : QByteArray();
    }
    void close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};
} // namespace

class TestSerialTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void open_missingDevice_namesDeviceAndReason() {
        SerialTransport transport;
        transport.setDevice(QStringLiteral("/dev/valdoria-no-such-port"));
        QSignalSpy lost(&transport, &Transport::lost);
        QVERIFY(!transport.open());
        QVERIFY(!transport.isOpen());
        const QString prefix = QStringLiteral("Cannot open /dev/valdoria-no-such-port: ");
        QVERIFY2(transport.errorText().startsWith(prefix) && transport.errorText().size() > prefix.size(),
                 qPrintable(transport.errorText()));
        QCOMPARE(lost.count(), 0);
        QVERIFY(!transport.write("MD\r"));
    }

    void pseudoTerminal_roundTripsThenHangUpIsALostPort() {
        PtyMaster pty;
        QVERIFY(pty.isValid());
        SerialTransport transport;
        transport.setDevice(pty.slavePath());
        transport.setBaudRate(19200);
        QVERIFY2(transport.open(), qPrintable(transport.errorText()));
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
        QCOMPARE(::write(pty.fd, "MD02\r", 5), 5);
        QTRY_VERIFY(ready.count() > 0);
        QByteArray in;
        QTRY_VERIFY((in += transport.readAll()).contains('\r'));
        QCOMPARE(in, QByteArray("MD02\r"));
        QCOMPARE(lost.count(), 0);

        pty.close();
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!transport.isOpen());
        QVERIFY(!transport.write("MD\r"));
    }
};

QTEST_GUILESS_MAIN(TestSerialTransport)
#include "test_serialtransport.moc"
