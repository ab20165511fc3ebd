// Idle CPU of the running monitor, and the delay from a reply line's last byte to the display.
#include "MonitorRig.h"
#include "PtyHost.h"
#include "Simulator.h"
#include "link/SerialTransport.h"
#include "monitor/Monitor.h"
#include "monitor/PollCycle.h"

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

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

/**
 * A monitor in scan mode. Over a pseudo-terminal the simulator answers; once the poll cycle runs
 * the simulator falls silent, so only the lines the benchmark sends reach the display. Without a
 * pseudo-terminal an in-memory port stands in and answers only "MD".
 */
struct Bench : MonitorContextRig {
    Monitor monitor{ctx};
    Simulator simulator;
    PtyHost pty{&simulator};
    MemoryTransport* memory = nullptr;
    QString transportName;

    explicit Bench(int scanDelay)
        : MonitorContextRig(Options{ScannerModel::Pro2052, true, true}) {
        ctx.lookups = nullptr;
        ctx.log = nullptr;
        ctx.remote = nullptr;
        switches.setScanDelay(scanDelay);
        if (pty.open()) {
            auto* serial = new SerialTransport;
            serial->setDevice(pty.devicePath());
            link.setTransport(serial);
            transport = nullptr;
        }
        if (!transport && link.transport()->open()) {
            transportName = QStringLiteral("pseudo-terminal ") + pty.devicePath();
        } else {
            if (!transport) {
                transport = new MemoryTransport;
                link.setTransport(transport);
                transport->open();
            }
            memory = transport;
            QObject::connect(memory, &MemoryTransport::written, memory, [this](const QByteArray& bytes) {
                if (bytes == "MD\r")
                    memory->feed("MD00\r");
            });
            transportName = QStringLiteral("MemoryTransport (no pseudo-terminal)");
        }
        monitor.start();
        waitForFirstPass();
        // Let the start-up queries be answered and parsed, then silence the scanner.
        runFor(500);
        simulator.injectFault(Simulator::Fault::Silence, 0.0);
        runFor(100);
    }

    /// Sends a line as the scanner would, and returns when its last byte has been handed over.
    void scannerSends(const QByteArray& line) {
        if (memory)
            memory->feedNow(line);
        else
            Q_EMIT simulator.output(line);
    }

    // The poll cycle is running once it has finished a pass; woken by that, not by polling.
    void waitForFirstPass() {
        QEventLoop loop;
        QObject::connect(&monitor.poll(), &PollCycle::passDone, &loop, &QEventLoop::quit);
        loop.exec();
    }
    static void runFor(int ms);
};

void Bench::runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void idleCpu(int scanDelay) {
    Bench bench(scanDelay);
    Bench::runFor(200);
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Bench::runFor(10000);
    const double cpu = processCpuSeconds() - cpu0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf("idle CPU, silent scanner, scan delay %d, %s: %.3f %% of one core over %.1f s (target < 0.2 %%)\n",
                scanDelay, qPrintable(bench.transportName), 100.0 * cpu / seconds, seconds);
}

void latency(int scanDelay, int samples) {
    Bench bench(scanDelay);
    std::vector<double> micros;
    std::vector<double> afterArrival; // from the line's CR reaching gRxBuffer: what the program itself adds
    micros.reserve(samples);
    QElapsedTimer sinceFeed;
    double arrivedMicros = 0;
    bool waiting = false;
    QEventLoop loop;
    int n = 0;
    // The line just sent lists banks 1 and 3 or banks 2 and 4; a sample ends when the display shows it.
    const auto shown = [&] {
        const bool odd = n % 2 == 1;
        return bench.display.text("tbBANKNUM", odd ? 1 : 2) == QString::number(odd ? 1 : 2) &&
               bench.display.text("tbBANKNUM", odd ? 2 : 1).isEmpty();
    };
    QObject::connect(&bench.display, &DisplayModel::fieldChanged, &loop, [&] {
        if (!waiting || !shown())
            return;
        waiting = false;
        micros.push_back(sinceFeed.nsecsElapsed() / 1000.0);
        afterArrival.push_back(micros.back() - arrivedMicros);
        if (int(micros.size()) >= samples)
            loop.quit();
    });
    QObject::connect(&bench.link, &SerialLink::received, &loop, [&] {
        if (waiting && bench.link.hasCompleteLine())
            arrivedMicros = sinceFeed.nsecsElapsed() / 1000.0;
    });
    // Each sample arrives at a random moment of the pacing interval; the bank list alternates so
    // every line changes the display.
    std::function<void()> next = [&] {
        QTimer::singleShot(int(QRandomGenerator::global()->bounded(25)), &loop, [&] {
            ++n;
            waiting = true;
            sinceFeed.start();
            bench.scannerSends(n % 2 ? "SB AC\r" : "SB BD\r");
            QTimer::singleShot(50, &loop, [&] { next(); });
        });
    };
    next();
    loop.exec();
    const auto percentile = [](std::vector<double>& v, double p) {
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, size_t(double(v.size()) * p))];
    };
    std::printf("line to display, scan delay %d, %d lines over %s: median %.0f us, p99 %.0f us%s\n", scanDelay, samples,
                qPrintable(bench.transportName), percentile(micros, 0.5), percentile(micros, 0.99),
                scanDelay == 0 ? " (target p99 < 300 us)" : "");
    std::printf("  of which after the line reached the receive buffer: median %.0f us, p99 %.0f us\n",
                percentile(afterArrival, 0.5), percentile(afterArrival, 0.99));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    idleCpu(2);
    idleCpu(0);
    latency(0, 200);
    latency(2, 200);
    return 0;
}
