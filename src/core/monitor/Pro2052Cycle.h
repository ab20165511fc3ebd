#pragma once

#include "CycleRules.h"

struct MonitorContext;
class KeyHandlers;
class PollCycle;
class ReplyParser;

/**
 * The PRO-2052's poll cycle: the set-up switches its reports for the mode ("QUN"/"IDF" in the
 * conventional modes, "QUF"/"IDN" in the trunk modes), sets the mute and the frequency-and-talkgroup
 * display, asks the mode's status and then "SI". A pass hands one status line to the parser; the counter
 * runs 1..200 and the timed work is the mode's: "SQ" at pass 50 in SCAN and 9 in SEARCH, and forcing a
 * search on once it has rested on one signal longer than gSearchHoldLimit.
 */
class Pro2052Cycle final : public CycleRules {
public:
    Pro2052Cycle(MonitorContext& context, PollCycle& cycle, ReplyParser& parser, KeyHandlers& keys);

    void prepare() override;
    void setUp() override;
    void readLine() override;
    void timedWork() override;
    CountRange countRange() const override { return {1, kPollWrap}; }
    int idlePasses(int limit) const override;
    QString silenceQuery() const override;

    /// gPollCount runs 1..kPollWrap and then starts at 1 again.
    static constexpr int kPollWrap = 200;

private:
    void searchHoldWork();
    double secondsHeld() const;
    bool text3Shown() const;

    MonitorContext& m_ctx;
    PollCycle& m_cycle;
    ReplyParser& m_parser;
    KeyHandlers& m_keys;
};
