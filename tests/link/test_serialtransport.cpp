#include "link/SerialTransport.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The error text of opening the device as the user "nobody", who is in no group (root ignores permissions).
QString openErrorAsNobody(const QString& device) {
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            SerialTransport transport;
            transport.setDevice(device);
            const QByteArray text = transport.open() ? QByteArray("opened") : transport.errorText().toUtf8();
            [[maybe_unused]] const auto n = ::write(out[1], text.constData(), size_t(text.size()));
        }
        ::_exit(0);
    }
    ::close(out[1]);
    QByteArray text;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        text.append(buf, n);
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(text);
}
} // namespace

class TestSerialTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void open_missingDevice_namesDeviceAndReason();
    void open_whatTheUserCanDo_data();
    void open_whatTheUserCanDo();
    void pseudoTerminal_roundTripsThenHangUpIsALostPort();
};

void TestSerialTransport::open_missingDevice_namesDeviceAndReason() {
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

void TestSerialTransport::open_whatTheUserCanDo_data() {
    QTest::addColumn<QString>("device"); // "file": a regular file; "denied": a pseudo-terminal of group dialout
    QTest::addColumn<QString>("error");  // "<dev>" stands for the device path

    QTest::newRow("regular file") << "file"
                                  << "<dev> is not a serial device";
    QTest::newRow("/dev/null") << "/dev/null"
                               << "<dev> is not a serial device";
    QTest::newRow("device of a group the user is not in")
        << "denied"
        << "Cannot open <dev>: permission denied. Add your user to the dialout group, then log in again "
           "(sudo adduser nobody dialout).";
}

void TestSerialTransport::open_whatTheUserCanDo() {
    QFETCH(QString, device);
    QFETCH(QString, error);

    QTemporaryFile file;
    PtyMaster pty;
    SerialTransport transport;
    QString got;
    if (device == QLatin1String("denied")) {
        if (::geteuid() != 0)
            QSKIP("handing the device to root and dialout needs root");
        const group* dialout = ::getgrnam("dialout");
        QVERIFY(dialout && pty.isValid());
        device = pty.slavePath();
        QVERIFY(::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid) == 0);
        QVERIFY(::chmod(QFile::encodeName(device).constData(), 0660) == 0);
        got = openErrorAsNobody(device);
    } else {
        if (device == QLatin1String("file")) {
            QVERIFY(file.open());
            device = file.fileName();
        }
        transport.setDevice(device);
        QVERIFY(!transport.open());
        got = transport.errorText();
    }
    QCOMPARE(got, error.replace(QLatin1String("<dev>"), device));
}

void TestSerialTransport::pseudoTerminal_roundTripsThenHangUpIsALostPort() {
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

QTEST_GUILESS_MAIN(TestSerialTransport)
#include "test_serialtransport.moc"
