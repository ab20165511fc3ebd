// Received bytes through the link's line cutting into the PRO-2052's status parser, in every mode.
#include "FuzzHarness.h"
#include "MonitorRig.h"

#include <iterator>

namespace {
// The modes the parser reads, the codes it shares with them, and codes it must leave alone.
constexpr quint8 kModes[] = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 15, 16, 21, 157, 255};
// Whatever arrives, the parser only ever asks the scanner these queries.
const QStringList kQueries = {"MA", "RM", "SB", "WI", "TB", "DL", "IS", "IC"};
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    return 0;
}

// The first byte sets the scene: bits 0-4 the mode (wrapping round kModes), bit 6 the aux display open,
// bit 7 no lookups, log or remote client (bit 5 is unused). The rest arrives from the scanner, and every
// read is followed by the passes that cut and parse the complete lines, as the poll cycle runs them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const quint8 scene = data[0];
    MonitorRig rig(ScannerModel::Pro2052);
    rig.state.gMode = kModes[(scene & 0x1f) % std::size(kModes)];
    rig.aux.setWindowVisible(scene & 0x40);
    rig.state.gSignalActive = scene & 0x20;
    if (scene & 0x80) {
        rig.ctx.lookups = nullptr;
        rig.ctx.log = nullptr;
        rig.ctx.remote = nullptr;
    }
    for (const QByteArray& read : FuzzHarness::reads(FuzzHarness::bytes(data + 1, size - 1))) {
        rig.transport->feedNow(read);
        while (rig.link.cutOneLine()) {
            rig.parser.parseStatusReply();
            for (const QString& command : rig.takeCommands()) {
                if (!kQueries.contains(command)) {
                    qFatal("mode %d: the parser sent \"%s\"", rig.state.gMode, qPrintable(command));
                }
            }
        }
        rig.clock.advanceMs(700);
    }
    FuzzHarness::settle();
    return 0;
}
