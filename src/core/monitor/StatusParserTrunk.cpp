#include "StatusParser.h"

#include "DisplayModel.h"
#include "MonitorContext.h"
#include "Panel.h"
#include "ReadingRules.h"
#include "protocol/Commands.h"
#include "protocol/ReplyRules.h"
#include "protocol/ReplyText.h"
#include "state/ScannerState.h"

namespace {
// Talkgroup replies longer than this carry the call's frequency after the ID.
constexpr int kShortCallReply = 13;

bool isCallEnd(const ReplyText& reply) {
    return reply.is(4, 'E');
}

// The talkgroup of a position-form reply (position 6 onward, at most two leading zeros dropped): its
// first word, for the call's frequency may follow it.
QString positionTalkgroupId(const ReplyText& reply) {
    const int from = reply.is(6, '0') ? (reply.is(7, '0') ? 8 : 7) : 6;
    return ReadingRules::firstWord(reply, from);
}

// The call's frequency in Hz when the reply carries one (positions 13-20), else 0.
qint64 callHz(const ReplyText& reply) {
    return reply.length() > kShortCallReply ? ReadingRules::hzFromDigits(reply, 13) : 0;
}
} // namespace

void StatusParser::parseTrunk(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;

    if (reply.startsWith("D")) {
        showSwitchReply(reply, QStringLiteral("DELAY"));
        return;
    }
    if (reply.startsWith("TB")) {
        setText(Field::tbTRUNKTYPE, reply.from(6));
        return;
    }
    if (reply.startsWith("IS")) {
        m_panel.showBankList(reply.from(4));
        return;
    }
    if (!reply.startsWith("ID"))
        return;

    if (isCallEnd(reply)) {
        writeTrunkLog(auxTags());
        m_panel.clearPanel();
        m_panel.showTrunkPanel();
        clearReading();
        return;
    }

    const bool withFrequency = reply.length() > kShortCallReply;
    if (const auto id = ReplyRules::scannedTalkgroup(reply)) {
        s.gTalkgroupId = ReadingRules::talkgroupId(*id);
        setText(withFrequency ? "tbChan" : "tbfreq", id->trimmed());
    }
    if (withFrequency) {
        if (const auto freq = ReplyRules::callFrequency(reply, reply.length()))
            setText(Field::tbfreq, *freq);
    }
    readCall(ReplyRules::scannedTalkgroup(reply).value_or(m_reading.talkgroup), callHz(reply));
    if (m_ctx.aux.windowVisible())
        lookupTalkgroup();
    clearModulation();
    sendEach({Commands::Modulation, Commands::TrunkBank, Commands::DelayState});
}

void StatusParser::parseTrunkHold(const ReplyText& reply) {
    if (reply.startsWith("D")) {
        showSwitchReply(reply, QStringLiteral("DELAY"));
        return;
    }
    if (reply.startsWith("TB")) {
        setText(Field::tbTRUNKTYPE, reply.from(6));
        return;
    }
    if (!reply.startsWith("ID"))
        return;

    if (isCallEnd(reply)) {
        // The held talkgroup stays on show; its call is over.
        m_reading.squelchOpen = false;
        writeTrunkLog(auxTags());
        return;
    }
    // While held the scanner names the talkgroup only in its "S" replies.
    if (!reply.is(4, 'S'))
        return;
    clearModulation();
    if (trackIdBank(reply)) {
        m_panel.clearPanel();
        m_panel.showIdHoldPanel();
    }
    showTalkgroup(ReplyRules::positionTalkgroup(reply));
    readCall(positionTalkgroupId(reply), callHz(reply));
    if (m_ctx.aux.windowVisible())
        lookupTalkgroup();
    sendEach({Commands::Modulation, Commands::TrunkBank, Commands::DelayState});
}

void StatusParser::readIdChannel(const ReplyText& reply) {
    // The ID channel within its ID bank; the tenth comes as a lone "0".
    const int channel = ReplyRules::wholeNumber(reply.mid(5, 2)).value_or(0);
    m_reading.channel = channel == 0 && reply.mid(5, 2).trimmed() == QLatin1String("0") ? 10 : channel;
    m_reading.bank = qMax(0, int(m_ctx.state.gIdBank));
}

void StatusParser::showIdBankActive(const ReplyText& reply) {
    if (reply.code(4) >= 0)
        m_ctx.state.gIdBank = qint16(Commands::bankNumber(reply.code(4)));
    m_panel.showBankActive(m_ctx.state.gIdBank);
}

bool StatusParser::showIdLists(const ReplyText& reply) {
    if (reply.startsWith("IS")) {
        m_panel.showBankList(reply.from(4));
        return true;
    }
    if (reply.startsWith("TB")) {
        showIdTrunkType(reply);
        return true;
    }
    return false;
}

void StatusParser::redrawIdPanel(void (Panel::*showPanel)()) {
    m_panel.clearPanel();
    m_panel.clearBankDigits();
    m_panel.clearBankMarkers();
    (m_panel.*showPanel)();
}

void StatusParser::parseIdScan(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;

    if (reply.startsWith("D")) {
        showSwitchReply(reply, QStringLiteral("DELAY"));
        return;
    }
    if (reply.startsWith("IC")) {
        showIdBankActive(reply);
        setText(Field::tbChan, reply.mid(5, 2));
        readIdChannel(reply);
        return;
    }
    if (showIdLists(reply))
        return;
    if (!reply.startsWith("ID"))
        return;

    if (isCallEnd(reply)) {
        writeTrunkLog(auxTags());
        m_panel.clearPanel();
        m_panel.clearBankDigits();
        m_panel.clearBankMarkers();
        if (s.gIdBank > 0)
            m_panel.showBankInactive(s.gIdBank);
        m_panel.showIdScanPanel();
        clearReading();
        send(Commands::IdScan);
        return;
    }

    send(Commands::IdChannel);
    clearModulation();
    if (trackIdBank(reply))
        redrawIdPanel(&Panel::showIdScanPanel);
    showTalkgroup(ReplyRules::positionTalkgroup(reply));
    readCall(positionTalkgroupId(reply), callHz(reply));
    if (m_ctx.aux.windowVisible())
        lookupTalkgroup();
    sendEach({Commands::Modulation, Commands::TrunkBank, Commands::DelayState, Commands::IdScan});
}

void StatusParser::parseIdHold(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;

    if (reply.startsWith("D")) {
        showSwitchReply(reply, QString());
        return;
    }
    if (reply.startsWith("IC")) {
        showIdBankActive(reply);
        // The tenth channel of an ID bank comes as a lone "0".
        const QString chan = reply.mid(5, 2);
        setText(Field::tbChan, chan == QLatin1String("0") ? QStringLiteral("10") : chan);
        showTalkgroup(ReplyRules::idChannelTalkgroup(reply));
        readIdChannel(reply);
        // The held ID is the talkgroup on show now.
        const QString id = ReplyRules::idChannelTalkgroup(reply).trimmed();
        if (id != m_reading.talkgroup) {
            m_reading.talkgroup = id;
            m_reading.talkgroupName.clear();
            m_reading.frequencyHz = 0;
        }
        send(Commands::IdScan);
        return;
    }
    if (showIdLists(reply))
        return;
    if (!reply.startsWith("ID"))
        return;

    if (isCallEnd(reply)) {
        if (s.gIdBank > 0)
            m_panel.showBankInactive(s.gIdBank);
        m_reading.squelchOpen = false;
        writeTrunkLog(auxTags());
        return;
    }

    clearModulation();
    if (trackIdBank(reply))
        redrawIdPanel(&Panel::showIdHoldPanel);
    showTalkgroup(ReplyRules::positionTalkgroup(reply));
    readCall(positionTalkgroupId(reply), callHz(reply));
    if (m_ctx.aux.windowVisible())
        lookupTalkgroup();
    sendEach({Commands::Modulation, Commands::TrunkBank, Commands::IdScan});
}
