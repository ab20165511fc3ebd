#pragma once

#include <QString>
#include <Qt>

struct MonitorContext;
class KeyHandlers;
class ModeDetector;

/**
 * The PC keyboard on the faceplate. Two handlers, fed with the classic key codes: keyDown()
 * with the physical key code (the numeric keypad is 96..111) and keyPress() with the typed
 * character code. Both read the same numbers, so on the typed side 96..111 are "`" and "a" to
 * "o". One Enter press reaches both, so "KEY04" goes out twice.
 */
class Keyboard {
public:
    Keyboard(MonitorContext& context, KeyHandlers& keys, ModeDetector& detector);

    /// Form_KeyDown: empties the aux display's fourth line, then acts on the key code.
    void keyDown(int vbKeyCode);
    /// Form_KeyPress: acts on the character code.
    void keyPress(int charCode);

    /// The key code keyDown() expects for a Qt key event (0 for keys it has no code for).
    static int vbKeyCodeFor(int qtKey, Qt::KeyboardModifiers modifiers);
    /// The character code keyPress() expects for a key event's text (0 when there is none).
    static int charCodeFor(const QString& text);

private:
    void stepChannelDown();
    /// The BC780XLT's keypad + (step 1) and - (step -1): the next or previous of its 500 channels,
    /// or with + the channel typed, by "MA" and three digits.
    void stepBcChannel(int step);
    void clearEntry();
    void checkModeUnless(int mode);

    MonitorContext& m_ctx;
    KeyHandlers& m_keys;
    ModeDetector& m_detector;
};
