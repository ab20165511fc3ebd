#include "StatusParser.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "Panel.h"
#include "ReadingRules.h"
#include "protocol/ChannelToBank.h"
#include "protocol/Commands.h"
#include "protocol/ReplyRules.h"
#include "protocol/ReplyText.h"
#include "state/ScannerState.h"

namespace {
// The scanner writes channel 1000 as "000".
QString channelFromReply(const ReplyText& reply) {
    const QString digits = reply.mid(2, 3);
    return digits == QLatin1String("000") ? QStringLiteral("1000") : digits;
}

// "005" shows as "5"; text that is not a number shows as it is.
QString withoutLeadingZeros(const QString& digits) {
    const auto value = ReplyRules::wholeNumber(digits);
    if (!value)
        return digits;
    return *value == 0 ? QString() : QString::number(*value);
}
} // namespace

void StatusParser::parseScan(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;

    if (reply.startsWith("-")) {
        // The squelch closed: the stop on this channel is over.
        m_reading.squelchOpen = false;
        if (!s.gSignalActive)
            return;
        s.gSignalActive = false;
        const Tags tags = auxTags();
        if (m_ctx.log) {
            m_ctx.log->writeScanLog(text(Field::tbChan), text(Field::tbfreq),
                                    m_ctx.clock.timeOfDay().toString(QStringLiteral("HH:mm:ss")),
                                    text(Field::tbModMode), tags.first, tags.second);
        }
        m_panel.notifyRemote();
        const QString chan = text(Field::tbChan);
        if (!chan.isEmpty()) {
            if (const auto channel = ReplyRules::wholeNumber(chan))
                m_panel.showBankInactive(channelToBank(*channel));
        }
        m_panel.clearPanel();
        m_panel.showScanPanel();
        clearReading();
        return;
    }

    if (reply.startsWith("+")) {
        m_reading.squelchOpen = true;
        // One channel query per transmission.
        if (!s.gSignalActive)
            send(Commands::CurrentChannel);
        return;
    }

    if (reply.startsWith("S")) {
        if (reply.startsWith("SB"))
            m_panel.showBankList(reply.from(4));
        return;
    }

    if (!reply.startsWith("C"))
        return;

    s.gChannelText = channelFromReply(reply);
    setText(Field::tbChan, s.gChannelText);

    if (const auto channel = ReplyRules::wholeNumber(text(Field::tbChan)))
        m_panel.showBankActive(channelToBank(*channel));

    s.gFreqText = ReplyRules::channelFrequency(reply, true);
    setText(Field::tbfreq, s.gFreqText);
    notify(s.gFreqText);

    setText(Field::tbDELAY, flagText(reply.at(20), QStringLiteral("DELAY")));
    showLockoutAndPriority(reply);

    readChannel(s.gChannelText, s.gFreqText);
    m_reading.squelchOpen = true;
    if (m_ctx.aux.windowVisible())
        lookupChannel();

    s.gSignalActive = true;
    sendEach({Commands::Modulation, Commands::ScanBanks});
}

void StatusParser::parseManual(const ReplyText& reply) {
    // The display shows no squelch in manual mode; the reading follows it all the same.
    if (reply.startsWith("+") || reply.startsWith("-"))
        m_reading.squelchOpen = reply.startsWith("+");
    if (!reply.startsWith("C"))
        return;
    ScannerState& s = m_ctx.state;
    const bool typing = !s.gKeyEntry.isEmpty();

    // Digits being typed stay on the main line; the channel fields keep what they showed.
    if (typing) {
        setText(Field::tbfreq, s.gKeyEntry);
    } else {
        s.gChannelText = channelFromReply(reply);
        setText(Field::tbChan, withoutLeadingZeros(s.gChannelText));
    }

    s.gFreqText = ReplyRules::channelFrequency(reply);
    if (!typing)
        setText(Field::tbfreq, s.gFreqText);
    notify(s.gFreqText);

    if (const auto channel = ReplyRules::wholeNumber(s.gChannelText)) {
        s.gChannelNum = qint16(*channel);
        m_panel.resetBankDigits();
        const int bank = channelToBank(s.gChannelNum);
        m_ctx.display.setText(Field::tbBANKNUM, bank, QString::number(bank));
    }

    setText(Field::tbDELAY, flagText(reply.at(20), QStringLiteral("DELAY")));
    showLockoutAndPriority(reply);

    // Digits being typed are the keypad's, not the scanner's: the reading takes the reply's channel.
    readChannel(channelFromReply(reply), s.gFreqText);
    if (m_ctx.aux.windowVisible())
        lookupChannel();
}

void StatusParser::readChannel(const QString& channelDigits, const QString& mhz) {
    ReadingRules::showChannel(m_reading, ReplyRules::wholeNumber(channelDigits).value_or(0),
                              Reading::hzFromMhzText(mhz));
}
