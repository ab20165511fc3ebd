#include "SearchResultsSet.h"

QString SearchResultsSet::defaultName(const QList<TransmitterRow>& rows) {
    const TransmitterRow first = rows.isEmpty() ? TransmitterRow{} : rows.first();
    const QString city = first.city.toString();
    QString name = QStringLiteral("OrvFreqs_") + first.service.toString() + QLatin1Char('_');
    if (!city.isEmpty())
        name += city.left(9) + QLatin1Char('_');
    return name + first.state.toString();
}

QList<QVariantMap> SearchResultsSet::channelRows(const QList<TransmitterRow>& rows) {
    QList<QVariantMap> channels;
    for (const TransmitterRow& row : rows) {
        if (channels.size() == kChannels)
            break;
        const double mhz = row.frequency.toDouble();
        channels.append({
            {QStringLiteral("CHANNEL"), int(channels.size()) + 1},
            {QStringLiteral("sFREQ"), TransmitterRow::sfreqText(mhz)},
            {QStringLiteral("FREQUENCY"), mhz},
            {QStringLiteral("CALLSIGN"), row.callsign},
            {QStringLiteral("RS"), row.service},
            {QStringLiteral("COMPANY_NAME"), row.licensee},
            {QStringLiteral("CITY"), row.city},
            {QStringLiteral("COUNTY"), row.county},
            {QStringLiteral("STATE"), row.state},
            {QStringLiteral("ALPHA_TAG"), QStringLiteral("Imported - OrvFreqs")},
        });
    }
    // Empty channels fill the bank, so a restore clears what the bank held after the last transmitter.
    const QString empty = QStringLiteral("");
    while (channels.size() < kChannels) {
        channels.append({
            {QStringLiteral("CHANNEL"), int(channels.size()) + 1},
            {QStringLiteral("sFREQ"), QStringLiteral("0000.0000")},
            {QStringLiteral("FREQUENCY"), 0.0},
            {QStringLiteral("CALLSIGN"), empty},
            {QStringLiteral("RS"), empty},
            {QStringLiteral("COMPANY_NAME"), empty},
            {QStringLiteral("CITY"), empty},
            {QStringLiteral("COUNTY"), empty},
            {QStringLiteral("STATE"), empty},
            {QStringLiteral("ALPHA_TAG"), empty},
        });
    }
    return channels;
}

QString SearchResultsSet::savedText(const QString& name) {
    return QStringLiteral("Frequencies were saved as Backup Set:") + name +
           QStringLiteral("\r\nYou can program them into your scanner by restoring\r\nit from the 'Freq_Mgmt' option on "
                          "the menu.");
}

QString SearchResultsSet::namePrompt() {
    return QStringLiteral("Specify a name for this backup set (10 Chars)\r\ni.e. Home Freqs, Vegas, Florida, etc.");
}
