// Received bytes through the link's line cutting into the BC780XLT's LCD parser, in every mode.
#include "FuzzHarness.h"
#include "MonitorRig.h"
#include "monitor/Bc780LcdParser.h"

#include <iterator>

namespace {
// The modes the parser reads, and codes it must leave alone.
constexpr quint8 kModes[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 21, 157, 255};
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    return 0;
}

// The first byte sets the scene: bits 0-4 the mode (wrapping round kModes), bit 5 the scanner's own tags,
// bit 6 the aux display open, bit 7 no lookups, log or remote client. The rest arrives from the scanner;
// every complete line but the acknowledgements is parsed, one poll pass each, as the poll cycle does.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const quint8 scene = data[0];
    MonitorRig rig(ScannerModel::Bc780xlt);
    Bc780LcdParser parser(rig.ctx, rig.panel);
    rig.state.gMode = kModes[(scene & 0x1f) % std::size(kModes)];
    rig.switches.setUseScannerTags(scene & 0x20);
    rig.aux.setWindowVisible(scene & 0x40);
    if (scene & 0x80) {
        rig.ctx.lookups = nullptr;
        rig.ctx.log = nullptr;
        rig.ctx.remote = nullptr;
    }
    for (const QByteArray& read : FuzzHarness::reads(FuzzHarness::bytes(data + 1, size - 1))) {
        rig.transport->feedNow(read);
        while (rig.link.cutOneLine()) {
            if (rig.state.gReply == QLatin1String("OK") || rig.state.gReply == QLatin1String("NG"))
                continue;
            parser.parseLcdReply();
            rig.state.gPollCount = quint8((rig.state.gPollCount + 1) % 101);
        }
        rig.clock.advanceMs(700);
    }
    FuzzHarness::settle();
    return 0;
}
