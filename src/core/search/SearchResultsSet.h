#pragma once

#include "TransmitterRow.h"
#include "store/BackupSets.h"

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
    /// The 50 channel rows of the set: channels 1..n the transmitters, n+1..50 empty (sFREQ "0000.0000").
    static QList<BackupChannel> channelRows(const QList<TransmitterRow>& rows);
    /// Adds the 50 rows to the set of that name, exactly as typed; a set already of that name keeps its
    /// rows and gets these after them. False when the database refused.
    static bool save(BackupSets& sets, const QString& name, const QList<TransmitterRow>& rows);
    /// "Frequencies were saved as Backup Set:" + name + ...
    static QString savedText(const QString& name);
    static QString namePrompt();
};
