#pragma once

#include "CycleRules.h"

struct MonitorContext;
class Bc780LcdParser;
class Panel;
class PollCycle;

/**
 * The BC780XLT's poll cycle: the set-up switches its reports (squelch in the conventional modes,
 * talkgroups in the trunk modes), reads the whole display (Bc780LcdParser::queryLcdFields), clears
 * the panel and dims the light. A pass drops the "OK"/"NG" acknowledgements and hands the next line to
 * the LCD parser; the status line names the mode. The counter runs 0..kPollWrap: the mode is read again
 * at 0, the whole display at 5, and the signal bars are asked at 10 (while a signal shows) and 15.
 */
class Bc780Cycle final : public CycleRules {
public:
    Bc780Cycle(MonitorContext& context, PollCycle& cycle, Bc780LcdParser& parser, Panel& panel);

    void setUp() override;
    void readLine() override;
    void timedWork() override;
    CountRange countRange() const override { return {0, kPollWrap}; }
    int idlePasses(int limit) const override;
    QString silenceQuery() const override;

    /// gPollCount runs 0..kPollWrap and then starts at 0 again.
    static constexpr int kPollWrap = 100;

private:
    void showMode();

    MonitorContext& m_ctx;
    PollCycle& m_cycle;
    Bc780LcdParser& m_parser;
    Panel& m_panel;
    /// The mode the status line last named; -1 before the first pass of a cycle.
    int m_shownMode = -1;
};
