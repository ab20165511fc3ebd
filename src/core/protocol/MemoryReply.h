#pragma once

#include <QString>

#include <optional>

/**
 * The scanner's answer to a memory read ("MA" + three digits), one line read by position:
 * 1-4 "C" and the channel's three digits, 7-14 the frequency (four digits of whole MHz, four of
 * the fraction), and the trunked, delay, lockout and priority flags at 17, 20, 23 and 29, where
 * "N" means set and any other character means not set. "000" at 7-9 is an empty channel.
 */
struct MemoryReply {
    int channel = 0;        ///< 1 to 1000 (the line's "000" is channel 1000)
    QString frequencyText;  ///< "154.5000", "1240.0000", "045.3250"; "000.000" for an empty channel
    double frequency = 0.0; ///< MHz; 0 for an empty channel
    bool trunked = false;
    bool delay = false;
    bool lockout = false; ///< an empty channel reads as locked out
    bool priority = false;

    bool isEmpty() const { return frequency <= 0.0; }

    /// True when line is the answer to the read of channel: it contains "C" + the channel's three digits.
    static bool answers(const QString& line, int channel);
    /**
     * Decodes the answer to the read of channel. An empty channel gives "000.000", 0, lockout set and the
     * other flags clear. No value when the line does not answer that channel or its frequency positions
     * are not digits (a garbled line).
     */
    static std::optional<MemoryReply> decode(const QString& line, int channel);
};
