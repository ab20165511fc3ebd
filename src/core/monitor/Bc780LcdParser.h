#pragma once

#include "ReplyParser.h"

#include <QString>

#include <initializer_list>

struct MonitorContext;
class Panel;
class ReplyText;

/**
 * The BC780XLT's display exchange. queryLcdFields() asks for every segment and text field of
 * the scanner's LCD; parseLcdReply() reads one reply line (gReply): first the display replies,
 * whatever the mode, then the status replies the BC780XLT shares with the PRO-2052, by gMode.
 * It writes only to the display model and the state, sends follow-up queries, and calls the
 * lookups and the log writers. Each step stands alone: a short or malformed line skips that step.
 * Beside the display it keeps reading(): the same replies' facts, typed, taken from the replies.
 */
class Bc780LcdParser final : public ReplyParser {
public:
    Bc780LcdParser(MonitorContext& context, Panel& panel);

    /// QueryLcdFields: the 23 display queries, written at once (the port queues them, nothing waits).
    void queryLcdFields();
    /// ParseLcdReply.
    void parseLcdReply();
    void parseReply() override { parseLcdReply(); }

    /// The caption of btnLIGHT for a light state (0 off, 1 dimmed, 2 on).
    static QString lightCaption(int state);

    /// What the replies read so far say the scanner shows.
    const Reading& reading() const override { return m_reading; }
    /// Starts a fresh reading when gMode names another mode the scanner reports.
    void followMode();
    /// The display was laid out afresh for gMode: the reading starts over from the mode alone.
    void restartReading() override;

private:
    /// What a call's end is logged with: the display as it was before the line cleared it.
    struct CallEnd {
        QString freq;
        QString line3;
        QString line4;
    };

    void parseDisplayReply(const ReplyText& reply);
    void parseScan(const ReplyText& reply);
    void parseManual(const ReplyText& reply);
    void parseSearch(const ReplyText& reply, bool held);
    void parseTrunk(const ReplyText& reply, const CallEnd& end);
    void parseTrunkHold(const ReplyText& reply, const CallEnd& end);
    void parseIdScan(const ReplyText& reply, const CallEnd& end, bool held);

    void channelReply(const ReplyText& reply);
    void searchHitReply(const ReplyText& reply);
    void talkgroupRule(const ReplyText& reply);
    void frequencyRule(const ReplyText& reply);
    /// "DLN"/"DLF" (when withDelay) and "DSN"/"DSF"; true when the line was one of them.
    bool switchReply(const ReplyText& reply, bool withDelay);
    void idChannelReply(const ReplyText& reply);
    void writeTrunkLog(const CallEnd& end, bool withTags);
    void writeSearchLog();
    void lookupChannel();
    void lookupTalkgroup();
    /// The tone the LCD's tone field shows ("CTC [127.3]", "CTC [D023]"), in the conventional modes.
    void readTone(const QString& text);
    /// A call's talkgroup and frequency, from the same positions the display rules read.
    void readCall(const ReplyText& reply);

    /// A segment lit (black) or dark (the unlit LCD colour).
    void light(const QString& field, bool lit);
    void setText(const QString& field, const QString& text);
    void setLine(int line, const QString& text);
    void send(const QString& command);
    void sendEach(std::initializer_list<QString> commands);

    MonitorContext& m_ctx;
    Panel& m_panel;
    Reading m_reading;
};
