#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "LocalDatabase.h"

#include <optional>

/// One channel row of a backup set (BACKUP_CHANNELS without BACKUP_SET).
struct BackupChannel {
    int channel = 0;        ///< 1 to 1000 for a memory backup; the position 1 to 50 in an "OrvFreqs_" set
    QString frequencyText;  ///< sFREQ, e.g. "154.5000"; "000.000" or "0000.0000" for an empty channel
    double frequency = 0.0; ///< FREQUENCY in MHz
    bool trunked = false;
    bool delay = false;
    bool lockout = false;
    bool priority = false;
    /// The name columns (BackupSets::nameColumns()) that hold a value; a missing key is null.
    QVariantMap names;
};

/**
 * The backup sets of the local database: named groups of BACKUP_CHANNELS rows with the talkgroup
 * table copied beside them in BACKUP_TALKGROUPS, and the bank-table side of a restore. Every value
 * reaches the engine bound; a set name may hold any character, quotes included.
 */
class BackupSets {
public:
    /// A set and how many channel rows it holds.
    struct SetInfo {
        QString name;
        int channels = 0;
    };

    explicit BackupSets(LocalDatabase& database);

    /// CALLSIGN, COMPANY_NAME, RS, CITY, STATE, COUNTY, LATITUDE, LONGITUDE, ALPHA_TAG.
    static const QStringList& nameColumns();
    /// The name a window gives a search set ("OrvFreqs_" + something): its rows are bank positions 1 to 50.
    static bool isPositionSet(const QString& name);

    /// Every set with its channel count, in the order the sets were first stored; no value on a database error.
    std::optional<QList<SetInfo>> list();
    /// The channel rows of a set by channel (rows of one channel in the order stored); no value on an error.
    std::optional<QList<BackupChannel>> channels(const QString& set);
    /// Appends a row to the set, even when the set already holds that channel.
    bool appendChannel(const QString& set, const BackupChannel& row);
    /**
     * Stores the row as the set's row for its channel: an existing row of that channel is overwritten
     * (its name columns only where row.names holds a value), otherwise a row is appended.
     */
    bool storeChannel(const QString& set, const BackupChannel& row);
    /// Copies the whole TALKGROUPS table into the set, replacing what the set held before, so a second
    /// backup under one name does not double them; all or nothing, now (talkgroupCount() counts them).
    LocalDatabase::WriteResult copyTalkgroups(const QString& set);
    /// The talkgroup rows the set holds, or -1 on a database error.
    int talkgroupCount(const QString& set);
    /// Deletes the set's channel and talkgroup rows.
    bool deleteSet(const QString& set);

    /// The name columns holding a value in the first row of the bank's table with that frequency (any CHANNEL).
    QVariantMap bankNames(int bank, double frequency);
    /**
     * Writes a restored channel into the bank's table: the first row of that CHANNEL is overwritten, or a row
     * added. FREQUENCY, the four flags, LATITUDE and LONGITUDE are always copied; sFREQ and the other names
     * only when the set's row holds a value. Written now, not kept for a locked file.
     */
    LocalDatabase::WriteResult writeBankChannel(int bank, int channel, const BackupChannel& row);

    /// A set name is one line of text: no line breaks, tabs or other control characters. The reason a name
    /// is refused ("a set name cannot hold a line break"), or empty text for a good one.
    static QString nameProblem(const QString& name);

private:
    LocalDatabase& m_db;
};

/**
 * Stores the channels of one backup into its set as they are read, each row at once (a backup that
 * stops half-way keeps every row stored). Reads the set's existing rows and each bank table's names
 * once, not per channel, so a row costs one statement.
 */
class BackupSetWriter {
public:
    BackupSetWriter(LocalDatabase& database, const QString& set);

    /// As BackupSets::bankNames(), from a copy of the bank's table read on first use.
    QVariantMap bankNames(int bank, double frequency);
    /// As BackupSets::storeChannel(), now: Stored only once the row is in the file.
    LocalDatabase::WriteResult store(const BackupChannel& row);

private:
    LocalDatabase& m_db;
    QString m_set;
    std::optional<QHash<int, qint64>> m_rowIds;
    QHash<int, QHash<double, QVariantMap>> m_bankNames;
};
