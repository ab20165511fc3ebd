#pragma once

#include <QDate>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>
#include <utility>

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
 * bank types, the last online search and the index of the audio recordings, in one SQLite file (Data/ValdoriaPro.mdb
 * below the application folder; the name is kept, the engine is SQLite).
 *
 * The connection is opened on first use and stays open. A missing file is created with every
 * table; an existing one is checked for health. When the file cannot be used (its folder cannot
 * be created, it is read-only, unreadable or corrupt) the operator is told once, naming the file,
 * and queries fail quietly: the scanner monitor keeps running without names. The file is tried
 * again at the next query, and told about again only after it has been usable in between.
 *
 * Another program holding the file (an sqlite3 shell inside a transaction) never freezes the
 * window: a statement waits for it only a moment. A write that meets such a lock is kept and
 * retried every second, in order with the writes after it, until the file is free; the status
 * line says when the file is locked and when it is free again.
 *
 * Every value reaches the engine as a bound parameter; table names come only from the known
 * table list and column names only from the known schema.
 */
class LocalDatabase : public QObject {
    Q_OBJECT

public:
    /// A column of the schema: its name and the SQLite type it is stored as.
    struct Column {
        const char* name;
        const char* type;
    };

    /// path: the database file (gDbPath). prompter: tells the operator when the file is unusable.
    LocalDatabase(const QString& path, Prompter& prompter, QObject* parent = nullptr);
    ~LocalDatabase() override;
    LocalDatabase(const LocalDatabase&) = delete;
    LocalDatabase& operator=(const LocalDatabase&) = delete;

    /// The database file below an application folder: folder/Data/ValdoriaPro.mdb.
    static QString pathForAppFolder(const QString& appFolder);

    QString path() const { return m_path; }

    /**
     * Reading only (before the first use): the file must exist and is opened read-only, with no schema
     * created and nothing written, so a read-only file, folder or disk can still be read. Writes fail.
     */
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    /// Opens the connection if it is not open (or tries again after a failure). True when the database can be used.
    bool open();
    bool isOpen() const { return m_open; }
    /// The connection, for callers that need the driver itself (table-bound models). Opens on demand.
    QSqlDatabase database();

    /// Statements run so far through this object (including failed ones).
    int statementCount() const { return m_statementCount; }
    /// Writes kept because another program holds the file, waiting to be retried.
    int pendingWrites() const { return int(m_pending.size()); }

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
    /// The first TALKGROUPS row whose ID equals id (compared as text, case-sensitive); a row still
    /// waiting for a locked file counts.
    RowLookup findTalkgroup(const QString& id);
    /// Appends one TALKGROUPS row. True when stored or kept to be stored; a row that cannot be
    /// stored is said on the status line (once, and again when rows are stored again).
    bool addTalkgroup(const TalkgroupRow& row);

    // Generic helpers

    /// Runs one statement with its values bound in order (? placeholders) and returns every row,
    /// or no value when the database is unusable or the statement failed.
    std::optional<QList<QSqlRecord>> select(const QString& sql, const QVariantList& values = {});
    /// Runs one statement and hands each row to each as it is read, holding none; false when the
    /// database is unusable or the statement failed.
    bool forEachRow(const QString& sql, const QVariantList& values, const std::function<void(const QSqlQuery&)>& each);
    /// Runs one statement that returns no rows; true on success, or when it is kept for a locked file.
    bool exec(const QString& sql, const QVariantList& values = {});
    /// Appends one row to a known table; the keys name known columns in any case. True when stored,
    /// or kept for a locked file.
    bool insertRow(const QString& table, const QVariantMap& values);
    /// Number of rows in a known table, or -1 when it cannot be counted.
    int rowCount(const QString& table);

    // Writes that must land now (a job that reports what it stored)

    /// How a write that is not kept for later went.
    enum class WriteResult { Stored, Locked, Failed };
    /// Runs the statements in one transaction, now: Locked (nothing written) while another program holds
    /// the file, Failed (nothing written, lastError() says why) on any other refusal. Goes ahead of writes
    /// still waiting for the file.
    WriteResult writeNow(const QList<std::pair<QString, QVariantList>>& statements);
    /// As insertRow(), now.
    WriteResult insertRowNow(const QString& table, const QVariantMap& values);
    /// Why the last statement failed, in the engine's words, a full disk named as such; empty after a success.
    QString lastError() const { return m_lastError; }

Q_SIGNALS:
    /// The file locked or free again, a talkgroup not stored: for the faceplate's status line.
    void statusLine(const QString& text);

private:
    /// How an attempt went: done, stopped by another program's lock, or failed for good.
    enum class Outcome { Done, Busy, Failed };
    /// A write statement; an insert also keeps its table and row (known column names).
    struct Write {
        QString sql;
        QVariantList values;
        QString table;
        QVariantMap row;
    };

    Outcome openOutcome();
    Outcome openConnection(QString& reason);
    Outcome openForReading(QString& reason);
    Outcome createSchema(QString& reason);
    bool runStatement(QSqlQuery& query, const QString& sql, const QVariantList& values);
    RowLookup firstRow(const QString& sql, const QVariantList& values);
    Outcome insert(const QString& table, const QVariantMap& values);
    std::optional<Write> insertStatement(const QString& table, const QVariantMap& values) const;
    Outcome write(const Write& w);
    Outcome tryWrite(const Write& w);
    void onRetryTimeout();
    void setLocked(bool locked);
    void noteTalkgroupStored(bool stored);
    void reportFailure(const QString& reason);

    QString m_path;
    Prompter& m_prompter;
    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_readOnly = false;
    bool m_failureReported = false;
    bool m_lockSaid = false;
    bool m_talkgroupFailing = false;
    int m_statementCount = 0;
    QString m_lastError;
    QList<Write> m_pending;
    QTimer m_retry;
};
