// Mode detection fed whatever the scanner may answer to "MD".
#include "FuzzHarness.h"
#include "MonitorRig.h"
#include "monitor/ModeDetector.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    return 0;
}

// The first byte: bit 0 the BC780XLT, bits 1-7 the mode shown before the detection (127 for 255, undetermined).
// The first read is stale text already in the buffer when the detection starts; each later read arrives a
// second after the one before. A detection that ends is started again, as the next key or menu choice would.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const quint8 scene = data[0];
    MonitorContextRig rig(scene & 1 ? ScannerModel::Bc780xlt : ScannerModel::Pro2052);
    Panel panel(rig.ctx);
    ModeDetector detector(rig.ctx, panel);
    const int before = scene >> 1;
    rig.state.gMode = before == 127 ? ModeCode::Undetermined : quint8(before);

    const QList<QByteArray> reads = FuzzHarness::reads(FuzzHarness::bytes(data + 1, size - 1));
    if (!reads.isEmpty())
        rig.state.gRxBuffer = QString::fromLatin1(reads.first());
    detector.checkMode();
    for (qsizetype i = 1; i < reads.size(); ++i) {
        rig.transport->feedNow(reads.at(i));
        rig.clock.advanceMs(1000);
        detector.checkDeadline();
        FuzzHarness::settle();
        if (!detector.isRunning())
            detector.checkMode();
    }
    FuzzHarness::settle();
    return 0;
}
