#pragma once

#include "monitor/MonitorHooks.h"

#include <QString>

struct MonitorContext;
class QSqlRecord;

/**
 * LookupChannel and LookupTalkgroup: names the channel or talkgroup being heard from the local
 * database (ScannerState::gDb). On the PRO-2052 the names go to the auxiliary display (only while
 * its window is on screen) and the channel names to the remote client as "AUX1" to "AUX4"; on the
 * BC780XLT they go to the faceplate's display lines 3 and 4 and tbTONES, in black.
 *
 * A talkgroup not yet in TALKGROUPS is added as it is heard. A database that cannot be used, or a
 * statement that fails, ends the routine quietly: the database has already told the operator.
 *
 * Each lookup also answers the name it found, for the monitor's reading: a channel's company name and
 * alpha tag, a talkgroup's city, service and tag, joined by " / " (the placeholders a talkgroup
 * added as it is heard carries are no name).
 */
class NameLookup final : public Lookups {
public:
    explicit NameLookup(MonitorContext& context);

    QString lookupChannel() override;
    QString lookupTalkgroup() override;

private:
    void setAux(int field, const QString& text);
    /// Shows text in aux field and sends it to the remote client.
    void showAux(int field, const QString& text);
    /// Sends "AUX" + field + text to the remote client.
    void sendAuxLine(int field, const QString& text);
    void setFaceplateLine(const QString& name, const QString& text);
    QString lookupTalkgroupPro();
    QString lookupTalkgroupBc();

    MonitorContext& m_ctx;
    /// The names the last lookups found, for a lookup the repeat guard cuts short.
    QString m_channelName;
    QString m_talkgroupName;
};
