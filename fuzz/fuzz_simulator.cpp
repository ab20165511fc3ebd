// The simulator fed arbitrary command lines, after an arbitrary script set it up and injected its faults.
#include "ActivityScript.h"
#include "FuzzHarness.h"
#include "Pro2052Model.h"
#include "Simulator.h"

#include <cstdlib>
#include <memory>

namespace {
// The scanner as the built-in script sets it up, read once: each input starts from a copy.
const Pro2052Model* g_builtIn = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    Simulator sim;
    g_builtIn = new Pro2052Model(static_cast<Pro2052Model&>(sim.model()));
    return 0;
}

// The first byte: bits 0-1 pick the time scale, bits 2-7 the size of each read (0: all at once). Up to the first
// NUL the input is a script: its set-up lines program the scanner and its faults are injected at once, as the
// player would at their time. The rest arrives as commands.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static constexpr double kScales[] = {1.0, 0.001, 30.0, 1000.0};
    const QByteArray input = FuzzHarness::bytes(data + 1, size - 1);
    const qsizetype nul = input.indexOf('\0');
    Simulator sim(std::make_unique<Pro2052Model>(*g_builtIn));
    sim.setTimeScale(kScales[data[0] % 4]);
    QByteArray commands = input;
    if (nul >= 0) {
        const QString script = QString::fromLatin1(input.left(nul));
        commands = input.mid(nul + 1);
        QString error;
        sim.loadScript(script, &error);
        ActivityScript parsed;
        if (parsed.parse(script, &error)) {
            for (const ActivityEvent& event : parsed.events()) {
                if (event.kind == ActivityEvent::Kind::Fault)
                    sim.injectFault(event.fault, event.hold);
            }
        }
    }
    QByteArray out;
    QObject::connect(&sim, &Simulator::output, &sim, [&out](const QByteArray& bytes) { out += bytes; });
    const qsizetype readSize = data[0] >> 2 ? data[0] >> 2 : qMax<qsizetype>(1, commands.size());
    for (qsizetype at = 0; at < commands.size(); at += readSize)
        sim.receive(commands.mid(at, readSize));
    // Everything the scanner sends is whole lines.
    if (!out.isEmpty() && !out.endsWith('\r'))
        std::abort();
    FuzzHarness::settle();
    return 0;
}
