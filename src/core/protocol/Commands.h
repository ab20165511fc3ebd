#pragma once

#include <QString>

/**
 * Every command text the program sends to the scanner, built in one place. The texts go out
 * through SerialLink::sendToScanner, which adds the CR. docs/scanner-protocol.md lists them with
 * the replies they bring.
 */
namespace Commands {

/// Key codes of the faceplate keys ("KEY00" SCAN ... "KEY14" SHIFT).
enum class Key {
    Scan = 0,
    Manual = 1,
    Digit = 2,
    Decimal = 3,
    Enter = 4,
    Speed = 5,
    Skip = 6,
    Hold = 7,
    Limit = 8,
    Search = 9,
    Service = 10,
    Data = 11,
    Delay = 12,
    Trunk = 13,
    Shift = 14,
};

/// What a digit key's command starts with; the digit follows it.
inline const QString DigitKeyPrefix = QStringLiteral("KEY02 ");

/// "KEY" and the two-digit code, e.g. "KEY00". Key::Digit needs digitKey().
QString key(Key key);
/// "KEY02 " and the digit, e.g. "KEY02 7" (seven characters, with the space).
QString digitKey(int digit);

/// A bank 1 to 20 as a letter: 1 gives "A", 20 gives "T".
QString bankLetter(int bank);
/// The bank a letter stands for, the other way round: the code of "A" gives 1, "T" 20. Any other
/// character code gives a number outside 1 to 20, which names no bank box.
constexpr int bankNumber(int letterCode) {
    return letterCode - ('A' - 1);
}

/// A frequency in MHz in the eight-digit command form: 155.5 gives "01555000", 29 gives "00290000".
QString frequencyDigits(double mhz);
/// The frequency in the "0000.0000" pattern, e.g. "0155.5000".
QString frequencyPattern(double mhz);
/// A memory channel 1 to 1000 as the three digits commands carry: 7 gives "007", 1000 gives "000".
QString channelText(int channel);
/// "MA" + the channel's three digits: read one memory channel ("MA001"). The answer is the one line
/// that contains "C" + the same three digits.
QString memoryRead(int channel);
/// "PM" + three digits + a blank + the eight frequency digits: program a channel ("PM001 01545000").
/// A frequency of 0 (eight zeros) empties the channel.
QString programChannel(int channel, double mhz);
/// "DLN" / "DLF": scan delay on or off for the channel programmed last.
QString delay(bool on);
/// "LON" / "LOF": lockout on or off for the channel programmed last.
QString lockout(bool on);
/// "PC " + bank letter + the position in the bank as three digits ("PC A001", "PC T050"). There is no
/// command that turns priority off.
QString priorityChannel(int bank, int position);
/// "TR " + bank letter + the trunked type code in decimal ("TR C2").
QString trunkType(int bank, int code);
/// "LL" / "LU" with the eight-digit form.
QString lowerLimit(double mhz);
QString upperLimit(double mhz);

// Plain queries and switches.
inline const QString Mode = QStringLiteral("MD");
inline const QString StatusInit = QStringLiteral("SI");
inline const QString Status = QStringLiteral("SQ");
inline const QString ScanBanks = QStringLiteral("SB");
/// The current memory channel.
inline const QString CurrentChannel = QStringLiteral("MA");
inline const QString TrunkBank = QStringLiteral("TB");
inline const QString IdScan = QStringLiteral("IS");
inline const QString IdChannel = QStringLiteral("IC");
inline const QString Modulation = QStringLiteral("RM");
inline const QString SearchFrequency = QStringLiteral("WI");
inline const QString DelayState = QStringLiteral("DL");
inline const QString QuickOn = QStringLiteral("QUN");
inline const QString QuickOff = QStringLiteral("QUF");
inline const QString IdReportOn = QStringLiteral("IDN");
inline const QString IdReportOff = QStringLiteral("IDF");
inline const QString FreqAndTalkgroupOn = QStringLiteral("FIN");
inline const QString FreqAndTalkgroupOff = QStringLiteral("FIF");
inline const QString MuteAuto = QStringLiteral("MUA");
inline const QString MuteOn = QStringLiteral("MUN");
inline const QString MuteOff = QStringLiteral("MUF");
inline const QString ClearAllMemory = QStringLiteral("AC");
/// The BC780XLT's display: the signal-strength bars and the bank-marker row.
inline const QString LcdSignalBars = QStringLiteral("LCD SMT");
inline const QString LcdBankMarkers = QStringLiteral("LCD BAR");

} // namespace Commands
