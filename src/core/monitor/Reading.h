#pragma once

#include "state/ScannerState.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

/**
 * What the scanner shows, as typed facts. The parsers fill it beside the display model as they read
 * each reply; nothing outside the monitor learns a fact by reading display text back.
 */
struct Reading {
    enum class Modulation { Unknown, Am, Nfm, Wfm };
    /// The scanner reports modes 0 to 20; the codes above are the program's own (detection, the range
    /// search, the command check), during which the scanner still shows what it showed.
    static constexpr quint8 kHighestScannerMode = 20;

    quint8 model = ScannerModel::Pro2052; ///< ScannerModel code
    quint8 mode = ModeCode::Undetermined; ///< the mode code (gMode)
    QString modeName;                     ///< "SCAN", "MANUAL", "TRUNK HOLD", ...
    qint64 frequencyHz = 0;               ///< the frequency shown; 0 when none is shown
    int channel = 0;                      ///< 0 when no channel is shown
    int bank = 0;                         ///< 0 when no bank is shown
    QString talkgroup;                    ///< empty when none is shown
    Modulation modulation = Modulation::Unknown;
    bool squelchOpen = false;
    int signalBars = -1;   ///< lit bars (0..6 on the BC780XLT), -1 where the model shows none
    QString tone;          ///< CTCSS or DCS as shown ("CTCSS 100.0", "DCS 023"), empty when none
    QString channelName;   ///< the channel's or frequency's name from the lookups
    QString talkgroupName; ///< the talkgroup's name from the lookups

    bool operator==(const Reading&) const = default;

    /// The reading of a mode just entered: model and mode, nothing shown yet.
    static Reading forMode(quint8 model, quint8 mode);
    /// The name of a mode code the scanner reports: "SCAN", "MANUAL", "SEARCH", "SEARCH HOLD", "SERVICE SEARCH",
    /// "SERVICE HOLD", "PICK TRUNK", "TRUNK", "TRUNK HOLD", "ID SCAN", "ID HOLD"; "MODE n" for the others.
    static QString modeNameOf(quint8 mode);
    /// True for the modes that follow talkgroups (trunk tracking, its hold, ID scan and ID hold).
    static bool isTrunkMode(quint8 mode);
    /// Hz of a frequency in MHz as the scanner's replies give it ("154.2500", "46.2625", "1240.0000",
    /// " 851.0125"); 0 for text that is no such frequency (a talkgroup, a banner, empty text).
    static qint64 hzFromMhzText(const QString& mhz);
    /// The modulation a receive-modulation reply names; the last of AM, NFM, WFM it contains.
    static Modulation modulationIn(const QString& line);
    /// What the scanner stopped on, as a key: "TG 1234", "CH 5" or "F 154250000"; empty when nothing.
    QString stopKey() const;

    /// "AM", "NFM", "WFM", or "" for Unknown.
    static QString modulationText(Modulation m);
    /// The documented JSON object (docs/monitor.md): mode, mode_name, model, frequency_hz (integer or
    /// null), channel, bank, talkgroup (null when none), modulation, squelch_open, signal_bars, tone,
    /// channel_name, talkgroup_name.
    QJsonObject toJson() const;
};

/**
 * One transmission the scanner stopped on (a channel, a frequency in search, a talkgroup in trunk),
 * from the squelch opening until it closes or the scanner moves on.
 */
struct Hit {
    Reading reading;       ///< the reading when the hit started (names filled as they came in)
    QDateTime start;       ///< local time the squelch opened
    qint64 durationMs = 0; ///< 0 in hitStarted, the length in hitEnded
};

Q_DECLARE_METATYPE(Reading)
Q_DECLARE_METATYPE(Hit)
