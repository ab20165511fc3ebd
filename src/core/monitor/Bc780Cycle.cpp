#include "Bc780Cycle.h"

#include "Bc780LcdParser.h"
#include "DisplayModel.h"
#include "MonitorContext.h"
#include "Panel.h"
#include "PollCycle.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

namespace {
const QString kText6 = QStringLiteral("Text6");
const QString kStatusLine = QStringLiteral("StatusLine");

// At these passes the cycle re-reads the mode, refreshes the whole display, and asks for the signal
// bars (the first of the two only while a signal is shown).
constexpr int kModePass = 0;
constexpr int kRefreshPass = 5;
constexpr int kSignalPass = 10;
constexpr int kBarsPass = 15;
constexpr int kTimedPasses[] = {kModePass, kRefreshPass, kSignalPass, kBarsPass};

// The lines the BC780XLT sends to acknowledge a command; they carry nothing to show.
bool isAcknowledgement(const QString& line) {
    return line == QLatin1String("OK") || line == QLatin1String("NG");
}
} // namespace

Bc780Cycle::Bc780Cycle(MonitorContext& context, PollCycle& cycle, Bc780LcdParser& parser, Panel& panel)
    : m_ctx(context)
    , m_cycle(cycle)
    , m_parser(parser)
    , m_panel(panel) {}

void Bc780Cycle::setUp() {
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    link.sendToScanner(Commands::MuteAuto);
    m_ctx.display.setText(QStringLiteral("tbMUTE"), QStringLiteral("MUTE AUTO"));
    s.gMuteState = 1;
    s.gPollCount = 1;
    m_ctx.switches.setScanDelay(2);
    // The BC780XLT reports the squelch in the conventional modes and talkgroups in the trunk modes.
    if (s.gMode <= ModeCode::Search) {
        link.sendToScanner(Commands::IdReportOn);
        link.sendToScanner(Commands::QuickOn);
        s.gSignalActive = false;
    } else if (s.gMode == ModeCode::Trunk) {
        link.sendToScanner(Commands::QuickOn);
        link.sendToScanner(Commands::IdReportOn);
    } else if (s.gMode >= ModeCode::PickTrunk && s.gMode <= ModeCode::IdHold) {
        link.sendToScanner(Commands::QuickOff);
        link.sendToScanner(Commands::IdReportOn);
    }
    m_parser.queryLcdFields();
    if (!m_cycle.isRunning())
        return;
    m_panel.clearPanel();
    link.sendToScanner(Commands::LightDim);
    s.gLightState = 1;
    m_ctx.display.setText(QStringLiteral("btnLIGHT"), Bc780LcdParser::lightCaption(1));
    m_shownMode = -1;
    showMode();
}

void Bc780Cycle::showMode() {
    const int mode = m_ctx.state.gMode;
    if (mode == m_shownMode)
        return;
    m_shownMode = mode;
    // The status line names the mode when it changes; an unsupported mode's message already does.
    const QString text = QStringLiteral("Mode #") + QString::number(mode);
    const QString shown = m_ctx.display.text(kStatusLine);
    if (shown != text && !shown.startsWith(text + QLatin1Char(' ')))
        m_ctx.display.setText(kStatusLine, text);
}

void Bc780Cycle::readLine() {
    ScannerState& s = m_ctx.state;
    showMode();
    while (m_ctx.link.cutOneLine()) {
        if (isAcknowledgement(s.gReply))
            continue;
        if (m_ctx.display.isVisible(kText6))
            m_ctx.display.setText(kText6, s.gReply);
        m_parser.parseReply();
        return;
    }
}

void Bc780Cycle::timedWork() {
    switch (m_ctx.state.gPollCount) {
    case kModePass:
        // The mode reply is read by the LCD parser, which follows a mode changed on the scanner.
        m_ctx.link.sendToScanner(Commands::Mode);
        break;
    case kRefreshPass:
        m_parser.queryLcdFields();
        break;
    case kSignalPass:
        if (m_ctx.display.foreColor(QStringLiteral("tbSIG")) == Panel::kLcdLit)
            m_ctx.link.sendToScanner(Commands::LcdSignalBars);
        break;
    case kBarsPass:
        m_ctx.link.sendToScanner(Commands::LcdSignalBars);
        break;
    default:
        break;
    }
}

int Bc780Cycle::idlePasses(int limit) const {
    int passes = limit;
    for (const int count : kTimedPasses)
        passes = qMin(passes, m_cycle.passesUntil(count));
    return passes;
}

QString Bc780Cycle::silenceQuery() const {
    return Commands::Mode;
}
