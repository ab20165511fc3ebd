#pragma once

#include "monitor/MonitorHooks.h"
#include "state/ScannerState.h"

#include <QHash>
#include <QStringList>

/// Records every lookup with the state it was asked about; answers the names it was given.
class RecordingLookups final : public Lookups {
public:
    explicit RecordingLookups(const ScannerState& state)
        : m_state(state) {}
    QString lookupChannel() override {
        calls.append(QStringLiteral("channel ") + m_state.gFreqText);
        return channelNames.value(m_state.gFreqText);
    }
    QString lookupTalkgroup() override {
        calls.append(QStringLiteral("talkgroup ") + m_state.gTalkgroupId);
        return talkgroupNames.value(m_state.gTalkgroupId.trimmed());
    }
    QStringList calls;
    /// Names by frequency text ("154.2500") and by talkgroup.
    QHash<QString, QString> channelNames;
    QHash<QString, QString> talkgroupNames;

private:
    const ScannerState& m_state;
};

/// Records every log call as one comma-separated line: kind first, then the arguments.
class RecordingLog final : public ActivityLog {
public:
    void writeSearchLog(int start, int now, const QString& freq, const QString& mode, const QString& kind) override {
        lines.append(
            QStringList{QStringLiteral("search"), QString::number(start), QString::number(now), freq, mode, kind}.join(
                QLatin1Char(',')));
    }
    void writeScanLog(const QString& chan, const QString& freq, const QString&, const QString& mode,
                      const QString& tag1, const QString& tag2) override {
        lines.append(QStringList{QStringLiteral("scan"), chan, freq, mode, tag1, tag2}.join(QLatin1Char(',')));
    }
    void writeTrunkLog(const QString& id, const QString& trunkType, const QString& mode, const QString& tag1,
                       const QString& tag2) override {
        lines.append(QStringList{QStringLiteral("trunk"), id, trunkType, mode, tag1, tag2}.join(QLatin1Char(',')));
    }
    QStringList lines;
};

/// A remote client that takes every text; "connected" says whether one is there.
class RecordingRemote final : public RemoteEndpoint {
public:
    bool isClientConnected() const override { return connected; }
    void sendToClient(const QString& text) override { sent.append(text); }
    bool connected = true;
    QStringList sent;
};
