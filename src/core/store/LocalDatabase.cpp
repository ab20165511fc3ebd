#include "LocalDatabase.h"

#include "Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <cstring>

Q_LOGGING_CATEGORY(lcStore, "valdoria.store")

namespace {

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

// Dates and times are kept as ISO text, so they sort and compare as they read.
QVariant toStorage(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

std::atomic<int> g_connectionSerial{0};

// Long enough to ride out another program's single write, short enough that the window never freezes.
constexpr int kBusyTimeoutMs = 150;
constexpr int kRetryIntervalMs = 1000;
// Rows kept for a file locked for hours stop here rather than filling memory.
constexpr int kMaxPending = 10000;

// The file is locked by another connection (SQLITE_BUSY, SQLITE_LOCKED and their extended codes).
bool isBusy(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

// The engine's words for a failed statement. A full disk (SQLITE_FULL) is named as the system names it.
QString reasonOf(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    if (code == 13)
        return QString::fromLocal8Bit(std::strerror(ENOSPC));
    if (isBusy(error))
        return QStringLiteral("another program holds the file locked");
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

} // namespace

LocalDatabase::LocalDatabase(const QString& path, Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_path(path)
    , m_prompter(prompter)
    , m_connectionName(QStringLiteral("valdoria-local-%1").arg(++g_connectionSerial)) {
    m_retry.setInterval(kRetryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &LocalDatabase::onRetryTimeout);
}

LocalDatabase::~LocalDatabase() {
    // One last try for rows still waiting on a locked file; nobody is left to tell.
    if (m_open && !m_pending.isEmpty()) {
        blockSignals(true);
        onRetryTimeout();
    }
    if (!m_pending.isEmpty())
        qCWarning(lcStore) << m_pending.size() << "rows waiting for a locked file are lost";
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QString LocalDatabase::pathForAppFolder(const QString& appFolder) {
    return QDir(appFolder).filePath(QStringLiteral("Data/ValdoriaPro.mdb"));
}

bool LocalDatabase::open() {
    return openOutcome() == Outcome::Done;
}

LocalDatabase::Outcome LocalDatabase::openOutcome() {
    if (m_open)
        return Outcome::Done;
    QString reason;
    const Outcome outcome = openConnection(reason);
    if (outcome == Outcome::Done) {
        m_open = true;
        m_failureReported = false;
        if (m_pending.isEmpty())
            setLocked(false);
        return outcome;
    }
    if (m_db.isValid())
        m_db.close();
    if (outcome == Outcome::Busy)
        setLocked(true);
    else
        reportFailure(reason);
    return outcome;
}

QSqlDatabase LocalDatabase::database() {
    open();
    return m_db;
}

LocalDatabase::Outcome LocalDatabase::openForReading(QString& reason) {
    const QFileInfo info(m_path);
    if (!info.exists() || info.isDir()) {
        reason =
            info.isDir() ? QStringLiteral("the name belongs to a folder") : QStringLiteral("the file does not exist");
        return Outcome::Failed;
    }
    // The log of recent changes beside the file needs a writable folder; a read-only disk is read as it
    // stands (nobody can be writing to it).
    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    for (const QString& mode : {QStringLiteral("mode=ro"), QStringLiteral("immutable=1")}) {
        if (m_db.isValid()) {
            m_db.close();
            m_db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
        }
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_db.setDatabaseName(uri + QLatin1Char('?') + mode);
        m_db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!m_db.open()) {
            reason = m_db.lastError().text();
            continue;
        }
        QSqlQuery check(m_db);
        if (!runStatement(check, QStringLiteral("PRAGMA quick_check"), {})) {
            reason = check.lastError().databaseText();
            if (isBusy(check.lastError()))
                return Outcome::Busy;
            continue;
        }
        if (!check.next() || check.value(0).toString() != QLatin1String("ok")) {
            reason = QStringLiteral("the file is damaged");
            return Outcome::Failed;
        }
        return Outcome::Done;
    }
    return Outcome::Failed;
}

LocalDatabase::Outcome LocalDatabase::openConnection(QString& reason) {
    if (m_readOnly)
        return openForReading(reason);
    const QFileInfo info(m_path);
    const bool existed = info.exists();
    if (existed) {
        if (info.isDir()) {
            reason = QStringLiteral("the name belongs to a folder");
            return Outcome::Failed;
        }
        // Permission bits are read, not access(): a file marked read-only stays read-only for every user.
        const QFile::Permissions perms = info.permissions();
        if (!(perms & QFile::ReadOwner)) {
            reason = QStringLiteral("the file cannot be read");
            return Outcome::Failed;
        }
        if (!(perms & QFile::WriteOwner)) {
            reason = QStringLiteral("the file is read-only");
            return Outcome::Failed;
        }
    } else if (!QDir().mkpath(info.absolutePath())) {
        reason = QStringLiteral("its folder %1 cannot be created").arg(QDir::toNativeSeparators(info.absolutePath()));
        return Outcome::Failed;
    }

    if (!m_db.isValid()) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_db.setDatabaseName(m_path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    }
    if (!m_db.open()) {
        reason = m_db.lastError().text();
        return isBusy(m_db.lastError()) ? Outcome::Busy : Outcome::Failed;
    }
    const auto failed = [&reason](const QSqlQuery& q) {
        reason = q.lastError().databaseText();
        return isBusy(q.lastError()) ? Outcome::Busy : Outcome::Failed;
    };

    QSqlQuery check(m_db);
    if (!runStatement(check, QStringLiteral("PRAGMA quick_check"), {}))
        return failed(check);
    if (!check.next() || check.value(0).toString() != QLatin1String("ok")) {
        reason = QStringLiteral("the file is damaged");
        return Outcome::Failed;
    }
    check.finish();

    // One committed row per statement: WAL with NORMAL sync keeps that quick and never leaves half a row.
    QSqlQuery pragma(m_db);
    if (!runStatement(pragma, QStringLiteral("PRAGMA journal_mode=WAL"), {}) ||
        !runStatement(pragma, QStringLiteral("PRAGMA synchronous=NORMAL"), {}))
        return failed(pragma);
    pragma.finish();
    return createSchema(reason);
}

LocalDatabase::Outcome LocalDatabase::createSchema(QString& reason) {
    const auto failed = [&reason](const QSqlQuery& q) {
        reason = q.lastError().databaseText();
        return isBusy(q.lastError()) ? Outcome::Busy : Outcome::Failed;
    };
    QSet<QString> present;
    {
        QSqlQuery q(m_db);
        if (!runStatement(q, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {}))
            return failed(q);
        while (q.next())
            present.insert(q.value(0).toString().toUpper());
    }

    QStringList missing;
    for (const QString& name : tableNames()) {
        if (!present.contains(name.toUpper()))
            missing.append(name);
    }
    if (missing.isEmpty())
        return Outcome::Done;

    m_db.transaction();
    QSqlQuery q(m_db);
    for (const QString& name : missing) {
        QStringList defs;
        for (const Column& c : columns(name))
            defs.append((quoted(QLatin1String(c.name)) + QLatin1Char(' ') + QLatin1String(c.type)).trimmed());
        if (!runStatement(q, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(name), defs.join(QStringLiteral(", "))),
                          {})) {
            const Outcome outcome = failed(q);
            m_db.rollback();
            return outcome;
        }
    }

    // Installation data, written only into tables created just now: a file that came with its own
    // (even empty) lists keeps them.
    bool ok = true;
    const QStringList types = defaultTrunkTypes();
    if (missing.contains(QStringLiteral("TrunkTypes"))) {
        for (int code = 0; ok && code < types.size(); ++code)
            ok = runStatement(
                q, QStringLiteral("INSERT INTO \"TrunkTypes\" (\"Trunk_Type\", \"TRUNK_CODE\") VALUES (?, ?)"),
                {types.at(code), code});
    }
    if (missing.contains(QStringLiteral("BANKTYPES"))) {
        for (int bank = 1; ok && bank <= 20; ++bank)
            ok = runStatement(
                q,
                QStringLiteral(
                    "INSERT INTO \"BANKTYPES\" (\"BANK_NUM\", \"Trunk_Type\", \"TRUNK_CODE\") VALUES (?, ?, ?)"),
                {bank, types.value(0), 0});
    }
    if (!ok) {
        const Outcome outcome = failed(q);
        m_db.rollback();
        return outcome;
    }
    if (!m_db.commit()) {
        reason = m_db.lastError().databaseText();
        m_db.rollback();
        return isBusy(m_db.lastError()) ? Outcome::Busy : Outcome::Failed;
    }
    qCDebug(lcStore) << "created" << missing.size() << "tables in" << m_path;
    return Outcome::Done;
}

bool LocalDatabase::runStatement(QSqlQuery& query, const QString& sql, const QVariantList& values) {
    ++m_statementCount;
    if (!query.prepare(sql)) {
        m_lastError = reasonOf(query.lastError());
        qCWarning(lcStore) << "cannot prepare" << sql << ":" << query.lastError().text();
        return false;
    }
    m_lastError.clear();
    for (const QVariant& v : values)
        query.addBindValue(toStorage(v));
    if (!query.exec()) {
        m_lastError = reasonOf(query.lastError());
        if (isBusy(query.lastError()))
            qCDebug(lcStore) << "file locked by another program:" << sql;
        else
            qCWarning(lcStore) << "statement failed" << sql << ":" << query.lastError().text();
        return false;
    }
    return true;
}

void LocalDatabase::reportFailure(const QString& reason) {
    const QString file = QDir::toNativeSeparators(m_path);
    qCWarning(lcStore) << "local database unusable:" << file << reason;
    if (m_failureReported)
        return;
    m_failureReported = true;
    m_prompter.inform(QStringLiteral("Local database"),
                      QStringLiteral("The local database %1 cannot be used: %2.\n\nChannel and talkgroup names are "
                                     "not shown and new talkgroups are not stored while it cannot be used; it is "
                                     "tried again whenever it is needed.")
                          .arg(file, reason),
                      Prompter::Icon::Critical);
}

void LocalDatabase::setLocked(bool locked) {
    if (locked == m_lockSaid)
        return;
    m_lockSaid = locked;
    Q_EMIT statusLine(locked
                          ? QStringLiteral("Local database: locked by another program; changes wait until it is free")
                          : QStringLiteral("Local database: free again"));
}

void LocalDatabase::noteTalkgroupStored(bool stored) {
    if (stored != m_talkgroupFailing)
        return;
    m_talkgroupFailing = !stored;
    Q_EMIT statusLine(stored ? QStringLiteral("Talkgroups: new talkgroups are being added again")
                             : QStringLiteral("Talkgroups: the local database cannot store them; new talkgroups "
                                              "are not being added"));
}

std::optional<QList<QSqlRecord>> LocalDatabase::select(const QString& sql, const QVariantList& values) {
    if (!open())
        return std::nullopt;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!runStatement(q, sql, values))
        return std::nullopt;
    QList<QSqlRecord> rows;
    while (q.next())
        rows.append(q.record());
    return rows;
}

bool LocalDatabase::exec(const QString& sql, const QVariantList& values) {
    return write({sql, values, {}, {}}) != Outcome::Failed;
}

bool LocalDatabase::insertRow(const QString& table, const QVariantMap& values) {
    return insert(table, values) != Outcome::Failed;
}

std::optional<LocalDatabase::Write> LocalDatabase::insertStatement(const QString& table,
                                                                   const QVariantMap& values) const {
    const QString name = knownTable(table);
    if (name.isEmpty() || values.isEmpty()) {
        qCWarning(lcStore) << "insert refused: unknown table or no values" << table;
        return std::nullopt;
    }
    QStringList cols;
    QStringList marks;
    Write w;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString column = knownColumn(name, it.key());
        if (column.isEmpty()) {
            qCWarning(lcStore) << "insert refused: unknown column" << it.key() << "in" << name;
            return std::nullopt;
        }
        cols.append(quoted(column));
        marks.append(QStringLiteral("?"));
        w.values.append(it.value());
        w.row.insert(column, it.value());
    }
    w.sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoted(name), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    w.table = name;
    return w;
}

LocalDatabase::Outcome LocalDatabase::insert(const QString& table, const QVariantMap& values) {
    const std::optional<Write> w = insertStatement(table, values);
    return w ? write(*w) : Outcome::Failed;
}

LocalDatabase::WriteResult LocalDatabase::insertRowNow(const QString& table, const QVariantMap& values) {
    const std::optional<Write> w = insertStatement(table, values);
    if (!w) {
        m_lastError = QStringLiteral("the row does not fit the table %1").arg(table);
        return WriteResult::Failed;
    }
    return writeNow({{w->sql, w->values}});
}

LocalDatabase::WriteResult LocalDatabase::writeNow(const QList<std::pair<QString, QVariantList>>& statements) {
    const auto resultOf = [](Outcome outcome) {
        return outcome == Outcome::Done   ? WriteResult::Stored
               : outcome == Outcome::Busy ? WriteResult::Locked
                                          : WriteResult::Failed;
    };
    const Outcome opened = openOutcome();
    if (opened != Outcome::Done) {
        if (opened == Outcome::Failed && m_lastError.isEmpty())
            m_lastError = QStringLiteral("the file cannot be used");
        return resultOf(opened);
    }
    QSqlQuery q(m_db);
    const bool several = statements.size() > 1;
    // BEGIN IMMEDIATE takes the write lock before the first change, so a lock is met before anything is written.
    if (several && !runStatement(q, QStringLiteral("BEGIN IMMEDIATE"), {}))
        return resultOf(isBusy(q.lastError()) ? Outcome::Busy : Outcome::Failed);
    for (const auto& [sql, values] : statements) {
        if (!runStatement(q, sql, values)) {
            const Outcome outcome = isBusy(q.lastError()) ? Outcome::Busy : Outcome::Failed;
            if (several) {
                QSqlQuery rollback(m_db);
                rollback.exec(QStringLiteral("ROLLBACK"));
            }
            return resultOf(outcome);
        }
    }
    if (several && !runStatement(q, QStringLiteral("COMMIT"), {})) {
        const Outcome outcome = isBusy(q.lastError()) ? Outcome::Busy : Outcome::Failed;
        QSqlQuery rollback(m_db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        return resultOf(outcome);
    }
    return WriteResult::Stored;
}

LocalDatabase::Outcome LocalDatabase::write(const Write& w) {
    // Writes keep their order: once one waits for the file, every later one waits behind it.
    if (m_pending.isEmpty()) {
        const Outcome outcome = tryWrite(w);
        if (outcome != Outcome::Busy)
            return outcome;
    }
    if (m_pending.size() >= kMaxPending) {
        qCWarning(lcStore) << "too many changes waiting for the locked file, change lost:" << w.sql;
        return Outcome::Failed;
    }
    m_pending.append(w);
    setLocked(true);
    if (!m_retry.isActive())
        m_retry.start();
    return Outcome::Busy;
}

LocalDatabase::Outcome LocalDatabase::tryWrite(const Write& w) {
    const Outcome opened = openOutcome();
    if (opened != Outcome::Done)
        return opened;
    QSqlQuery q(m_db);
    if (runStatement(q, w.sql, w.values))
        return Outcome::Done;
    return isBusy(q.lastError()) ? Outcome::Busy : Outcome::Failed;
}

void LocalDatabase::onRetryTimeout() {
    while (!m_pending.isEmpty()) {
        // A copy: telling the status line may run code that queues another change.
        const Write w = m_pending.first();
        const Outcome outcome = tryWrite(w);
        if (outcome == Outcome::Busy)
            return;
        if (outcome == Outcome::Failed)
            qCWarning(lcStore) << "a change that waited for the file cannot be written, lost:" << w.sql;
        if (w.table == QLatin1String("TALKGROUPS"))
            noteTalkgroupStored(outcome == Outcome::Done);
        m_pending.removeFirst();
    }
    m_retry.stop();
    setLocked(false);
}

int LocalDatabase::rowCount(const QString& table) {
    const QString name = knownTable(table);
    if (name.isEmpty())
        return -1;
    const auto rows = select(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(name)));
    if (!rows || rows->isEmpty())
        return -1;
    return rows->first().value(0).toInt();
}

RowLookup LocalDatabase::findBankChannel(int bank, int channel) {
    const QString table = bankTableName(bank);
    if (table.isEmpty())
        return {};
    return firstRow(QStringLiteral("SELECT * FROM %1 WHERE \"CHANNEL\" = ? LIMIT 1").arg(quoted(table)), {channel});
}

RowLookup LocalDatabase::findTalkgroup(const QString& id) {
    RowLookup found = firstRow(QStringLiteral("SELECT * FROM \"TALKGROUPS\" WHERE \"ID\" = ? LIMIT 1"), {id});
    if (!found.ok || found.row)
        return found;
    // A talkgroup heard while the file was locked is stored already, as far as the lookup goes.
    for (const Write& w : std::as_const(m_pending)) {
        if (w.table != QLatin1String("TALKGROUPS") || w.row.value(QStringLiteral("ID")).toString() != id)
            continue;
        QSqlRecord record = m_db.record(QStringLiteral("TALKGROUPS"));
        for (auto it = w.row.cbegin(); it != w.row.cend(); ++it)
            record.setValue(it.key(), toStorage(it.value()));
        found.row = record;
        break;
    }
    return found;
}

RowLookup LocalDatabase::firstRow(const QString& sql, const QVariantList& values) {
    const auto rows = select(sql, values);
    if (!rows)
        return {};
    return {true, rows->isEmpty() ? std::nullopt : std::optional<QSqlRecord>(rows->first())};
}

bool LocalDatabase::addTalkgroup(const TalkgroupRow& row) {
    QVariantMap values{
        {QStringLiteral("ID"), row.id},
        {QStringLiteral("CITY"), row.city},
        {QStringLiteral("SERVICE_DESC"), row.serviceDesc},
        {QStringLiteral("ALPHA_TAG"), row.alphaTag},
        {QStringLiteral("DATE"), row.date.isValid() ? QVariant(row.date) : QVariant()},
        {QStringLiteral("TIME"), row.time.isValid() ? QVariant(row.time) : QVariant()},
    };
    if (!row.notes.isNull())
        values.insert(QStringLiteral("NOTES"), row.notes);
    const Outcome outcome = insert(QStringLiteral("TALKGROUPS"), values);
    // A row kept for a locked file is told about when it is written.
    if (outcome != Outcome::Busy)
        noteTalkgroupStored(outcome == Outcome::Done);
    return outcome != Outcome::Failed;
}
