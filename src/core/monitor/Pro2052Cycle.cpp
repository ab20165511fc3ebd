#include "Pro2052Cycle.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "KeyHandlers.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "MonitorLog.h"
#include "PollCycle.h"
#include "ReplyParser.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

namespace {
// SCAN and SEARCH pass counts at which the cycle sends "SQ".
constexpr int kScanStatusPass = 50;
constexpr int kSearchStatusPass = 9;
const QString kText3 = QStringLiteral("Text3");
} // namespace

Pro2052Cycle::Pro2052Cycle(MonitorContext& context, PollCycle& cycle, ReplyParser& parser, KeyHandlers& keys)
    : m_ctx(context)
    , m_cycle(cycle)
    , m_parser(parser)
    , m_keys(keys) {}

void Pro2052Cycle::prepare() {
    m_ctx.link.readReplyLines();
}

void Pro2052Cycle::setUp() {
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    if (s.gMode <= ModeCode::Search) {
        link.sendToScanner(Commands::QuickOn);
        link.sendToScanner(Commands::IdReportOff);
        if (s.gMode == ModeCode::Search)
            link.sendToScanner(Commands::key(Commands::Key::Search));
        s.gSignalActive = false;
    } else if (s.gMode >= ModeCode::PickTrunk && s.gMode <= ModeCode::IdHold) {
        link.sendToScanner(Commands::QuickOff);
        link.sendToScanner(Commands::IdReportOn);
    }
    link.sendToScanner(Commands::MuteAuto);
    m_ctx.display.setText(QStringLiteral("tbMUTE"), QStringLiteral("MUTE AUTO"));
    s.gMuteState = 1;
    link.sendToScanner(m_ctx.switches.showFreqAndTalkgroup() ? Commands::FreqAndTalkgroupOn
                                                             : Commands::FreqAndTalkgroupOff);
    s.gPollCount = 1;
    m_keys.refreshAfterKey();
    // Something sent above may have started a new detection, which owns the scanner now.
    if (!m_cycle.isRunning())
        return;
    link.sendToScanner(Commands::StatusInit);
}

void Pro2052Cycle::readLine() {
    if (m_ctx.link.cutOneLine())
        m_parser.parseReply();
}

QString Pro2052Cycle::silenceQuery() const {
    return Commands::Status;
}

int Pro2052Cycle::idlePasses(int limit) const {
    const ScannerState& s = m_ctx.state;
    int passes = limit;
    if (s.gMode == ModeCode::Scan) {
        passes = qMin(passes, m_cycle.passesUntil(kScanStatusPass));
    } else if (s.gMode == ModeCode::Search && s.gSearchHoldStart < 1) {
        passes = qMin(passes, m_cycle.passesUntil(kSearchStatusPass));
    } else if (s.gMode == ModeCode::Search) {
        // The first pass later than the hold limit forces the search on.
        const int passMs = m_cycle.passMs();
        const double msLeft = (s.gSearchHoldLimit - secondsHeld()) * 1000.0;
        if (msLeft < double(passes) * passMs)
            passes = msLeft < 0 ? 1 : int(msLeft / passMs) + 1;
    }
    return passes;
}

void Pro2052Cycle::timedWork() {
    ScannerState& s = m_ctx.state;
    switch (s.gMode) {
    case ModeCode::Scan:
        if (text3Shown())
            m_ctx.display.setText(kText3, s.gSignalActive ? QStringLiteral("-1") : QStringLiteral("0"));
        if (s.gPollCount == kScanStatusPass)
            m_ctx.link.sendToScanner(Commands::Status);
        break;
    case ModeCode::Search:
        if (s.gSearchHoldStart < 1) {
            if (text3Shown())
                m_ctx.display.setText(kText3, QString());
            if (s.gPollCount == kSearchStatusPass)
                m_ctx.link.sendToScanner(Commands::Status);
        } else {
            searchHoldWork();
        }
        break;
    default:
        break;
    }
}

double Pro2052Cycle::secondsHeld() const {
    // The hold start is a time of day: a hold that began before midnight has a start later in
    // the day than now. Holds are at most half an hour, so a gap of more than half a day back
    // means the day has turned.
    const double held = m_ctx.clock.exactSecondsSinceMidnight() - m_ctx.state.gSearchHoldStart;
    return held < -Clock::kSecondsPerDay / 2 ? held + Clock::kSecondsPerDay : held;
}

void Pro2052Cycle::searchHoldWork() {
    ScannerState& s = m_ctx.state;
    const Clock& clock = m_ctx.clock;
    const double held = secondsHeld();
    if (held > s.gSearchHoldLimit) {
        const DisplayModel& d = m_ctx.display;
        if (m_ctx.log && m_ctx.switches.searchLogging()) {
            m_ctx.log->writeSearchLog(s.gSearchHoldStart, clock.secondsSinceMidnight(),
                                      d.text(QStringLiteral("tbfreq")), d.text(QStringLiteral("tbModMode")),
                                      QStringLiteral("FORCED"));
        }
        s.gSearchHoldStart = 0;
        if (s.gKeyEntry.isEmpty())
            m_ctx.display.setText(QStringLiteral("tbfreq"), QStringLiteral(" SEARCH "));
        qCDebug(lcMonitor) << "search rested" << held << "s on one signal; moving on";
        m_ctx.link.sendToScanner(Commands::key(Commands::Key::Search));
    }
    if (text3Shown()) {
        m_ctx.display.setText(kText3, QString::number(s.gSearchHoldStart + s.gSearchHoldLimit) + QLatin1Char(' ') +
                                          QString::number(clock.exactSecondsSinceMidnight()));
    }
}

bool Pro2052Cycle::text3Shown() const {
    return m_ctx.display.isVisible(kText3);
}
