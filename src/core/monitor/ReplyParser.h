#pragma once

/**
 * Reads one reply line of the scanner (gReply) into the state and the display, sending the follow-up
 * queries it calls for. Each scanner has its own: the PRO-2052's status lines (StatusParser), the
 * BC780XLT's LCD segments (Bc780LcdParser); the monitor makes the one its scanner's profile names.
 */
class ReplyParser {
public:
    virtual ~ReplyParser() = default;
    virtual void parseReply() = 0;
};
