#include "PollCycle.h"

#include "Bc780LcdParser.h"
#include "Clock.h"
#include "DisplayModel.h"
#include "KeyHandlers.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "MonitorLog.h"
#include "Panel.h"
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
const QString kText6 = QStringLiteral("Text6");
const QString kStatusLine = QStringLiteral("StatusLine");

// The BC780XLT's counter runs 0..100; at these passes it re-reads the mode, refreshes the whole
// display, and asks for the signal bars (the first of the two only while a signal is shown).
constexpr int kBcModePass = 0;
constexpr int kBcRefreshPass = 5;
constexpr int kBcSignalPass = 10;
constexpr int kBcBarsPass = 15;
constexpr int kBcTimedPasses[] = {kBcModePass, kBcRefreshPass, kBcSignalPass, kBcBarsPass};

// The queries the scanner always answers; settings and keys get no answer of their own.
bool expectsAnswer(const QString& command) {
    static const QStringList queries{Commands::StatusInit, Commands::Status,          Commands::ScanBanks,
                                     Commands::TrunkBank,  Commands::IdScan,          Commands::IdChannel,
                                     Commands::Modulation, Commands::SearchFrequency, Commands::DelayState};
    return queries.contains(command) || command.startsWith(Commands::CurrentChannel) ||
           command.startsWith(Commands::LcdPrefix);
}

// The lines the BC780XLT sends to acknowledge a command; they carry nothing to show.
bool isAcknowledgement(const QString& line) {
    return line == QLatin1String("OK") || line == QLatin1String("NG");
}
} // namespace

PollCycle::PollCycle(MonitorContext& context, StatusParser& parser, Bc780LcdParser& lcdParser, Panel& panel,
                     KeyHandlers& keys, ModeDetector& detector, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_parser(parser)
    , m_lcdParser(lcdParser)
    , m_panel(panel)
    , m_keys(keys)
    , m_detector(detector) {
    m_timer.setSingleShot(true);
    m_silenceTimer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PollCycle::onTimeout);
    connect(&m_silenceTimer, &QTimer::timeout, this, &PollCycle::checkSilence);
    connect(&m_ctx.link, &SerialLink::received, this, &PollCycle::onReceived);
    connect(&m_ctx.link, &SerialLink::commandWritten, this, &PollCycle::onCommandWritten);
}

bool PollCycle::isBc() const {
    return m_ctx.state.gScannerModel == ScannerModel::Bc780xlt;
}

PollCycle::CountRange PollCycle::countRange() const {
    return isBc() ? CountRange{0, kBcPollWrap} : CountRange{1, kPollWrap};
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
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    stop();

    if (isBc()) {
        startBc();
        return;
    }
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

void PollCycle::startBc() {
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    if (s.gMode > ModeCode::HighestPollable) {
        m_detector.checkMode();
        return;
    }
    m_running = true;
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
    m_lcdParser.queryLcdFields();
    if (!m_running)
        return;
    m_panel.clearPanel();
    link.sendToScanner(Commands::LightDim);
    s.gLightState = 1;
    m_ctx.display.setText(QStringLiteral("btnLIGHT"), Bc780LcdParser::lightCaption(1));
    m_shownMode = -1;
    showMode();
    if (m_running)
        schedule();
}

void PollCycle::showMode() {
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
    const auto untilCount = [this](int count) { return passesUntil(count); };
    if (isBc()) {
        for (const int count : kBcTimedPasses)
            passes = qMin(passes, untilCount(count));
        return passes;
    }
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
    m_ctx.link.sendToScanner(isBc() ? Commands::Mode : Commands::Status);
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
    if (isBc())
        parseBcLine();
    else if (m_ctx.link.cutOneLine())
        m_parser.parseStatusReply();
    // The parser may have sent a command that led to stop() (a new detection).
    if (!m_running)
        return;
    s.gPollCount = quint8(countAfter(s.gPollCount, 1));
    if (isBc())
        bcTimedWork();
    else
        perModeWork();
    if (!m_running)
        return;
    Q_EMIT passDone();
    schedule();
}

void PollCycle::parseBcLine() {
    ScannerState& s = m_ctx.state;
    showMode();
    while (m_ctx.link.cutOneLine()) {
        if (isAcknowledgement(s.gReply))
            continue;
        if (m_ctx.display.isVisible(kText6))
            m_ctx.display.setText(kText6, s.gReply);
        m_lcdParser.parseLcdReply();
        return;
    }
}

void PollCycle::bcTimedWork() {
    const ScannerState& s = m_ctx.state;
    switch (s.gPollCount) {
    case kBcModePass:
        // The mode reply is read by the LCD parser, which follows a mode changed on the scanner.
        m_ctx.link.sendToScanner(Commands::Mode);
        break;
    case kBcRefreshPass:
        m_lcdParser.queryLcdFields();
        break;
    case kBcSignalPass:
        if (m_ctx.display.foreColor(QStringLiteral("tbSIG")) == Panel::kLcdLit)
            m_ctx.link.sendToScanner(Commands::LcdSignalBars);
        break;
    case kBcBarsPass:
        m_ctx.link.sendToScanner(Commands::LcdSignalBars);
        break;
    default:
        break;
    }
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
