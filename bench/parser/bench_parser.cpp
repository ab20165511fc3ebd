// Feeds a realistic mix of PRO-2052 reply lines through the status parser and prints how many
// lines per second it reads. Usage: bench_parser [lines]
#include "MonitorRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <utility>

namespace {
// One scan stop, a search hit and a trunked call, as the scanner sends them.
const QList<std::pair<quint8, QString>>& replyMix() {
    static const QList<std::pair<quint8, QString>> mix = {
        {ModeCode::Scan, QStringLiteral("+")},
        {ModeCode::Scan, QStringLiteral("C012  01542500     N  F     F")},
        {ModeCode::Scan, QStringLiteral("RM NFM")},
        {ModeCode::Scan, QStringLiteral("SB ACEGT")},
        {ModeCode::Scan, QStringLiteral("N")},
        {ModeCode::Scan, QStringLiteral("-")},
        {ModeCode::SearchHold, QStringLiteral("+")},
        {ModeCode::SearchHold, QStringLiteral("RM AM")},
        {ModeCode::SearchHold, QStringLiteral("WI    01542525")},
        {ModeCode::SearchHold, QStringLiteral("-")},
        {ModeCode::Trunk, QStringLiteral("ID S 001234 08515625")},
        {ModeCode::Trunk, QStringLiteral("RM NFM")},
        {ModeCode::Trunk, QStringLiteral("TB A MOT2")},
        {ModeCode::Trunk, QStringLiteral("DLN")},
        {ModeCode::Trunk, QStringLiteral("ID E")},
        {ModeCode::IdScan, QStringLiteral("IC C05")},
        {ModeCode::IdScan, QStringLiteral("ID S 004321")},
        {ModeCode::IdScan, QStringLiteral("ID E")},
    };
    return mix;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 500000;

    MonitorRig rig;
    rig.ctx.lookups = nullptr;
    rig.ctx.log = nullptr;
    rig.ctx.remote = nullptr;
    rig.aux.setWindowVisible(true);
    ScannerState& state = rig.state;

    const auto& mix = replyMix();
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < total; ++i) {
        const auto& [mode, line] = mix.at(int(i % mix.size()));
        state.gMode = mode;
        state.gReply = line;
        rig.parser.parseStatusReply();
        // Keep the recorded commands from growing without bound.
        if (i % 4096 == 0)
            rig.transport->clearWritten();
    }
    const qint64 ns = timer.nsecsElapsed();

    QTextStream out(stdout);
    out << "bench_parser: " << total << " reply lines in " << ns / 1e6 << " ms, " << qint64(total / (ns / 1e9))
        << " lines per second (" << double(ns) / total << " ns per line)\n";
    return 0;
}
