#pragma once

#include <QDate>
#include <QList>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcStore)

class Prompter;
class QSqlQuery;

/// What a query that looks for one row found: nothing usable (ok false), no row, or the first row.
struct RowLookup {
    bool ok = false;               ///< false when the database is unusable or the statement failed
    std::optional<QSqlRecord> row; ///< the first row, when there is one
};

/// A new TALKGROUPS row. A value left empty (null QVariant) is stored as null.
struct TalkgroupRow {
    QString id;
    QString city;
    QString serviceDesc;
    QString alphaTag;
    QVariant notes;
    QDate date;
    QTime time;
};

/**
 * The local database: the channel names of each bank, the talkgroups heard, the backup sets, the
 * bank types and the last online search, in one SQLite file (Data/ValdoriaPro.mdb below the
 * application folder; the name is kept, the engine is SQLite).
 *
 * The connection is opened on first use and stays open. A missing file is created with every
 * table; an existing one is checked for health. When the file cannot be used (its folder cannot
 * be created, it is read-only, unreadable or corrupt) the operator is told once, naming the file,
 * and every query after that fails quietly: the scanner monitor keeps running without names.
 *
 * Every value reaches the engine as a bound parameter; table names come only from the known
 * table list and column names only from the known schema.
 */
class LocalDatabase {
public:
    /// A column of the schema: its name and the SQLite type it is stored as.
    struct Column {
        const char* name;
        const char* type;
    };

    /// path: the database file (gDbPath). prompter: tells the operator when the file is unusable.
    LocalDatabase(const QString& path, Prompter& prompter);
    ~LocalDatabase();
    LocalDatabase(const LocalDatabase&) = delete;
    LocalDatabase& operator=(const LocalDatabase&) = delete;

    /// The database file below an application folder: folder/Data/ValdoriaPro.mdb.
    static QString pathForAppFolder(const QString& appFolder);

    QString path() const { return m_path; }

    /// Opens the connection if it is not open. True when the database can be used.
    bool open();
    bool isOpen() const { return m_open; }
    /// The connection, for callers that need the driver itself (table-bound models). Opens on demand.
    QSqlDatabase database();

    /// Statements run so far through this object (including failed ones).
    int statementCount() const { return m_statementCount; }

    // Schema

    /// Every table of the file, in the spelling the program uses.
    static QStringList tableNames();
    /// The columns of a table (name matched without regard to case); empty for an unknown table.
    static QList<Column> columns(const QString& table);
    /// The known spelling of a table name given in any case, with or without [brackets]; empty when unknown.
    static QString knownTable(const QString& name);
    /// The known spelling of a column of a known table, given in any case or in [brackets]; empty when unknown.
    static QString knownColumn(const QString& table, const QString& column);
    /// "BANK01" to "BANK20" for banks 1 to 20; empty text for any other bank.
    static QString bankTableName(int bank);
    /// The trunked system types a new file is filled with, in code order (code = position).
    static QStringList defaultTrunkTypes();

    // Typed queries for the lookups

    /// The first row of a bank table whose CHANNEL equals channel. bank must be 1 to 20.
    RowLookup findBankChannel(int bank, int channel);
    /// The first TALKGROUPS row whose ID equals id (compared as text, case-sensitive).
    RowLookup findTalkgroup(const QString& id);
    /// Appends one TALKGROUPS row. True when stored.
    bool addTalkgroup(const TalkgroupRow& row);

    // Generic helpers

    /// Runs one statement with its values bound in order (? placeholders) and returns every row,
    /// or no value when the database is unusable or the statement failed.
    std::optional<QList<QSqlRecord>> select(const QString& sql, const QVariantList& values = {});
    /// Runs one statement that returns no rows; true on success.
    bool exec(const QString& sql, const QVariantList& values = {});
    /// Appends one row to a known table; the keys name known columns in any case. True when stored.
    bool insertRow(const QString& table, const QVariantMap& values);
    /// Number of rows in a known table, or -1 when it cannot be counted.
    int rowCount(const QString& table);

private:
    bool openConnection(QString& reason);
    bool createSchema(QString& reason);
    bool runStatement(QSqlQuery& query, const QString& sql, const QVariantList& values);
    RowLookup firstRow(const QString& sql, const QVariantList& values);
    void reportFailure(const QString& reason);

    QString m_path;
    Prompter& m_prompter;
    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_failed = false;
    int m_statementCount = 0;
};
