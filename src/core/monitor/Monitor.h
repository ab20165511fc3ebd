#pragma once

#include "Reading.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

struct MonitorContext;
class Panel;
class ReplyParser;
class ModeDetector;
class PollCycle;
class KeyHandlers;
class Keyboard;
class FaceplateActions;
class HitTracker;

/**
 * The monitor of one session: panel routines, reply parser, mode detection, poll cycle, keypad, keyboard and menu
 * actions over one MonitorContext. The parser and the poll cycle's rules are the ones the scanner's profile names
 * (gScannerModel when the monitor is made). start() runs the first mode detection; from then on every detection
 * ends in a fresh poll cycle.
 */
class Monitor : public QObject {
    Q_OBJECT

public:
    explicit Monitor(MonitorContext& context, QObject* parent = nullptr);
    ~Monitor() override;

    /// The first detection, at the end of the faceplate's load: gMode 255, then checkMode().
    void start();
    /// Stops detection and polling (closing down).
    void stop();

    /// CheckMode.
    void checkMode();
    /// GoBackToFacePlate: faceplateRequested(), then checkMode().
    void goBackToFacePlate();
    /// SearchRange (see PollCycle::searchRange).
    void searchRange(const QString& low, const QString& high, int dwell, int unused = 0);
    /// A take-over window (backup, restore, bank types) has the scanner: no passes until it
    /// hands back through goBackToFacePlate(), searchRange() or checkMode().
    void suspend();

    /// Called on every poll pass to refresh the link lamps.
    void setLampRefresh(std::function<void()> refresh);

    Panel& panel() { return *m_panel; }
    /// The scanner's reply parser: the PRO-2052's StatusParser or the BC780XLT's Bc780LcdParser.
    ReplyParser& parser() { return *m_parser; }
    ModeDetector& detector() { return *m_detector; }
    PollCycle& poll() { return *m_poll; }
    KeyHandlers& keys() { return *m_keys; }
    Keyboard& keyboard() { return *m_keyboard; }
    FaceplateActions& actions() { return *m_actions; }

    /// What the scanner shows now, as typed facts.
    const Reading& reading() const;
    /// Publishes the active parser's reading when it changed: readingChanged(), and the hits it makes.
    /// Runs after every poll pass and every mode detection; tests that feed the parser may call it.
    void publish();

Q_SIGNALS:
    /// The faceplate window should be shown again (goBackToFacePlate()).
    void faceplateRequested();
    /// The range-search window should open (the Search menu entry).
    void rangeSearchRequested();
    /// A text for the status line (the scanner stopped or started answering).
    void statusLine(const QString& text);
    /// The reading changed (once per change, not once per poll pass).
    void readingChanged(const Reading& reading);
    /// The scanner stopped on a transmission (squelch open on a channel, a search frequency or a talkgroup).
    void hitStarted(const Hit& hit);
    /// That transmission ended (squelch closed or the scanner moved on); durationMs is set.
    void hitEnded(const Hit& hit);

private:
    /// The display was laid out afresh for the mode: the reading starts over.
    void onModeDetected();

    MonitorContext& m_ctx;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<ReplyParser> m_parser;
    std::unique_ptr<ModeDetector> m_detector;
    std::unique_ptr<KeyHandlers> m_keys;
    std::unique_ptr<PollCycle> m_poll;
    std::unique_ptr<Keyboard> m_keyboard;
    std::unique_ptr<FaceplateActions> m_actions;
    std::unique_ptr<HitTracker> m_hits;
    Reading m_reading;
};
