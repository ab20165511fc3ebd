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
#include <QStringList>

#include <initializer_list>

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

// The parts that name something, joined by " / ".
QString joinedName(std::initializer_list<QString> parts) {
    QStringList named;
    for (const QString& part : parts) {
        const QString text = part.trimmed();
        // A part that repeats an earlier one (a tag the same as the licensee) is named once.
        if (!text.isEmpty() && text != kUnknown && text != kAddedBy && !named.contains(text, Qt::CaseInsensitive))
            named.append(text);
    }
    return named.join(QStringLiteral(" / "));
}

} // namespace

NameLookup::NameLookup(MonitorContext& context)
    : m_ctx(context) {}

void NameLookup::setAux(int field, const QString& text) {
    m_ctx.aux.setText(kAuxArray, field, text);
}

void NameLookup::showAux(int field, const QString& text) {
    setAux(field, text);
    sendAuxLine(field, text);
}

void NameLookup::sendAuxLine(int field, const QString& text) {
    m_ctx.state.gRemoteOut = QStringLiteral("AUX") + QString::number(field) + text;
    notifyRemote(m_ctx.state, m_ctx.remote);
}

void NameLookup::setFaceplateLine(const QString& name, const QString& text) {
    m_ctx.display.setForeColor(name, 0x000000);
    m_ctx.display.setText(name, text);
}

QString NameLookup::lookupChannel() {
    ScannerState& s = m_ctx.state;
    const bool bc = lcdLines(s);
    const QString freqLine = QStringLiteral("FREQ: ") + s.gFreqText;
    if (!bc) {
        if (!m_ctx.aux.windowVisible())
            return QString();
        // The frequency already on show has been looked up: the display itself is the repeat guard.
        if (m_ctx.aux.text(kAuxArray, 1) == freqLine) // display-read-ok: the names window's own repeat guard
            return m_channelName;
        setAux(1, freqLine);
    }
    m_channelName.clear();

    const int channel = TextNumbers::leadingInt(s.gChannelText);
    s.gChannel = channel >= std::numeric_limits<qint16>::min() && channel <= std::numeric_limits<qint16>::max()
                     ? static_cast<qint16>(channel)
                     : 0;
    s.gBank = static_cast<qint16>(channelToBank(s.gChannel));
    // A channel outside 1 to 1000 has no bank table to look in.
    if (s.gBank == 0 || !s.gDb)
        return QString();

    const RowLookup found = s.gDb->findBankChannel(s.gBank, s.gChannel);
    if (!found.ok || !found.row)
        return QString();
    const QString company = columnText(*found.row, QStringLiteral("COMPANY_NAME"));
    const QString tag = columnText(*found.row, QStringLiteral("ALPHA_TAG"));
    m_channelName = joinedName({company, tag});

    if (!bc) {
        showAux(1, freqLine);
        showAux(2, QStringLiteral("CHAN: ") + QString::number(s.gChannel));
        setAux(3, company);
        if (!company.isEmpty())
            sendAuxLine(3, company);
        setAux(4, tag);
        if (!tag.isEmpty())
            sendAuxLine(4, tag);
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
    return m_channelName;
}

QString NameLookup::lookupTalkgroup() {
    if (lcdLines(m_ctx.state))
        return lookupTalkgroupBc();
    return lookupTalkgroupPro();
}

QString NameLookup::lookupTalkgroupPro() {
    const ScannerState& s = m_ctx.state;
    const QString& id = s.gTalkgroupId;
    if (!m_ctx.aux.windowVisible() || !s.gDb)
        return QString();
    if (m_ctx.aux.text(kAuxArray, 1) == talkgroupLine(id)) // display-read-ok: the names window's repeat guard
        return m_talkgroupName;
    m_talkgroupName.clear();

    const RowLookup found = s.gDb->findTalkgroup(id);
    if (!found.ok)
        return QString();
    if (found.row) {
        const QString city = columnText(*found.row, QStringLiteral("CITY"));
        const QString service = columnText(*found.row, QStringLiteral("SERVICE_DESC"));
        const QString tag = columnText(*found.row, QStringLiteral("ALPHA_TAG"));
        setAux(1, talkgroupLine(columnText(*found.row, QStringLiteral("ID"))));
        setAux(2, city);
        setAux(3, service);
        setAux(4, tag);
        m_talkgroupName = joinedName({city, service, tag});
        return m_talkgroupName;
    }
    // An empty ID is no talkgroup: never store it.
    if (id.isEmpty())
        return QString();
    setAux(1, talkgroupLine(id));
    setAux(2, kUnknown);
    setAux(3, kUnknown);
    setAux(4, kAddedBy);
    s.gDb->addTalkgroup({id, kUnknown, kUnknown, kAddedBy, QVariant(), m_ctx.clock.date(), m_ctx.clock.timeOfDay()});
    return QString();
}

QString NameLookup::lookupTalkgroupBc() {
    const ScannerState& s = m_ctx.state;
    const QString& id = s.gTalkgroupId;
    if (!s.gDb)
        return QString();
    const RowLookup found = s.gDb->findTalkgroup(id);
    if (!found.ok)
        return QString();
    const QString line3 = DisplayModel::element(kAuxArray, 3);
    const QString line4 = DisplayModel::element(kAuxArray, 4);
    if (found.row) {
        const QString service = columnText(*found.row, QStringLiteral("SERVICE_DESC"));
        const QString tag = columnText(*found.row, QStringLiteral("ALPHA_TAG"));
        setFaceplateLine(QStringLiteral("tbTONES"), id);
        setFaceplateLine(line3, service);
        setFaceplateLine(line4, tag);
        return joinedName({columnText(*found.row, QStringLiteral("CITY")), service, tag});
    }
    if (id.isEmpty())
        return QString();
    setFaceplateLine(QStringLiteral("tbTONES"), id);
    const TalkgroupRow row{
        id, kUnknown, kUnknown, kAddedBy, QVariant(QStringLiteral("")), m_ctx.clock.date(), m_ctx.clock.timeOfDay()};
    if (!s.gDb->addTalkgroup(row))
        return QString();
    setFaceplateLine(line3, kUnknown);
    setFaceplateLine(line4, kAddedBy);
    return QString();
}
