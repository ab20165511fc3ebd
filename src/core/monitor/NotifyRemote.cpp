#include "NotifyRemote.h"

#include "MonitorHooks.h"
#include "state/ScannerState.h"

bool notifyRemote(ScannerState& state, RemoteEndpoint* remote) {
    state.gRemoteOut += QLatin1Char('\r');
    if (!remote || !remote->isClientConnected() || state.gRemoteOut == state.gRemoteLast)
        return false;
    remote->sendToClient(state.gRemoteOut);
    state.gRemoteLast = state.gRemoteOut;
    state.gRemoteOut.clear();
    return true;
}
