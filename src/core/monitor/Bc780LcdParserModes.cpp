// The status replies the BC780XLT shares with the PRO-2052, read the way each mode lays them out.
#include "Bc780LcdParser.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "Panel.h"
#include "ReadingRules.h"
#include "TextNumbers.h"
#include "protocol/ChannelToBank.h"
#include "protocol/Commands.h"
#include "protocol/ReplyRules.h"
#include "protocol/ReplyText.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

namespace {
// A search-hit reply this short carries no frequency.
constexpr int kShortestSearchHit = 11;
// A talkgroup reply longer than this carries the call's frequency, at positions 13 to 20.
constexpr int kShortCallReply = 13;
constexpr int kCallFrequencyEnd = 20;
// The poll passes at which trunk tracking asks for the bank markers.
constexpr int kTrunkMarkerPasses[] = {27, 77};
const QString kNoTones = QStringLiteral("----- -");

bool isCallEnd(const ReplyText& reply) {
    return reply.is(4, 'E');
}

// A channel reply carries the channel's three digits after the "C"; the display replies that also
// begin with "C" (CHAN, CHN, CTC, CTCSS) are no channel.
bool isChannelReply(const ReplyText& reply) {
    return reply.startsWith("C") && TextNumbers::isAllDigits(reply.mid(2, 3)) && reply.mid(2, 3).size() == 3;
}

// A reply to the bank-marker query itself asks for nothing more, or the queries would feed themselves.
bool isMarkerReply(const ReplyText& reply) {
    return reply.startsWith("BAR");
}

// Display lines 1 and 2 answer the LINE queries; asking again for them would never end.
bool isTagReply(const ReplyText& reply) {
    return reply.startsWith("LINE1") || reply.startsWith("LINE2");
}
} // namespace

void Bc780LcdParser::parseScan(const ReplyText& reply) {
    if (reply.startsWith("-")) {
        m_panel.clearPanel();
        setLine(4, QStringLiteral("> SCANNING"));
        ReadingRules::clear(m_reading);
        queryLcdFields();
    } else if (reply.startsWith("+")) {
        m_panel.clearPanel();
        // The channel reply that follows names the stop; a repeated "+" is the same one.
        m_reading.squelchOpen = true;
        queryLcdFields();
    } else if (isChannelReply(reply)) {
        channelReply(reply);
        m_reading.squelchOpen = true;
        lookupChannel();
        sendEach({Commands::LcdLine1, Commands::LcdLine2});
        m_ctx.state.gSignalActive = true;
        sendEach({Commands::Modulation, Commands::ScanBanks});
    } else if (reply.startsWith("SB")) {
        m_panel.showBankList(reply.from(4));
    }
}

void Bc780LcdParser::parseManual(const ReplyText& reply) {
    const ScannerState& s = m_ctx.state;
    if (m_ctx.switches.useScannerTags() && !isTagReply(reply))
        sendEach({Commands::LcdLine1, Commands::LcdLine2});
    if (!s.gKeyEntry.isEmpty())
        setLine(3, s.gKeyEntry);
    if (reply.startsWith("-")) {
        setLine(4, QStringLiteral("> SCANNING"));
        m_panel.clearPanel();
        // The manual channel stays the scanner's; the display refresh shows it again.
        m_reading.squelchOpen = false;
        queryLcdFields();
    } else if (reply.startsWith("+")) {
        m_reading.squelchOpen = true;
        send(Commands::CurrentChannel);
        queryLcdFields();
    } else if (isChannelReply(reply)) {
        channelReply(reply);
        lookupChannel();
        sendEach({Commands::LcdLine1, Commands::LcdLine2, Commands::Modulation, Commands::ScanBanks});
    }
}

void Bc780LcdParser::parseSearch(const ReplyText& reply, bool held) {
    ScannerState& s = m_ctx.state;
    if (!held && !s.gKeyEntry.isEmpty())
        setLine(3, s.gKeyEntry);
    if (reply.startsWith("+")) {
        s.gSearchHoldStart = m_ctx.clock.secondsSinceMidnight();
        m_reading.squelchOpen = true;
        if (held) {
            sendEach({Commands::Modulation, Commands::SearchFrequency});
            return;
        }
        if (m_ctx.display.isVisible(Field::Text3))
            setText(Field::Text3, QString::number(s.gSearchHoldStart));
        sendEach({Commands::Modulation, Commands::LcdSignalBars});
    } else if (reply.startsWith("-")) {
        writeSearchLog();
        s.gSearchHoldStart = 0;
        m_reading.squelchOpen = false;
        if (!held) {
            m_panel.clearPanel();
            ReadingRules::clear(m_reading);
        }
    } else if (switchReply(reply, false)) {
        return;
    } else if (held ? reply.startsWith("R") : reply.startsWith("RM")) {
        send(Commands::SearchFrequency);
    } else if (reply.startsWith("W")) {
        searchHitReply(reply);
        send(Commands::SearchFrequency);
    }
}

void Bc780LcdParser::parseTrunk(const ReplyText& reply, const CallEnd& end) {
    const ScannerState& s = m_ctx.state;
    for (const int pass : kTrunkMarkerPasses) {
        if (s.gPollCount == pass && !isMarkerReply(reply))
            send(Commands::LcdBankMarkers);
    }
    if (switchReply(reply, true))
        return;
    if (reply.startsWith("IS")) {
        m_panel.showBankList(reply.from(4));
    } else if (reply.startsWith("ID") && isCallEnd(reply)) {
        setText(Field::tbTONES, kNoTones);
        light(Field::tbTONES, false);
        writeTrunkLog(end, true);
        setLine(4, QStringLiteral("> SCANNING"));
        sendEach({Commands::LcdSignalBars, Commands::LcdBankMarkers});
        setText(Field::tbChan, QString());
        setText(Field::tbfreq, QString());
        ReadingRules::clear(m_reading);
    } else if (reply.startsWith("ID")) {
        setLine(4, QString());
        sendEach({Commands::LcdSignalBars, Commands::LcdBankMarkers});
        talkgroupRule(reply);
        frequencyRule(reply);
        readCall(reply);
        lookupTalkgroup();
        sendEach(
            {Commands::LcdLine1, Commands::LcdLine2, Commands::Modulation, Commands::TrunkBank, Commands::DelayState});
    } else if (reply.startsWith("TB")) {
        setText(Field::tbTRUNKTYPE, reply.from(6));
        light(Field::tbTRUNKTYPE, true);
    }
}

void Bc780LcdParser::parseTrunkHold(const ReplyText& reply, const CallEnd& end) {
    ScannerState& s = m_ctx.state;
    if (!isMarkerReply(reply))
        send(Commands::LcdBankMarkers);
    if (switchReply(reply, true))
        return;
    if (reply.startsWith("ID") && reply.is(4, 'S')) {
        const QString shown = ReplyRules::positionTalkgroup(reply);
        s.gTalkgroupId = ReadingRules::talkgroupId(shown);
        setText(Field::tbfreq, shown);
        // The main line shows the talkgroup; a frequency after it is the call's.
        const auto freq =
            reply.length() > kShortCallReply ? ReplyRules::callFrequency(reply, kCallFrequencyEnd) : std::nullopt;
        ReadingRules::showCall(m_reading, s.gTalkgroupId, freq ? Reading::hzFromMhzText(*freq) : 0);
        lookupTalkgroup();
        sendEach({Commands::LcdLine1, Commands::LcdLine2, Commands::Modulation, Commands::TrunkBank});
    } else if (reply.startsWith("ID") && isCallEnd(reply)) {
        // The held talkgroup stays on show; its call is over.
        m_reading.squelchOpen = false;
        // The alpha tags go into the log only while the aux display is open.
        writeTrunkLog(end, m_ctx.aux.windowVisible());
    } else if (reply.startsWith("TB")) {
        setText(Field::tbTRUNKTYPE, reply.from(6));
        light(Field::tbTRUNKTYPE, true);
    }
}

void Bc780LcdParser::parseIdScan(const ReplyText& reply, const CallEnd& end, bool held) {
    if (!held && !isMarkerReply(reply))
        send(Commands::LcdBankMarkers);
    if (switchReply(reply, true))
        return;
    if (reply.startsWith("IC")) {
        idChannelReply(reply);
    } else if (!held && reply.startsWith("IS")) {
        m_panel.showBankList(reply.from(4));
    } else if (reply.startsWith("ID") && isCallEnd(reply)) {
        setText(Field::tbTONES, kNoTones);
        writeTrunkLog(end, true);
        if (held) {
            m_panel.clearPanel();
            setLine(3, QString());
        }
        setLine(4, QStringLiteral("> ID SCAN"));
        ReadingRules::clear(m_reading);
        send(Commands::LcdSignalBars);
        if (held)
            queryLcdFields();
    } else if (reply.startsWith("ID")) {
        setLine(4, QString());
        if (held) {
            m_panel.clearPanel();
            send(Commands::LcdSignalBars);
        }
        talkgroupRule(reply);
        frequencyRule(reply);
        readCall(reply);
        lookupTalkgroup();
        sendEach({Commands::LcdLine1, Commands::LcdLine2});
        if (!held)
            sendEach({Commands::Modulation, Commands::TrunkBank, Commands::DelayState});
    } else if (!held && reply.startsWith("TB")) {
        const int bank = Commands::bankNumber(reply.code(4));
        m_ctx.display.setText(Field::tbBANKNUM, bank, QString::number(bank));
        setText(Field::tbTRUNKTYPE, reply.from(6));
    }
}

void Bc780LcdParser::channelReply(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;
    DisplayModel& d = m_ctx.display;
    s.gChannelText = reply.mid(2, 3);
    s.gChannelNum = qint16(s.gChannelText.toInt());
    m_panel.resetBankDigits();
    setText(Field::tbChan, s.gChannelNum > 0 ? QString::number(s.gChannelNum) : QString());
    light(Field::tbChan, true);

    s.gFreqText = ReplyRules::channelFrequency(reply);
    setText(Field::tbfreq, s.gFreqText);
    light(Field::tbfreq, true);
    ReadingRules::showChannel(m_reading, s.gChannelNum, Reading::hzFromMhzText(s.gFreqText));
    s.gRemoteOut = s.gFreqText;
    m_panel.notifyRemote();

    // The box names the channel's bank; which boxes are lit is the bank list's to say ("SB", "IS").
    const int bank = channelToBank(s.gChannelNum);
    d.setText(Field::tbBANKNUM, bank, QString::number(bank));

    const std::pair<int, const QString*> flags[] = {{20, &Field::tbDELAY}, {23, &Field::tbLOCKOUT}, {26, nullptr}};
    static const QString tbLINE = QStringLiteral("tbLINE");
    for (const auto& [pos, field] : flags) {
        const QString& name = field ? *field : tbLINE;
        if (reply.is(pos, 'N'))
            light(name, true);
        else if (reply.is(pos, 'F'))
            light(name, false);
    }
}

void Bc780LcdParser::searchHitReply(const ReplyText& reply) {
    if (reply.length() <= kShortestSearchHit - 1)
        return;
    ScannerState& s = m_ctx.state;
    s.gFreqText = ReplyRules::shortFractionFrequency(reply);
    setText(Field::tbfreq, s.gFreqText);
    light(Field::tbfreq, true);
    m_reading.frequencyHz = Reading::hzFromMhzText(s.gFreqText);
    s.gRemoteOut = s.gFreqText;
    m_panel.notifyRemote();
}

void Bc780LcdParser::talkgroupRule(const ReplyText& reply) {
    if (const auto id = ReplyRules::scannedTalkgroup(reply)) {
        m_ctx.state.gTalkgroupId = ReadingRules::talkgroupId(*id);
        setText(Field::tbTONES, id->trimmed());
        light(Field::tbTONES, true);
    }
}

void Bc780LcdParser::readCall(const ReplyText& reply) {
    // The talkgroup and frequency rules leave what they cannot read as it was; so does the reading.
    const auto id = ReplyRules::scannedTalkgroup(reply);
    const auto freq = ReplyRules::callFrequency(reply, kCallFrequencyEnd);
    ReadingRules::showCall(m_reading, id.value_or(m_reading.talkgroup),
                           freq ? Reading::hzFromMhzText(*freq) : m_reading.frequencyHz);
}

void Bc780LcdParser::readTone(const QString& text) {
    if (Reading::isTrunkMode(m_reading.mode))
        return;
    // "127.3" is a CTCSS tone, "D023" a DCS code; the dashes of an empty field are none.
    if (text.size() == 4 && text.startsWith(QLatin1Char('D')) && TextNumbers::isAllDigits(text.mid(1)))
        m_reading.tone = QStringLiteral("DCS ") + text.mid(1);
    else if (Reading::hzFromMhzText(text) > 0)
        m_reading.tone = QStringLiteral("CTCSS ") + text;
    else
        m_reading.tone.clear();
}

void Bc780LcdParser::frequencyRule(const ReplyText& reply) {
    if (const auto freq = ReplyRules::callFrequency(reply, kCallFrequencyEnd)) {
        setText(Field::tbfreq, *freq);
        light(Field::tbfreq, true);
    }
}

bool Bc780LcdParser::switchReply(const ReplyText& reply, bool withDelay) {
    if (withDelay && (reply.startsWith("DLN") || reply.startsWith("DLF"))) {
        light(Field::tbDELAY, reply.is(3, 'N'));
        return true;
    }
    if (reply.startsWith("DSN") || reply.startsWith("DSF")) {
        light(Field::tbDATA, reply.is(3, 'N'));
        return true;
    }
    return false;
}

void Bc780LcdParser::idChannelReply(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;
    s.gIdBank = qint16(Commands::bankNumber(reply.code(4)));
    m_panel.showBankActive(s.gIdBank);
    setText(Field::tbChan, reply.from(5));
    // The ID channel within its ID bank; the tenth comes as a lone "0".
    const QString chan = reply.mid(5, 2).trimmed();
    const int channel = ReplyRules::wholeNumber(chan).value_or(0);
    m_reading.channel = chan == QLatin1String("0") ? 10 : channel;
    m_reading.bank = qMax(0, int(s.gIdBank));
}

void Bc780LcdParser::writeTrunkLog(const CallEnd& end, bool withTags) {
    if (!m_ctx.log)
        return;
    const DisplayModel& d = m_ctx.display;
    m_ctx.log->writeTrunkLog(end.freq.trimmed(), d.text(Field::tbTRUNKTYPE), d.text(Field::tbModMode),
                             withTags ? end.line3 : QString(), withTags ? end.line4 : QString());
}

void Bc780LcdParser::writeSearchLog() {
    const ScannerState& s = m_ctx.state;
    if (m_ctx.log && m_ctx.switches.searchLogging()) {
        m_ctx.log->writeSearchLog(s.gSearchHoldStart, m_ctx.clock.secondsSinceMidnight(),
                                  m_ctx.display.text(Field::tbfreq), m_ctx.display.text(Field::tbModMode),
                                  QStringLiteral("NORMAL"));
    }
}

void Bc780LcdParser::lookupChannel() {
    if (m_ctx.lookups && !m_ctx.switches.useScannerTags())
        m_reading.channelName = m_ctx.lookups->lookupChannel();
}

void Bc780LcdParser::lookupTalkgroup() {
    if (m_ctx.lookups && !m_ctx.switches.useScannerTags())
        m_reading.talkgroupName = m_ctx.lookups->lookupTalkgroup();
}
