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
#include "state/ScannerState.h"

#include <QPointer>

namespace {
const QString kMd = QStringLiteral("MD");
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

ModeDetector::ModeDetector(MonitorContext& context, Panel& panel, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_panel(panel) {
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &ModeDetector::checkDeadline);
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
    m_phase = Phase::Idle;
}

void ModeDetector::sendQuery(bool restartDeadline) {
    const quint64 generation = m_generation;
    m_phase = Phase::AwaitingMode;
    if (restartDeadline)
        m_queryAtMs = m_ctx.clock.monotonicMs();
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
    m_phase = Phase::AwaitingOk;
    m_boxOpen = true;
    qCInfo(lcMonitor) << "no answer to MD within" << kReplyTimeoutMs << "ms";
    QPointer<ModeDetector> self(this);
    m_ctx.prompter.inform(m_ctx.state.gAppTitle, notConnectedText(), Prompter::Icon::Critical, [self] {
        if (!self)
            return;
        self->m_boxOpen = false;
        if (self->m_phase == Phase::AwaitingOk)
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
    // The "MD" seen belonged to a line without a number: ask again, within the same deadline.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation && m_phase == Phase::CuttingLines)
            sendQuery(false);
    });
}

void ModeDetector::finish(int mode) {
    const quint64 generation = m_generation;
    m_wake.stop();
    m_phase = Phase::Idle;
    ScannerState& s = m_ctx.state;
    s.gMode = quint8(mode);
    layOutDisplay(mode);
    if (mode != m_previousMode) {
        s.gKeyEntry.clear();
        enterNewMode(mode);
    }
    if (generation == m_generation)
        Q_EMIT modeDetected(mode);
}

void ModeDetector::layOutDisplay(int mode) {
    DisplayModel& d = m_ctx.display;
    ScannerState& s = m_ctx.state;
    switch (mode) {
    case 0:
        m_panel.showScanPanel();
        break;
    case 1:
        clearDisplay();
        m_panel.showManualPanel();
        break;
    case 2:
        clearDisplay();
        d.setText(QStringLiteral("tbSEARCH"), QStringLiteral("SEARCH"));
        d.setText(QStringLiteral("tbSCAN"), QString());
        s.gModeName = QStringLiteral("SEARCH");
        break;
    case 3:
        clearDisplay();
        d.setText(QStringLiteral("tbHOLD"), QStringLiteral("HOLD"));
        d.setText(QStringLiteral("tbSEARCH"), QStringLiteral("SEARCH"));
        s.gModeName = QStringLiteral("SEARCH");
        break;
    case 4:
    case 5:
        d.setText(QStringLiteral("tbChan"), QString());
        d.setText(QStringLiteral("tbfreq"), QString());
        if (mode == 5) {
            d.setText(QStringLiteral("tbHOLD"), QStringLiteral("HOLD"));
            d.setText(QStringLiteral("tbSVC_PUB"), QStringLiteral("PUB"));
        }
        s.gModeName = QStringLiteral("SVC");
        break;
    case 8:
    case 9:
        clearDisplay();
        m_panel.showTrunkPanel();
        d.setText(QStringLiteral("tbfreq"), QStringLiteral(" TRUNK "));
        s.gModeName = mode == 8 ? QStringLiteral("PICKTRUNK") : QStringLiteral("TRUNK");
        break;
    case 10:
        clearDisplay();
        m_panel.showIdHoldPanel();
        d.setText(QStringLiteral("tbHOLD"), QStringLiteral("HOLD"));
        d.setText(QStringLiteral("tbfreq"), QStringLiteral(" TRUNK "));
        s.gModeName = QStringLiteral("TRUNK");
        break;
    case 11:
        clearDisplay();
        m_panel.showIdScanPanel();
        d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id SCAN"));
        s.gModeName = QStringLiteral("TRUNKSCAN");
        break;
    case 12:
        clearDisplay();
        m_panel.showIdHoldPanel();
        d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id HOLD"));
        s.gModeName = QStringLiteral("TRUNKHOLD");
        break;
    default:
        d.setText(QStringLiteral("StatusLine"), unsupportedText(mode));
        break;
    }
}

void ModeDetector::enterNewMode(int mode) {
    DisplayModel& d = m_ctx.display;
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    switch (mode) {
    case 0:
        clearDisplay();
        m_panel.showScanPanel();
        s.gModeName = QStringLiteral("SCAN");
        link.sendToScanner(Commands::ScanBanks);
        break;
    case 1:
        clearDisplay();
        m_panel.showManualPanel();
        s.gModeName = QStringLiteral("MANUAL");
        link.sendToScanner(Commands::CurrentChannel);
        break;
    case 2:
        clearDisplay();
        m_panel.showSearchPanel();
        d.setText(QStringLiteral("tbSEARCH"), QStringLiteral("SEARCH"));
        s.gModeName = QStringLiteral("SEARCH");
        break;
    case 3:
        clearDisplay();
        d.setText(QStringLiteral("tbSEARCH"), QStringLiteral("SEARCH"));
        d.setText(QStringLiteral("tbSRCHDN"), QString());
        // A soft hyphen: the scanner's up-arrow segment.
        d.setText(QStringLiteral("tbSRCHUP"), QString(QChar(0x00AD)));
        s.gModeName = QStringLiteral("SEARCH");
        break;
    case 4:
    case 5:
    case 6:
    case 7:
        clearDisplay();
        break;
    case 8:
        clearDisplay();
        d.setText(QStringLiteral("tbChan"), QString());
        d.setText(QStringLiteral("tbfreq"), QStringLiteral("TRUNKING"));
        s.gModeName = QStringLiteral("PICKTRUNK");
        break;
    case 9:
        clearDisplay();
        m_panel.showTrunkPanel();
        d.setText(QStringLiteral("tbChan"), QString());
        d.setText(QStringLiteral("tbfreq"), QStringLiteral("TRUNKING"));
        s.gModeName = QStringLiteral("MOT2TRUNK");
        link.sendToScanner(Commands::TrunkBank);
        break;
    case 10:
        clearDisplay();
        m_panel.showIdHoldPanel();
        d.setText(QStringLiteral("tbChan"), QString());
        d.setText(QStringLiteral("tbHOLD"), QStringLiteral("HOLD"));
        d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id HOLD"));
        s.gModeName = QStringLiteral("TRNKHOLD");
        link.sendToScanner(Commands::TrunkBank);
        break;
    case 11:
    case 12:
        clearDisplay();
        if (mode == 11) {
            m_panel.showIdScanPanel();
            d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id SCAN"));
            s.gModeName = QStringLiteral("TRUNKSCAN");
            link.sendToScanner(Commands::IdScan);
        } else {
            m_panel.showIdHoldPanel();
            d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id HOLD"));
            s.gModeName = QStringLiteral("TRUNKHOLD");
            link.sendToScanner(Commands::IdChannel);
        }
        break;
    default:
        d.setText(QStringLiteral("StatusLine"), unsupportedText(mode));
        break;
    }
}
