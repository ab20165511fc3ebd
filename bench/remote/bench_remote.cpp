// Resident memory of the program while a remote client that never reads stays connected and the
// scanner keeps stopping on channels. Usage: bench_remote [seconds] [stops per second]
#include "MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/NotifyRemote.h"
#include "remote/TcpHost.h"
#include "state/ScannerState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : -1.0;
}

// A client with a small receive window that never reads: the kernel soon stops taking data for it.
int connectStalledClient(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int window = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the parser sends for one channel stop with the aux display open, then the end of the transmission.
void oneStop(ScannerState& state, TcpHost& host, int n) {
    const int channel = 1 + n % 60;
    const QString freq = QStringLiteral("%1.%2").arg(150 + n % 300).arg(n % 10000, 4, 10, QLatin1Char('0'));
    for (const QString& text : {freq, QStringLiteral("AUX1FREQ: ") + freq, QStringLiteral("AUX2CHAN: %1").arg(channel),
                                QStringLiteral("AUX3CITY PD"), QStringLiteral("AUX4DISPATCH %1").arg(channel)}) {
        state.gRemoteOut = text;
        notifyRemote(state, &host);
    }
    notifyRemote(state, &host);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? args.at(1).toInt() : 60;
    const int stopsPerSecond = args.size() > 2 ? args.at(2).toInt() : 1000;
    if (seconds <= 0 || stopsPerSecond <= 0) {
        std::fprintf(stderr, "usage: bench_remote [seconds] [stops per second]\n");
        return 2;
    }

    ScannerState state;
    SerialLink link{state};
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    transport->open();
    TcpHost host{state, link, nullptr};
    host.setPort(0);
    host.setListenAddress(QStringLiteral("localhost"));
    if (!host.startListening())
        return 1;
    QObject::connect(&host, &TcpHost::statusLine, [](const QString& text) {
        std::printf("status line: %s\n", qPrintable(text));
        std::fflush(stdout);
    });
    const int client = connectStalledClient(host.serverPort());
    if (client < 0)
        return 1;

    std::printf("%d stops a second (6 lines each), a client that never reads, %d s\n", stopsPerSecond, seconds);
    std::printf("%4d s: resident %.1f MB\n", 0, residentMegabytes());
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    int stops = 0;
    QTimer scanner;
    scanner.setTimerType(Qt::PreciseTimer);
    // Whole stops in step with the clock, so a slow turn of the event loop does not lower the rate.
    QObject::connect(&scanner, &QTimer::timeout, [&] {
        const qint64 due = clock.elapsed() * stopsPerSecond / 1000;
        for (; stops < due; ++stops)
            oneStop(state, host, stops);
    });
    const auto print = [&] {
        std::printf("%4lld s: resident %.1f MB, %d stops, client %s\n", (clock.elapsed() + 500) / 1000,
                    residentMegabytes(), stops, host.isClientConnected() ? "connected" : "dropped");
        std::fflush(stdout);
    };
    QTimer report;
    // The last figure comes with the end of the run.
    QObject::connect(&report, &QTimer::timeout, [&] {
        if (clock.elapsed() + 1000 < seconds * 1000)
            print();
    });
    QTimer::singleShot(seconds * 1000, &app, [&] {
        print();
        app.quit();
    });
    scanner.start(1);
    report.start(10000);
    const int rc = app.exec();
    ::close(client);
    return rc;
}
