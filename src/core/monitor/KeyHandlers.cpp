#include "KeyHandlers.h"

#include "Bc780LcdParser.h"
#include "DisplayModel.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"

namespace {

using Button = KeyHandlers::Button;
using Commands::Key;

/// What a button does around its command.
struct KeyRule {
    Key key;
    bool clearEntry; ///< gKeyEntry emptied before sending
    bool drain;      ///< stale replies dropped before sending
    bool refresh;    ///< refreshAfterKey() after sending
    bool detect;     ///< mode detection last
};

KeyRule ruleFor(Button button) {
    switch (button) {
    case Button::Scan:
        return {Key::Scan, true, true, false, true};
    case Button::Manual:
        return {Key::Manual, true, false, false, true};
    case Button::Decimal:
        return {Key::Decimal, false, false, true, false};
    case Button::Enter:
        return {Key::Enter, true, false, false, false};
    case Button::Speed:
        return {Key::Speed, false, true, false, false};
    case Button::Skip:
        return {Key::Skip, false, true, false, false};
    case Button::Hold:
        return {Key::Hold, true, false, true, true};
    case Button::Limit:
        return {Key::Limit, true, false, true, true};
    case Button::Search:
        return {Key::Search, false, true, false, true};
    case Button::Service:
        return {Key::Service, false, true, false, true};
    case Button::Data:
        return {Key::Data, true, false, false, false};
    case Button::Delay:
        return {Key::Delay, true, false, false, false};
    case Button::Trunk:
        return {Key::Trunk, false, true, false, true};
    case Button::Shift:
        return {Key::Shift, false, false, false, false};
    default:
        // Digits and MUTE have their own paths.
        return {Key::Digit, false, false, true, false};
    }
}

} // namespace

KeyHandlers::KeyHandlers(MonitorContext& context, ModeDetector& detector)
    : m_ctx(context)
    , m_detector(detector) {}

KeyHandlers::Button KeyHandlers::digitButton(int digit) {
    return Button(int(Button::Num0) + qBound(0, digit, 9));
}

void KeyHandlers::pressDigit(int digit) {
    press(digitButton(digit));
}

void KeyHandlers::press(Button button) {
    ScannerState& s = m_ctx.state;
    DisplayModel& d = m_ctx.display;
    if (button == Button::Mute || button == Button::Select) {
        muteCycle();
        return;
    }
    if (button == Button::Light) {
        lightCycle();
        return;
    }
    // WX and MENU have no command the scanner takes over the cable.
    if (button == Button::Wx || button == Button::Menu)
        return;
    if (button >= Button::Num0 && button <= Button::Num9) {
        m_ctx.link.sendToScanner(Commands::digitKey(int(button) - int(Button::Num0)));
        refreshAfterKey();
        return;
    }
    KeyRule rule = ruleFor(button);
    // On the BC780XLT the decimal point asks for nothing, and the delay segment follows the scanner.
    if (isBc() && button == Button::Decimal)
        rule.refresh = false;
    if (button == Button::Delay && !isBc()) {
        const QString delay = QStringLiteral("tbDELAY");
        d.setText(delay, d.text(delay) == QLatin1String("DELAY") ? QString() : QStringLiteral("DELAY"));
    } else if (button == Button::Shift) {
        s.gShift = !s.gShift;
        d.setText(QStringLiteral("tbSHIFT"), s.gShift ? QStringLiteral("SHIFT") : QString());
    }
    if (rule.clearEntry)
        s.gKeyEntry.clear();
    if (rule.drain)
        m_ctx.link.readReplyLines();
    m_ctx.link.sendToScanner(Commands::key(rule.key));
    if (rule.refresh)
        refreshAfterKey();
    if (rule.detect)
        m_detector.checkMode();
}

void KeyHandlers::muteCycle() {
    ScannerState& s = m_ctx.state;
    QString command;
    QString text;
    switch (s.gMuteState) {
    case 1:
        command = Commands::MuteOn;
        text = QStringLiteral("MUTE ON");
        s.gMuteState = 2;
        break;
    case 2:
        command = Commands::MuteOff;
        text = QStringLiteral("MUTE OFF");
        s.gMuteState = 0;
        break;
    default:
        command = Commands::MuteAuto;
        text = QStringLiteral("MUTE AUTO");
        s.gMuteState = 1;
        break;
    }
    m_ctx.link.sendToScanner(command);
    m_ctx.display.setText(QStringLiteral("tbMUTE"), text);
}

bool KeyHandlers::isBc() const {
    return ScannerProfile::of(m_ctx.state).faceplate == ScannerProfile::Faceplate::Bc780xlt;
}

void KeyHandlers::lightCycle() {
    ScannerState& s = m_ctx.state;
    int next = 2;
    QString command = Commands::LightOn;
    if (s.gLightState == 0) {
        next = 1;
        command = Commands::LightDim;
    } else if (s.gLightState == 2) {
        next = 0;
        command = Commands::LightOff;
    }
    m_ctx.link.sendToScanner(command);
    m_ctx.display.setText(QStringLiteral("btnLIGHT"), Bc780LcdParser::lightCaption(next));
    s.gLightState = quint8(next);
}

void KeyHandlers::refreshAfterKey() {
    ScannerState& s = m_ctx.state;
    DisplayModel& d = m_ctx.display;
    SerialLink& link = m_ctx.link;
    const bool pro = ScannerProfile::of(s).faceplate == ScannerProfile::Faceplate::Pro2052;
    const bool digitKey = s.gCommand.startsWith(Commands::DigitKeyPrefix);
    const QString digit = s.gCommand.mid(Commands::DigitKeyPrefix.size(), 1);
    if (digitKey)
        s.gKeyEntry += digit;

    switch (s.gMode) {
    case ModeCode::Scan:
        link.sendToScanner(Commands::ScanBanks);
        break;
    case ModeCode::Manual:
        if (!pro)
            break;
        if (!s.gKeyEntry.isEmpty())
            d.setText(QStringLiteral("tbfreq"), s.gKeyEntry);
        link.sendToScanner(Commands::CurrentChannel);
        break;
    case ModeCode::Search:
        if (pro)
            d.setText(QStringLiteral("tbfreq"), s.gKeyEntry.isEmpty() ? QStringLiteral(" SEARCH ") : s.gKeyEntry);
        break;
    case ModeCode::PickTrunk:
        link.sendToScanner(Commands::IdReportOn);
        link.sendToScanner(Commands::IdScan);
        break;
    case ModeCode::Trunk:
    case ModeCode::TrunkHold:
        link.sendToScanner(Commands::IdReportOn);
        break;
    case ModeCode::IdScan:
        link.sendToScanner(Commands::IdReportOn);
        if (pro)
            link.sendToScanner(Commands::IdScan);
        break;
    case ModeCode::IdHold:
        if (pro && digitKey)
            d.setText(QStringLiteral("tbfreq"), d.text(QStringLiteral("tbfreq")) + digit);
        link.sendToScanner(Commands::IdChannel);
        link.sendToScanner(Commands::IdReportOn);
        break;
    default:
        break;
    }
}
