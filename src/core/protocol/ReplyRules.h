#pragma once

#include "ReplyText.h"

#include <QString>

#include <optional>

/**
 * How the PRO-2052's reply digits become the texts the faceplate shows: frequencies from
 * channel, search and call replies, and talkgroup IDs from the trunking replies. Each rule reads
 * fixed positions of one line; missing positions read as empty text, so no input can fail.
 */
class ReplyRules {
public:
    /// Channel frequency from positions 7-14: 01542500 gives 154.2500, 00453250 gives 45.3250.
    /// With padFraction a numeric fraction shorter than four digits is padded to four.
    static QString channelFrequency(const ReplyText& reply, bool padFraction = false);
    /// Search-hold frequency: as channelFrequency, but a fourth fraction digit of 0 is dropped
    /// (01542500 gives 154.250, 01542525 gives 154.2525).
    static QString shortFractionFrequency(const ReplyText& reply);
    /// Search-hit frequency: leading zeros from position 7 dropped, then "." and position 11
    /// onward. No value when the line holds nothing but zeros from position 7.
    static std::optional<QString> searchHitFrequency(const ReplyText& reply);
    /// Talkgroup of a scanned call: positions 6-11 without leading zeros; no value when all
    /// six are zeros. Surrounding blanks are kept (the display trims them).
    static std::optional<QString> scannedTalkgroup(const ReplyText& reply);
    /// Talkgroup from position 6 onward with at most two leading zeros dropped.
    static QString positionTalkgroup(const ReplyText& reply);
    /// Talkgroup of an ID-channel reply: position 7 onward, leading zeros in 7-9 dropped.
    static QString idChannelTalkgroup(const ReplyText& reply);
    /// Frequency of a talkgroup call (positions 13-20), leading zeros dropped, looking for the
    /// first digit up to lastPos. No value when none is found.
    static std::optional<QString> callFrequency(const ReplyText& reply, int lastPos);
    /// Which modulation a receive-modulation line names, tested in the order AM, NFM, WFM.
    static QStringList modulations(const QString& line);

    /// The whole-number value of a displayed number ("005" is 5); no value when it is not one.
    static std::optional<int> wholeNumber(const QString& text);

private:
    static QString channelWholeMegahertz(const ReplyText& reply);
};
