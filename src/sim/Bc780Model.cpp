#include "Bc780Model.h"

#include "SimFrequency.h"

#include <QRegularExpression>

namespace {

const QString kOk = QStringLiteral("OK");
const QString kNg = QStringLiteral("NG");

QString state(bool lit) {
    return lit ? QStringLiteral("+") : QStringLiteral("-");
}

// The tones of the built-in memory: a CTCSS tone on the city police, a DCS code on marine 16.
QString toneOf(int channel) {
    if (channel == 5)
        return QStringLiteral("127.3");
    if (channel == 14)
        return QStringLiteral("D023");
    return QString();
}

} // namespace

QStringList Bc780Model::answer(const QString& command) {
    if (command.startsWith(QLatin1String("LCD "))) {
        const QString reply = lcdReply(command.mid(4));
        return {reply.isEmpty() ? kNg : reply};
    }
    if (command == QLatin1String("LTN") || command == QLatin1String("LTF") || command == QLatin1String("LTD")) {
        m_light = command.at(2);
        return {command};
    }
    // Only 500 channels: "MA501" and up (and "MA000", the PRO-2052's channel 1000) name none.
    static const QRegularExpression goTo(QStringLiteral("^(MA|PM)(\\d{3})"));
    if (const QRegularExpressionMatch match = goTo.match(command); match.hasMatch()) {
        const int number = match.captured(2).toInt();
        if (number == 0 || number > kChannels)
            return {kNg};
    }
    QStringList lines = m_core.answer(command);
    // What changes the scanner is acknowledged; the PRO-2052 answers nothing to it.
    if (lines.isEmpty())
        return {kOk};
    for (QString& line : lines)
        line = channelLine(line);
    return lines;
}

QString Bc780Model::channelLine(const QString& proLine) const {
    static const QRegularExpression channelReply(QStringLiteral("^C(\\d{3}) F\\d{8} T[NF] D[NF] L[NF] PRI ([NF])$"));
    const QRegularExpressionMatch match = channelReply.match(proLine);
    if (!match.hasMatch())
        return proLine;
    // C005 F04601250 TF DF LF AN PF: the alpha-tag (LINE) flag at 26, priority at 29.
    const int number = match.captured(1).toInt();
    const bool tagged = number >= 1 && number <= kChannels && !m_core.channel(number).name.isEmpty();
    return proLine.left(23) + QStringLiteral(" A") + (tagged ? QLatin1Char('N') : QLatin1Char('F')) +
           QStringLiteral(" P") + match.captured(2);
}

bool Bc780Model::configure(const QStringList& words, QString* error) {
    // The talkgroup names become the display's alpha tags during a call.
    if (words.value(0) == QLatin1String("talkgroup") && words.size() >= 5)
        m_talkgroupNames.insert(words[3].toInt(), words.mid(4).join(QLatin1Char(' ')));
    return m_core.configure(words, error);
}

bool Bc780Model::beginActivity(const ActivityEvent& event, QStringList& lines) {
    if (event.kind == ActivityEvent::Kind::Stop && event.channel > kChannels)
        return false;
    if (!m_core.beginActivity(event, lines))
        return false;
    // A stop while scanning is told with the channel's memory line after the squelch, as a manual
    // channel is: the faceplate takes its modulation, bank and name lookups from it.
    if (event.kind == ActivityEvent::Kind::Stop && m_core.mode() == 0)
        lines << channelLine(
            Pro2052Model::channelReply(m_core.currentChannel(), m_core.channel(m_core.currentChannel())));
    if (event.kind == ActivityEvent::Kind::Call) {
        m_callTalkgroup = event.talkgroup;
        m_callSteps = event.steps;
    }
    return true;
}

void Bc780Model::endActivity(QStringList& lines) {
    m_core.endActivity(lines);
    m_callTalkgroup = 0;
    m_callSteps = 0;
}

Bc780Model::Shows Bc780Model::shows() const {
    const int mode = m_core.mode();
    const bool open = m_core.squelchOpen();
    if (mode == 1 || (mode == 0 && open))
        return Shows::Channel;
    if ((mode == 2 && open) || mode == 3)
        return Shows::SearchHit;
    if (mode >= 9 && mode <= 12 && m_core.activityRunning() && m_callTalkgroup > 0)
        return Shows::Call;
    return Shows::Nothing;
}

QString Bc780Model::lineText(int line) const {
    const int mode = m_core.mode();
    const MemoryChannel& channel = m_core.channel(m_core.currentChannel());
    switch (shows()) {
    case Shows::Channel:
        return line == 1 ? channel.name.left(16)
                         : QStringLiteral("CH %1").arg(m_core.currentChannel(), 3, 10, QLatin1Char('0'));
    case Shows::Call:
        return line == 1 ? m_talkgroupNames.value(m_callTalkgroup, QStringLiteral("TGRP %1").arg(m_callTalkgroup))
                         : QStringLiteral("TG %1").arg(m_callTalkgroup);
    case Shows::SearchHit:
        return line == 1 ? QStringLiteral("SEARCH") : QString();
    case Shows::Nothing:
        break;
    }
    if (line == 1)
        return QString();
    if (mode == 11 || mode == 12)
        return QStringLiteral("> ID SCAN");
    if (mode == 2)
        return QStringLiteral("> SEARCHING");
    return mode == 0 || mode == 9 ? QStringLiteral("> SCANNING") : QString();
}

QString Bc780Model::toneText() const {
    return shows() == Shows::Channel ? toneOf(m_core.currentChannel()) : QString();
}

QString Bc780Model::signalBars() const {
    if (!m_core.squelchOpen())
        return QStringLiteral("------");
    // A steady strength per channel or frequency, two to six bars.
    const int steps = shows() == Shows::Call        ? m_callSteps
                      : shows() == Shows::SearchHit ? m_core.searchSteps()
                                                    : m_core.channel(m_core.currentChannel()).steps;
    const int bars = 2 + (steps / 250) % 5;
    return QString(bars, QLatin1Char('+')) + QString(6 - bars, QLatin1Char('-'));
}

QString Bc780Model::bankMarkers() const {
    // Markers 1 to 10 are the banks: "+" scanned, "*" the one being received.
    const QString banks = m_core.mode() >= 8 ? m_core.idScanBanks() : m_core.scanBanks();
    const int receiving = shows() == Shows::Channel ? Pro2052Model::bankOf(m_core.currentChannel()) : 0;
    QString markers(kMarkers, QLatin1Char('-'));
    for (int bank = 1; bank <= kBanks; ++bank) {
        if (bank == receiving)
            markers[bank - 1] = QLatin1Char('*');
        else if (banks.contains(QChar(64 + bank)))
            markers[bank - 1] = QLatin1Char('+');
    }
    return markers;
}

QString Bc780Model::lcdReply(const QString& field) {
    const int mode = m_core.mode();
    const Shows showing = shows();
    const bool channel = showing == Shows::Channel;
    const bool trunking = mode >= 8 && mode <= 12;
    const QString tone = toneText();
    const QString type = m_core.answer(QStringLiteral("TB")).value(0).mid(5);
    QString freq;
    if (channel)
        freq = SimFrequency::text(m_core.channel(m_core.currentChannel()).steps);
    else if (showing == Shows::SearchHit)
        freq = SimFrequency::text(m_core.searchSteps());
    else if (showing == Shows::Call)
        freq = SimFrequency::text(m_callSteps);
    if (freq.startsWith(QLatin1Char('0')))
        freq.remove(0, 1);

    const QHash<QString, QString> replies{
        {QStringLiteral("FRQ"), QStringLiteral("FRQ [%1]").arg(freq)},
        {QStringLiteral("BANK"), QStringLiteral("BANK ") + state(channel)},
        {QStringLiteral("LIST"), QStringLiteral("LIST ") + state(mode == 11 || mode == 12)},
        {QStringLiteral("SCAN"), QStringLiteral("SCAN ") + state(mode == 0 || mode == 9 || mode == 11)},
        {QStringLiteral("TRUNK"), QStringLiteral("TRUNK ") + state(trunking)},
        {QStringLiteral("E"), QStringLiteral("E ") + state(trunking && type.contains(QLatin1String("EDACS")))},
        {QStringLiteral("L"), QStringLiteral("L ") + state(trunking && type.contains(QLatin1String("LTR")))},
        {QStringLiteral("M"), QStringLiteral("M ") + state(trunking && type.contains(QLatin1String("MOT")))},
        {QStringLiteral("CTCSS"), QStringLiteral("CTCSS ") + state(!tone.isEmpty() && !tone.startsWith('D'))},
        {QStringLiteral("DCS"), QStringLiteral("DCS ") + state(tone.startsWith(QLatin1Char('D')))},
        {QStringLiteral("SRCH"), QStringLiteral("SRCH ") + state(mode == 2 || mode == 3)},
        {QStringLiteral("HOLD"), QStringLiteral("HOLD ") + state(mode == 3 || mode == 10 || mode == 12)},
        {QStringLiteral("CHAN"), QStringLiteral("CHAN ") + state(channel)},
        {QStringLiteral("SMT"), QStringLiteral("SMT ") + signalBars()},
        {QStringLiteral("PRI"),
         QStringLiteral("PRI ") + state(channel && m_core.channel(m_core.currentChannel()).priority)},
        {QStringLiteral("ALPHA"), QStringLiteral("ALPHA ") + state(!lineText(1).isEmpty())},
        {QStringLiteral("AUTO"), QStringLiteral("AUTO ") + state(m_core.mute() == QLatin1Char('A'))},
        {QStringLiteral("FREQ"), QStringLiteral("FREQ ") + state(!freq.isEmpty())},
        {QStringLiteral("S"), QStringLiteral("S ") + state(m_core.squelchOpen())},
        {QStringLiteral("LINE"), QStringLiteral("LINE ") + state(channel && !lineText(1).isEmpty())},
        {QStringLiteral("ALT"), QStringLiteral("ALT -")},
        {QStringLiteral("DATA"),
         QStringLiteral("DATA ") + state(m_core.answer(QStringLiteral("DS")).value(0) == QLatin1String("DSN"))},
        {QStringLiteral("CTC"), QStringLiteral("CTC [%1]").arg(tone)},
        {QStringLiteral("CHN"), channel
                                    ? QStringLiteral("CHN [%1]").arg(m_core.currentChannel(), 3, 10, QLatin1Char('0'))
                                    : QStringLiteral("CHN")},
        {QStringLiteral("LINE1"), QStringLiteral("LINE1 [%1]").arg(lineText(1))},
        {QStringLiteral("LINE2"), QStringLiteral("LINE2 [%1]").arg(lineText(2))},
        {QStringLiteral("BAR"), QStringLiteral("BAR ") + bankMarkers()},
    };
    return replies.value(field);
}
