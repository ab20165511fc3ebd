// The rigctl control port's command reader: each line of the input is one command line, answered as a
// client would be answered. The first byte sets the scene.
#include "FuzzHarness.h"
#include "MonitorRig.h"
#include "remote/RigctlServer.h"

#include <QRegularExpression>

#include <cstdlib>

namespace {

struct Port {
    explicit Port(quint8 model)
        : rig(model) {}
    MonitorContextRig rig;
    RigctlServer server{rig.state, rig.link};
};

Port* g_pro = nullptr;
Port* g_bc = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    g_pro = new Port(ScannerModel::Pro2052);
    g_bc = new Port(ScannerModel::Bc780xlt);
    return 0;
}

// Bit 0: BC780XLT; bit 1: a tune channel is set (bits 2-7 pick it, 0 to 63, so some are no channel);
// the display shows a frequency taken from the same bits. The rest: command lines, one per LF.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    Port& p = (data[0] & 1) ? *g_bc : *g_pro;
    p.server.setTuneChannel((data[0] & 2) ? QString::number(data[0] >> 2) : QString());
    p.server.setReading(Reading{data[0] & 1 ? ScannerModel::Bc780xlt : ScannerModel::Pro2052, 1, "MANUAL",
                                25'000'000 + qint64(data[0] >> 2) * 19'500'000, 20});
    p.rig.transport->clearWritten();
    static const QRegularExpression tuning(QStringLiteral("^(PM\\d{3} \\d{8}|MA\\d{3})$"));
    for (const QByteArray& line : FuzzHarness::reads(FuzzHarness::bytes(data + 1, size - 1))) {
        bool quit = false;
        const QByteArray reply = p.server.answer(line, &quit);
        // Every answer is whole lines; only an empty command goes unanswered.
        if (!reply.isEmpty() && !reply.endsWith('\n'))
            std::abort();
        if (quit && reply != "RPRT 0\n")
            std::abort();
    }
    FuzzHarness::settle();
    // Nothing reaches the scanner but the tune channel's programming and its recall.
    for (const QString& command : p.rig.transport->writtenLines()) {
        if (!tuning.match(command).hasMatch())
            std::abort();
    }
    return 0;
}
