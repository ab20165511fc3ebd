#include "NameLookup.h"

#include "TextNumbers.h"

#include "Clock.h"
#include "monitor/DisplayModel.h"
#include "monitor/MonitorContext.h"
#include "monitor/NotifyRemote.h"
#include "protocol/ChannelToBank.h"
#include "state/ScannerProfile.h"
#include "state/ScannerState.h"
#include "store/LocalDatabase.h"

#include <QSqlRecord>

#include <limits>

namespace {

// The BC780XLT shows the names on its own display lines 3 and 4; the PRO-2052 in the aux display.
bool lcdLines(const ScannerState& s) {
    return ScannerProfile::of(s).faceplate == ScannerProfile::Faceplate::Bc780xlt;
}

const QString kAuxArray = QStringLiteral("Text2");
const QString kUnknown = QStringLiteral("Unknown");
const QString kAddedBy = QStringLiteral("Added by Valdoria");

// A column without a value shows as empty text.
QString columnText(const QSqlRecord& row, const QString& column) {
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString();
}

QString talkgroupLine(const QString& id) {
    return QStringLiteral("Talkgroup ID: ") + id;
}

} // namespace

NameLookup::NameLookup(MonitorContext& context)
    : m_ctx(context) {}

void NameLookup::setAux(int field, const QString& text) {
    m_ctx.aux.setText(kAuxArray, field, text);
}

void NameLookup::sendAux(int field) {
    sendAuxLine(field, m_ctx.aux.text(kAuxArray, field));
}

void NameLookup::sendAuxLine(int field, const QString& text) {
    m_ctx.state.gRemoteOut = QStringLiteral("AUX") + QString::number(field) + text;
    notifyRemote(m_ctx.state, m_ctx.remote);
}

void NameLookup::setFaceplateLine(const QString& name, const QString& text) {
    m_ctx.display.setForeColor(name, 0x000000);
    m_ctx.display.setText(name, text);
}

void NameLookup::lookupChannel() {
    ScannerState& s = m_ctx.state;
    const bool bc = lcdLines(s);
    const QString freqLine = QStringLiteral("FREQ: ") + s.gFreqText;
    if (!bc) {
        if (!m_ctx.aux.windowVisible())
            return;
        // The frequency already on show has been looked up: the display itself is the repeat guard.
        if (m_ctx.aux.text(kAuxArray, 1) == freqLine)
            return;
        setAux(1, freqLine);
    }

    const int channel = TextNumbers::leadingInt(s.gChannelText);
    s.gChannel = channel >= std::numeric_limits<qint16>::min() && channel <= std::numeric_limits<qint16>::max()
                     ? static_cast<qint16>(channel)
                     : 0;
    s.gBank = static_cast<qint16>(channelToBank(s.gChannel));
    // A channel outside 1 to 1000 has no bank table to look in.
    if (s.gBank == 0 || !s.gDb)
        return;

    const RowLookup found = s.gDb->findBankChannel(s.gBank, s.gChannel);
    if (!found.ok || !found.row)
        return;
    const QString company = columnText(*found.row, QStringLiteral("COMPANY_NAME"));
    const QString tag = columnText(*found.row, QStringLiteral("ALPHA_TAG"));

    if (!bc) {
        setAux(1, freqLine);
        sendAux(1);
        setAux(2, QStringLiteral("CHAN: ") + QString::number(s.gChannel));
        sendAux(2);
        setAux(3, company);
        if (!company.isEmpty())
            sendAux(3);
        setAux(4, tag);
        if (!tag.isEmpty())
            sendAux(4);
    } else {
        // A tag without a value leaves the scanner's own line as it was.
        if (!company.isEmpty()) {
            setFaceplateLine(DisplayModel::element(kAuxArray, 3), company);
            sendAuxLine(3, company);
        }
        if (!tag.isEmpty()) {
            setFaceplateLine(DisplayModel::element(kAuxArray, 4), tag);
            sendAuxLine(4, tag);
        }
    }
}

void NameLookup::lookupTalkgroup() {
    if (lcdLines(m_ctx.state))
        lookupTalkgroupBc();
    else
        lookupTalkgroupPro();
}

void NameLookup::lookupTalkgroupPro() {
    const ScannerState& s = m_ctx.state;
    const QString& id = s.gTalkgroupId;
    if (!m_ctx.aux.windowVisible() || m_ctx.aux.text(kAuxArray, 1) == talkgroupLine(id) || !s.gDb)
        return;

    const RowLookup found = s.gDb->findTalkgroup(id);
    if (!found.ok)
        return;
    if (found.row) {
        setAux(1, talkgroupLine(columnText(*found.row, QStringLiteral("ID"))));
        setAux(2, columnText(*found.row, QStringLiteral("CITY")));
        setAux(3, columnText(*found.row, QStringLiteral("SERVICE_DESC")));
        setAux(4, columnText(*found.row, QStringLiteral("ALPHA_TAG")));
        return;
    }
    // An empty ID is no talkgroup: never store it.
    if (id.isEmpty())
        return;
    setAux(1, talkgroupLine(id));
    setAux(2, kUnknown);
    setAux(3, kUnknown);
    setAux(4, kAddedBy);
    s.gDb->addTalkgroup({id, kUnknown, kUnknown, kAddedBy, QVariant(), m_ctx.clock.date(), m_ctx.clock.timeOfDay()});
}

void NameLookup::lookupTalkgroupBc() {
    const ScannerState& s = m_ctx.state;
    const QString& id = s.gTalkgroupId;
    if (!s.gDb)
        return;
    const RowLookup found = s.gDb->findTalkgroup(id);
    if (!found.ok)
        return;
    const QString line3 = DisplayModel::element(kAuxArray, 3);
    const QString line4 = DisplayModel::element(kAuxArray, 4);
    if (found.row) {
        setFaceplateLine(QStringLiteral("tbTONES"), id);
        setFaceplateLine(line3, columnText(*found.row, QStringLiteral("SERVICE_DESC")));
        setFaceplateLine(line4, columnText(*found.row, QStringLiteral("ALPHA_TAG")));
        return;
    }
    if (id.isEmpty())
        return;
    setFaceplateLine(QStringLiteral("tbTONES"), id);
    const TalkgroupRow row{
        id, kUnknown, kUnknown, kAddedBy, QVariant(QStringLiteral("")), m_ctx.clock.date(), m_ctx.clock.timeOfDay()};
    if (!s.gDb->addTalkgroup(row))
        return;
    setFaceplateLine(line3, kUnknown);
    setFaceplateLine(line4, kAddedBy);
}
