#pragma once

#include "TransmitterRow.h"

#include <QList>
#include <QString>
#include <QVariantMap>

/**
 * The results of a search as a backup set: 50 channel rows, the transmitters first (lowest frequency
 * first) and empty channels after them, so the set fills exactly one bank.
 */
class SearchResultsSet {
public:
    static constexpr int kChannels = 50;

    /// "OrvFreqs_" + service + "_" + city cut to 9 characters + "_" + state, from the first row;
    /// without a city "OrvFreqs_" + service + "_" + state.
    static QString defaultName(const QList<TransmitterRow>& rows);
    /// The BACKUP_CHANNELS values of the 50 rows (column name to value; BACKUP_SET not included).
    static QList<QVariantMap> channelRows(const QList<TransmitterRow>& rows);
    /// "Frequencies were saved as Backup Set:" + name + ...
    static QString savedText(const QString& name);
    static QString namePrompt();
};
