#pragma once

#include <QObject>
#include <QString>

struct MonitorContext;
class Panel;
class ModeDetector;
class PollCycle;

/**
 * What the faceplate's menu entries do, without the widgets: mode entries, the range-search
 * hand-over, clearing the scanner's memory, the check-mark switches and the aux display.
 */
class FaceplateActions : public QObject {
    Q_OBJECT

public:
    FaceplateActions(MonitorContext& context, Panel& panel, ModeDetector& detector, PollCycle& poll,
                     QObject* parent = nullptr);

    /// Scan Modes / Manual Mode: "KEY01", then mode detection.
    void manualMode();
    /// Scan Modes / Scan Mode: "KEY00", then mode detection.
    void scanMode();
    /**
     * Scan Modes / Search Mode: remembers gMode as text in gModeName, sets gMode 21, shows the
     * search picture and suspends the monitor; rangeSearchRequested() asks the window to open.
     * The range-search window hands back through searchRange() or checkMode().
     */
    void searchMode();
    /// Asks the operator to confirm; OK sends "AC" (the scanner's factory reset), Cancel nothing.
    void clearMemory();
    /// Show Freq and Talkgroup: flips the switch; "FIF" when it was on, "FIN" when it was off.
    void toggleShowFreqAndTalkgroup();
    /// View / Aux Display: shows the aux display, or says it is already open.
    void openAuxDisplay();
    void toggleScanLogging();
    void toggleSearchLogging();
    void toggleTrunkLogging();

    static QString clearMemoryTitle();
    static QString clearMemoryText();

Q_SIGNALS:
    /// The range-search window should open.
    void rangeSearchRequested();

private:
    MonitorContext& m_ctx;
    Panel& m_panel;
    ModeDetector& m_detector;
    PollCycle& m_poll;
};
