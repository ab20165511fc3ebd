#include "Keyboard.h"

#include "DisplayModel.h"
#include "KeyHandlers.h"
#include "ModeDetector.h"
#include "MonitorContext.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"

namespace {

using Commands::Key;

// Key codes of the key-down side.
constexpr int kEnter = 13;
constexpr int kPad0 = 96;
constexpr int kPad9 = 105;
constexpr int kPadMultiply = 106;
constexpr int kPadAdd = 107;
constexpr int kPadSubtract = 109;
constexpr int kPadDecimal = 110;
constexpr int kPadDivide = 111;
// The BC780XLT's memory channels.
constexpr int kBcChannels = 500;

// Character codes of the typed side: the same numbers read as characters.
constexpr int kGrave = 96; // "`" is digit 0, "a" to "i" are 1 to 9
constexpr int kLetterI = 105;
constexpr int kLetterJ = 106;
constexpr int kLetterK = 107;
constexpr int kLetterM = 109;
constexpr int kLetterN = 110;
constexpr int kLetterO = 111;

} // namespace

Keyboard::Keyboard(MonitorContext& context, KeyHandlers& keys, ModeDetector& detector)
    : m_ctx(context)
    , m_keys(keys)
    , m_detector(detector) {}

void Keyboard::clearEntry() {
    m_ctx.state.gKeyEntry.clear();
}

void Keyboard::checkModeUnless(int mode) {
    if (m_ctx.state.gMode != mode)
        m_detector.checkMode();
}

void Keyboard::stepChannelDown() {
    ScannerState& s = m_ctx.state;
    if (s.gMode != ModeCode::Manual)
        return;
    s.gChannelNum = s.gChannelNum > 1 ? qint16(s.gChannelNum - 1) : qint16(1000);
    const QString digits = QString::number(s.gChannelNum);
    for (const QChar c : digits)
        m_ctx.link.directWrite(Commands::digitKey(c.digitValue()));
}

void Keyboard::stepBcChannel(int step) {
    ScannerState& s = m_ctx.state;
    SerialLink& link = m_ctx.link;
    const bool typed = step > 0 && !s.gKeyEntry.isEmpty();
    if (step < 0)
        clearEntry();
    if (step < 0 && s.gMode != ModeCode::Manual) {
        link.sendToScanner(Commands::key(Key::Manual));
        link.sendToScanner(Commands::CurrentChannel);
        return;
    }
    // The BC780XLT's 500 channels in a ring: down from 1 is 500, up from 500 is 1.
    QString channel = s.gKeyEntry;
    if (!typed) {
        s.gChannelNum = qint16((qBound(1, int(s.gChannelNum), kBcChannels) - 1 + step + kBcChannels) % kBcChannels + 1);
        channel = QString::number(s.gChannelNum);
    }
    // The scanner takes a channel as three digits only.
    const QString command = Commands::CurrentChannel + channel.right(3).rightJustified(3, QLatin1Char('0'));
    link.sendToScanner(command);
    if (step < 0) {
        link.sendToScanner(Commands::CurrentChannel);
        return;
    }
    link.sendToScanner(command);
    clearEntry();
    link.sendToScanner(Commands::ScanBanks);
}

void Keyboard::keyDown(int vbKeyCode) {
    SerialLink& link = m_ctx.link;
    m_ctx.aux.setText(QStringLiteral("Text2"), 4, QString());
    if (ScannerProfile::of(m_ctx.state).faceplate == ScannerProfile::Faceplate::Bc780xlt &&
        (vbKeyCode == kPadAdd || vbKeyCode == kPadSubtract)) {
        stepBcChannel(vbKeyCode == kPadAdd ? 1 : -1);
        return;
    }
    if (vbKeyCode >= kPad0 && vbKeyCode <= kPad9) {
        link.sendToScanner(Commands::digitKey(vbKeyCode - kPad0));
        m_keys.refreshAfterKey();
        return;
    }
    switch (vbKeyCode) {
    case kEnter:
        clearEntry();
        link.sendToScanner(Commands::key(Key::Enter));
        m_keys.refreshAfterKey();
        break;
    case kPadMultiply:
        clearEntry();
        link.sendToScanner(Commands::key(Key::Scan));
        link.sendToScanner(Commands::CurrentChannel);
        checkModeUnless(ModeCode::Scan);
        break;
    case kPadAdd:
        clearEntry();
        link.sendToScanner(Commands::key(Key::Manual));
        link.sendToScanner(Commands::CurrentChannel);
        checkModeUnless(ModeCode::Manual);
        break;
    case kPadSubtract:
        clearEntry();
        stepChannelDown();
        link.directWrite(Commands::key(Key::Manual));
        link.directWrite(Commands::CurrentChannel);
        checkModeUnless(ModeCode::Manual);
        break;
    case kPadDecimal:
        link.directWrite(Commands::key(Key::Decimal));
        break;
    case kPadDivide:
        clearEntry();
        link.directWrite(Commands::key(Key::Trunk));
        m_detector.checkMode();
        break;
    default:
        break;
    }
}

void Keyboard::keyPress(int charCode) {
    SerialLink& link = m_ctx.link;
    if (charCode >= kGrave && charCode <= kLetterI) {
        link.sendToScanner(Commands::digitKey(charCode - kGrave));
        return;
    }
    switch (charCode) {
    case kEnter:
        link.sendToScanner(Commands::key(Key::Enter));
        break;
    case kLetterJ:
        link.sendToScanner(Commands::key(Key::Scan));
        checkModeUnless(ModeCode::Scan);
        break;
    case kLetterK:
        link.sendToScanner(Commands::key(Key::Manual));
        checkModeUnless(ModeCode::Manual);
        break;
    case kLetterM:
        stepChannelDown();
        link.sendToScanner(Commands::key(Key::Manual));
        checkModeUnless(ModeCode::Manual);
        break;
    case kLetterN:
        link.sendToScanner(Commands::key(Key::Decimal));
        break;
    case kLetterO:
        link.sendToScanner(Commands::key(Key::Trunk));
        link.sendToScanner(Commands::CurrentChannel);
        m_detector.checkMode();
        break;
    default:
        break;
    }
}

int Keyboard::vbKeyCodeFor(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        return kEnter;
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return kPad0 + (qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk:
            return kPadMultiply;
        case Qt::Key_Plus:
            return kPadAdd;
        case Qt::Key_Minus:
            return kPadSubtract;
        case Qt::Key_Period:
        case Qt::Key_Comma: // the keypad decimal key of locales with a decimal comma
            return kPadDecimal;
        case Qt::Key_Slash:
            return kPadDivide;
        default:
            return 0;
        }
    }
    // Main-keyboard letters and digits keep their classic codes (65..90, 48..57), which the
    // key-down table ignores; they matter only for the typed-character side.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    return 0;
}

int Keyboard::charCodeFor(const QString& text) {
    if (text.size() != 1)
        return 0;
    const char16_t c = text.at(0).unicode();
    return c < 256 ? int(c) : 0;
}
