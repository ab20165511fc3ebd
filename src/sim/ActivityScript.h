#pragma once

#include "ActivityEvent.h"

#include <QList>
#include <QString>
#include <QStringList>

/**
 * A simulator script: set-up lines that fill the scanner's memory when the script is loaded,
 * and timed events the activity player plays, one per line:
 *
 *     # comment
 *     program 5 460.1250 delay City police dispatch
 *     3 stop 5 2.5           wait 3 s, stop on channel 5 for 2.5 s
 *     2 hit 154.4300 3       a search hit
 *     2 call 1234 851.0125 3 a talkgroup call
 *
 * A line that starts with a number is an event; any other line (but "repeat on|off") is a
 * set-up line handed to the scanner model. docs/simulator.md lists every word.
 */
class ActivityScript {
public:
    struct SetupLine {
        int line = 0;
        QStringList words;
    };

    /// Reads a script; on failure returns false and names the line and the fault in error.
    bool parse(const QString& text, QString* error);

    const QList<SetupLine>& setup() const { return m_setup; }
    const QList<ActivityEvent>& events() const { return m_events; }
    /// Play the events again from the top after the last one (the default).
    bool repeat() const { return m_repeat; }

    /// The script the simulator starts with: channels 1 to 60 and 1000, talkgroups, and a loop
    /// of stops, search hits and calls a few seconds apart.
    static QString defaultScript();

private:
    static bool parseEvent(const QStringList& words, ActivityEvent* event, QString* error);

    QList<SetupLine> m_setup;
    QList<ActivityEvent> m_events;
    bool m_repeat = true;
};
