#pragma once

#include <QString>
#include <QtGlobal>

class LocalDatabase;

/// Mode codes held in ScannerState::gMode besides the scanner's own 0 to 20.
namespace ModeCode {
constexpr quint8 Scan = 0;
constexpr quint8 Manual = 1;
constexpr quint8 Search = 2;
constexpr quint8 SearchHold = 3;
constexpr quint8 ServiceSearch = 4;
constexpr quint8 ServiceSearchHold = 5;
constexpr quint8 PickTrunk = 8;
constexpr quint8 Trunk = 9;
constexpr quint8 TrunkHold = 10;
constexpr quint8 IdScan = 11;
constexpr quint8 IdHold = 12;
/// Codes the scanner reports that detection calls unsupported, but whose replies the parser
/// reads as those of trunk tracking, ID scan and ID hold.
constexpr quint8 TrunkAlike = 13;
constexpr quint8 IdScanAlike = 15;
constexpr quint8 IdHoldAlike = 16;
/// The poll cycle entered with a code above this (the mode is undetermined) detects the mode first.
constexpr quint8 HighestPollable = 200;
/// The range-search window has the scanner.
constexpr quint8 RangeSearch = 21;
/// The command-code check has the scanner.
constexpr quint8 CommandCheck = 157;
/// Undetermined: mode detection runs.
constexpr quint8 Undetermined = 255;
} // namespace ModeCode

/// Scanner families served; ScannerState::gScannerModel.
namespace ScannerModel {
constexpr quint8 Pro2052 = 1;
constexpr quint8 Bc780xlt = 3;
} // namespace ScannerModel

/**
 * The whole live picture of the attached scanner: every member the link, the monitor, the
 * faceplates, the lookups and the remote host share. One object per session, owned by the
 * Session and passed by reference; tests build their own. Everything runs on one thread, so
 * there is no locking.
 *
 * Booleans are plain bool (the scanner program's 0/-1 convention is not carried over).
 */
struct ScannerState {
    // Link and reply buffers
    QString gCommand;   ///< the command most recently handed to SendToScanner, without CR
    QString gLastSent;  ///< the command most recently written to the port
    QString gRxBuffer;  ///< received characters not yet cut into reply lines
    QString gReply;     ///< the current reply line, without CR; empty when the last cut found none
    QString gPrevReply; ///< the reply line that was current before gReply
    qint16 gReplyLen = 0;

    // Mode
    quint8 gMode = ModeCode::Undetermined;
    QString gModeName;

    // Faceplate input state
    QString gKeyEntry;     ///< digits typed since the last function key
    bool gShift = false;   ///< SHIFT latched
    quint8 gMuteState = 1; ///< 1 auto, 2 on, 0 off

    // Poll and display state
    quint8 gPollCount = 1; ///< 1..200
    bool gSignalActive = false;
    quint32 gPanelBackColor = 0x000000;
    quint32 gPanelForeColor = 0x00FFFF;
    QString gFreqText;

    // Search hold
    qint32 gSearchHoldStart = 0;   ///< seconds since midnight at which a search stopped on a signal; 0 = not resting
    qint16 gSearchHoldLimit = 900; ///< seconds a search may rest on one signal

    // Serial settings
    quint8 gComPort = 1;
    QString gComSpeed = QStringLiteral("19200");
    QString gComParity = QStringLiteral("N");
    QString gComDataBits = QStringLiteral("8");
    QString gComStopBits = QStringLiteral("1");

    // Application identity and environment
    quint8 gScannerModel = ScannerModel::Pro2052;
    QString gAppTitle = QStringLiteral("Valdoria2052/Pro");
    QString gAppPath;
    QString gDbPath;
    bool gPellwickInstalled = false;

    // Remote host
    QString gRemoteOut;  ///< next message for the remote client, without terminator
    QString gRemoteLast; ///< last message actually sent, with its CR

    // Lookups
    QString gChannelText;
    qint16 gChannel = 0;
    qint16 gBank = 0;
    QString gTalkgroupId;

    // Parsers
    qint16 gChannelNum = 0;
    QString gIdBankLetter;
    QString gPrevIdBankLetter;
    qint16 gIdBank = 0;

    // BC780XLT display light: 0 off, 1 dim, 2 on
    quint8 gLightState = 0;

    // Databases. Queries are scoped to the routine that runs them (no record set outlives a
    // call), so the shared record-set handles of the original design have no members here.
    LocalDatabase* gDb = nullptr;

    /// The port settings text, for example 19200,N,8,1.
    QString settingsText() const {
        return gComSpeed + QLatin1Char(',') + gComParity + QLatin1Char(',') + gComDataBits + QLatin1Char(',') +
               gComStopBits;
    }
};
