#pragma once

#include <QString>

struct MonitorContext;
class Panel;

/**
 * ParseStatusReply: reads one PRO-2052 reply line (gReply) according to gMode, updates the
 * state and the display, sends follow-up queries, and calls the lookups, the log writers and
 * NotifyRemote. Each step stands alone: a short or malformed line skips only that step.
 */
class StatusParser {
public:
    StatusParser(MonitorContext& context, Panel& panel);

    void parseStatusReply();

private:
    MonitorContext& m_ctx;
    Panel& m_panel;
};
