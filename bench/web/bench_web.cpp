// The phone view under load: the time from a reply line's last byte on the serial line (a pseudo-terminal
// with the simulator behind it) to each page's WebSocket, with 1 and 200 pages, the time from a reading
// to the pages alone, and the memory each page costs. Usage: bench_web [samples]
//
// The pages are plain sockets read by a thread of their own with poll(), so they neither compete with
// the server's event loop nor add Qt objects to the memory figure.
#include "ManualClock.h"
#include "MonitorRig.h"
#include "PtyHost.h"
#include "Simulator.h"
#include "link/SerialTransport.h"
#include "monitor/Monitor.h"
#include "monitor/PollCycle.h"
#include "remote/WebServer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;

double residentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0 : -1.0;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() or the time is up; false on time-out.
template <typename Done> bool runUntil(Done done, int ms) {
    const Steady::time_point end = Steady::now() + std::chrono::milliseconds(ms);
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || Steady::now() > end)
            loop.quit();
    });
    // A millisecond tick: a busy loop here would take the core the pages and the server share.
    tick.start(1);
    loop.exec();
    return done();
}

/// Pages as raw sockets: the handshake, then every text frame is looked at for the awaited frequency.
class Pages {
public:
    // The pages connect from their own thread: the server accepts them on the main thread meanwhile.
    Pages(quint16 port, int count) {
        m_thread = std::thread([this, port, count] {
            connectAll(port, count);
            run();
        });
    }
    ~Pages() {
        m_stop = true;
        m_thread.join();
        for (const Page& page : m_pages)
            ::close(page.fd);
    }
    int hellos() const { return m_hellos; }
    /// From now on, a reading message holding "frequency_hz":hz counts as an arrival.
    void await(qint64 hz) {
        std::lock_guard lock(m_mutex);
        m_marker = "\"frequency_hz\":" + std::to_string(hz) + ',';
        m_arrivals.clear();
    }
    std::vector<Steady::time_point> arrivals() {
        std::lock_guard lock(m_mutex);
        return m_arrivals;
    }

private:
    struct Page {
        int fd;
        std::string buffer;
        bool open;
    };

    void connectAll(quint16 port, int count) {
        const std::string handshake = "GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: "
                                      "Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                      "Sec-WebSocket-Version: 13\r\n\r\n";
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(port);
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 ||
                ::write(fd, handshake.data(), handshake.size()) != ssize_t(handshake.size())) {
                ::close(fd);
                continue;
            }
            m_pages.push_back({fd, {}, false});
        }
    }

    void run() {
        std::vector<pollfd> fds;
        for (const Page& page : m_pages)
            fds.push_back({page.fd, POLLIN, 0});
        char chunk[65536];
        while (!m_stop) {
            if (::poll(fds.data(), fds.size(), 5) <= 0)
                continue;
            const Steady::time_point now = Steady::now();
            for (size_t i = 0; i < fds.size(); ++i) {
                if (!(fds[i].revents & POLLIN))
                    continue;
                const ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
                if (got <= 0) {
                    fds[i].fd = -1;
                    continue;
                }
                m_pages[i].buffer.append(chunk, size_t(got));
                take(m_pages[i], now);
            }
        }
    }

    void take(Page& page, Steady::time_point now) {
        std::string& b = page.buffer;
        if (!page.open) {
            const size_t end = b.find("\r\n\r\n");
            if (end == std::string::npos)
                return;
            b.erase(0, end + 4);
            page.open = true;
        }
        // Server frames are unmasked: two bytes, then 2 or 8 bytes of length when it is 126 or 127.
        while (b.size() >= 2) {
            size_t length = size_t(b[1] & 0x7f);
            size_t head = 2;
            if (length == 126) {
                if (b.size() < 4)
                    return;
                length = (size_t(uint8_t(b[2])) << 8) | uint8_t(b[3]);
                head = 4;
            } else if (length == 127) {
                if (b.size() < 10)
                    return;
                length = 0;
                for (int k = 2; k < 10; ++k)
                    length = (length << 8) | uint8_t(b[size_t(k)]);
                head = 10;
            }
            if (b.size() < head + length)
                return;
            const std::string payload = b.substr(head, length);
            b.erase(0, head + length);
            if (payload.find("\"type\":\"hello\"") != std::string::npos)
                ++m_hellos;
            std::lock_guard lock(m_mutex);
            if (!m_marker.empty() && payload.find(m_marker) != std::string::npos)
                m_arrivals.push_back(now);
        }
    }

    std::vector<Page> m_pages;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_hellos{0};
    std::mutex m_mutex;
    std::string m_marker;
    std::vector<Steady::time_point> m_arrivals;
};

/// A monitor in scan mode on a pseudo-terminal; once it polls, the simulator falls silent so that only the
/// lines the benchmark sends reach the parser.
struct Bench : MonitorContextRig {
    Monitor monitor{ctx};
    Simulator simulator;
    PtyHost pty{&simulator};
    QTemporaryDir dir;
    ManualClock webClock;
    WebServer web{dir.path(), webClock};
    bool onPty = false;

    Bench()
        : MonitorContextRig(Options{ScannerModel::Pro2052, true, true}) {
        ctx.lookups = nullptr;
        ctx.log = nullptr;
        ctx.remote = nullptr;
        switches.setScanDelay(0);
        if (pty.open()) {
            auto* serial = new SerialTransport;
            serial->setDevice(pty.devicePath());
            link.setTransport(serial);
            transport = nullptr;
            onPty = link.transport()->open();
        }
        QObject::connect(&monitor, &Monitor::readingChanged, &web, &WebServer::publishReading);
        web.setMaxClients(1000);
        web.startListening();
        monitor.start();
        runFor(800);
        simulator.injectFault(Simulator::Fault::Silence, 0.0);
        runFor(100);
    }
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(double(v.size()) * p))];
}

void measure(Bench& bench, int pageCount, int samples) {
    const double before = residentKb();
    Pages pages(bench.web.serverPort(), pageCount);
    if (!runUntil([&] { return pages.hellos() >= pageCount && bench.web.clientCount() >= pageCount; }, 20000)) {
        std::printf("%d pages: only %d connected\n", pageCount, pages.hellos());
        return;
    }
    runFor(200);
    const double perPage = (residentKb() - before) / pageCount;

    std::vector<double> lineMicros;
    std::vector<double> readingMicros;
    int missed = 0;
    for (int n = 0; n < samples; ++n) {
        // A channel reply the scanner sends: channel and frequency change with every sample.
        const int channel = 1 + n % 2;
        const qint64 hz = 150'000'000 + qint64(n % 2) * 12'500 + qint64(n) * 100'000;
        const QString line = QStringLiteral("C%1 F%2 TF DF LF PRI F\r")
                                 .arg(channel, 3, 10, QLatin1Char('0'))
                                 .arg(hz / 100, 8, 10, QLatin1Char('0'));
        // A monitor that gives no readings for reply lines would only time out: the line is tried three times.
        if (missed < 3 || !lineMicros.empty()) {
            pages.await(hz);
            const Steady::time_point sent = Steady::now();
            Q_EMIT bench.simulator.output(line.toLatin1());
            if (runUntil([&] { return int(pages.arrivals().size()) >= pageCount; }, 1000)) {
                for (const Steady::time_point at : pages.arrivals())
                    lineMicros.push_back(std::chrono::duration<double, std::micro>(at - sent).count());
            } else {
                ++missed;
            }
        }
        // The reading alone, straight into the server.
        Reading reading;
        reading.frequencyHz = hz + 1;
        reading.modeName = QStringLiteral("BENCH");
        pages.await(hz + 1);
        const Steady::time_point published = Steady::now();
        bench.web.publishReading(reading);
        runUntil([&] { return int(pages.arrivals().size()) >= pageCount; }, 1000);
        for (const Steady::time_point at : pages.arrivals())
            readingMicros.push_back(std::chrono::duration<double, std::micro>(at - published).count());
        runFor(int(n % 7));
    }
    if (lineMicros.empty())
        std::printf("%3d pages: no reply line reached the pages as a reading (%d tries)\n", pageCount, missed);
    else
        std::printf("%3d pages: line to page median %.0f us, p99 %.0f us over %zu deliveries%s\n", pageCount,
                    percentile(lineMicros, 0.5), percentile(lineMicros, 0.99), lineMicros.size(),
                    missed ? qPrintable(QStringLiteral(" (%1 samples missed)").arg(missed)) : "");
    std::printf("%3d pages: reading to page median %.0f us, p99 %.0f us (target p99 < 100000 us)\n", pageCount,
                percentile(readingMicros, 0.5), percentile(readingMicros, 0.99));
    std::printf("%3d pages: %.1f kB resident per page\n", pageCount, perPage);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int samples = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    Bench bench;
    std::printf("phone view on port %u, scanner on %s\n", bench.web.serverPort(),
                bench.onPty ? qPrintable(bench.pty.devicePath()) : "no pseudo-terminal");
    measure(bench, 1, samples);
    measure(bench, 200, samples);
    return 0;
}
