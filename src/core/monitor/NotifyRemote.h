#pragma once

struct ScannerState;
class RemoteEndpoint;

/**
 * NotifyRemote: appends CR to gRemoteOut; when a client is connected and the text differs from
 * gRemoteLast, sends it, makes it gRemoteLast and empties gRemoteOut. Otherwise gRemoteOut keeps
 * its text (with the CR) and nothing is sent. Returns true when something was sent.
 */
bool notifyRemote(ScannerState& state, RemoteEndpoint* remote);
