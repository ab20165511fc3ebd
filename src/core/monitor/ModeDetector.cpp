#include "ModeDetector.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "MonitorContext.h"
#include "MonitorLog.h"
#include "Panel.h"
#include "Prompter.h"
#include "TextNumbers.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"

#include <QPointer>

#include <array>
#include <utility>

namespace {
const QString kMd = QStringLiteral("MD");
const QString kCrLf = QStringLiteral("\r\n");

/// What the display shows for a mode.
struct Picture {
    /// False: the mode is reported as unsupported instead.
    bool supported = true;
    /// ClearPanel, the bank digits and the markers first.
    bool clear = false;
    void (Panel::*panel)() = nullptr;
    /// Field and text (UTF-8); unused entries have no field.
    std::array<std::pair<const char*, const char*>, 4> texts{};
    /// gModeName afterwards; none leaves it.
    const char* name = nullptr;
};

struct ModeRow {
    int code;
    Picture detected; ///< laid out on every detection
    Picture entered;  ///< laid out when the mode differs from the one before
    const QString* firstQuery;
};

/// Per mode the scanner reports: the picture every detection lays out, the one a newly entered
/// mode gets instead (with the query that makes the scanner report the mode's state). Each
/// picture clears the display first when it says so, runs its panel routine, then writes its
/// texts, then names the mode. A code without a row is unsupported both times.
const ModeRow kModes[] = {
    {ModeCode::Scan, Picture{.panel = &Panel::showScanPanel},
     Picture{.clear = true, .panel = &Panel::showScanPanel, .name = "SCAN"}, &Commands::ScanBanks},
    {ModeCode::Manual, Picture{.clear = true, .panel = &Panel::showManualPanel},
     Picture{.clear = true, .panel = &Panel::showManualPanel, .name = "MANUAL"}, &Commands::CurrentChannel},
    {ModeCode::Search, Picture{.clear = true, .texts = {{{"tbSEARCH", "SEARCH"}, {"tbSCAN", ""}}}, .name = "SEARCH"},
     Picture{.clear = true, .panel = &Panel::showSearchPanel, .texts = {{{"tbSEARCH", "SEARCH"}}}, .name = "SEARCH"},
     nullptr},
    // The soft hyphen is the scanner's up-arrow segment.
    {ModeCode::SearchHold,
     Picture{.clear = true, .texts = {{{"tbHOLD", "HOLD"}, {"tbSEARCH", "SEARCH"}}}, .name = "SEARCH"},
     Picture{.clear = true,
             .texts = {{{"tbSEARCH", "SEARCH"}, {"tbSRCHDN", ""}, {"tbSRCHUP", "\u00AD"}}},
             .name = "SEARCH"},
     nullptr},
    {ModeCode::ServiceSearch, Picture{.texts = {{{"tbChan", ""}, {"tbfreq", ""}}}, .name = "SVC"},
     Picture{.clear = true}, nullptr},
    {ModeCode::ServiceSearchHold,
     Picture{.texts = {{{"tbChan", ""}, {"tbfreq", ""}, {"tbHOLD", "HOLD"}, {"tbSVC_PUB", "PUB"}}}, .name = "SVC"},
     Picture{.clear = true}, nullptr},
    // 6 and 7: unsupported when reported, but a change to them still blanks the display.
    {6, Picture{.supported = false}, Picture{.clear = true}, nullptr},
    {7, Picture{.supported = false}, Picture{.clear = true}, nullptr},
    {ModeCode::PickTrunk,
     Picture{.clear = true, .panel = &Panel::showTrunkPanel, .texts = {{{"tbfreq", " TRUNK "}}}, .name = "PICKTRUNK"},
     Picture{.clear = true, .texts = {{{"tbChan", ""}, {"tbfreq", "TRUNKING"}}}, .name = "PICKTRUNK"}, nullptr},
    {ModeCode::Trunk,
     Picture{.clear = true, .panel = &Panel::showTrunkPanel, .texts = {{{"tbfreq", " TRUNK "}}}, .name = "TRUNK"},
     Picture{.clear = true,
             .panel = &Panel::showTrunkPanel,
             .texts = {{{"tbChan", ""}, {"tbfreq", "TRUNKING"}}},
             .name = "MOT2TRUNK"},
     &Commands::TrunkBank},
    {ModeCode::TrunkHold,
     Picture{.clear = true,
             .panel = &Panel::showIdHoldPanel,
             .texts = {{{"tbHOLD", "HOLD"}, {"tbfreq", " TRUNK "}}},
             .name = "TRUNK"},
     Picture{.clear = true,
             .panel = &Panel::showIdHoldPanel,
             .texts = {{{"tbChan", ""}, {"tbHOLD", "HOLD"}, {"tbfreq", "Id HOLD"}}},
             .name = "TRNKHOLD"},
     &Commands::TrunkBank},
    {ModeCode::IdScan,
     Picture{.clear = true, .panel = &Panel::showIdScanPanel, .texts = {{{"tbfreq", "Id SCAN"}}}, .name = "TRUNKSCAN"},
     Picture{.clear = true, .panel = &Panel::showIdScanPanel, .texts = {{{"tbfreq", "Id SCAN"}}}, .name = "TRUNKSCAN"},
     &Commands::IdScan},
    {ModeCode::IdHold,
     Picture{.clear = true, .panel = &Panel::showIdHoldPanel, .texts = {{{"tbfreq", "Id HOLD"}}}, .name = "TRUNKHOLD"},
     Picture{.clear = true, .panel = &Panel::showIdHoldPanel, .texts = {{{"tbfreq", "Id HOLD"}}}, .name = "TRUNKHOLD"},
     &Commands::IdChannel},
};

/// The BC780XLT lays out only a newly entered mode; its LCD queries draw the rest. A code without
/// a row is reported as unsupported when it is entered.
const ModeRow kBcModes[] = {
    {ModeCode::Scan, {}, Picture{.name = "SCAN"}, &Commands::ScanBanks},
    {ModeCode::Manual, {}, Picture{.name = "MANUAL"}, &Commands::CurrentChannel},
    {ModeCode::Search, {}, Picture{.name = "SEARCH"}, nullptr},
    {ModeCode::SearchHold, {}, Picture{.name = "SEARCH"}, nullptr},
    {ModeCode::ServiceSearch, {}, Picture{}, nullptr},
    {ModeCode::ServiceSearchHold, {}, Picture{.clear = true}, nullptr},
    {6, {}, Picture{.clear = true}, nullptr},
    {7, {}, Picture{.clear = true}, nullptr},
    {ModeCode::PickTrunk, {}, Picture{.clear = true, .name = "PICKTRUNK"}, nullptr},
    {ModeCode::Trunk, {}, Picture{}, &Commands::TrunkBank},
    {ModeCode::TrunkHold,
     {},
     Picture{.clear = true,
             .panel = &Panel::showIdHoldPanel,
             .texts = {{{"tbHOLD", "HOLD"}, {"Text2(4)", "> ID HOLD"}}},
             .name = "TRNKHOLD"},
     &Commands::TrunkBank},
    {ModeCode::IdScan,
     {},
     Picture{.clear = true, .texts = {{{"Text2(4)", "> ID SCAN"}}}, .name = "TRUNKSCAN"},
     nullptr},
    // No blank after ">" here: the scanner's own text.
    {ModeCode::IdHold,
     {},
     Picture{.clear = true, .texts = {{{"Text2(4)", ">ID HOLD"}}}, .name = "TRUNKHOLD"},
     &Commands::IdChannel},
};

template <std::size_t N> const ModeRow* findRow(const ModeRow (&rows)[N], int mode) {
    for (const ModeRow& row : rows) {
        if (row.code == mode)
            return &row;
    }
    return nullptr;
}

const ModeRow* modeRow(int mode, bool bc) {
    return bc ? findRow(kBcModes, mode) : findRow(kModes, mode);
}

void showPicture(const Picture& picture, Panel& panel, DisplayModel& display) {
    if (picture.clear) {
        panel.clearPanel();
        panel.clearBankDigits();
        panel.clearBankMarkers();
    }
    if (picture.panel)
        (panel.*picture.panel)();
    for (const auto& [field, text] : picture.texts) {
        if (field)
            display.setText(QLatin1String(field), QString::fromUtf8(text));
    }
}
} // namespace

ModeDetector::ModeDetector(MonitorContext& context, Panel& panel, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_panel(panel) {
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &ModeDetector::checkDeadline);
    m_retry.setSingleShot(true);
    m_retry.setTimerType(Qt::PreciseTimer);
    connect(&m_retry, &QTimer::timeout, this, &ModeDetector::onRetry);
    connect(&m_ctx.link, &SerialLink::received, this, &ModeDetector::onReceived);
}

std::optional<int> ModeDetector::modeNumber(const QString& reply) {
    const qsizetype at = reply.indexOf(kMd);
    if (at < 0)
        return std::nullopt;
    const QString digits = reply.mid(at + 2, 2).trimmed();
    if (!TextNumbers::isAllDigits(digits))
        return std::nullopt;
    return digits.toInt();
}

QString ModeDetector::notConnectedText() {
    return QStringLiteral("The scanner doesn't appear to be connected to the PC") + kCrLf +
           QStringLiteral("Please verify that the radio is connected to the correct COM port") + kCrLf +
           QStringLiteral("and that the scanner is in SOFTWARE CONTROL MODE") + kCrLf + kCrLf +
           QStringLiteral("Click OK to retry connection") + kCrLf;
}

QString ModeDetector::unsupportedText(int mode) {
    return QStringLiteral("Mode #%1 is unsupported at this time.").arg(mode);
}

void ModeDetector::checkMode() {
    ++m_generation;
    m_wake.stop();
    m_retry.stop();
    Q_EMIT detectionStarted();
    ScannerState& s = m_ctx.state;
    m_previousMode = s.gMode;
    // 255 keeps the poll cycle's per-mode work idle while the scanner is asked.
    s.gMode = ModeCode::Undetermined;
    m_ctx.link.readReplyLines();
    if (m_boxOpen) {
        // One message at a time: the query goes out when the operator answers the open box.
        m_phase = Phase::AwaitingOk;
        return;
    }
    sendQuery(true);
}

void ModeDetector::goBackToFacePlate() {
    Q_EMIT faceplateRequested();
    checkMode();
}

void ModeDetector::cancel() {
    ++m_generation;
    m_wake.stop();
    m_retry.stop();
    m_phase = Phase::Idle;
}

void ModeDetector::sendQuery(bool restartDeadline) {
    const quint64 generation = m_generation;
    m_phase = Phase::AwaitingMode;
    m_lastQueryMs = m_ctx.clock.monotonicMs();
    if (restartDeadline)
        m_queryAtMs = m_lastQueryMs;
    armWake();
    m_ctx.link.sendToScanner(Commands::Mode);
    // The answer may already be waiting (a late reply, or one that came back during the write).
    if (generation == m_generation && m_phase == Phase::AwaitingMode)
        onReceived();
}

void ModeDetector::armWake() {
    const qint64 remaining = kReplyTimeoutMs - (m_ctx.clock.monotonicMs() - m_queryAtMs);
    m_wake.start(int(qBound(qint64(0), remaining, kReplyTimeoutMs)));
}

void ModeDetector::checkDeadline() {
    if (m_phase != Phase::AwaitingMode && m_phase != Phase::CuttingLines)
        return;
    // Elapsed time comes from the monotonic clock, so a wait across midnight still ends.
    if (m_ctx.clock.monotonicMs() - m_queryAtMs >= kReplyTimeoutMs)
        showNotConnected();
    else
        armWake();
}

void ModeDetector::onReceived() {
    if (m_phase == Phase::AwaitingMode) {
        if (!m_ctx.state.gRxBuffer.contains(kMd))
            return;
        clearDisplay();
        m_phase = Phase::CuttingLines;
    }
    if (m_phase == Phase::CuttingLines)
        cutUntilModeLine();
}

void ModeDetector::showNotConnected() {
    m_wake.stop();
    m_retry.stop();
    m_phase = Phase::AwaitingOk;
    m_boxOpen = true;
    qCInfo(lcMonitor) << "no answer to MD within" << kReplyTimeoutMs << "ms";
    QPointer<ModeDetector> self(this);
    m_ctx.prompter.inform(m_ctx.state.gAppTitle, notConnectedText(), Prompter::Icon::Critical, [self] {
        if (!self)
            return;
        self->m_boxOpen = false;
        if (self->m_phase != Phase::AwaitingOk)
            return;
        Q_EMIT self->connectionRetryRequested();
        if (self && self->m_phase == Phase::AwaitingOk)
            self->sendQuery(true);
    });
}

void ModeDetector::clearDisplay() {
    m_panel.clearPanel();
    m_panel.clearBankDigits();
    m_panel.clearBankMarkers();
}

void ModeDetector::cutUntilModeLine() {
    ScannerState& s = m_ctx.state;
    for (;;) {
        const QString before = s.gReply;
        const QString prevBefore = s.gPrevReply;
        if (!m_ctx.link.cutOneLine())
            break;
        // An empty current reply is not worth remembering as the previous one.
        if (before.isEmpty())
            s.gPrevReply = prevBefore;
        if (!s.gReply.contains(kMd))
            continue;
        if (const auto mode = modeNumber(s.gReply)) {
            finish(*mode);
            return;
        }
        qCWarning(lcMonitor) << "mode reply without a mode number discarded:" << s.gReply;
    }
    if (s.gRxBuffer.contains(kMd))
        return; // the rest of the mode line is still on its way
    // The "MD" seen belonged to a line without a number: ask again within the same deadline, but
    // not sooner than kRetryMs after the last query, or a scanner that answers every query so
    // would be asked thousands of times a second.
    if (!m_retry.isActive()) {
        const qint64 sinceQuery = m_ctx.clock.monotonicMs() - m_lastQueryMs;
        m_retry.start(int(qBound(qint64(0), kRetryMs - sinceQuery, kRetryMs)));
    }
}

void ModeDetector::onRetry() {
    if (m_phase == Phase::CuttingLines)
        sendQuery(false);
}

void ModeDetector::finish(int mode) {
    const quint64 generation = m_generation;
    m_wake.stop();
    m_retry.stop();
    m_phase = Phase::Idle;
    ScannerState& s = m_ctx.state;
    // The BC780XLT is asked for its scan banks whatever the mode.
    if (isBc())
        m_ctx.link.sendToScanner(Commands::ScanBanks);
    s.gMode = quint8(mode);
    layOutDisplay(mode);
    if (mode != m_previousMode) {
        s.gKeyEntry.clear();
        enterNewMode(mode);
    }
    if (generation == m_generation)
        Q_EMIT modeDetected(mode);
}

bool ModeDetector::isBc() const {
    return ScannerProfile::of(m_ctx.state).faceplate == ScannerProfile::Faceplate::Bc780xlt;
}

void ModeDetector::layOutDisplay(int mode) {
    if (isBc())
        return;
    const ModeRow* row = modeRow(mode, false);
    if (!row || !row->detected.supported) {
        m_ctx.display.setText(QStringLiteral("StatusLine"), unsupportedText(mode));
        return;
    }
    showPicture(row->detected, m_panel, m_ctx.display);
    if (row->detected.name)
        m_ctx.state.gModeName = QLatin1String(row->detected.name);
}

void ModeDetector::enterNewMode(int mode) {
    const ModeRow* row = modeRow(mode, isBc());
    if (!row) {
        m_ctx.display.setText(QStringLiteral("StatusLine"), unsupportedText(mode));
        return;
    }
    showPicture(row->entered, m_panel, m_ctx.display);
    if (row->entered.name)
        m_ctx.state.gModeName = QLatin1String(row->entered.name);
    if (row->firstQuery)
        m_ctx.link.sendToScanner(*row->firstQuery);
}
