// Idle CPU of the running monitor, and the delay from a reply line's last byte to the display.
#include "Clock.h"
#include "Prompter.h"
#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/DisplayModel.h"
#include "monitor/Monitor.h"
#include "monitor/MonitorContext.h"
#include "monitor/Panel.h"
#include "monitor/PollCycle.h"
#include "monitor/ScannerState.h"
#include "monitor/Switches.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

/// Nobody answers: a benchmark has no operator.
class SilentPrompter final : public Prompter {
public:
    void askText(const QString&, const QString&, const QString&, std::function<void(std::optional<QString>)>) override {
    }
    void inform(const QString&, const QString&, Icon, std::function<void()>) override {}
    void confirm(const QString&, const QString&, Icon, std::function<void(bool)>) override {}
};

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

/// A monitor in scan mode over an in-memory port whose scanner answers only "MD".
struct Bench {
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* port = new MemoryTransport;
    DisplayModel display;
    DisplayModel aux;
    Switches switches;
    SystemClock clock;
    SilentPrompter prompter;
    MonitorContext ctx{state, link, display, aux, switches, clock, prompter};
    Monitor monitor{ctx};

    explicit Bench(int scanDelay) {
        Panel::addPro2052Fields(display, 0x000000, 0x00FFFF);
        Panel::addAuxFields(aux);
        link.setTransport(port);
        port->open();
        switches.setScanDelay(scanDelay);
        QObject::connect(port, &MemoryTransport::written, port, [this](const QByteArray& bytes) {
            if (bytes == "MD\r")
                port->feed("MD00\r");
        });
        monitor.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (monitor.poll().isRunning())
                loop.quit();
        });
        poll.start(1);
        loop.exec();
    }
};

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void idleCpu() {
    Bench bench(2);
    runFor(200);
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(10000);
    const double cpu = processCpuSeconds() - cpu0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf("idle CPU, silent scanner, scan delay 2: %.3f %% of one core over %.1f s (target < 1 %%)\n",
                100.0 * cpu / seconds, seconds);
}

void latency(int scanDelay, int samples) {
    Bench bench(scanDelay);
    std::vector<double> micros;
    micros.reserve(samples);
    QElapsedTimer sinceFeed;
    bool waiting = false;
    QEventLoop loop;
    QObject::connect(&bench.display, &DisplayModel::fieldChanged, &loop, [&] {
        if (!waiting)
            return;
        waiting = false;
        micros.push_back(sinceFeed.nsecsElapsed() / 1000.0);
        if (int(micros.size()) >= samples)
            loop.quit();
    });
    // Each sample arrives at a random moment of the pacing interval; the bank list alternates so
    // every line changes the display.
    int n = 0;
    std::function<void()> next = [&] {
        QTimer::singleShot(int(QRandomGenerator::global()->bounded(25)), &loop, [&] {
            waiting = true;
            sinceFeed.start();
            bench.port->feedNow(n++ % 2 ? "SBAC\r" : "SBBD\r");
            QTimer::singleShot(50, &loop, [&] { next(); });
        });
    };
    next();
    loop.exec();
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[std::min(micros.size() - 1, size_t(micros.size() * 0.99))];
    std::printf("line to display, scan delay %d, %d lines over MemoryTransport: median %.0f us, p99 %.0f us\n",
                scanDelay, samples, median, p99);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("bench_monitor (transport: MemoryTransport in process; the simulator's pseudo-terminal host is "
                "not available)\n");
    idleCpu();
    latency(0, 200);
    latency(2, 200);
    return 0;
}
