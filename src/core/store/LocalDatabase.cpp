#include "LocalDatabase.h"

#include "Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

Q_LOGGING_CATEGORY(lcStore, "valdoria.store")

namespace {

// Yes/no columns: a row written without them reads back false, never null.
constexpr const char* kYesNo = "INTEGER NOT NULL DEFAULT 0";
constexpr const char* kText = "TEXT";
constexpr const char* kNumber = "REAL";
constexpr const char* kWhole = "INTEGER";
// Latitude and longitude are only copied between tables, so they keep whatever kind they were given.
constexpr const char* kAsStored = "";

using Column = LocalDatabase::Column;

const QList<Column>& bankColumns() {
    static const QList<Column> columns = {
        {"CHANNEL", kWhole},     {"sFREQ", kText},        {"FREQUENCY", kNumber},   {"TRUNKED", kYesNo},
        {"DELAY", kYesNo},       {"LOCKOUT", kYesNo},     {"PRIORITY", kYesNo},     {"CALLSIGN", kText},
        {"COMPANY_NAME", kText}, {"RS", kText},           {"CITY", kText},          {"STATE", kText},
        {"COUNTY", kText},       {"LATITUDE", kAsStored}, {"LONGITUDE", kAsStored}, {"ALPHA_TAG", kText},
    };
    return columns;
}

struct Table {
    QString name;
    QList<Column> columns;
};

const QList<Table>& schema() {
    static const QList<Table> tables = [] {
        QList<Table> t;
        for (int bank = 1; bank <= 20; ++bank)
            t.append({LocalDatabase::bankTableName(bank), bankColumns()});
        t.append({QStringLiteral("BACKUP_CHANNELS"), bankColumns() + QList<Column>{{"BACKUP_SET", kText}}});
        t.append({QStringLiteral("BACKUP_TALKGROUPS"),
                  {{"BACKUP_SET", kText},
                   {"ID", kText},
                   {"CITY", kText},
                   {"SERVICE_DESC", kText},
                   {"ALPHA_TAG", kText},
                   {"DATE", kText},
                   {"TIME", kText}}});
        t.append({QStringLiteral("TALKGROUPS"),
                  {{"ID", kText},
                   {"CITY", kText},
                   {"SERVICE_DESC", kText},
                   {"ALPHA_TAG", kText},
                   {"NOTES", kText},
                   {"DATE", kText},
                   {"TIME", kText}}});
        t.append({QStringLiteral("BANKTYPES"), {{"BANK_NUM", kWhole}, {"Trunk_Type", kText}, {"TRUNK_CODE", kWhole}}});
        t.append({QStringLiteral("TrunkTypes"), {{"Trunk_Type", kText}, {"TRUNK_CODE", kWhole}}});
        t.append({QStringLiteral("OrvFreqs"),
                  {{"FREQUENCY", kNumber},
                   {"SFREQ", kText},
                   {"CALLSIGN", kText},
                   {"RS", kText},
                   {"COMPANY_NAME", kText},
                   {"CITY", kText},
                   {"COUNTY", kText},
                   {"STATE", kText},
                   {"ALPHA_TAG", kText}}});
        return t;
    }();
    return tables;
}

// "[CHANNEL]" means CHANNEL.
QString bareName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

const Table* findTable(const QString& name) {
    const QString bare = bareName(name);
    for (const Table& t : schema()) {
        if (t.name.compare(bare, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

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

} // namespace

LocalDatabase::LocalDatabase(const QString& path, Prompter& prompter)
    : m_path(path)
    , m_prompter(prompter)
    , m_connectionName(QStringLiteral("valdoria-local-%1").arg(++g_connectionSerial)) {}

LocalDatabase::~LocalDatabase() {
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QString LocalDatabase::pathForAppFolder(const QString& appFolder) {
    return QDir(appFolder).filePath(QStringLiteral("Data/ValdoriaPro.mdb"));
}

QStringList LocalDatabase::tableNames() {
    QStringList names;
    for (const Table& t : schema())
        names.append(t.name);
    return names;
}

QList<LocalDatabase::Column> LocalDatabase::columns(const QString& table) {
    const Table* t = findTable(table);
    return t ? t->columns : QList<Column>{};
}

QString LocalDatabase::knownTable(const QString& name) {
    const Table* t = findTable(name);
    return t ? t->name : QString();
}

QString LocalDatabase::knownColumn(const QString& table, const QString& column) {
    const Table* t = findTable(table);
    if (!t)
        return {};
    const QString bare = bareName(column);
    for (const Column& c : t->columns) {
        const QString name = QLatin1String(c.name);
        if (name.compare(bare, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

QString LocalDatabase::bankTableName(int bank) {
    if (bank < 1 || bank > 20)
        return {};
    return QStringLiteral("BANK%1").arg(bank, 2, 10, QLatin1Char('0'));
}

QStringList LocalDatabase::defaultTrunkTypes() {
    return {
        QStringLiteral("Motorola Type II 800 MHz"),
        QStringLiteral("Motorola Type I 800 MHz"),
        QStringLiteral("Motorola Hybrid 800 MHz"),
        QStringLiteral("Motorola Type II 900 MHz"),
        QStringLiteral("Motorola Type II UHF"),
        QStringLiteral("Motorola Type II VHF"),
        QStringLiteral("EDACS"),
        QStringLiteral("LTR"),
    };
}

bool LocalDatabase::open() {
    if (m_open)
        return true;
    if (m_failed)
        return false;
    QString reason;
    if (!openConnection(reason)) {
        if (m_db.isValid())
            m_db.close();
        reportFailure(reason);
        return false;
    }
    m_open = true;
    return true;
}

QSqlDatabase LocalDatabase::database() {
    open();
    return m_db;
}

bool LocalDatabase::openConnection(QString& reason) {
    const QFileInfo info(m_path);
    const bool existed = info.exists();
    if (existed) {
        if (info.isDir()) {
            reason = QStringLiteral("the name belongs to a folder");
            return false;
        }
        // Permission bits are read, not access(): a file marked read-only stays read-only for every user.
        const QFile::Permissions perms = info.permissions();
        if (!(perms & QFile::ReadOwner)) {
            reason = QStringLiteral("the file cannot be read");
            return false;
        }
        if (!(perms & QFile::WriteOwner)) {
            reason = QStringLiteral("the file is read-only");
            return false;
        }
    } else if (!QDir().mkpath(info.absolutePath())) {
        reason = QStringLiteral("its folder %1 cannot be created").arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(m_path);
    if (!m_db.open()) {
        reason = m_db.lastError().text();
        return false;
    }

    QSqlQuery check(m_db);
    if (!runStatement(check, QStringLiteral("PRAGMA quick_check"), {})) {
        reason = check.lastError().databaseText();
        return false;
    }
    if (!check.next() || check.value(0).toString() != QLatin1String("ok")) {
        reason = QStringLiteral("the file is damaged");
        return false;
    }
    check.finish();

    // One committed row per statement: WAL with NORMAL sync keeps that quick and never leaves half a row.
    QSqlQuery pragma(m_db);
    if (!runStatement(pragma, QStringLiteral("PRAGMA journal_mode=WAL"), {}) ||
        !runStatement(pragma, QStringLiteral("PRAGMA synchronous=NORMAL"), {})) {
        reason = pragma.lastError().databaseText();
        return false;
    }
    pragma.finish();
    return createSchema(reason);
}

bool LocalDatabase::createSchema(QString& reason) {
    QSet<QString> present;
    {
        QSqlQuery q(m_db);
        if (!runStatement(q, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {})) {
            reason = q.lastError().databaseText();
            return false;
        }
        while (q.next())
            present.insert(q.value(0).toString().toUpper());
    }

    QStringList missing;
    for (const Table& t : schema()) {
        if (!present.contains(t.name.toUpper()))
            missing.append(t.name);
    }
    if (missing.isEmpty())
        return true;

    m_db.transaction();
    QSqlQuery q(m_db);
    for (const QString& name : missing) {
        QStringList defs;
        for (const Column& c : findTable(name)->columns)
            defs.append((quoted(QLatin1String(c.name)) + QLatin1Char(' ') + QLatin1String(c.type)).trimmed());
        if (!runStatement(q, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(name), defs.join(QStringLiteral(", "))),
                          {})) {
            reason = q.lastError().databaseText();
            m_db.rollback();
            return false;
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
    if (!ok || !m_db.commit()) {
        reason = q.lastError().databaseText();
        m_db.rollback();
        return false;
    }
    qCDebug(lcStore) << "created" << missing.size() << "tables in" << m_path;
    return true;
}

bool LocalDatabase::runStatement(QSqlQuery& query, const QString& sql, const QVariantList& values) {
    ++m_statementCount;
    if (!query.prepare(sql)) {
        qCWarning(lcStore) << "cannot prepare" << sql << ":" << query.lastError().text();
        return false;
    }
    for (const QVariant& v : values)
        query.addBindValue(toStorage(v));
    if (!query.exec()) {
        qCWarning(lcStore) << "statement failed" << sql << ":" << query.lastError().text();
        return false;
    }
    return true;
}

void LocalDatabase::reportFailure(const QString& reason) {
    m_failed = true;
    const QString file = QDir::toNativeSeparators(m_path);
    qCWarning(lcStore) << "local database unusable:" << file << reason;
    m_prompter.inform(QStringLiteral("Local database"),
                      QStringLiteral("The local database %1 cannot be used: %2.\n\nChannel and talkgroup names are "
                                     "not shown and new talkgroups are not stored until the program is started again.")
                          .arg(file, reason),
                      Prompter::Icon::Critical);
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
    if (!open())
        return false;
    QSqlQuery q(m_db);
    return runStatement(q, sql, values);
}

bool LocalDatabase::insertRow(const QString& table, const QVariantMap& values) {
    const QString name = knownTable(table);
    if (name.isEmpty() || values.isEmpty()) {
        qCWarning(lcStore) << "insert refused: unknown table or no values" << table;
        return false;
    }
    QStringList cols;
    QStringList marks;
    QVariantList bound;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString column = knownColumn(name, it.key());
        if (column.isEmpty()) {
            qCWarning(lcStore) << "insert refused: unknown column" << it.key() << "in" << name;
            return false;
        }
        cols.append(quoted(column));
        marks.append(QStringLiteral("?"));
        bound.append(it.value());
    }
    return exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quoted(name), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                bound);
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
    return firstRow(QStringLiteral("SELECT * FROM \"TALKGROUPS\" WHERE \"ID\" = ? LIMIT 1"), {id});
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
    return insertRow(QStringLiteral("TALKGROUPS"), values);
}
