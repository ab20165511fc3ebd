// The remote host's framing fed whatever a client may send, in reads of any size, with and without pauses.
#include "FuzzHarness.h"
#include "MemoryTransport.h"
#include "link/SerialLink.h"
#include "remote/TcpHost.h"
#include "state/ScannerState.h"

#include <QCoreApplication>
#include <QTcpSocket>

#include <cstdlib>
#include <memory>

namespace {

// One host for the whole run, with a real loopback client: the framing stops reading when "QUIT" drops the
// client, and behaves like that only when there is one.
struct Host {
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    TcpHost host{state, link, nullptr};
    std::unique_ptr<QTcpSocket> client;

    Host() {
        link.setTransport(transport);
        transport->open();
        host.setPort(0);
        host.setListenAddress(QStringLiteral("localhost"));
        // A pause in the input ends an unterminated message at the next turn of the event loop.
        host.setQuietTimeMs(0);
        if (!host.startListening())
            std::abort();
    }

    void connectClient() {
        if (host.isClientConnected())
            return;
        client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, host.serverPort());
        // On the loopback the host accepts within a turn or two of the event loop.
        for (int turn = 0; turn < 100000 && !host.isClientConnected(); ++turn)
            QCoreApplication::processEvents();
        if (!host.isClientConnected())
            std::abort();
    }
};

Host* g_host = nullptr;
constexpr int kMaxReads = 64;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzHarness::start(argc, argv);
    g_host = new Host;
    return 0;
}

// The first byte is the read size (0: all at once; at most kMaxReads reads), the second says after which reads
// the client pauses (bit n for read n, repeating every eight reads). The rest is what the client sends.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    Host& h = *g_host;
    h.connectClient();
    h.transport->clearWritten();
    const QByteArray input = FuzzHarness::bytes(data + 2, size - 2);
    qsizetype readSize = data[0] == 0 ? qMax<qsizetype>(1, input.size()) : data[0];
    for (qsizetype at = 0, n = 0; at < input.size(); at += readSize, ++n) {
        // A read restarts the quiet timer, which is slow under the sanitizers: the last read takes the rest.
        if (n == kMaxReads - 1)
            readSize = input.size() - at;
        h.host.takeInput(input.mid(at, readSize));
        if (h.host.pendingInputSize() > TcpHost::kMaxMessageBytes)
            std::abort();
        if (data[1] & (1 << (n % 8)))
            FuzzHarness::settle();
    }
    FuzzHarness::settle();
    // Whatever came in, the scanner gets whole commands: never an empty one, never a line break inside one.
    const QByteArray written = h.transport->takeWritten();
    if (written.contains('\n') || written.startsWith('\r') || written.contains("\r\r"))
        std::abort();
    return 0;
}
