#include "PollCycle.h"

#include "Clock.h"
#include "CycleRules.h"
#include "DisplayModel.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "MonitorLog.h"
#include "Prompter.h"
#include "TextNumbers.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"
#include "state/Switches.h"

#include <QStringList>

namespace {
// The queries the scanner always answers; settings and keys get no answer of their own.
bool expectsAnswer(const QString& command) {
    static const QStringList queries{Commands::StatusInit, Commands::Status,          Commands::ScanBanks,
                                     Commands::TrunkBank,  Commands::IdScan,          Commands::IdChannel,
                                     Commands::Modulation, Commands::SearchFrequency, Commands::DelayState};
    return queries.contains(command) || command.startsWith(Commands::CurrentChannel) ||
           command.startsWith(Commands::LcdPrefix);
}
} // namespace

PollCycle::PollCycle(MonitorContext& context, ModeDetector& detector, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_detector(detector) {
    m_timer.setSingleShot(true);
    m_silenceTimer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PollCycle::onTimeout);
    connect(&m_silenceTimer, &QTimer::timeout, this, &PollCycle::checkSilence);
    connect(&m_ctx.link, &SerialLink::received, this, &PollCycle::onReceived);
    connect(&m_ctx.link, &SerialLink::commandWritten, this, &PollCycle::onCommandWritten);
}

PollCycle::~PollCycle() = default;

void PollCycle::setRules(std::unique_ptr<CycleRules> rules) {
    stop();
    m_rules = std::move(rules);
}

CycleRules::CountRange PollCycle::countRange() const {
    return m_rules->countRange();
}

int PollCycle::countAfter(int count, int passes) const {
    const auto [first, last] = countRange();
    const int period = last - first + 1;
    // A count at (or past) the last one starts again at the first.
    const int at = count >= last || count < first ? -1 : count - first;
    return first + (at + passes) % period;
}

int PollCycle::passesUntil(int count) const {
    const auto [first, last] = countRange();
    const int period = last - first + 1;
    const int s = m_ctx.state.gPollCount;
    const int at = s >= last || s < first ? -1 : s - first;
    return ((count - first - at - 1) % period + period) % period + 1;
}

void PollCycle::start() {
    stop();
    m_rules->prepare();
    if (m_ctx.state.gMode > ModeCode::HighestPollable) {
        m_detector.checkMode();
        return;
    }
    m_running = true;
    m_rules->setUp();
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
    return m_rules->idlePasses(qMax(1, kIdleWakeMs / passMs()));
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
    m_ctx.link.sendToScanner(m_rules->silenceQuery());
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
    m_rules->readLine();
    // The parser may have sent a command that led to stop() (a new detection).
    if (!m_running)
        return;
    s.gPollCount = quint8(countAfter(s.gPollCount, 1));
    m_rules->timedWork();
    if (!m_running)
        return;
    Q_EMIT passDone();
    schedule();
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
