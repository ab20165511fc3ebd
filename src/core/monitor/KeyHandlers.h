#pragma once

#include <QString>

#include <optional>

struct MonitorContext;
class ModeDetector;

/**
 * The faceplate's keypad: each button sends its key code to the scanner and then brings the
 * display up to date (drop stale replies first, ask for the new state with refreshAfterKey(),
 * run mode detection for keys that may change the mode). SHIFT, DELAY and MUTE also keep
 * their indicator on the display.
 */
class KeyHandlers {
public:
    /// The buttons of the PRO-2052 faceplate, btnSCAN ... btnMUTE, and the BC780XLT's own
    /// btnSELECT (its mute key), btnLIGHT, btnWX and btnMENU.
    enum class Button {
        Scan,
        Manual,
        Num0,
        Num1,
        Num2,
        Num3,
        Num4,
        Num5,
        Num6,
        Num7,
        Num8,
        Num9,
        Decimal,
        Enter,
        Speed,
        Skip,
        Hold,
        Limit,
        Search,
        Service,
        Data,
        Delay,
        Trunk,
        Shift,
        Mute,
        Select,
        Light,
        Wx,
        Menu,
    };

    KeyHandlers(MonitorContext& context, ModeDetector& detector);

    /// The click of a button.
    void press(Button button);
    /// The click of btnNUM0 ... btnNUM9.
    void pressDigit(int digit);

    /**
     * RefreshAfterKey: a digit key just sent (gCommand "KEY02 d") adds d to gKeyEntry; then the
     * scanner is asked for the state the mode shows (SCAN "SB", MANUAL "MA" and the typed entry
     * in tbfreq, SEARCH the entry in tbfreq, trunk modes the ID queries).
     */
    void refreshAfterKey();

    /// The button whose caption is this digit.
    static Button digitButton(int digit);
    /// The button of a faceplate control name ("btnSCAN", "btnNUM5", "btnMUTE"); none for any other name.
    static std::optional<Button> buttonNamed(const QString& controlName);

private:
    void muteCycle();
    /// The BC780XLT's display light: off to dimmed to on to off; the caption of btnLIGHT follows.
    void lightCycle();
    bool isBc() const;

    MonitorContext& m_ctx;
    ModeDetector& m_detector;
};
