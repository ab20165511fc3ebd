#include "Panel.h"

#include "DisplayModel.h"
#include "MonitorContext.h"
#include "NotifyRemote.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"

#include <initializer_list>

namespace {

// The LCD's row of bank markers is longer than its bank count.
constexpr int kBcMarkers = 30;

// Each faceplate has one bank box per bank of its scanner.
int bankBoxes(ScannerProfile::Faceplate faceplate) {
    for (const ScannerProfile& p : ScannerProfile::all()) {
        if (p.faceplate == faceplate)
            return p.banks;
    }
    return 0;
}

const QString& kBankNum = Field::tbBANKNUM;
const QString& kActiveBank = Field::tbACTIVEBANK;
// The marker glyph: "n" is a filled square in the faceplate's symbol font.
const QString kMarker = QStringLiteral("n");

// The fields both faceplates have, with the text each shows when lit.
const QList<QPair<QString, QString>>& commonFields() {
    static const QList<QPair<QString, QString>> fields = {
        {QStringLiteral("tbfreq"), QString()},
        {QStringLiteral("tbChan"), QString()},
        {QStringLiteral("tbCHANlbl"), QStringLiteral("CH")},
        {QStringLiteral("tbMHZ"), QStringLiteral("MHz")},
        {QStringLiteral("tbBank"), QStringLiteral("BANK")},
        {QStringLiteral("tbModMode"), QString()},
        {QStringLiteral("tbSCAN"), QString()},
        {QStringLiteral("tbMANUAL"), QString()},
        {QStringLiteral("tbSEARCH"), QString()},
        {QStringLiteral("tbHOLD"), QString()},
        {QStringLiteral("tbDELAY"), QString()},
        {QStringLiteral("tbLOCKOUT"), QString()},
        {QStringLiteral("tbPRI"), QString()},
        {QStringLiteral("tbDATA"), QString()},
        {QStringLiteral("tbTRUNKTYPE"), QString()},
        {QStringLiteral("tbSHIFT"), QString()},
        {QStringLiteral("tbMUTE"), QString()},
        {QStringLiteral("tbAlert"), QString()},
        {QStringLiteral("tbSRCHUP"), QString()},
        {QStringLiteral("tbSRCHDN"), QString()},
        {QStringLiteral("tbSVC_PUB"), QString()},
        {QStringLiteral("tbSVC_POLICE"), QString()},
        {QStringLiteral("tbSVC_FIRE_EMG"), QString()},
        {QStringLiteral("tbSVC_AIR"), QString()},
        {QStringLiteral("tbSVC_WX"), QString()},
    };
    return fields;
}

DisplayField makeField(const QString& text, quint32 fore, quint32 back, bool visible = true) {
    DisplayField f;
    f.text = text;
    f.foreColor = fore;
    f.backColor = back;
    f.visible = visible;
    return f;
}

QStringList fieldList(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* name : names)
        list.append(QLatin1String(name));
    return list;
}

void setTexts(DisplayModel& d, const QStringList& names, const QString& text) {
    for (const QString& name : names)
        d.setText(name, text);
}

} // namespace

Panel::Panel(MonitorContext& context)
    : m_ctx(context) {}

bool Panel::isPro() const {
    return ScannerProfile::of(m_ctx.state).faceplate == ScannerProfile::Faceplate::Pro2052;
}

int Panel::banks() const {
    return ScannerProfile::of(m_ctx.state).banks;
}

void Panel::addFields(ScannerProfile::Faceplate faceplate, DisplayModel& display, quint32 panelBack,
                      quint32 panelFore) {
    switch (faceplate) {
    case ScannerProfile::Faceplate::Pro2052:
        addPro2052Fields(display, panelBack, panelFore);
        break;
    case ScannerProfile::Faceplate::Bc780xlt:
        addBc780xltFields(display);
        break;
    }
}

void Panel::addPro2052Fields(DisplayModel& display, quint32 panelBack, quint32 panelFore) {
    for (const auto& [name, text] : commonFields()) {
        DisplayField f = makeField(text, panelFore, panelBack);
        if (name == QLatin1String("tbModMode"))
            f.alignment = Qt::AlignHCenter;
        display.addField(name, f);
    }
    const int banks = bankBoxes(ScannerProfile::Faceplate::Pro2052);
    display.addArray(kBankNum, 1, banks, makeField(QString(), panelFore, panelBack));
    display.addArray(kActiveBank, 1, banks, makeField(QString(), panelFore, panelBack));
    DisplayField status;
    status.alignment = Qt::AlignLeft;
    display.addField(QStringLiteral("StatusLine"), status);
    display.addField(QStringLiteral("Text1"), makeField(QString(), 0x000000, 0xFFFFFF, false));
    display.addField(QStringLiteral("Text3"), makeField(QString(), 0x000000, 0xFFFFFF, false));
}

void Panel::addAuxFields(DisplayModel& aux) {
    const QStringList captions = {
        QStringLiteral("FREQUENCY & TALKGROUP ID"), QStringLiteral("TRANSMITTER CITY"),
        QStringLiteral("SERVICE DESCRIPTION"),      QStringLiteral("ADDITIONAL USER NOTES"),
        QStringLiteral("Aux Display #5"),           QStringLiteral("Aux Display #6"),
        QStringLiteral("Aux Display #7"),           QStringLiteral("Aux Display #8"),
    };
    for (int i = 0; i < captions.size(); ++i) {
        DisplayField f;
        f.text = captions.at(i);
        f.alignment = Qt::AlignLeft;
        aux.addField(DisplayModel::element(QStringLiteral("Text2"), i + 1), f);
    }
}

void Panel::addBc780xltFields(DisplayModel& display) {
    // A segment that is off keeps its text and takes the unlit colour, as on the real LCD.
    for (const auto& [name, text] : commonFields()) {
        QString shown = text;
        if (name == QLatin1String("tbfreq") || name == QLatin1String("tbChan"))
            shown = QStringLiteral(" ");
        else if (name == QLatin1String("tbSCAN"))
            shown = QStringLiteral("SCAN");
        else if (name == QLatin1String("tbMANUAL"))
            shown = QStringLiteral("MANUAL");
        else if (name == QLatin1String("tbSEARCH"))
            shown = QStringLiteral("SRCH");
        else if (name == QLatin1String("tbHOLD"))
            shown = QStringLiteral("HOLD");
        else if (name == QLatin1String("tbDELAY"))
            shown = QStringLiteral("DLY");
        else if (name == QLatin1String("tbLOCKOUT"))
            shown = QStringLiteral("L/O");
        else if (name == QLatin1String("tbPRI"))
            shown = QStringLiteral("PRI");
        else if (name == QLatin1String("tbDATA"))
            shown = QStringLiteral("DATA");
        // The text fields are always lit: an empty text is what hides them.
        const bool textField = name == QLatin1String("tbfreq") || name == QLatin1String("tbChan");
        display.addField(name, makeField(shown, textField ? kLcdLit : kLcdUnlit, kLcdBack));
    }
    const QList<QPair<QString, QString>> lcdOnly = {
        {QStringLiteral("tbFRQ"), QStringLiteral("FRQ")},       {QStringLiteral("tbALPHA"), QStringLiteral("ALPHA")},
        {QStringLiteral("tbAUTO"), QStringLiteral("AUTO")},     {QStringLiteral("tbPRIlbl"), QStringLiteral("PRI")},
        {QStringLiteral("tbTONES"), QStringLiteral("----- -")}, {QStringLiteral("tbCTCSS"), QStringLiteral("CTCSS")},
        {QStringLiteral("tbDCS"), QStringLiteral("DCS")},       {QStringLiteral("tbLINE"), QStringLiteral("LINE")},
        {QStringLiteral("tbLIST"), QStringLiteral("LIST")},     {QStringLiteral("tbSIG"), QStringLiteral("SIG")},
    };
    for (const auto& [name, text] : lcdOnly)
        display.addField(name, makeField(text, kLcdUnlit, kLcdBack));
    DisplayField line = makeField(QString(), kLcdLit, kLcdBack);
    line.alignment = Qt::AlignLeft;
    display.addArray(QStringLiteral("Text2"), 1, 4, line);
    for (int n = 1; n <= bankBoxes(ScannerProfile::Faceplate::Bc780xlt); ++n)
        display.addField(DisplayModel::element(kBankNum, n), makeField(QString::number(n), kLcdUnlit, kLcdBack));
    display.addArray(kActiveBank, 1, kBcMarkers, makeField(kMarker, kLcdUnlit, kLcdBack));
    display.addArray(QStringLiteral("SigStrength"), 1, 6, makeField(QString(), kLcdUnlit, kLcdBack));
    DisplayField status;
    status.alignment = Qt::AlignLeft;
    display.addField(QStringLiteral("StatusLine"), status);
    display.addField(QStringLiteral("Text3"), makeField(QString(), 0x000000, 0xFFFFFF, false));
    display.addField(QStringLiteral("Text6"), makeField(QString(), 0x000000, 0xFFFFFF, false));
    // The caption of the LIGHT key, which shows the display light's state.
    display.addField(QStringLiteral("btnLIGHT"), makeField(QStringLiteral("LIGHT"), 0x000000, 0xFFFFFF));
}

void Panel::clearPanel() {
    DisplayModel& d = m_ctx.display;
    // Every transmission ends here: the name lists are made once.
    if (isPro()) {
        static const QStringList first = fieldList(
            {"tbSVC_PUB", "tbSVC_POLICE", "tbSVC_FIRE_EMG", "tbSVC_AIR", "tbSVC_WX", "tbSRCHDN", "tbSRCHUP", "tbChan"});
        static const QStringList rest =
            fieldList({"tbSHIFT", "tbBank", "tbTRUNKTYPE", "tbAlert", "tbCHANlbl", "tbMHZ", "tbModMode", "tbMUTE",
                       "tbSCAN", "tbMANUAL", "tbPRI", "tbHOLD", "tbDELAY", "tbDATA", "tbLOCKOUT", "tbSEARCH"});
        setTexts(d, first, QString());
        if (m_ctx.aux.windowVisible()) {
            for (int i = 1; i <= 4; ++i)
                m_ctx.aux.setText(Field::Text2, i, QString());
        }
        // Digits being typed stay on the main line.
        if (m_ctx.state.gKeyEntry.isEmpty())
            d.setText(Field::tbfreq, QString());
        setTexts(d, rest, QString());
        return;
    }
    static const QStringList segments =
        fieldList({"tbCHANlbl", "tbFRQ",     "tbALPHA",  "tbAUTO",   "tbSHIFT", "tbBank",   "tbAlert", "tbMHZ",
                   "tbModMode", "tbMUTE",    "tbSCAN",   "tbMANUAL", "tbPRI",   "tbPRIlbl", "tbHOLD",  "tbDELAY",
                   "tbDATA",    "tbLOCKOUT", "tbSEARCH", "tbTONES",  "tbCTCSS", "tbDCS"});
    d.setText(Field::Text2, 4, QString());
    d.setText(Field::tbfreq, QStringLiteral(" "));
    d.setText(Field::tbChan, QStringLiteral(" "));
    for (const QString& name : segments)
        d.setForeColor(name, kLcdUnlit);
}

void Panel::showScanPanel() {
    DisplayModel& d = m_ctx.display;
    if (!isPro()) {
        d.setForeColor(QStringLiteral("tbSCAN"), kLcdLit);
        return;
    }
    d.setText(QStringLiteral("tbfreq"), QStringLiteral(" SCAN  "));
    d.setText(QStringLiteral("tbBank"), QStringLiteral("BANK"));
    d.setText(QStringLiteral("tbCHANlbl"), QStringLiteral("CH"));
    d.setText(QStringLiteral("tbMHZ"), QStringLiteral("MHz"));
    d.setText(QStringLiteral("tbSCAN"), QStringLiteral("SCAN"));
}

void Panel::showManualPanel() {
    DisplayModel& d = m_ctx.display;
    d.setText(QStringLiteral("tbBank"), QStringLiteral("BANK"));
    if (!isPro()) {
        d.setForeColor(QStringLiteral("tbCHANlbl"), kLcdLit);
        return;
    }
    d.setText(QStringLiteral("tbCHANlbl"), QStringLiteral("CH"));
    d.setText(QStringLiteral("tbMHZ"), QStringLiteral("MHz"));
    d.setText(QStringLiteral("tbMANUAL"), QStringLiteral("MANUAL"));
}

void Panel::showSearchPanel() {
    DisplayModel& d = m_ctx.display;
    d.setText(QStringLiteral("tbMHZ"), QStringLiteral("MHz"));
    d.setText(QStringLiteral("tbSEARCH"), isPro() ? QStringLiteral("SEARCH") : QStringLiteral("SRCH"));
}

void Panel::showTrunkPanel() {
    DisplayModel& d = m_ctx.display;
    d.setText(QStringLiteral("tbTRUNKTYPE"), QStringLiteral(" TRUNK "));
    if (!isPro())
        return;
    d.setText(QStringLiteral("tbfreq"), QStringLiteral("    -- --- "));
    d.setText(QStringLiteral("tbSRCHUP"), QString());
    d.setText(QStringLiteral("tbSRCHDN"), QString());
    d.setText(QStringLiteral("tbSEARCH"), QStringLiteral("SEARCH"));
}

void Panel::showIdScanPanel() {
    if (!isPro())
        return;
    DisplayModel& d = m_ctx.display;
    d.setAlignment(QStringLiteral("tbBank"), Qt::AlignLeft);
    d.setText(QStringLiteral("tbBank"), QStringLiteral("LIST"));
    d.setText(QStringLiteral("tbTRUNKTYPE"), QStringLiteral(" TRUNK "));
    d.setText(QStringLiteral("tbSCAN"), QStringLiteral("SCAN"));
    d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id SCAN"));
}

void Panel::showIdHoldPanel() {
    if (!isPro())
        return;
    DisplayModel& d = m_ctx.display;
    d.setText(QStringLiteral("tbSRCHUP"), QString());
    d.setAlignment(QStringLiteral("tbBank"), Qt::AlignLeft);
    d.setText(QStringLiteral("tbTRUNKTYPE"), QStringLiteral(" TRUNK "));
    d.setText(QStringLiteral("tbHOLD"), QStringLiteral("HOLD"));
    d.setText(QStringLiteral("tbSRCHDN"), QString());
    d.setText(QStringLiteral("tbSEARCH"), QStringLiteral("SEARCH"));
    if (m_ctx.state.gKeyEntry.isEmpty())
        d.setText(QStringLiteral("tbfreq"), QStringLiteral("Id HOLD"));
}

void Panel::resetBankDigits() {
    DisplayModel::Array boxes = m_ctx.display.array(kBankNum);
    if (isPro()) {
        for (int n = 1, last = banks(); n <= last; ++n)
            boxes.setText(n, QString());
        return;
    }
    for (int n = 1, last = banks(); n <= last; ++n) {
        // An inverted box is the active bank: it keeps its colours.
        if (boxes.foreColor(n) != kLcdBack) {
            boxes.setForeColor(n, kLcdUnlit);
            boxes.setBackColor(n, kLcdBack);
        }
        boxes.setText(n, QString::number(n));
    }
}

void Panel::showBankList(const QString& letters) {
    DisplayModel::Array boxes = m_ctx.display.array(kBankNum);
    resetBankDigits();
    for (const QChar c : letters) {
        const int n = Commands::bankNumber(c.unicode());
        if (!boxes.has(n))
            continue;
        if (isPro())
            boxes.setText(n, QString::number(n));
        else if (boxes.backColor(n) == kLcdBack)
            boxes.setForeColor(n, kLcdLit);
        else
            boxes.setForeColor(n, kLcdBack);
    }
}

void Panel::clearBankDigits() {
    DisplayModel::Array boxes = m_ctx.display.array(kBankNum);
    if (isPro()) {
        for (int n = 1, last = banks(); n <= last; ++n) {
            boxes.setText(n, QString());
            boxes.setBackColor(n, m_ctx.state.gPanelBackColor);
            boxes.setForeColor(n, m_ctx.state.gPanelForeColor);
        }
        return;
    }
    for (int n = 1, last = banks(); n <= last; ++n)
        boxes.setForeColor(n, kLcdUnlit);
}

void Panel::clearBankMarkers() {
    DisplayModel::Array markers = m_ctx.display.array(kActiveBank);
    if (isPro()) {
        for (int n = 1, last = banks(); n <= last; ++n)
            markers.setText(n, QString());
        return;
    }
    for (int n = 1; n <= kBcMarkers; ++n) {
        markers.setForeColor(n, kLcdUnlit);
        markers.setText(n, kMarker);
    }
}

void Panel::showBankActive(int bank) {
    // A bank without a box (0, or past the faceplate's last bank) changes nothing: the model
    // ignores elements it does not have.
    DisplayModel::Array boxes = m_ctx.display.array(kBankNum);
    if (isPro()) {
        boxes.setBackColor(bank, m_ctx.state.gPanelForeColor);
        boxes.setForeColor(bank, m_ctx.state.gPanelBackColor);
        m_ctx.display.array(kActiveBank).setText(bank, kMarker);
        return;
    }
    boxes.setForeColor(bank, kLcdBack);
    boxes.setBackColor(bank, kLcdLit);
}

void Panel::showBankInactive(int bank) {
    DisplayModel::Array boxes = m_ctx.display.array(kBankNum);
    if (isPro()) {
        if (bank < 1 || bank > banks())
            return;
        boxes.setBackColor(bank, m_ctx.state.gPanelBackColor);
        boxes.setForeColor(bank, m_ctx.state.gPanelForeColor);
        m_ctx.display.array(kActiveBank).setText(bank, QString());
        return;
    }
    if (bank < 1 || bank > banks())
        return;
    boxes.setForeColor(bank, kLcdLit);
    boxes.setBackColor(bank, kLcdBack);
}

void Panel::notifyRemote() {
    ::notifyRemote(m_ctx.state, m_ctx.remote);
}
