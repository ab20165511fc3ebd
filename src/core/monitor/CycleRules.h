#pragma once

#include <QString>

/**
 * What a poll cycle does that differs between scanners, chosen once from the scanner's profile: the
 * reporting switches and display set-up that start a cycle, how a pass reads its reply line, the
 * range of the pass counter and the timed work a pass does once it has counted. PollCycle keeps
 * the pacing, the sleeping through idle passes and the silence watch common to both.
 */
class CycleRules {
public:
    /// gPollCount runs first..last and then starts at first again.
    struct CountRange {
        int first;
        int last;
    };

    virtual ~CycleRules() = default;

    /// Before the mode is checked: what waits in the receive buffer from before.
    virtual void prepare() {}
    /// Sets the scanner up for a cycle in gMode. A command it sends may start a new detection, which
    /// stops the cycle: it checks PollCycle::isRunning() after such commands and leaves off when stopped.
    virtual void setUp() = 0;
    /// Cuts at most one reply line and hands it to the parser.
    virtual void readLine() = 0;
    /// The work of the pass that brought gPollCount to where it is.
    virtual void timedWork() = 0;
    virtual CountRange countRange() const = 0;
    /// Of the next limit passes, how many may be slept through: up to and including the next with work.
    virtual int idlePasses(int limit) const = 0;
    /// The query that tells whether a silent scanner answers again.
    virtual QString silenceQuery() const = 0;
};
