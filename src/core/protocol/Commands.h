#pragma once

#include <QString>

/**
 * Every command text the program sends to the scanner, built in one place. The texts go out
 * through SerialLink::sendToScanner, which adds the CR.
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

/// "KEY" and the two-digit code, e.g. "KEY00". Key::Digit needs digitKey().
QString key(Key key);
/// "KEY02 " and the digit, e.g. "KEY02 7" (seven characters, with the space).
QString digitKey(int digit);

/// A channel 1 to 1000 as three digits: 1 gives "001", 1000 gives "000".
QString channelText(int channel);
/// A bank 1 to 20 as a letter: 1 gives "A", 20 gives "T".
QString bankLetter(int bank);
/// A frequency in MHz in the eight-digit command form: 155.5 gives "01555000", 29 gives "00290000".
QString frequencyDigits(double mhz);
/// The frequency in the "0000.0000" pattern, e.g. "0155.5000".
QString frequencyPattern(double mhz);

/// "MA" alone asks the current memory channel; with a channel it goes to that channel.
QString memoryChannel();
QString memoryChannel(int channel);
/// "LL" / "LU" with the eight-digit form.
QString lowerLimit(double mhz);
QString upperLimit(double mhz);
/// "PM" + channel + " " + eight digits; a frequency of 0 empties the channel.
QString programChannel(int channel, double mhz);
/// "PC " + bank letter + the channel's number within the bank as three digits.
QString priorityChannel(int bank, int channelInBank);
/// "TR " + bank letter + the trunked-system type code in decimal.
QString trunkType(int bank, int typeCode);
/// "LCD " + field name, e.g. "LCD LINE1".
QString lcdField(const QString& field);

/// A switch: the command stem followed by N (on) or F (off), e.g. switchCommand("QU", true) = "QUN".
QString switchCommand(const QString& stem, bool on);

// Plain queries and switches.
inline const QString Mode = QStringLiteral("MD");
inline const QString StatusInit = QStringLiteral("SI");
inline const QString Status = QStringLiteral("SQ");
inline const QString ScanBanks = QStringLiteral("SB");
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
inline const QString DelayOn = QStringLiteral("DLN");
inline const QString DelayOff = QStringLiteral("DLF");
inline const QString LockoutOn = QStringLiteral("LON");
inline const QString LockoutOff = QStringLiteral("LOF");
inline const QString ClearAllMemory = QStringLiteral("AC");
inline const QString LightOn = QStringLiteral("LTN");
inline const QString LightOff = QStringLiteral("LTF");
inline const QString LightDim = QStringLiteral("LTD");

} // namespace Commands
