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
// Opens the master side of a pseudo-terminal, standing in for the scanner end of the cable; -1 when none.
int openPtyMaster(QString* slavePath) {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0)
        return -1;
    *slavePath = QString::fromLocal8Bit(::ptsname(fd));
    return fd;
}

// The error text of opening the device; as the user "nobody", who is in no group, when asked (root ignores rights).
QString openError(const QString& device, bool asNobody) {
    SerialTransport transport;
    transport.setDevice(device);
    if (!asNobody)
        return transport.open() ? QStringLiteral("opened") : transport.errorText();
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            const QByteArray text = transport.open() ? QByteArray("opened") : transport.errorText().toUtf8();
            [[maybe_unused]] const auto n = ::write(out[1], text.constData(), size_t(text.size()));
        }
        ::_exit(0);
    }
    ::close(out[1]);
    char buf[512];
    const ssize_t n = ::read(out[0], buf, sizeof buf); // one write far below the pipe's atomic size
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(buf, qMax<ssize_t>(n, 0));
}
} // namespace

class TestSerialTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void open_saysWhatTheUserCanDo_data() {
        QTest::addColumn<QString>("device"); // "file": a regular file; "denied": a pseudo-terminal of group dialout
        QTest::addColumn<QString>("error");  // "<dev>" stands for the device path; a final blank, for a reason

        const auto row = [](const char* name, const char* device, const char* error) {
            QTest::newRow(name) << QString::fromLatin1(device) << QString::fromLatin1(error);
        };
        row("missing device", "/dev/valdoria-no-such-port", "Cannot open <dev>: ");
        row("regular file", "file", "<dev> is not a serial device");
        row("/dev/null", "/dev/null", "<dev> is not a serial device");
        row("device of a group the user is not in", "denied",
            "Cannot open <dev>: permission denied. Add your user to the dialout group, then log in again "
            "(sudo adduser nobody dialout).");
    }
    void open_saysWhatTheUserCanDo() {
        QFETCH(QString, device);
        QFETCH(QString, error);

        QTemporaryFile file;
        const bool denied = device == QLatin1String("denied");
        if (device == QLatin1String("file")) {
            QVERIFY(file.open());
            device = file.fileName();
        } else if (denied) {
            if (::geteuid() != 0)
                QSKIP("handing the device to root and dialout needs root");
            const group* dialout = ::getgrnam("dialout");
            const int master = openPtyMaster(&device);
            QVERIFY(dialout && master >= 0);
            QVERIFY(::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid) == 0);
            QVERIFY(::chmod(QFile::encodeName(device).constData(), 0660) == 0);
        }
        const QString got = openError(device, denied);
        error.replace(QLatin1String("<dev>"), device);
        const bool reason = error.endsWith(QLatin1Char(' '));
        QVERIFY2(reason ? got.startsWith(error) && got.size() > error.size() : got == error, qPrintable(got));
    }

    void pseudoTerminal_roundTripsThenHangUpIsALostPort() {
        QString slave;
        const int master = openPtyMaster(&slave);
        QVERIFY(master >= 0);
        SerialTransport transport;
        transport.setDevice(slave);
        QVERIFY2(transport.open(), qPrintable(transport.errorText()));
        QSignalSpy lost(&transport, &Transport::lost);
        QSignalSpy ready(&transport, &Transport::readyRead);

        // Modem lines on a pseudo-terminal read as low and do not close the port.
        QVERIFY(!transport.cts() && !transport.dsr() && transport.isOpen());
        QVERIFY(transport.write("MD\r"));
        QByteArray out;
        const auto readMaster = [&] {
            char buf[64];
            const ssize_t n = ::read(master, buf, sizeof buf);
            return out.append(buf, qMax<ssize_t>(n, 0));
        };
        QTRY_COMPARE(readMaster(), QByteArray("MD\r"));
        QCOMPARE(::write(master, "MD02\r", 5), 5);
        QVERIFY(ready.wait());
        QByteArray in;
        QTRY_COMPARE(in += transport.readAll(), QByteArray("MD02\r"));

        ::close(master);
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!transport.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSerialTransport)
#include "test_serialtransport.moc"
