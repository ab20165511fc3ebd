#pragma once

#include "Reading.h"
#include "protocol/ChannelToBank.h"
#include "protocol/ReplyText.h"

/// How both parsers move their reading on: the steps their replies share.
namespace ReadingRules {

/// Hz of the eight frequency digits at first (four of whole MHz, four of the fraction in 100 Hz), as a
/// call or channel reply carries them; 0 when they are not eight digits or all zeros.
inline qint64 hzFromDigits(const ReplyText& reply, int first) {
    if (reply.length() < first + 7)
        return 0;
    qint64 value = 0;
    for (int p = first; p < first + 8; ++p) {
        const int code = reply.code(p);
        if (code < '0' || code > '9')
            return 0;
        value = value * 10 + (code - '0');
    }
    return value * 100;
}

/// The first word of text from position from: a talkgroup that a call's frequency may follow.
inline QString firstWord(const ReplyText& reply, int from) {
    const QStringView rest = QStringView(reply.text()).mid(qMax(0, from - 1)).trimmed();
    const qsizetype space = rest.indexOf(u' ');
    return (space < 0 ? rest : rest.left(space)).toString();
}

/// The talkgroup ID in text shown for a call: its first word, without the padding or the call's frequency
/// that may follow it. This is the ID names are looked up and stored by.
inline QString talkgroupId(const QString& shown) {
    return shown.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
}

/// A channel on show with its frequency. Another channel's modulation and name are not this one's.
inline void showChannel(Reading& r, int channel, qint64 frequencyHz) {
    if (channel != r.channel) {
        r.modulation = Reading::Modulation::Unknown;
        r.channelName.clear();
    }
    r.channel = channel;
    r.bank = channelToBank(channel);
    r.frequencyHz = frequencyHz;
    r.talkgroup.clear();
    r.talkgroupName.clear();
}

/// A call in progress: its talkgroup and, when the reply carries one, its frequency (else 0).
inline void showCall(Reading& r, const QString& talkgroup, qint64 frequencyHz) {
    const QString id = talkgroup.trimmed();
    if (id != r.talkgroup) {
        // Another talkgroup: the ID channel an "IC" reply named belonged to the last one.
        r.talkgroupName.clear();
        r.channel = 0;
        r.bank = 0;
    }
    r.talkgroup = id;
    r.frequencyHz = frequencyHz;
    r.channelName.clear();
    r.squelchOpen = true;
    // A new call: its modulation is asked again.
    r.modulation = Reading::Modulation::Unknown;
}

/// The display was blanked after a transmission: the mode alone is left.
inline void clear(Reading& r) {
    r = Reading::forMode(r.model, r.mode);
}

/// A fresh reading when mode (or model) names another mode the scanner reports; the program's own
/// codes above the scanner's leave it, for the scanner still shows what it showed.
inline void followMode(Reading& r, quint8 model, quint8 mode) {
    if (mode <= Reading::kHighestScannerMode && (mode != r.mode || model != r.model))
        r = Reading::forMode(model, mode);
}

/// A reading that starts over from the mode alone; a program code above the scanner's keeps the mode shown.
inline void restart(Reading& r, quint8 model, quint8 mode) {
    r = Reading::forMode(model, mode <= Reading::kHighestScannerMode ? mode : r.mode);
}

} // namespace ReadingRules
