// Backup and restore (with read-back) of all 20 banks against the simulator on a pseudo-terminal:
// channels per second with the line unpaced, and with the line paced to 19200 8N1 the wall time as a
// ratio to the line-time floor (every byte on the wire, both ways, at ten bits a byte).
#include "Clock.h"
#include "Pro2052Model.h"
#include "PtyHost.h"
#include "ScriptedPrompter.h"
#include "Simulator.h"
#include "link/SerialLink.h"
#include "link/SerialTransport.h"
#include "memory/BackupJob.h"
#include "memory/RestoreJob.h"
#include "state/ScannerState.h"
#include "store/LocalDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

constexpr int kBaud = 19200;

struct Bench {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    SystemClock clock;
    ScannerState state;
    Simulator sim{Simulator::createModel(QStringLiteral("pro2052"))};
    PtyHost pty{&sim};
    SerialLink link{state};
    LocalDatabase db{dir.filePath(QStringLiteral("ValdoriaPro.mdb")), prompter};
    qint64 bytes = 0;
    QList<int> banks;

    Bench() {
        for (int bank = 1; bank <= 20; ++bank)
            banks.append(bank);
        auto& model = static_cast<Pro2052Model&>(sim.model());
        for (int n = 1; n <= 1000; ++n) {
            MemoryChannel c;
            c.steps = n % 9 == 0 ? 0 : 1300000 + n * 125;
            c.delay = n % 2 == 0;
            c.lockout = n % 7 == 0;
            model.setChannel(n, c);
        }
        // Every byte on the wire: commands and lines, each with its CR.
        QObject::connect(&sim, &Simulator::commandReceived, [this](const QString& c) { bytes += c.size() + 1; });
        QObject::connect(&sim, &Simulator::lineSent, [this](const QString& l) { bytes += l.size() + 1; });
    }
    ~Bench() { link.setTransport(nullptr); }

    bool open() {
        if (!pty.open())
            return false;
        auto* serial = new SerialTransport;
        serial->setDevice(pty.devicePath());
        link.setTransport(serial);
        return link.openPort();
    }
    MemoryJobContext context() { return {state, link, db, clock}; }
};

// Runs one job to its end, then calls next with the wall time and the bytes moved.
void timeJob(Bench& bench, MemoryJob* job, const std::function<void()>& start,
             const std::function<void(double seconds, qint64 bytes, bool ok)>& next) {
    auto* timer = new QElapsedTimer;
    const qint64 before = bench.bytes;
    QObject::connect(job, &MemoryJob::finished, job, [=, &bench](const MemoryJobResult& result) {
        const double seconds = timer->nsecsElapsed() / 1e9;
        delete timer;
        if (!result.succeeded())
            std::fprintf(stderr, "%s\n", qPrintable(result.message));
        next(seconds, bench.bytes - before, result.succeeded());
        job->deleteLater();
    });
    timer->start();
    start();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Bench bench;
    if (!bench.open()) {
        std::fprintf(stderr, "bench_memory: %s\n", qPrintable(bench.pty.errorText()));
        return 1;
    }
    QTextStream out(stdout);
    out << "Backup and restore (program + read-back, no safety backup) of 20 banks, 1000 channels, on "
        << bench.pty.devicePath() << "\n";
    int status = 0;
    auto report = [&](const char* what, double seconds, qint64 bytes, bool ok, bool paced) {
        if (!ok)
            status = 1;
        const double floor = bytes * 10.0 / kBaud;
        if (paced)
            out << QStringLiteral("  %1 paced to %2 8N1: %3 s, %4 bytes on the wire, floor %5 s, ratio %6\n")
                       .arg(QLatin1String(what))
                       .arg(kBaud)
                       .arg(seconds, 0, 'f', 2)
                       .arg(bytes)
                       .arg(floor, 0, 'f', 2)
                       .arg(seconds / floor, 0, 'f', 3);
        else
            out << QStringLiteral("  %1 unpaced: %2 s, %3 channels/s\n")
                       .arg(QLatin1String(what))
                       .arg(seconds, 0, 'f', 3)
                       .arg(1000.0 / seconds, 0, 'f', 0);
        out.flush();
    };
    // Unpaced backup and restore, then both again on a paced line.
    std::function<void(bool)> runPair = [&](bool paced) {
        bench.pty.setLineRate(paced ? kBaud : 0);
        const QString set = paced ? QStringLiteral("paced") : QStringLiteral("unpaced");
        auto* backup = new BackupJob(bench.context());
        timeJob(
            bench, backup, [&, backup, set] { backup->start(bench.banks, set); },
            [&, paced, set](double s, qint64 b, bool ok) {
                report("backup ", s, b, ok, paced);
                auto* restore = new RestoreJob(bench.context());
                timeJob(
                    bench, restore, [&, restore, set] { restore->start(set, bench.banks, false); },
                    [&, paced](double s2, qint64 b2, bool ok2) {
                        report("restore", s2, b2, ok2, paced);
                        if (paced)
                            QCoreApplication::exit(status);
                        else
                            runPair(true);
                    });
            });
    };
    runPair(false);
    return QCoreApplication::exec();
}
