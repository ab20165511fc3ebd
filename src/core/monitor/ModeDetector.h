#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

struct MonitorContext;
class Panel;

/**
 * CheckMode: asks the scanner for its mode with "MD", insists until it answers (showing the
 * not-connected message after every 5.1 s of silence), lays the display out for the mode,
 * sends the mode's first query when the mode changed, and then emits modeDetected() so the
 * poll cycle starts. The BC780XLT (gScannerModel) has its own table of mode pictures, draws
 * one only for a newly entered mode and is always asked "SB" once the mode line is in. A small state machine driven by
 * SerialLink::received and one timer; it never waits by spinning. Calling checkMode() while a detection runs replaces
 * it.
 */
class ModeDetector : public QObject {
    Q_OBJECT

public:
    /// How long the scanner may stay silent before the operator is told (on the monotonic clock).
    static constexpr qint64 kReplyTimeoutMs = 5100;
    /// A mode reply without a mode number is asked again, but not more often than this.
    static constexpr qint64 kRetryMs = 100;

    enum class Phase {
        Idle,         ///< no detection running
        AwaitingMode, ///< "MD" sent, waiting for it to come back in gRxBuffer
        AwaitingOk,   ///< the not-connected message is on screen
        CuttingLines, ///< "MD" arrived; cutting lines until the mode line is complete
    };
    Q_ENUM(Phase)

    ModeDetector(MonitorContext& context, Panel& panel, QObject* parent = nullptr);

    /// Starts a detection; one already running is abandoned and this one takes its place.
    void checkMode();
    /// Emits faceplateRequested() (the window shows the faceplate again), then checkMode().
    void goBackToFacePlate();
    /// Abandons a running detection without starting the poll cycle.
    void cancel();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase != Phase::Idle; }
    /// The mode the last detection started from (255 when it interrupted another detection).
    int previousMode() const { return m_previousMode; }

    /// Shows the not-connected message when the scanner has been silent for kReplyTimeoutMs on
    /// the monotonic clock. The wake-up timer calls this; tests that set the clock may too.
    void checkDeadline();

    /// The mode number in a reply line: the two characters after the first "MD", leading blanks
    /// allowed ("MD 1" and "MD01" are 1). No value when the line has no "MD" or they are not digits.
    static std::optional<int> modeNumber(const QString& reply);
    /// The not-connected message: five lines, each ended by CR LF.
    static QString notConnectedText();
    /// The status-line text for a mode the faceplate does not know.
    static QString unsupportedText(int mode);

Q_SIGNALS:
    /// A detection began; the running poll cycle must stop.
    void detectionStarted();
    /// The mode is known and the display laid out: the poll cycle starts now.
    void modeDetected(int mode);
    /// goBackToFacePlate(): the faceplate window should be shown again.
    void faceplateRequested();
    /// The operator answered the not-connected message ("retry the connection"); a closed port
    /// should be opened now, before "MD" goes out again.
    void connectionRetryRequested();

private:
    void sendQuery(bool restartDeadline);
    void onReceived();
    void onRetry();
    void armWake();
    void showNotConnected();
    void cutUntilModeLine();
    void finish(int mode);
    void layOutDisplay(int mode);
    void enterNewMode(int mode);
    bool isBc() const;
    /// ClearPanel, then the bank digits and markers (they are separate fields, so the order of the
    /// last two does not show).
    void clearDisplay();

    MonitorContext& m_ctx;
    Panel& m_panel;
    QTimer m_wake;
    QTimer m_retry;
    Phase m_phase = Phase::Idle;
    int m_previousMode = 255;
    qint64 m_queryAtMs = 0;   ///< when the deadline started
    qint64 m_lastQueryMs = 0; ///< when "MD" last went out
    bool m_boxOpen = false;
    quint64 m_generation = 0;
};
