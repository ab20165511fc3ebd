#include "StatusParser.h"

#include "DisplayModel.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "Panel.h"
#include "ReadingRules.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "protocol/ReplyRules.h"
#include "protocol/ReplyText.h"
#include "state/ScannerState.h"

StatusParser::StatusParser(MonitorContext& context, Panel& panel)
    : m_ctx(context)
    , m_panel(panel) {}

void StatusParser::followMode() {
    ReadingRules::followMode(m_reading, m_ctx.state.gScannerModel, m_ctx.state.gMode);
}

void StatusParser::restartReading() {
    ReadingRules::restart(m_reading, m_ctx.state.gScannerModel, m_ctx.state.gMode);
}

void StatusParser::parseStatusReply() {
    // Copy: the lookups and the remote client may run while the reply is being read.
    const ReplyText reply(m_ctx.state.gReply);
    followMode();
    switch (m_ctx.state.gMode) {
    case ModeCode::Scan:
        parseScan(reply);
        break;
    case ModeCode::Manual:
        parseManual(reply);
        break;
    case ModeCode::Search:
    case ModeCode::SearchHold:
        parseSearch(reply);
        break;
    case ModeCode::Trunk:
    case ModeCode::TrunkAlike:
        parseTrunk(reply);
        break;
    case ModeCode::TrunkHold:
        parseTrunkHold(reply);
        break;
    case ModeCode::IdScan:
    case ModeCode::IdScanAlike:
        parseIdScan(reply);
        break;
    case ModeCode::IdHold:
    case ModeCode::IdHoldAlike:
        parseIdHold(reply);
        break;
    default:
        break;
    }
    parseFinal(reply);
}

void StatusParser::parseFinal(const ReplyText& reply) {
    // A modulation reply that arrives in any mode fills an empty modulation field; the reading
    // takes every one, as the scanner's answer about what it receives now.
    if (!reply.startsWith("RM"))
        return;
    m_reading.modulation = Reading::modulationIn(reply.text());
    if (text(Field::tbModMode).isEmpty())
        showModulation(reply.text());
}

QString StatusParser::text(const QString& field) const {
    return m_ctx.display.text(field);
}

void StatusParser::setText(const QString& field, const QString& text) {
    m_ctx.display.setText(field, text);
}

void StatusParser::send(const QString& command) {
    m_ctx.link.sendToScanner(command);
}

void StatusParser::sendEach(std::initializer_list<QString> commands) {
    for (const QString& command : commands)
        send(command);
}

void StatusParser::notify(const QString& text) {
    m_ctx.state.gRemoteOut = text;
    m_panel.notifyRemote();
}

void StatusParser::lookupChannel() {
    if (m_ctx.lookups)
        m_reading.channelName = m_ctx.lookups->lookupChannel();
}

void StatusParser::lookupTalkgroup() {
    if (m_ctx.lookups)
        m_reading.talkgroupName = m_ctx.lookups->lookupTalkgroup();
}

void StatusParser::clearReading() {
    ReadingRules::clear(m_reading);
}

void StatusParser::readCall(const QString& talkgroup, qint64 frequencyHz) {
    ReadingRules::showCall(m_reading, talkgroup, frequencyHz);
}

StatusParser::Tags StatusParser::auxTags() const {
    if (!m_ctx.aux.windowVisible())
        return {};
    return {m_ctx.aux.text(Field::Text2, 3), m_ctx.aux.text(Field::Text2, 4)};
}

void StatusParser::writeTrunkLog(const Tags& tags) {
    if (m_ctx.log)
        m_ctx.log->writeTrunkLog(text(Field::tbfreq), text(Field::tbTRUNKTYPE), text(Field::tbModMode), tags.first,
                                 tags.second);
}

void StatusParser::showModulation(const QString& line) {
    // The field's alignment tells the modulation at a glance: AM left, NFM centre, WFM right.
    for (const QString& mod : ReplyRules::modulations(line)) {
        Qt::Alignment alignment = Qt::AlignHCenter;
        if (mod == QLatin1String("AM"))
            alignment = Qt::AlignLeft;
        else if (mod == QLatin1String("WFM"))
            alignment = Qt::AlignRight;
        m_ctx.display.setAlignment(Field::tbModMode, alignment);
        setText(Field::tbModMode, mod);
    }
}

void StatusParser::clearModulation() {
    if (!text(Field::tbModMode).isEmpty())
        setText(Field::tbModMode, QString());
}

QString StatusParser::flagText(const QString& flag, const QString& onText) {
    if (flag == QLatin1String("N"))
        return onText;
    if (flag == QLatin1String("F"))
        return QString();
    return QStringLiteral("ERR");
}

void StatusParser::showLockoutAndPriority(const ReplyText& reply) {
    setText(Field::tbLOCKOUT, flagText(reply.at(23), QStringLiteral("L/O")));
    setText(Field::tbPRI, flagText(reply.at(29), QStringLiteral("PRI")));
}

void StatusParser::showSwitchReply(const ReplyText& reply, const QString& delayText) {
    if (!delayText.isEmpty() && reply.startsWith("DLN"))
        setText(Field::tbDELAY, delayText);
    else if (!delayText.isEmpty() && reply.startsWith("DLF"))
        setText(Field::tbDELAY, QString());
    else if (reply.startsWith("DSN"))
        setText(Field::tbDATA, QStringLiteral("DATA"));
    else if (reply.startsWith("DSF"))
        setText(Field::tbDATA, QString());
}

bool StatusParser::trackIdBank(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;
    s.gPrevIdBankLetter = s.gIdBankLetter;
    s.gIdBankLetter = reply.at(4);
    if (reply.code(4) >= 0)
        s.gIdBank = qint16(Commands::bankNumber(reply.code(4)));
    if (s.gIdBankLetter == s.gPrevIdBankLetter)
        return false;
    s.gPrevIdBankLetter = s.gIdBankLetter;
    return true;
}

void StatusParser::showTalkgroup(const QString& shown) {
    m_ctx.state.gTalkgroupId = ReadingRules::talkgroupId(shown);
    if (m_ctx.state.gKeyEntry.isEmpty())
        setText(Field::tbfreq, shown);
}

void StatusParser::showIdTrunkType(const ReplyText& reply) {
    const int bank = Commands::bankNumber(reply.code(4));
    m_ctx.display.setText(Field::tbBANKNUM, bank, QString::number(bank));
    setText(Field::tbTRUNKTYPE, reply.from(6));
}
