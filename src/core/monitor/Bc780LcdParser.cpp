#include "Bc780LcdParser.h"

#include "DisplayModel.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "Panel.h"
#include "ReadingRules.h"
#include "link/SerialLink.h"
#include "protocol/ChannelToBank.h"
#include "protocol/Commands.h"
#include "protocol/ReplyRules.h"
#include "protocol/ReplyText.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

namespace {

constexpr int kMarkers = 30;
constexpr int kBars = 6;

/// A segment reply: the first three characters, the field it lights and where its state sits.
struct Segment {
    const char* prefix;
    const char* field;
    int statePos;
};

// The display replies that only light or darken one segment ("+" lit, anything else dark).
const Segment kSegments[] = {
    {"ALP", "tbALPHA", 7}, {"AUT", "tbAUTO", 6}, {"BAN", "tbBank", 6},   {"CHA", "tbCHANlbl", 6},
    {"DAT", "tbDATA", 6},  {"FRE", "tbFRQ", 6},  {"HOL", "tbHOLD", 6},   {"LIS", "tbLIST", 6},
    {"PRI", "tbPRI", 5},   {"SCA", "tbSCAN", 6}, {"SRC", "tbSEARCH", 6},
};

/// The trunk types the scanner answers "LCD E", "LCD L" and "LCD M" for.
const std::pair<const char*, const char*> kTrunkTypes[] = {
    {"E +", "  E TRUNK"},
    {"L +", "L   TRUNK"},
    {"M +", " M  TRUNK"},
};

/// A bracketed text reply: what follows from, without its brackets and surrounding blanks.
QString bracketText(const ReplyText& reply, int from) {
    return reply.from(from).remove(QLatin1Char(']')).trimmed().remove(QLatin1Char('['));
}

const QString kSigStrength = QStringLiteral("SigStrength");
const QString kBtnLight = QStringLiteral("btnLIGHT");

} // namespace

Bc780LcdParser::Bc780LcdParser(MonitorContext& context, Panel& panel)
    : m_ctx(context)
    , m_panel(panel) {}

QString Bc780LcdParser::lightCaption(int state) {
    switch (state) {
    case 0:
        return QStringLiteral("LCD OFF");
    case 1:
        return QStringLiteral("LCD DIM");
    default:
        return QStringLiteral("LCD ON");
    }
}

void Bc780LcdParser::queryLcdFields() {
    for (const QString& query : Commands::lcdRefreshQueries())
        send(query);
}

void Bc780LcdParser::parseLcdReply() {
    // Copy: the lookups and the remote client may run while the reply is being read.
    const ReplyText reply(m_ctx.state.gReply);
    const DisplayModel& d = m_ctx.display;
    // A call's end clears the panel before the mode's rules log the call, so the log is written
    // from the display as it stood when the line arrived.
    const CallEnd end{d.text(Field::tbfreq), d.text(Field::Text2, 3), d.text(Field::Text2, 4)};
    followMode();
    parseDisplayReply(reply);
    // A mode reply may have changed the mode.
    followMode();
    switch (m_ctx.state.gMode) {
    case ModeCode::Scan:
        parseScan(reply);
        break;
    case ModeCode::Manual:
        parseManual(reply);
        break;
    case ModeCode::Search:
        parseSearch(reply, false);
        break;
    case ModeCode::SearchHold:
        parseSearch(reply, true);
        break;
    case ModeCode::Trunk:
        parseTrunk(reply, end);
        break;
    case ModeCode::TrunkHold:
        parseTrunkHold(reply, end);
        break;
    case ModeCode::IdScan:
        parseIdScan(reply, end, false);
        break;
    case ModeCode::IdHold:
        parseIdScan(reply, end, true);
        break;
    default:
        break;
    }
}

void Bc780LcdParser::followMode() {
    ReadingRules::followMode(m_reading, m_ctx.state.gScannerModel, m_ctx.state.gMode);
}

void Bc780LcdParser::restartReading() {
    ReadingRules::restart(m_reading, m_ctx.state.gScannerModel, m_ctx.state.gMode);
}

void Bc780LcdParser::parseDisplayReply(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;
    DisplayModel& d = m_ctx.display;
    if (reply.startsWith("ID E"))
        m_panel.clearPanel();
    // "CT" replies once let pending window events run; events run between passes here anyway.
    if (reply.startsWith("LT")) {
        const QString state = reply.at(3);
        const int light = state == QLatin1String("F") ? 0 : state == QLatin1String("D") ? 1 : 2;
        if (state == QLatin1String("F") || state == QLatin1String("D") || state == QLatin1String("N")) {
            s.gLightState = quint8(light);
            // The caption follows the scanner too, or LIGHT would name a state the display is not in.
            d.setText(kBtnLight, lightCaption(light));
        }
    }
    if (reply.startsWith("MD") && reply.length() > 3) {
        if (const auto mode = ReplyRules::wholeNumber(reply.mid(3, 2)); mode && *mode >= 0 && *mode <= 255) {
            if (*mode != s.gMode)
                m_panel.clearPanel();
            s.gMode = quint8(*mode);
        }
    }
    if (reply.startsWith("RM") && reply.length() > 4) {
        setText(Field::tbModMode, reply.from(4));
        light(Field::tbModMode, true);
        m_reading.modulation = Reading::modulationIn(reply.text());
    }

    const QString head = reply.mid(1, 3);
    for (const Segment& segment : kSegments) {
        if (head == QLatin1String(segment.prefix)) {
            light(QLatin1String(segment.field), reply.is(segment.statePos, '+'));
            return;
        }
    }
    for (const auto& [prefix, text] : kTrunkTypes) {
        if (head == QLatin1String(prefix)) {
            setText(Field::tbTRUNKTYPE, QLatin1String(text));
            light(Field::tbTRUNKTYPE, true);
            return;
        }
    }
    if (head == QLatin1String("BAR")) {
        // "+" is a scanned bank ("n", a filled square), "*" the bank being received ("w").
        DisplayModel::Array markers = d.array(Field::tbACTIVEBANK);
        for (int i = 1; i <= kMarkers; ++i) {
            const bool scanned = reply.is(4 + i, '+');
            const bool active = reply.is(4 + i, '*');
            markers.setText(i, active ? QStringLiteral("w") : QStringLiteral("n"));
            markers.setForeColor(i, scanned || active ? Panel::kLcdLit : Panel::kLcdUnlit);
        }
    } else if (head == QLatin1String("CHN")) {
        setText(Field::tbChan, reply.is(5, '[') ? reply.mid(6, 3) : QString());
        // In the trunk modes the channel field belongs to the ID lists.
        if (!Reading::isTrunkMode(m_reading.mode)) {
            const int channel = reply.is(5, '[') ? ReplyRules::wholeNumber(reply.mid(6, 3)).value_or(0) : 0;
            m_reading.channel = channel;
            m_reading.bank = channelToBank(channel);
        }
    } else if (reply.startsWith("CTCSS")) {
        if (reply.is(7, '*') || reply.is(7, '+'))
            light(QStringLiteral("tbCTCSS"), true);
        else if (reply.is(7, '-'))
            light(QStringLiteral("tbCTCSS"), false);
        if (reply.is(7, '+'))
            send(Commands::LcdTones);
        if (reply.is(7, '-') && m_reading.tone.startsWith(QLatin1String("CTCSS")))
            m_reading.tone.clear();
    } else if (head == QLatin1String("CTC")) {
        if (reply.is(5, '[')) {
            setText(Field::tbTONES, bracketText(reply, 6));
            light(Field::tbTONES, true);
            readTone(bracketText(reply, 6));
        }
    } else if (head == QLatin1String("DCS")) {
        const bool lit = reply.is(5, '+') || reply.is(5, '*');
        light(QStringLiteral("tbDCS"), lit);
        if (lit)
            send(Commands::LcdTones);
        else if (m_reading.tone.startsWith(QLatin1String("DCS")))
            m_reading.tone.clear();
    } else if (head == QLatin1String("FRQ")) {
        const QString shown = reply.from(6).remove(QLatin1Char(']')).trimmed();
        setText(Field::tbfreq, shown);
        // The main line holds a frequency, or a talkgroup or a word in its place.
        m_reading.frequencyHz = Reading::hzFromMhzText(shown);
    } else if (reply.startsWith("LINE1")) {
        setLine(3, bracketText(reply, 8));
    } else if (reply.startsWith("LINE2")) {
        setLine(4, bracketText(reply, 8));
    } else if (head == QLatin1String("LIN")) {
        light(QStringLiteral("tbLINE"), reply.is(6, '+'));
    } else if (head == QLatin1String("S +")) {
        light(QStringLiteral("tbSIG"), true);
    } else if (head == QLatin1String("S -")) {
        light(QStringLiteral("tbSIG"), false);
        DisplayModel::Array bars = d.array(kSigStrength);
        for (int i = 1; i <= kBars; ++i)
            bars.setForeColor(i, Panel::kLcdUnlit);
        m_reading.signalBars = 0;
    } else if (head == QLatin1String("SMT")) {
        DisplayModel::Array bars = d.array(kSigStrength);
        int lit = 0;
        for (int i = 1; i <= kBars; ++i) {
            d.setVisible(DisplayModel::element(kSigStrength, i), true);
            bars.setForeColor(i, reply.is(4 + i, '+') ? Panel::kLcdLit : Panel::kLcdUnlit);
            lit += reply.is(4 + i, '+') ? 1 : 0;
        }
        m_reading.signalBars = lit;
    } else if (reply.startsWith("TRUNK +")) {
        setText(Field::tbTRUNKTYPE, QStringLiteral("TRUNK"));
        light(Field::tbTRUNKTYPE, true);
        sendEach({Commands::lcd("E"), Commands::lcd("L"), Commands::lcd("M")});
    }
}

void Bc780LcdParser::light(const QString& field, bool lit) {
    m_ctx.display.setForeColor(field, lit ? Panel::kLcdLit : Panel::kLcdUnlit);
}

void Bc780LcdParser::setText(const QString& field, const QString& text) {
    m_ctx.display.setText(field, text);
}

void Bc780LcdParser::setLine(int line, const QString& text) {
    m_ctx.display.setText(Field::Text2, line, text);
}

void Bc780LcdParser::send(const QString& command) {
    m_ctx.link.sendToScanner(command);
}

void Bc780LcdParser::sendEach(std::initializer_list<QString> commands) {
    for (const QString& command : commands)
        send(command);
}
