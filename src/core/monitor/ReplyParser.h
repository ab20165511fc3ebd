#pragma once

#include "Reading.h"

/**
 * Reads one reply line of the scanner (gReply) into the state and the display, sending the follow-up
 * queries it calls for. Each scanner has its own: the PRO-2052's status lines (StatusParser), the
 * BC780XLT's LCD segments (Bc780LcdParser); the monitor makes the one its scanner's profile names.
 *
 * Beside the display each keeps a Reading: the same replies' facts, typed, taken from the replies.
 */
class ReplyParser {
public:
    virtual ~ReplyParser() = default;
    virtual void parseReply() = 0;
    /// What the replies read so far say the scanner shows.
    virtual const Reading& reading() const = 0;
    /// The display was laid out afresh for gMode: the reading starts over from the mode alone.
    virtual void restartReading() = 0;
};
