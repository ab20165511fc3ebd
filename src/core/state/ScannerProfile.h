#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

struct ScannerState;

/**
 * The facts of one scanner model, one row per model. Everything that differs between the scanners as
 * a fact (how many channels and banks, what it receives, the settings name) is read from here;
 * what differs in behaviour (reply parsing, the poll cycle's timed work) is chosen once from
 * `parser` and `faceplate`.
 */
struct ScannerProfile {
    /// A receivable range, both ends included.
    struct Band {
        qint64 lowHz;
        qint64 highHz;
    };
    enum class Parser { StatusLines, LcdSegments };
    enum class Faceplate { Pro2052, Bc780xlt };

    quint8 model;        ///< the ScannerModel code held in gScannerModel
    QString key;         ///< the command-line name: "pro2052", "bc780xlt"
    QString name;        ///< as shown to the user: "PRO-2052", "BC780XLT"
    QString maker;       ///< the start-up window's maker line: "RadioShack®", "Uniden®"
    QString splashName;  ///< the start-up window's model line: "Pro-2052", "BC780XLT"
    int channels;        ///< memory channels, numbered from 1
    int banks;           ///< banks, numbered from 1
    int channelsPerBank; ///< channels * banks == channels / channelsPerBank
    QList<Band> bands;   ///< what the scanner receives
    /// The tuning steps the control port advertises, smallest first. The program never sets the
    /// scanner's own search step (the range search shows its step list empty): the step is the 5 kHz
    /// raster every frequency it shows or programs falls on.
    QList<int> searchStepsHz;
    QString settingsName; ///< the application name the settings are kept under
    int scanDelayMax;     ///< the scan-delay slider's top value (ten times that many ms a pass)
    Parser parser;
    Faceplate faceplate;

    /// True when hz lies in one of the bands.
    bool receives(qint64 hz) const;
    /// True for 1..channels.
    bool hasChannel(int channel) const { return channel >= 1 && channel <= channels; }
    /// True for 1..banks.
    bool hasBank(int bank) const { return bank >= 1 && bank <= banks; }

    /// The row of a ScannerModel code (2 to 4 all name the BC780XLT); the PRO-2052's for an unknown code.
    static const ScannerProfile& forModel(quint8 model);
    /// The row of the scanner a state record serves (its gScannerModel).
    static const ScannerProfile& of(const ScannerState& state);
    /// The row named by key ("pro2052", "bc780xlt", case-insensitive), or nullptr.
    static const ScannerProfile* byKey(const QString& key);
    /// The row the program starts with when nothing else is chosen (the PRO-2052); the faceplate
    /// choice itself is kept under its settings name.
    static const ScannerProfile& standard() { return all().first(); }
    /// Every row, in the order the command line lists them.
    static const QList<ScannerProfile>& all();
    /// The keys of every row, "pro2052 or bc780xlt", for command-line messages.
    static QString keyList();
};
