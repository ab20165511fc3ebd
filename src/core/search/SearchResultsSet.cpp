#include "SearchResultsSet.h"

QString SearchResultsSet::defaultName(const QList<TransmitterRow>& rows) {
    const TransmitterRow first = rows.isEmpty() ? TransmitterRow{} : rows.first();
    const QString city = first.city.toString();
    QString name = QStringLiteral("OrvFreqs_") + first.service.toString() + QLatin1Char('_');
    if (!city.isEmpty())
        name += city.left(9) + QLatin1Char('_');
    return name + first.state.toString();
}

QList<BackupChannel> SearchResultsSet::channelRows(const QList<TransmitterRow>& rows) {
    QList<BackupChannel> channels;
    for (const TransmitterRow& row : rows) {
        if (channels.size() == kChannels)
            break;
        BackupChannel c;
        c.channel = int(channels.size()) + 1;
        c.frequency = row.frequency.toDouble();
        c.frequencyText = TransmitterRow::sfreqText(c.frequency);
        const std::pair<const char*, QVariant> names[] = {{"CALLSIGN", row.callsign},     {"RS", row.service},
                                                          {"COMPANY_NAME", row.licensee}, {"CITY", row.city},
                                                          {"COUNTY", row.county},         {"STATE", row.state}};
        for (const auto& [column, value] : names) {
            if (!value.isNull())
                c.names.insert(QLatin1String(column), value.toString());
        }
        c.names.insert(QStringLiteral("ALPHA_TAG"), QStringLiteral("Imported - OrvFreqs"));
        channels.append(c);
    }
    // Empty channels fill the bank, so a restore clears what the bank held after the last transmitter.
    while (channels.size() < kChannels) {
        BackupChannel c;
        c.channel = int(channels.size()) + 1;
        c.frequencyText = QStringLiteral("0000.0000");
        for (const char* column : {"CALLSIGN", "RS", "COMPANY_NAME", "CITY", "COUNTY", "STATE", "ALPHA_TAG"})
            c.names.insert(QLatin1String(column), QStringLiteral(""));
        channels.append(c);
    }
    return channels;
}

bool SearchResultsSet::save(BackupSets& sets, const QString& name, const QList<TransmitterRow>& rows) {
    // A set name is one line, whoever typed it.
    if (!BackupSets::nameProblem(name).isEmpty())
        return false;
    for (const BackupChannel& channel : channelRows(rows)) {
        if (!sets.appendChannel(name, channel))
            return false;
    }
    return true;
}

QString SearchResultsSet::savedText(const QString& name) {
    return QStringLiteral("Frequencies were saved as Backup Set:") + name +
           QStringLiteral(
               "\r\nYou can program them into your scanner by restoring\r\nit from the 'Freq_Mgmt' option on "
               "the menu.");
}

QString SearchResultsSet::namePrompt() {
    return QStringLiteral("Specify a name for this backup set (10 Chars)\r\ni.e. Home Freqs, Vegas, Florida, etc.");
}
