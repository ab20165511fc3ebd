#pragma once

#include "state/ScannerProfile.h"

#include <QString>
#include <QtGlobal>

struct MonitorContext;
class DisplayModel;

/// Names of the display fields and arrays the parser and the panel routines write, as both
/// faceplates declare them; made once, so writing a field builds no name.
namespace Field {
inline const QString tbfreq = QStringLiteral("tbfreq");
inline const QString tbChan = QStringLiteral("tbChan");
inline const QString tbModMode = QStringLiteral("tbModMode");
inline const QString tbDELAY = QStringLiteral("tbDELAY");
inline const QString tbLOCKOUT = QStringLiteral("tbLOCKOUT");
inline const QString tbPRI = QStringLiteral("tbPRI");
inline const QString tbDATA = QStringLiteral("tbDATA");
inline const QString tbTONES = QStringLiteral("tbTONES");
inline const QString tbTRUNKTYPE = QStringLiteral("tbTRUNKTYPE");
inline const QString tbBANKNUM = QStringLiteral("tbBANKNUM");
inline const QString tbACTIVEBANK = QStringLiteral("tbACTIVEBANK");
/// The BC780XLT's display lines 1 to 4; on the aux display its fields 1 to 8.
inline const QString Text2 = QStringLiteral("Text2");
inline const QString Text3 = QStringLiteral("Text3");
} // namespace Field

/**
 * The display routines: put the faceplate display into its picture for a mode, blank it after
 * a transmission, light and unlight bank boxes, and forward texts to the remote client. Each
 * routine serves both faceplates and branches on the scanner's faceplate (the PRO-2052's panel, or
 * the BC780XLT's LCD colours). They write only to the display models.
 */
class Panel {
public:
    /// The BC780XLT LCD: background, unlit segment, lit segment (&HBBGGRR).
    static constexpr quint32 kLcdBack = 0x2C7CFC;
    static constexpr quint32 kLcdUnlit = 0x1F6FF3;
    static constexpr quint32 kLcdLit = 0x000000;

    explicit Panel(MonitorContext& context);

    /// Declares the fields of a faceplate: the PRO-2052's in the panel colours, or the BC780XLT's LCD.
    static void addFields(ScannerProfile::Faceplate faceplate, DisplayModel& display, quint32 panelBack,
                          quint32 panelFore);
    /// Declares every field of the PRO-2052 faceplate (tbfreq ... tbBANKNUM(1..20),
    /// tbACTIVEBANK(1..20), StatusLine, Text1, Text3) in the panel colours.
    static void addPro2052Fields(DisplayModel& display, quint32 panelBack, quint32 panelFore);
    /// Declares the auxiliary display's Text2(1..8) with their captions.
    static void addAuxFields(DisplayModel& aux);
    /// Declares every field of the BC780XLT LCD (the PRO-2052 names plus Text2(1..4), tbTONES,
    /// tbFRQ ..., tbBANKNUM(1..10), tbACTIVEBANK(1..30), SigStrength(1..6)), segments unlit.
    static void addBc780xltFields(DisplayModel& display);

    void clearPanel();
    void showScanPanel();
    void showManualPanel();
    void showSearchPanel();
    void showTrunkPanel();
    void showIdScanPanel();
    void showIdHoldPanel();
    void resetBankDigits();
    void showBankList(const QString& letters);
    void clearBankDigits();
    void clearBankMarkers();
    void showBankActive(int bank);
    void showBankInactive(int bank);
    /// NotifyRemote (see notifyRemote() in NotifyRemote.h).
    void notifyRemote();

private:
    bool isPro() const;
    /// The bank boxes of the faceplate: one per bank of the scanner.
    int banks() const;
    MonitorContext& m_ctx;
};
