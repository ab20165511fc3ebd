#include "StatusParser.h"

#include "Clock.h"
#include "DisplayModel.h"
#include "MonitorContext.h"
#include "MonitorHooks.h"
#include "Panel.h"
#include "protocol/Commands.h"
#include "protocol/ReplyRules.h"
#include "protocol/ReplyText.h"
#include "state/ScannerState.h"

namespace {
// A search reply shorter than this carries no frequency.
constexpr int kShortestSearchReply = 11;
} // namespace

void StatusParser::parseSearch(const ReplyText& reply) {
    ScannerState& s = m_ctx.state;
    DisplayModel& d = m_ctx.display;

    if (reply.startsWith("+")) {
        m_reading.squelchOpen = true;
        // Every "+" restarts the hold timer the poll cycle uses to move a stuck search on.
        s.gSearchHoldStart = m_ctx.clock.secondsSinceMidnight();
        if (d.isVisible(Field::Text3))
            setText(Field::Text3, QString::number(s.gSearchHoldStart));
        if (!s.gSignalActive) {
            s.gSignalActive = true;
            send(Commands::Modulation);
        }
        return;
    }

    if (reply.startsWith("-")) {
        m_reading.squelchOpen = false;
        if (!s.gSignalActive)
            return;
        s.gSignalActive = false;
        // The log writer gets start and now as seconds since midnight; a hold across midnight
        // is its to measure.
        if (m_ctx.log) {
            m_ctx.log->writeSearchLog(s.gSearchHoldStart, m_ctx.clock.secondsSinceMidnight(), text(Field::tbfreq),
                                      text(Field::tbModMode), QStringLiteral("NORMAL"));
        }
        s.gSearchHoldStart = 0;
        m_panel.clearPanel();
        m_panel.showSearchPanel();
        setText(Field::tbfreq, QStringLiteral(" SEARCH "));
        clearReading();
        return;
    }

    if (reply.startsWith("D")) {
        showSwitchReply(reply, QString());
        return;
    }

    if (reply.startsWith("R")) {
        if (reply.startsWith("RM") && text(Field::tbModMode).isEmpty())
            showModulation(reply.text());
        send(Commands::SearchFrequency);
        return;
    }

    if (!reply.startsWith("W"))
        return;

    const bool held = s.gMode == ModeCode::SearchHold;
    if (reply.length() < kShortestSearchReply) {
        // The scanner was still stepping: ask again while the search rests.
        if (held)
            send(Commands::SearchFrequency);
        return;
    }
    if (!held) {
        if (const auto freq = ReplyRules::searchHitFrequency(reply)) {
            setText(Field::tbfreq, *freq);
            m_reading.frequencyHz = Reading::hzFromMhzText(*freq);
        }
        return;
    }
    s.gFreqText = ReplyRules::shortFractionFrequency(reply);
    m_reading.frequencyHz = Reading::hzFromMhzText(s.gFreqText);
    setText(Field::tbfreq, s.gFreqText);
    notify(s.gFreqText);
}
