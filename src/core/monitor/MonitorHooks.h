#pragma once

#include <QString>

/// Names channels and talkgroups from the local database (the parser calls these).
class Lookups {
public:
    virtual ~Lookups() = default;
    /// LookupChannel: reads gFreqText and gChannelText. Returns the channel's name as the database
    /// has it, empty when it has none.
    virtual QString lookupChannel() = 0;
    /// LookupTalkgroup: reads gTalkgroupId. Returns the talkgroup's name, empty when it has none.
    virtual QString lookupTalkgroup() = 0;
};

/// The three activity logs. Each writer checks its own switch.
class ActivityLog {
public:
    virtual ~ActivityLog() = default;
    /// start and now are whole seconds since midnight.
    virtual void writeSearchLog(int start, int now, const QString& freq, const QString& mode, const QString& kind) = 0;
    virtual void writeScanLog(const QString& chan, const QString& freq, const QString& heard, const QString& mode,
                              const QString& tag1, const QString& tag2) = 0;
    virtual void writeTrunkLog(const QString& id, const QString& trunkType, const QString& mode, const QString& tag1,
                               const QString& tag2) = 0;
};

/// The remote client's end of NotifyRemote.
class RemoteEndpoint {
public:
    virtual ~RemoteEndpoint() = default;
    /// True while a client is connected.
    virtual bool isClientConnected() const = 0;
    /// Sends the text (already ending in CR) to the client.
    virtual void sendToClient(const QString& text) = 0;
};
