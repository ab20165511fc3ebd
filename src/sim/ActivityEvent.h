#pragma once

#include <QString>

/// One timed line of an activity script.
struct ActivityEvent {
    enum class Kind {
        Stop,  ///< scan mode: stop on a memory channel
        Hit,   ///< search modes: a signal on a frequency
        Call,  ///< trunk and ID modes: a talkgroup call
        Mode,  ///< the operator turns the scanner to another mode
        Send,  ///< a raw line, as if the scanner had sent it
        Fault, ///< a line fault (silence, garbage, drop, hang-up)
    };
    enum class FaultKind {
        Silence,
        Garbage,
        DropLine,
        HangUp,
    };

    /// Seconds to wait before the event starts (script time, before the time scale).
    double delay = 0.0;
    Kind kind = Kind::Send;
    /// Seconds the event lasts (stop, hit, call, silence).
    double hold = 0.0;
    int channel = 0;
    /// A frequency in steps of 100 Hz (154.25 MHz is 1542500).
    int steps = 0;
    int talkgroup = 0;
    int mode = 0;
    FaultKind fault = FaultKind::Silence;
    QString text;
    /// The script line it came from, for messages.
    int line = 0;
};
