#pragma once

#include "ReplyParser.h"

#include <QString>

#include <initializer_list>
#include <utility>

struct MonitorContext;
class Panel;
class ReplyText;

/**
 * ParseStatusReply: reads one PRO-2052 reply line (gReply) according to gMode, updates the
 * state and the display, sends follow-up queries, and calls the lookups, the log writers and
 * NotifyRemote. Each step stands alone: a short or malformed line skips only that step.
 *
 * Beside the display it keeps reading(): the same reply's facts, typed, taken from the reply itself.
 */
class StatusParser final : public ReplyParser {
public:
    StatusParser(MonitorContext& context, Panel& panel);

    void parseStatusReply();
    void parseReply() override { parseStatusReply(); }

    /// What the replies read so far say the scanner shows.
    const Reading& reading() const override { return m_reading; }
    /// Starts a fresh reading when gMode names another mode the scanner reports.
    void followMode();
    /// The display was laid out afresh for gMode: the reading starts over from the mode alone.
    void restartReading() override;

private:
    using Tags = std::pair<QString, QString>;

    // One method per mode group; each reads the reply the way that mode's replies are laid out.
    void parseScan(const ReplyText& reply);
    void parseManual(const ReplyText& reply);
    void parseSearch(const ReplyText& reply);
    void parseTrunk(const ReplyText& reply);
    void parseTrunkHold(const ReplyText& reply);
    void parseIdScan(const ReplyText& reply);
    void parseIdHold(const ReplyText& reply);
    void parseFinal(const ReplyText& reply);

    QString text(const QString& field) const;
    void setText(const QString& field, const QString& text);
    void send(const QString& command);
    void sendEach(std::initializer_list<QString> commands);
    /// Sets gRemoteOut and forwards it to the remote client.
    void notify(const QString& text);
    /// The lookups, with the name they found going into the reading.
    void lookupChannel();
    void lookupTalkgroup();
    /// A channel reply's channel ("1000" for "000"), its bank and its frequency.
    void readChannel(const QString& channelDigits, const QString& mhz);
    /// An "IC" reply's ID bank and ID channel.
    void readIdChannel(const ReplyText& reply);
    /// The reading after a transmission ended: the mode alone.
    void clearReading();
    /// A call's talkgroup and, when the reply carries one, its frequency; the squelch is open.
    void readCall(const QString& talkgroup, qint64 frequencyHz);
    /// The alpha tags for a log line: the aux display's fields 3 and 4 while it is open.
    Tags auxTags() const;
    void writeTrunkLog(const Tags& tags);
    void showModulation(const QString& line);
    void clearModulation();
    void showLockoutAndPriority(const ReplyText& reply);
    /// "DLN"/"DLF" (when delayText is given) and "DSN"/"DSF" replies.
    void showSwitchReply(const ReplyText& reply, const QString& delayText);
    /// Follows the ID-bank letter of a talkgroup reply; true when it changed.
    bool trackIdBank(const ReplyText& reply);
    /// Puts a talkgroup ID into gTalkgroupId and on the main line unless digits are being typed.
    void showTalkgroup(const QString& shown);
    void showIdTrunkType(const ReplyText& reply);
    /// The ID bank of an "IC" reply becomes gIdBank and is shown as the one being received.
    void showIdBankActive(const ReplyText& reply);
    /// "IS" and "TB" replies of the ID modes; true when the reply was one of them.
    bool showIdLists(const ReplyText& reply);
    /// A new ID bank: the display is blanked and the mode's picture drawn again.
    void redrawIdPanel(void (Panel::*showPanel)());
    /// A channel flag: "N" shows onText, "F" nothing, anything else "ERR".
    static QString flagText(const QString& flag, const QString& onText);

    MonitorContext& m_ctx;
    Panel& m_panel;
    Reading m_reading;
};
