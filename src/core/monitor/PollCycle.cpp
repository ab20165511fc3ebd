#include "PollCycle.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "KeyHandlers.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "MonitorLog.h"
#include "Prompter.h"
#include "StatusParser.h"
#include "TextNumbers.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

#include <QStringList>

namespace {
// SCAN and SEARCH pass counts at which the cycle sends "SQ".
constexpr int kScanStatusPass = 50;
constexpr int kSearchStatusPass = 9;
const QString kText3 = QStringLiteral("Text3");

// The queries the scanner always answers; settings and keys get no answer of their own.
bool expectsAnswer(const QString& command) {
    static const QStringList queries{Commands::StatusInit, Commands::Status,          Commands::ScanBanks,
                                     Commands::TrunkBank,  Commands::IdScan,          Commands::IdChannel,
                                     Commands::Modulation, Commands::SearchFrequency, Commands::DelayState};
    return queries.contains(command) || command.startsWith(Commands::CurrentChannel);
}

// gPollCount after a pass: 1..kPollWrap, and 1 again after kPollWrap (or anything above it).
int countAfter(int count, int passes) {
    const int from = count >= PollCycle::kPollWrap ? 0 : count;
    return (from + passes - 1) % PollCycle::kPollWrap + 1;
}
} // namespace

PollCycle::PollCycle(MonitorContext& context, StatusParser& parser, KeyHandlers& keys, ModeDetector& detector,
                     QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_parser(parser)
    , m_keys(keys)
    , m_detector(detector) {
    m_timer.setSingleShot(true);
    m_silenceTimer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PollCycle::onTimeout);
    connect(&m_silenceTimer, &QTimer::timeout, this, &PollCycle::checkSilence);
    connect(&m_ctx.link, &SerialLink::received, this, &PollCycle::onReceived);
    connect(&m_ctx.link, &SerialLink::commandWritten, this, &PollCycle::onCommandWritten);
}

void PollCycle::start() {
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    stop();

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
    suspend();
    m_suspended = false;
}

void PollCycle::suspend() {
    m_suspended = true;
    m_timer.stop();
    m_idlePasses = 0;
    // Whoever has the scanner now waits for its own answers.
    m_silenceTimer.stop();
    m_awaitingSinceMs = -1;
}

void PollCycle::resume() {
    if (!m_suspended)
        return;
    m_suspended = false;
    if (m_running)
        schedule();
}

int PollCycle::passMs() const {
    return qMax(1, 10 * m_ctx.switches.scanDelay());
}

int PollCycle::idlePasses() const {
    const ScannerState& s = m_ctx.state;
    const int passMs = this->passMs();
    int passes = qMax(1, kIdleWakeMs / passMs);
    // Passes until the one that brings gPollCount to count.
    const auto untilCount = [&](int count) {
        const int from = s.gPollCount >= kPollWrap ? 0 : s.gPollCount;
        return ((count - from - 1) % kPollWrap + kPollWrap) % kPollWrap + 1;
    };
    if (s.gMode == ModeCode::Scan) {
        passes = qMin(passes, untilCount(kScanStatusPass));
    } else if (s.gMode == ModeCode::Search && s.gSearchHoldStart < 1) {
        passes = qMin(passes, untilCount(kSearchStatusPass));
    } else if (s.gMode == ModeCode::Search) {
        // The first pass later than the hold limit forces the search on.
        const double msLeft = (s.gSearchHoldLimit - secondsHeld()) * 1000.0;
        if (msLeft < double(passes) * passMs)
            passes = msLeft < 0 ? 1 : int(msLeft / passMs) + 1;
    }
    return passes;
}

int PollCycle::nextPassDelayMs() const {
    return m_ctx.link.hasCompleteLine() ? 0 : idlePasses() * passMs();
}

void PollCycle::schedule() {
    if (!m_running || m_suspended)
        return;
    m_idlePasses = m_ctx.link.hasCompleteLine() ? 0 : idlePasses();
    m_idlePassMs = passMs();
    m_idleFromMs = m_ctx.clock.monotonicMs();
    m_timer.start(m_idlePasses * m_idlePassMs);
}

void PollCycle::onTimeout() {
    // The passes slept through had nothing to do; only the counter moves on.
    if (m_idlePasses > 1)
        m_ctx.state.gPollCount = quint8(countAfter(m_ctx.state.gPollCount, m_idlePasses - 1));
    m_idlePasses = 0;
    runPass();
}

void PollCycle::onReceived() {
    m_awaitingSinceMs = -1;
    m_silenceTimer.stop();
    if (!m_answering)
        setAnswering(true);
    if (!m_running || m_suspended || m_idlePasses == 0 || !m_ctx.link.hasCompleteLine())
        return;
    // A whole line ends the sleep: at scan delay 0 at once, otherwise at the pass the paced cycle
    // would have reached, so the slider still gives a reply time to arrive in full.
    const qint64 slept = m_ctx.clock.monotonicMs() - m_idleFromMs;
    if (m_ctx.switches.scanDelay() == 0) {
        m_idlePasses = int(qMin<qint64>(m_idlePasses, slept / m_idlePassMs + 1));
        m_timer.start(0);
        return;
    }
    const qint64 passes = qMax<qint64>(1, (slept + m_idlePassMs - 1) / m_idlePassMs);
    if (passes < m_idlePasses) {
        m_idlePasses = int(passes);
        m_timer.start(int(qMax<qint64>(0, passes * m_idlePassMs - slept)));
    }
}

void PollCycle::onCommandWritten(const QString& command) {
    if (!m_running || m_suspended || m_awaitingSinceMs >= 0 || !expectsAnswer(command))
        return;
    m_awaitingSinceMs = m_ctx.clock.monotonicMs();
    m_silenceTimer.start(int(kSilenceLimitMs));
}

void PollCycle::checkSilence() {
    if (!m_running || m_suspended || m_awaitingSinceMs < 0)
        return;
    // A port that went away is reported by the port set-up; no answer can come through it.
    if (!m_ctx.link.isOpen()) {
        m_awaitingSinceMs = -1;
        return;
    }
    const qint64 silent = m_ctx.clock.monotonicMs() - m_awaitingSinceMs;
    if (silent < kSilenceLimitMs) {
        m_silenceTimer.start(int(kSilenceLimitMs - silent));
        return;
    }
    if (m_answering)
        setAnswering(false);
    // Ask again now and then, so the display comes back by itself once the scanner answers.
    m_awaitingSinceMs = -1;
    m_ctx.link.sendToScanner(Commands::Status);
}

void PollCycle::setAnswering(bool answering) {
    m_answering = answering;
    m_ctx.display.setDimmed(!answering);
    if (answering) {
        qCInfo(lcMonitor) << "the scanner answers again";
        Q_EMIT statusLine(QStringLiteral("Scanner answering again"));
    } else {
        qCWarning(lcMonitor) << "no text from the scanner for" << kSilenceLimitMs << "ms after a query";
        Q_EMIT statusLine(QStringLiteral("Scanner not answering: is it switched on and connected?"));
    }
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
    s.gPollCount = quint8(countAfter(s.gPollCount, 1));
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

double PollCycle::secondsHeld() const {
    // The hold start is a time of day: a hold that began before midnight has a start later in
    // the day than now. Holds are at most half an hour, so a gap of more than half a day back
    // means the day has turned.
    const double held = m_ctx.clock.exactSecondsSinceMidnight() - m_ctx.state.gSearchHoldStart;
    return held < -Clock::kSecondsPerDay / 2 ? held + Clock::kSecondsPerDay : held;
}

void PollCycle::searchHoldWork() {
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

bool PollCycle::text3Shown() const {
    return m_ctx.display.isVisible(kText3);
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
    const double lowMhz = TextNumbers::leadingValue(low);
    const double highMhz = TextNumbers::leadingValue(high);
    // A limit the scanner cannot tune would go out as digits that mean something else, or none at all.
    for (const auto& [text, mhz] : {std::pair(low, lowMhz), std::pair(high, highMhz)}) {
        if (mhz >= kLowestMhz && mhz <= kHighestMhz)
            continue;
        m_ctx.prompter.inform(s.gAppTitle,
                              QStringLiteral("The search limit \"%1\" is outside the scanner's range of %2 to %3 MHz. "
                                             "The search was not started.")
                                  .arg(text.trimmed())
                                  .arg(kLowestMhz)
                                  .arg(kHighestMhz),
                              Prompter::Icon::Warning);
        m_detector.checkMode();
        return;
    }
    s.gSearchHoldLimit = qint16(dwellSeconds(dwell));
    link.sendToScanner(Commands::QuickOn);
    s.gFreqText = Commands::frequencyPattern(lowMhz);
    link.sendToScanner(Commands::lowerLimit(lowMhz));
    s.gFreqText = Commands::frequencyPattern(highMhz);
    link.sendToScanner(Commands::upperLimit(highMhz));
    link.sendToScanner(Commands::key(Commands::Key::Search));
    m_detector.checkMode();
}
