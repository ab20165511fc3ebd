#include "StatusParser.h"

#include "DisplayModel.h"
#include "MonitorContext.h"
#include "Panel.h"
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
        return;
    }

    const bool withFrequency = reply.length() > kShortCallReply;
    if (const auto id = ReplyRules::scannedTalkgroup(reply)) {
        s.gTalkgroupId = *id;
        setText(withFrequency ? "tbChan" : "tbfreq", id->trimmed());
    }
    if (withFrequency) {
        if (const auto freq = ReplyRules::callFrequency(reply, reply.length()))
            setText(Field::tbfreq, *freq);
    }
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
    if (m_ctx.aux.windowVisible())
        lookupTalkgroup();
    sendEach({Commands::Modulation, Commands::TrunkBank, Commands::DelayState});
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
        send(Commands::IdScan);
        return;
    }

    send(Commands::IdChannel);
    clearModulation();
    if (trackIdBank(reply))
        redrawIdPanel(&Panel::showIdScanPanel);
    showTalkgroup(ReplyRules::positionTalkgroup(reply));
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
        writeTrunkLog(auxTags());
        return;
    }

    clearModulation();
    if (trackIdBank(reply))
        redrawIdPanel(&Panel::showIdHoldPanel);
    showTalkgroup(ReplyRules::positionTalkgroup(reply));
    if (m_ctx.aux.windowVisible())
        lookupTalkgroup();
    sendEach({Commands::Modulation, Commands::TrunkBank, Commands::IdScan});
}
