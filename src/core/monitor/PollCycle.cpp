#include "PollCycle.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "KeyHandlers.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "MonitorLog.h"
#include "StatusParser.h"
#include "TextNumbers.h"
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

PollCycle::PollCycle(MonitorContext& context, StatusParser& parser, KeyHandlers& keys, ModeDetector& detector,
                     QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_parser(parser)
    , m_keys(keys)
    , m_detector(detector) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PollCycle::runPass);
}

void PollCycle::start() {
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    m_timer.stop();
    m_running = false;
    m_suspended = false;

    link.readReplyLines();
    if (s.gMode > ModeCode::HighestPollable) {
        m_detector.checkMode();
        return;
    }
    m_running = true;
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
    if (!m_running)
        return;
    link.sendToScanner(Commands::StatusInit);
    if (m_running)
        schedule();
}

void PollCycle::stop() {
    m_running = false;
    m_suspended = false;
    m_timer.stop();
}

void PollCycle::suspend() {
    m_suspended = true;
    m_timer.stop();
}

void PollCycle::resume() {
    if (!m_suspended)
        return;
    m_suspended = false;
    if (m_running)
        schedule();
}

int PollCycle::nextPassDelayMs() const {
    if (m_ctx.link.hasCompleteLine())
        return 0;
    return qMax(1, 10 * m_ctx.switches.scanDelay());
}

void PollCycle::schedule() {
    if (m_running && !m_suspended)
        m_timer.start(nextPassDelayMs());
}

void PollCycle::runPass() {
    if (!m_running || m_suspended)
        return;
    ScannerState& s = m_ctx.state;
    if (m_lampRefresh)
        m_lampRefresh();
    if (m_ctx.link.cutOneLine())
        m_parser.parseStatusReply();
    // The parser may have sent a command that led to stop() (a new detection).
    if (!m_running)
        return;
    s.gPollCount = s.gPollCount >= kPollWrap ? 1 : s.gPollCount + 1;
    perModeWork();
    if (!m_running)
        return;
    Q_EMIT passDone();
    schedule();
}

void PollCycle::perModeWork() {
    ScannerState& s = m_ctx.state;
    switch (s.gMode) {
    case ModeCode::Scan:
        showText3(s.gSignalActive ? QStringLiteral("-1") : QStringLiteral("0"));
        if (s.gPollCount == kScanStatusPass)
            m_ctx.link.sendToScanner(Commands::Status);
        break;
    case ModeCode::Search:
        if (s.gSearchHoldStart < 1) {
            showText3(QString());
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

void PollCycle::searchHoldWork() {
    ScannerState& s = m_ctx.state;
    const Clock& clock = m_ctx.clock;
    const double now = clock.exactSecondsSinceMidnight();
    // The hold start is a time of day: a hold that began before midnight has a start later in
    // the day than now. Holds are at most half an hour, so a gap of more than half a day back
    // means the day has turned.
    double held = now - s.gSearchHoldStart;
    if (held < -Clock::kSecondsPerDay / 2)
        held += Clock::kSecondsPerDay;
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
    showText3(QString::number(s.gSearchHoldStart + s.gSearchHoldLimit) + QLatin1Char(' ') + QString::number(now));
}

void PollCycle::showText3(const QString& text) {
    if (m_ctx.display.isVisible(kText3))
        m_ctx.display.setText(kText3, text);
}

int PollCycle::dwellSeconds(int dwell) {
    static constexpr int kSeconds[] = {10, 30, 60, 120, 300, 600, 900, 1800};
    if (dwell < 1 || dwell > 8)
        return 0;
    return kSeconds[dwell - 1];
}

void PollCycle::searchRange(const QString& low, const QString& high, int dwell, int unused) {
    Q_UNUSED(unused);
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    s.gSearchHoldLimit = qint16(dwellSeconds(dwell));
    link.sendToScanner(Commands::QuickOn);
    const double lowMhz = TextNumbers::leadingValue(low);
    s.gFreqText = Commands::frequencyPattern(lowMhz);
    link.sendToScanner(Commands::lowerLimit(lowMhz));
    const double highMhz = TextNumbers::leadingValue(high);
    s.gFreqText = Commands::frequencyPattern(highMhz);
    link.sendToScanner(Commands::upperLimit(highMhz));
    link.sendToScanner(Commands::key(Commands::Key::Search));
    m_detector.checkMode();
}
